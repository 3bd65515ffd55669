#include "zonemap/ZoneCharacters.h"

#include <gtest/gtest.h>

namespace tlx {
namespace {

TEST(ZoneCharacters, SeparatorsQuoteBlankAndControlCodesAreRefused) {
  for (const char c : {',', ';', '"', ' ', '\0', '\t', '\x80', '\xff'}) {
    EXPECT_FALSE(IsAllowedZoneCharacter(c)) << static_cast<int>(c);
  }
  for (const char c : {'!', 'A', 'z', '~', '\x7f', '0', '#', ':'}) {
    EXPECT_TRUE(IsAllowedZoneCharacter(c)) << static_cast<int>(c);
  }
}

}  // namespace
}  // namespace tlx
