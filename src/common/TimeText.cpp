// Time texts to seconds and back, elapsed time on the time of day, the shared pacing check and
// the high-resolution wait. Time texts are always written with ":" whatever the locale.
#include "common/TimeText.h"

#include "common/Numbers.h"
#include "common/Texts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tlx {

namespace {

constexpr double kDay = 86400.0;
constexpr double kHalfDay = 43200.0;
// The longest a high-resolution wait may last; such waits are meant for milliseconds.
constexpr double kLongestPreciseDelay = 60.0;

std::string TwoDigits(std::int64_t value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%02lld", static_cast<long long>(value));
  return buffer;
}

// One to two digits from `pos`; -1 when there is none.
int ReadSmallNumber(const std::string& text, std::size_t& pos) {
  int value = 0;
  std::size_t digits = 0;
  while (pos < text.size() && digits < 2 && text[pos] >= '0' && text[pos] <= '9') {
    value = value * 10 + (text[pos++] - '0');
    ++digits;
  }
  if (digits == 0 || (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')) return -1;
  return value;
}

// "H:MM", "H:MM:SS", "H AM", "H:MM PM", "H:MM:SS AM" (case already upper); -1 when the text is
// none of these or names no valid time of day.
std::int32_t ParseTimeOfDay(const std::string& text) {
  std::size_t pos = 0;
  const int hour = ReadSmallNumber(text, pos);
  int minute = 0;
  int second = 0;
  int colons = 0;
  while (pos < text.size() && text[pos] == ':' && colons < 2) {
    ++pos;
    const int field = ReadSmallNumber(text, pos);
    if (field < 0 || field > 59) return -1;
    (colons == 0 ? minute : second) = field;
    ++colons;
  }
  while (pos < text.size() && text[pos] == ' ') ++pos;
  int half = -1;  // 0 AM, 1 PM
  if (pos + 1 < text.size() && (text[pos] == 'A' || text[pos] == 'P') && text[pos + 1] == 'M') {
    half = text[pos] == 'P' ? 1 : 0;
    pos += 2;
  }
  while (pos < text.size() && text[pos] == ' ') ++pos;
  if (hour < 0 || pos != text.size()) return -1;
  if (half < 0) {
    if (colons == 0 || hour > 23) return -1;
    return hour * 3600 + minute * 60 + second;
  }
  if (hour < 1 || hour > 12) return -1;
  const int hour24 = (hour % 12) + (half == 1 ? 12 : 0);
  return hour24 * 3600 + minute * 60 + second;
}

}  // namespace

std::string SecondsToClockText(std::int64_t seconds, bool twelveHour) {
  if (seconds < 0) return {};
  std::int64_t s = seconds % 86400;
  const bool beforeNoon = s < 43200;
  if (twelveHour) {
    s %= 43200;
    if (s < 3600) s += 43200;  // the hours after midnight and after noon show as 12
  }
  std::string text = TwoDigits(s / 3600) + ":" + TwoDigits((s / 60) % 60) + ":" + TwoDigits(s % 60);
  if (twelveHour) text += beforeNoon ? " AM" : " PM";
  return text;
}

std::string SecondsToDurationText(std::int64_t seconds) {
  // Unsigned, so that the most negative count has a magnitude too.
  const std::uint64_t magnitude = seconds < 0 ? 0 - static_cast<std::uint64_t>(seconds)
                                              : static_cast<std::uint64_t>(seconds);
  const std::int64_t hours = seconds / 3600;
  std::string text = hours < 0 ? "-" + TwoDigits(-hours) : TwoDigits(hours);
  return text + ":" + TwoDigits(static_cast<std::int64_t>((magnitude / 60) % 60)) + ":" +
         TwoDigits(static_cast<std::int64_t>(magnitude % 60));
}

std::int32_t DurationTextToSeconds(std::string_view text) {
  const std::size_t first = text.find(':');
  const std::size_t second =
      first == std::string_view::npos ? first : text.find(':', first + 1);
  double hours = 0;
  double minutes = 0;
  double secs = 0;
  if (first == std::string_view::npos) {
    secs = LeadingNumber(text);
  } else if (second == std::string_view::npos) {
    minutes = LeadingNumber(text.substr(0, first));
    secs = LeadingNumber(text.substr(first + 1));
  } else {
    hours = LeadingNumber(text.substr(0, first));
    minutes = LeadingNumber(text.substr(first + 1, second - first - 1));
    secs = LeadingNumber(text.substr(second + 1));
  }
  double total = std::fabs(hours * 3600 + minutes * 60 + secs);
  if (std::isnan(total)) return -1;
  if (total > 2147383647.0) total = 2147383647.0;
  return static_cast<std::int32_t>(RoundHalfEven(total));
}

std::int32_t ClockTextToSeconds(std::string_view text) {
  const std::string upper = ToUpper(Trim(text));
  if (upper.find_first_of("AP:") == std::string::npos) {
    // A bare hour; a text without any number is refused rather than read as midnight.
    bool ok = false;
    const double n = RoundHalfEven(LeadingNumber(upper, &ok));
    if (!ok || !(n >= 0) || n > 2147483647.0) return -1;
    return static_cast<std::int32_t>(std::fmod(n, 24.0)) * 3600;
  }
  return ParseTimeOfDay(upper);
}

double TimeTextToSeconds(std::string_view text) {
  if (text.empty()) return 0;
  const std::string upper = ToUpper(text);
  const bool hasColon = upper.find(':') != std::string::npos;
  const bool hasDot = upper.find('.') != std::string::npos;
  const bool hasAmPm = upper.find("AM") != std::string::npos || upper.find("PM") != std::string::npos;
  if (!hasColon && !hasAmPm) return LocaleVal(text);

  double value = hasAmPm ? ClockTextToSeconds(text) : DurationTextToSeconds(text);
  if (value < 0) value = 0;
  if (hasColon && hasDot) {
    // A fraction of a second after the last field ('1:05.25'): whole seconds from the colon
    // form before the ".", plus the fraction.
    const std::size_t last = upper.find_last_of(":.");
    if (upper[last] == '.') {
      double whole = DurationTextToSeconds(text.substr(0, last));
      if (whole < 0) whole = 0;
      value = whole + LocaleVal(text.substr(last));
    }
  }
  return value;
}

double ElapsedSince(Clock& clock, double start) {
  double elapsed = clock.SecondsSinceMidnight() - start;
  if (elapsed < -kHalfDay) elapsed += kDay;
  return elapsed;
}

bool IntervalPacer::IntervalElapsed(Clock& clock, double interval) {
  const double now = clock.SecondsSinceMidnight();
  if (interval > 0) {
    // Time since the last True answer, across at most one midnight. A clock set back also
    // reads as a long time, so the pacing restarts instead of stalling until the clock has
    // caught up with the old stamp.
    double elapsed = now - stamp_;
    if (elapsed < 0) elapsed += kDay;
    if (!(elapsed > interval)) return false;
  }
  stamp_ = now;
  return true;
}

void PreciseDelay(Clock& clock, double seconds) {
  if (!(seconds > 0)) return;
  if (seconds > kLongestPreciseDelay) seconds = kLongestPreciseDelay;
  const double target = clock.PreciseSeconds() + seconds;
  for (double left = seconds; left > 0; left = target - clock.PreciseSeconds()) {
    clock.WaitQuietly(std::max<std::int64_t>(1, static_cast<std::int64_t>(left * 1e6)));
  }
}

}  // namespace tlx
