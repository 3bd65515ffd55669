// Small text operations shared by every module. Texts are byte strings (Latin-1); any byte,
// NUL included, may occur.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tlx {

std::string Quote(std::string_view text);
std::string Unquote(std::string_view text);
std::string Trim(std::string_view text);
std::string ToUpper(std::string_view text);
std::string ToLower(std::string_view text);
bool SameText(std::string_view a, std::string_view b);
std::string ProperCase(std::string_view text);
std::string EnabledText(bool flag);
bool IsTrueText(std::string_view text);
std::string TrimAtNul(std::string_view text);
int CountLines(std::string_view text);
std::string LineOf(std::string_view text, int n);
int CountFields(std::string_view line, std::string_view delimiter);
std::string FieldOf(std::string_view line, int n, std::string_view delimiter);

// Colour as red in the low byte, then green, then blue.
std::int32_t ColourForCharacter(std::string_view text);

}  // namespace tlx
