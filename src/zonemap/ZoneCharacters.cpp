#include "zonemap/ZoneCharacters.h"

namespace tlx {

bool IsAllowedZoneCharacter(char c) {
  const auto code = static_cast<unsigned char>(c);
  return code >= 33 && code <= 127 && c != ',' && c != ';' && c != '"';
}

std::string RefusedZoneCharacterText(char c) {
  return std::string("\"") + c + "\" cannot be a zone: results and export files use , ; and \" "
         "to separate and quote their fields.";
}

}  // namespace tlx
