#include "controls/BusyBoxes.h"

#include "common/Numbers.h"

#include <algorithm>
#include <cmath>

namespace tlx {

void ProgressModel::SetValue(double percent) {
  value_ = std::isnan(percent) ? 0 : std::clamp(percent, 0.0, 100.0);
}

std::string ProgressModel::PercentText() const { return FormatFixed(value_, 0) + "%"; }

double ProgressModel::FillWidth(double outlineWidth) const {
  const double inner = std::max(outlineWidth - 2, 0.0);
  return std::min(inner * value_ / 100, inner);
}

DelayBoxLayout ComputeDelayBoxLayout(int labelWidth, int labelHeight, int menuBarHeight,
                                     int buttonWidth, int buttonHeight, bool showOK) {
  DelayBoxLayout layout;
  layout.width = std::max(static_cast<int>(std::lround(1.5 * labelWidth)), 3000);
  layout.height = labelHeight + menuBarHeight + 500 + (showOK ? buttonHeight : 0);
  layout.height = std::max(layout.height, 1500);
  layout.labelLeft = (layout.width - labelWidth) / 2;
  layout.buttonLeft = (layout.width - buttonWidth) / 2;
  // The client area (height less the title bar) holds 200 above the label, 100 between label
  // and button and 200 below.
  layout.labelTop = 200;
  layout.buttonTop = layout.labelTop + labelHeight + 100;
  return layout;
}

void DelayBoxModel::ShowDisp(const std::string& text, bool showOK, double seconds,
                             std::int64_t nowMs) {
  showOK_ = showOK;
  message_ = text;
  visible_ = true;
  if (seconds > 0 && std::isfinite(seconds)) {
    intervalMs_ = static_cast<std::int64_t>(std::llround(std::min(seconds, 2.0e6) * 1000));
    closeAtMs_ = nowMs + intervalMs_;
  } else {
    intervalMs_ = 0;
    closeAtMs_ = -1;
  }
}

bool DelayBoxModel::Tick(std::int64_t nowMs) {
  if (!visible_ || closeAtMs_ < 0 || nowMs < closeAtMs_) return false;
  Unload();
  return true;
}

int DelayBoxPool::ShowDelayMessage(const std::string& text, bool showOK, double seconds,
                                   std::int64_t nowMs) {
  for (int i = 0; i < kSize; ++i) {
    if (!boxes_[i].Visible()) {
      boxes_[i].ShowDisp(text, showOK, seconds, nowMs);
      return i;
    }
  }
  return -1;
}

void DelayBoxPool::HideDelayMessages() {
  for (DelayBoxModel& box : boxes_) box.Unload();
}

bool DelayBoxPool::Tick(std::int64_t nowMs) {
  bool any = false;
  for (DelayBoxModel& box : boxes_) any = box.Tick(nowMs) || any;
  return any;
}

int DelayBoxPool::VisibleCount() const {
  return static_cast<int>(
      std::count_if(boxes_.begin(), boxes_.end(), [](const DelayBoxModel& b) { return b.Visible(); }));
}

}  // namespace tlx
