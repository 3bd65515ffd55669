// Output held back in a spool: in memory up to the limit, then in a temporary file, handed on in
// order and in full however it was split.
#include "common/Spool.h"

#include <gtest/gtest.h>

namespace tlx {
namespace {

std::string Drain(Spool& spool, std::size_t refuseAfter = SIZE_MAX) {
  std::string out;
  std::size_t pieces = 0;
  const bool ok = spool.CopyTo([&](std::string_view s) {
    if (++pieces > refuseAfter) return false;
    out += s;
    return true;
  });
  return ok ? out : "refused:" + out;
}

TEST(Spool, KeepsOrderAcrossTheSpillToATemporaryFileAndAfterACopy) {
  Spool small(10);
  EXPECT_TRUE(small.Empty());
  EXPECT_TRUE(small.Write("0123456789"));  // exactly the limit: still in memory
  EXPECT_TRUE(small.Write("abc"));  // spills, the held part first
  std::string big(200000, 'x');  // more than one block of the read-back
  big.back() = 'y';
  EXPECT_TRUE(small.Write(big));
  EXPECT_EQ(Drain(small), "0123456789abc" + big);
  EXPECT_TRUE(small.Write("tail"));  // later writes follow what was copied
  EXPECT_EQ(Drain(small), "0123456789abc" + big + "tail");
  EXPECT_EQ(Drain(small, 1).substr(0, 8), "refused:");  // a refusing sink fails the copy

  small.Clear();
  EXPECT_TRUE(small.Empty());
  EXPECT_EQ(Drain(small), "");
  EXPECT_TRUE(small.Write("new"));
  EXPECT_EQ(Drain(small), "new");
}

}  // namespace
}  // namespace tlx
