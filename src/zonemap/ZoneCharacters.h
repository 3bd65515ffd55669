// Which characters may name a zone. Any visible ASCII character may, except the three that the
// delimited files (results, export, tidy table) would read as a field separator or a quote:
// ",", ";" and '"'. Maps that already hold them are still read; their zone fields are quoted.
#pragma once

namespace tlx {

inline constexpr const char* kRefusedZoneCharacters = ",;\"";

inline bool IsAllowedZoneCharacter(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 33 && u <= 126 && c != ',' && c != ';' && c != '"';
}

}  // namespace tlx
