#include "controls/SpinButton.h"

#include "common/Numbers.h"
#include "common/Texts.h"
#include "common/TimeText.h"
#include "controls/EntryText.h"
#include "controls/KeyCodes.h"
#include "controls/RangeBox.h"

#include <algorithm>
#include <cmath>

namespace tlx {

SpinScrollSetup ComputeSpinScroll(const SpinButtonProperties& props) {
  SpinScrollSetup s;
  s.step = std::pow(10.0, -EffectivePlaces(props.places));
  if (props.increment > 0) s.step *= props.increment;
  const double positions = std::round((props.max - props.min) / s.step);
  s.positions = std::isfinite(positions) ? static_cast<int>(std::clamp(positions, 0.0, 65535.0)) : 0;
  s.largeChange = static_cast<int>(std::clamp(RoundHalfEven(s.step), 1.0, 32767.0));
  return s;
}

void SpinButtonModel::SetProperties(const SpinButtonProperties& props) {
  props_ = props;
  Refresh();
}

double SpinButtonModel::Low() const { return std::min(props_.min, props_.max); }
double SpinButtonModel::High() const { return std::max(props_.min, props_.max); }

void SpinButtonModel::Refresh() {
  scroll_ = ComputeSpinScroll(props_);
  value_ = std::clamp(value_, Low(), High());
  position_ = PositionOf(value_);
  if (onScrollSetup) onScrollSetup();
  Display();
}

int SpinButtonModel::PositionOf(double value) const {
  const double p = std::round((value - props_.min) / scroll_.step);
  if (!std::isfinite(p)) return 0;
  return static_cast<int>(std::clamp(p, 0.0, static_cast<double>(scroll_.positions)));
}

std::string SpinButtonModel::FormatValue(double value) const {
  if (props_.time) return SecondsToDurationText(std::llround(value));
  return FormatPlaces(value, props_.places);
}

void SpinButtonModel::Display() { text_ = FormatValue(value_); }

void SpinButtonModel::SetValue(double value) {
  if (!std::isfinite(value)) return;
  value_ = std::clamp(value, Low(), High());
  position_ = PositionOf(value_);
  Display();
}

void SpinButtonModel::ScrollTo(int position) {
  position_ = std::clamp(position, 0, scroll_.positions);
  value_ = std::clamp(props_.min + position_ * scroll_.step, Low(), High());
  Display();
}

void SpinButtonModel::Step(int positions) {
  const double before = value_;
  ScrollTo(position_ + positions);
  if (value_ != before && onChange) onChange();
}

double SpinButtonModel::ToFloat() const {
  const std::string trimmed = Trim(text_);
  if (props_.time) return DurationTextToSeconds(trimmed);
  if (!IsNumberText(trimmed)) return LocaleVal(trimmed);
  const std::optional<double> worked = EvaluateArithmetic(trimmed);
  return worked ? *worked : value_;
}

bool SpinButtonModel::CheckRange(bool showWarn) {
  double value = ToFloat();
  if (!std::isfinite(value)) value = value_;
  bool failed = false;
  if (value < Low()) {
    value = Low();
    failed = true;
  } else if (value > High()) {
    value = High();
    failed = true;
  }
  SetValue(value);
  if (failed && showWarn) {
    RangeLimits limits{FormatValue(Low()), FormatValue(High())};
    answers_.ShowMessage(RangeMessage(props_.varName, limits, false, false));
  }
  return !failed;
}

bool SpinButtonModel::KeyDown(int keyCode, int shift) {
  if (!props_.enabled) return true;
  switch (keyCode) {
    case key::Up: Step(1); return true;
    case key::Down: Step(-1); return true;
    case key::PageUp: Step(scroll_.largeChange); return true;
    case key::PageDown: Step(-scroll_.largeChange); return true;
    case key::Return: {
      if (shift != 0) return false;
      const double before = value_;
      CheckRange(props_.showWarn);
      if (value_ != before && onChange) onChange();
      return true;
    }
    default: return false;
  }
}

bool SpinButtonModel::AcceptsCharacter(char c) const {
  if (!props_.enabled) return false;
  if (c == '-') return props_.allowMinus;
  if (props_.numOnly) return c >= '0' && c <= '9';
  return true;
}

}  // namespace tlx
