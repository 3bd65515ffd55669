#include "controls/RangeBox.h"

#include "common/Numbers.h"
#include "common/Texts.h"
#include "common/TimeText.h"
#include "controls/KeyCodes.h"

#include <algorithm>
#include <cmath>

namespace tlx {
namespace {

std::string LastFive(const std::string& text) {
  return text.size() > 5 ? text.substr(text.size() - 5) : text;
}

// Round to the decimals shown, as the display pattern does (halves away from zero).
double RoundToPlaces(double value, int places) {
  const double scale = std::pow(10.0, EffectivePlaces(places));
  const double rounded = RoundHalfAway(value * scale) / scale;
  return std::isfinite(rounded) ? rounded : value;
}

bool IsAmPmCharacter(char c) {
  const char u = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return u == 'A' || u == 'P' || u == 'M' || u == ' ' || u == ':';
}

}  // namespace

MessageRequest RangeMessage(const std::string& varName, const RangeLimits& limits,
                            bool acceptsIndefinite, bool minutesSeconds) {
  MessageRequest m;
  m.caption = "Range Error";
  m.buttons = MsgButtons::Ok;
  if (minutesSeconds) {
    m.text = "This value must be\r\nin the range of :\r\n" + LastFive(limits.lower) + " to " +
             LastFive(limits.upper);
    m.icon = MsgIcon::Exclamation;
  } else if (!varName.empty()) {
    m.text = "\"" + varName + "\"\r\nmust be in the range of : \r\n" + limits.lower + " to " +
             limits.upper;
    m.icon = MsgIcon::Critical;
  } else {
    m.text = "This value must be\r\nin the range of : \r\n" + limits.lower + " to " + limits.upper;
    m.icon = MsgIcon::Critical;
  }
  if (acceptsIndefinite) m.text += "\r\nor \"Indefinite\" may be entered.";
  return m;
}

std::string RangeClockText(double seconds) {
  if (seconds < 0) return "Immediate";
  return SecondsToClockText(static_cast<std::int64_t>(seconds), true);
}

void RangeBoxModel::SetProperties(const RangeBoxProperties& props) {
  props_ = props;
  SetValue(value_);
}

bool RangeBoxModel::ReadsAsTime() const {
  return props_.time || props_.style == RangeStyle::Duration ||
         props_.style == RangeStyle::TimeOfDay;
}

bool RangeBoxModel::HasIndefinite() const {
  return props_.indefinite && (props_.style != RangeStyle::Number || props_.time);
}

void RangeBoxModel::SetValue(double value) {
  if (!std::isfinite(value)) value = value_;
  const RangeStyle style = props_.style;
  if (style != RangeStyle::Number && props_.indefinite && value < -1) value = -1;
  switch (style) {
    case RangeStyle::TimeOfDay:
      value = std::trunc(value);
      if (!props_.indefinite) value = std::fabs(value);
      value = std::fmod(value, 86400.0);
      break;
    case RangeStyle::WholeNumber:
    case RangeStyle::Duration:
      if (style == RangeStyle::WholeNumber) value = RoundHalfAway(value);
      if (value < props_.min) value = props_.indefinite ? -1 : props_.min;
      else if (value > props_.max) value = props_.max;
      break;
    case RangeStyle::Number:
      if (!props_.time) value = RoundToPlaces(value, props_.places);
      if (value < props_.min) value = props_.min;
      else if (value > props_.max) value = props_.max;
      break;
  }
  value_ = value;
  Display();
}

std::string RangeBoxModel::FormatValue(double value) const {
  if (HasIndefinite() && value < 0) {
    return props_.style == RangeStyle::TimeOfDay ? "Immediate" : "Indefinite";
  }
  switch (props_.style) {
    case RangeStyle::TimeOfDay: return RangeClockText(value);
    case RangeStyle::WholeNumber: return FormatPlaces(value, 0);
    case RangeStyle::Duration: break;
    case RangeStyle::Number:
      if (!props_.time) return FormatPlaces(value, props_.places);
      break;
  }
  const std::string text = SecondsToDurationText(std::llround(value));
  return props_.hideHours ? LastFive(text) : text;
}

void RangeBoxModel::Display() {
  text_ = FormatValue(value_);
  caret_ = static_cast<int>(text_.size());
  selLength_ = 0;
  if (onDisplay) onDisplay();
}

void RangeBoxModel::SetEditState(std::string text, int caret, int selLength) {
  text_ = std::move(text);
  caret_ = caret;
  selLength_ = selLength;
}

std::string RangeBoxModel::LimitText(double limit) const {
  switch (props_.style) {
    case RangeStyle::TimeOfDay: return RangeClockText(limit);
    case RangeStyle::WholeNumber: return FormatPlaces(limit, 0);
    case RangeStyle::Duration: return SecondsToDurationText(std::llround(limit));
    case RangeStyle::Number: break;
  }
  if (props_.time) return SecondsToDurationText(std::llround(limit));
  return FormatPlaces(limit, props_.places);
}

double RangeBoxModel::ReadTyped(bool* indefiniteWord) const {
  const std::string trimmed = Trim(text_);
  *indefiniteWord = HasIndefinite() && !trimmed.empty() && (trimmed[0] == 'I' || trimmed[0] == 'i');
  if (*indefiniteWord) return -1;
  if (props_.style == RangeStyle::TimeOfDay) return ClockTextToSeconds(trimmed);
  if (ReadsAsTime()) return DurationTextToSeconds(trimmed);
  double value = value_;
  if (IsNumberText(trimmed)) {
    const std::optional<double> worked = EvaluateArithmetic(trimmed);
    if (worked) value = *worked;  // an overflow keeps the previous value
  } else {
    value = LocaleVal(trimmed);
  }
  if (props_.style == RangeStyle::WholeNumber) return RoundHalfAway(value);
  return RoundToPlaces(value, props_.places);
}

bool RangeBoxModel::CheckRange(bool showWarn) {
  bool indefiniteWord = false;
  double value = ReadTyped(&indefiniteWord);
  if (!std::isfinite(value)) value = value_;
  if (HasIndefinite() && value < 0) {
    value_ = -1;
    Display();
    return true;
  }
  // A value outside the limits is refused: the box goes back to the value it held, which the
  // user chose, rather than to a limit nobody typed. A box that never held a value inside the
  // limits (its limits changed, or nothing was set yet) takes the nearest limit instead.
  const bool failed = value < props_.min || value > props_.max;
  if (failed) {
    const bool heldInside = (value_ >= props_.min && value_ <= props_.max) || (HasIndefinite() && value_ == -1);
    SetValue(heldInside ? value_ : std::clamp(value, props_.min, props_.max));
  } else {
    value_ = value;
    Display();
  }
  if (failed && showWarn) {
    Warn();
    if (onSelectAll) onSelectAll();
  }
  return !failed;
}

std::optional<double> RangeBoxModel::TypedNumber() const {
  if (!IsNumberText(Trim(text_))) return std::nullopt;
  bool indefiniteWord = false;
  const double value = ReadTyped(&indefiniteWord);
  if (indefiniteWord || !std::isfinite(value)) return std::nullopt;
  return value;
}

void RangeBoxModel::Warn() {
  const bool minutesSeconds = props_.hideHours && ReadsAsTime() &&
                              props_.style != RangeStyle::TimeOfDay;
  const RangeLimits limits{LimitText(props_.min), LimitText(props_.max)};
  answers_.ShowMessage(RangeMessage(props_.varName, limits, HasIndefinite(), minutesSeconds));
}

void RangeBoxModel::TakeValue() {
  const double before = value_;
  CheckRange(props_.showWarn);
  if (value_ != before && onChange) onChange();
}

bool RangeBoxModel::KeyDown(int keyCode, int shift) {
  if (!props_.enabled) return true;
  if (keyCode == key::Return && shift == 0) {
    TakeValue();
    if (onEnter) onEnter();
    return true;
  }
  bool handled = false;
  if (ReadsAsTime()) {
    MaskEdit edit{text_, caret_, selLength_};
    handled = ApplyTimeMaskKey(edit, keyCode, props_.hideHours);
    if (handled) SetEditState(edit.text, edit.caret, edit.selLength);
  }
  if (onKeyDown) onKeyDown(keyCode, shift);
  return handled;
}

bool RangeBoxModel::AcceptsCharacter(char c) const {
  if (!props_.enabled) return false;
  const bool digit = c >= '0' && c <= '9';
  if (props_.numOnly && !digit) {
    // A time of day still needs its AM or PM.
    if (!(props_.style == RangeStyle::TimeOfDay && IsAmPmCharacter(c))) return false;
  }
  if (props_.maxLength > 0 && selLength_ == 0 &&
      static_cast<int>(text_.size()) >= props_.maxLength) {
    return false;
  }
  return true;
}

void RangeBoxModel::FocusIn() {
  if (props_.highlight && onSelectAll) onSelectAll();
}

void RangeBoxModel::FocusOut() { TakeValue(); }

}  // namespace tlx
