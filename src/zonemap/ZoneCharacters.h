// Which characters may name a zone. Results and export files are comma- or semicolon-separated
// text with quoted fields, so a zone named `,` `;` or `"` would split or unbalance their rows.
#pragma once

#include <string>

namespace tlx {

// True for the characters a user may give a zone: codes 33..127 except `,` `;` and `"`.
bool IsAllowedZoneCharacter(char c);

// Why `c` (one of `,` `;` `"`) cannot be a zone, said to the user by the editor and the
// command line alike.
std::string RefusedZoneCharacterText(char c);

}  // namespace tlx
