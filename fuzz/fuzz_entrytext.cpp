// Typed text and keys of any bytes into the range box and the spin button: every check must end
// with a value inside the limits (or the indefinite -1) and a text that reads back to it.
#include "controls/EntryText.h"
#include "controls/KeyCodes.h"
#include "controls/RangeBox.h"
#include "controls/SpinButton.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void CheckInside(double value, double min, double max, bool indefinite) {
  if (indefinite && value == -1) return;
  if (!(value >= min && value <= max)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const std::string text(reinterpret_cast<const char*>(data) + 2, size - 2);
  tlx::ScriptedAnswers answers;

  tlx::RangeBoxProperties p;
  p.style = static_cast<tlx::RangeStyle>(data[0] % 4);
  p.time = (data[0] & 4) != 0;
  p.indefinite = (data[0] & 8) != 0;
  p.hideHours = (data[0] & 16) != 0;
  p.places = data[1] % 12;
  p.min = 5;
  p.max = 86399;
  p.showWarn = true;
  tlx::RangeBoxModel box(answers);
  box.SetProperties(p);
  box.SetEditState(text, static_cast<int>(data[1]));
  box.CheckRange(true);
  CheckInside(box.Value(), p.min, p.max, p.indefinite);

  // The same bytes as keys into the time mask, one key per byte: the caret stays inside the text,
  // and the text keeps the mask's length unless it is a time typed freely.
  tlx::MaskEdit edit{text.substr(0, 16), 0, data[0] % 3};
  edit.caret = std::min<int>(data[1] % 20, static_cast<int>(edit.text.size()));
  for (unsigned char c : text) {
    if (!tlx::ApplyTimeMaskKey(edit, c, p.hideHours)) continue;
    if (edit.caret < 0 || edit.caret > static_cast<int>(edit.text.size())) std::abort();
    // A time shorter than the mask is one typed freely ("25", "1:30"): digits and colons only.
    const bool typedTime = std::all_of(edit.text.begin(), edit.text.end(),
                                       [](char ch) { return (ch >= '0' && ch <= '9') || ch == ':'; });
    if (edit.text.size() < tlx::TimeMask(p.hideHours).size() && !typedTime) std::abort();
  }

  tlx::SpinButtonProperties s;
  s.min = -3;
  s.max = data[0];
  s.places = data[1] % 4;
  s.time = p.time;
  tlx::SpinButtonModel spin(answers);
  spin.SetProperties(s);
  spin.SetEditText(text);
  spin.CheckRange(false);
  CheckInside(spin.Value(), s.min, s.max, false);
  spin.Step(static_cast<int8_t>(data[1]));
  CheckInside(spin.Value(), s.min, s.max, false);
  return 0;
}
