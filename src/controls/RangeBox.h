// The range box: one text box that takes a number, a duration or a time of day within limits,
// with simple arithmetic, a time entry mask and the "Range Error" message. This is the control's
// whole behaviour; a widget only mirrors its text and forwards keys and focus changes.
#pragma once

#include "common/UserAnswers.h"
#include "controls/EntryText.h"

#include <functional>
#include <optional>
#include <string>

namespace tlx {

enum class RangeStyle { Number = 0, TimeOfDay = 1, WholeNumber = 2, Duration = 3 };

// The stored properties of a range box, with their defaults.
struct RangeBoxProperties {
  double min = 0;
  double max = 10;
  int places = 0;
  bool time = false;
  std::string varName;
  float fontSize = 10;
  std::string fontName = "Arial";
  bool fontBold = false;
  bool fontItalic = false;
  bool enabled = true;
  bool showWarn = false;
  bool highlight = false;
  bool hideHours = false;
  RangeStyle style = RangeStyle::Number;
  bool indefinite = false;
  int increment = 0;
  bool numOnly = false;
  int maxLength = 0;  // 0: no limit
};

// The limits of a range message, already written in the entry's style.
struct RangeLimits {
  std::string lower;
  std::string upper;
};

// The "Range Error" message. `minutesSeconds` is the minutes-and-seconds form (limits cut to
// their last five characters, exclamation icon).
MessageRequest RangeMessage(const std::string& varName, const RangeLimits& limits,
                            bool acceptsIndefinite, bool minutesSeconds);

// Twelve-hour clock text "HH:MM:SS AM"; a negative value gives "Immediate".
std::string RangeClockText(double seconds);

class RangeBoxModel {
 public:
  explicit RangeBoxModel(UserAnswers& answers) : answers_(answers) { Display(); }

  std::function<void()> onChange;
  std::function<void()> onEnter;
  std::function<void(int keyCode, int shift)> onKeyDown;
  std::function<void()> onSelectAll;  // the whole text is to be selected
  std::function<void()> onDisplay;    // the text was rewritten from the value

  const RangeBoxProperties& Props() const { return props_; }
  // Changes properties and redisplays the value under them.
  void SetProperties(const RangeBoxProperties& props);
  void SetMin(double v) { props_.min = v; SetValue(value_); }
  void SetMax(double v) { props_.max = v; SetValue(value_); }
  void SetPlaces(int places) { props_.places = places; Display(); }
  void SetStyle(RangeStyle style) { props_.style = style; SetValue(value_); }
  void SetShowWarn(bool on) { props_.showWarn = on; }

  double Value() const { return value_; }
  // Assigns the value under the rules of the style, then redisplays (no change event).
  void SetValue(double value);
  // Shows the value in the current style.
  void Display();

  const std::string& Text() const { return text_; }
  int Caret() const { return caret_; }
  // What the user's text box holds now (typed text and caret).
  void SetEditState(std::string text, int caret, int selLength = 0);

  // Reads the typed text, stores the value and rewrites the text. False when the text was
  // outside the limits; then the box keeps its previous value and the range message is shown
  // when showWarn is true.
  bool CheckRange(bool showWarn);
  // The typed text read as CheckRange reads a number (decimal comma, arithmetic, rounded to the
  // places shown) but not limited and without a message; none when the text is not a number.
  std::optional<double> TypedNumber() const;

  // A key went down. True when the control handled it and the text box must do nothing more.
  bool KeyDown(int keyCode, int shift);
  // Whether the text box may insert this typed character.
  bool AcceptsCharacter(char c) const;
  void FocusIn();
  void FocusOut();

 private:
  bool ReadsAsTime() const;
  bool HasIndefinite() const;
  std::string FormatValue(double value) const;
  std::string LimitText(double limit) const;
  double ReadTyped(bool* readOk) const;
  void Warn();
  void TakeValue();

  UserAnswers& answers_;
  RangeBoxProperties props_;
  double value_ = 0;
  std::string text_;
  int caret_ = 0;
  int selLength_ = 0;
};

}  // namespace tlx
