// The progress box shown while a long operation runs, and the pool of self-closing delay message
// boxes. These models hold the texts, the percentage, the sizes and the closing times; the
// windows only show them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tlx {

class ProgressModel {
 public:
  // The caption label reads "<caption> ... Please Wait".
  void SetMessage(const std::string& caption) { caption_ = caption + " ... Please Wait"; }
  const std::string& CaptionText() const { return caption_; }
  // Limited to 0..100 (a value that is not a number counts as 0).
  void SetValue(double percent);
  double Value() const { return value_; }
  // The whole-number percentage followed by "%".
  std::string PercentText() const;
  // Width of the fill inside an outline of the given width (both in the same units).
  double FillWidth(double outlineWidth) const;

 private:
  std::string caption_;
  double value_ = 0;
};

// Sizes in twips (1/1440 inch); the window converts them to its own units.
struct DelayBoxLayout {
  int width = 0;
  int height = 0;
  int labelLeft = 0;
  int labelTop = 0;
  int buttonLeft = 0;
  int buttonTop = 0;
};

DelayBoxLayout ComputeDelayBoxLayout(int labelWidth, int labelHeight, int menuBarHeight,
                                     int buttonWidth, int buttonHeight, bool showOK);

class DelayBoxModel {
 public:
  // Shows a message; with seconds above 0 the box closes itself that long after nowMs.
  void ShowDisp(const std::string& text, bool showOK, double seconds, std::int64_t nowMs);
  void Unload() { visible_ = false; closeAtMs_ = -1; }
  // Closes the box when its time has come. True when it closed now.
  bool Tick(std::int64_t nowMs);

  bool Visible() const { return visible_; }
  bool ShowOK() const { return showOK_; }
  const std::string& Message() const { return message_; }
  // Milliseconds of the closing timer, 0 when the box waits to be dismissed.
  std::int64_t TimerIntervalMs() const { return intervalMs_; }

 private:
  bool visible_ = false;
  bool showOK_ = false;
  std::string message_;
  std::int64_t intervalMs_ = 0;
  std::int64_t closeAtMs_ = -1;
};

class DelayBoxPool {
 public:
  static constexpr int kSize = 11;

  // Shows the text in the first box that is not visible. Its index, or -1 when all are in use.
  int ShowDelayMessage(const std::string& text, bool showOK, double seconds, std::int64_t nowMs);
  void HideDelayMessages();
  // Closes the boxes whose time has come; true when any closed.
  bool Tick(std::int64_t nowMs);
  int VisibleCount() const;

  DelayBoxModel& Box(int index) { return boxes_.at(static_cast<std::size_t>(index)); }
  const DelayBoxModel& Box(int index) const { return boxes_.at(static_cast<std::size_t>(index)); }

 private:
  std::array<DelayBoxModel, kSize> boxes_;
};

}  // namespace tlx
