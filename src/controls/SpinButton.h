// The spin button: a text box with a vertical scroll bar that steps a value between limits in
// units of the last shown decimal place. Typed values follow the range box's rules.
#pragma once

#include "common/UserAnswers.h"

#include <functional>
#include <string>

namespace tlx {

struct SpinButtonProperties {
  double increment = 1;
  double min = 0;
  double max = 0;
  int places = 0;
  bool time = false;
  float fontSize = 10;
  std::string fontName = "Arial";
  bool fontBold = false;
  bool fontItalic = false;
  bool numOnly = false;
  bool allowMinus = false;
  std::string varName;
  bool enabled = true;
  bool showWarn = false;  // not stored: callers turn the range message on
};

// How the scroll bar is laid out for the current limits.
struct SpinScrollSetup {
  double step = 1;      // value per position
  int positions = 0;    // the bar spans positions + 1 places
  int largeChange = 1;  // positions per page
};

SpinScrollSetup ComputeSpinScroll(const SpinButtonProperties& props);

class SpinButtonModel {
 public:
  explicit SpinButtonModel(UserAnswers& answers) : answers_(answers) { Refresh(); }

  std::function<void()> onChange;
  // The scroll bar must be laid out again (limits, step or places changed).
  std::function<void()> onScrollSetup;

  const SpinButtonProperties& Props() const { return props_; }
  void SetProperties(const SpinButtonProperties& props);
  void SetMin(double v) { props_.min = v; Refresh(); }
  void SetMax(double v) { props_.max = v; Refresh(); }
  void SetPlaces(int v) { props_.places = v; Refresh(); }

  const SpinScrollSetup& Scroll() const { return scroll_; }
  int Position() const { return position_; }
  double Value() const { return value_; }
  const std::string& Text() const { return text_; }

  // Puts the value inside the limits and shows it; the bar follows (no change event).
  void SetValue(double value);
  // Lays the scroll bar out again and redisplays.
  void Refresh();
  void Display();
  // The bar moved to a position: value = Min + position x step.
  void ScrollTo(int position);
  // Up or down by a number of positions (the arrows move one). Raises the change event.
  void Step(int positions);

  void SetEditText(std::string text) { text_ = std::move(text); }
  // Reads the typed text like a range box does; false when it was outside the limits.
  bool CheckRange(bool showWarn);
  // The value the typed text stands for (number test and arithmetic, or a duration).
  double ToFloat() const;
  // True when the key was handled and the text box must do nothing more.
  bool KeyDown(int keyCode, int shift);
  bool AcceptsCharacter(char c) const;

 private:
  double Low() const;
  double High() const;
  std::string FormatValue(double value) const;
  int PositionOf(double value) const;

  UserAnswers& answers_;
  SpinButtonProperties props_;
  SpinScrollSetup scroll_;
  int position_ = 0;
  double value_ = 0;
  std::string text_;
};

}  // namespace tlx
