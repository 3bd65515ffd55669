#include "zonemap/ZoneCharacters.h"

namespace tlx {

bool IsAllowedZoneCharacter(char c) {
  const auto code = static_cast<unsigned char>(c);
  return code >= 33 && code <= 127 && c != ',' && c != ';' && c != '"';
}

}  // namespace tlx
