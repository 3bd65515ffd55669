// Key codes and shift flags the value entry controls understand. The widgets translate their
// toolkit's keys into these, so the editing rules stay free of any toolkit.
#pragma once

namespace tlx {

namespace key {
constexpr int Back = 8;
constexpr int Return = 13;
constexpr int Escape = 27;
constexpr int PageUp = 33;
constexpr int PageDown = 34;
constexpr int Left = 37;
constexpr int Up = 38;
constexpr int Right = 39;
constexpr int Down = 40;
constexpr int Delete = 46;
constexpr int Digit0 = 48;  // '0'..'9' are 48..57
constexpr int Numpad0 = 96; // numeric keypad 0..9 are 96..105
constexpr int Subtract = 109;
constexpr int Colon = 186;  // the ":" key
constexpr int Minus = 189;  // the minus key of the main keyboard
}  // namespace key

namespace shiftmask {
constexpr int Shift = 1;
constexpr int Ctrl = 2;
constexpr int Alt = 4;
}  // namespace shiftmask

// The digit a key code stands for, or -1 when it is not a digit key.
inline int DigitOfKey(int keyCode) {
  if (keyCode >= key::Digit0 && keyCode <= key::Digit0 + 9) return keyCode - key::Digit0;
  if (keyCode >= key::Numpad0 && keyCode <= key::Numpad0 + 9) return keyCode - key::Numpad0;
  return -1;
}

}  // namespace tlx
