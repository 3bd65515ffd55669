// Settings-line tokens, pattern matching, number texts and time texts on arbitrary bytes; the
// checks below abort on any answer outside its documented range.
#include "common/Numbers.h"
#include "common/SettingsLine.h"
#include "common/Texts.h"
#include "common/TimeText.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void FuzzLine(std::string_view line, std::string_view pattern) {
  using namespace tlx;
  const auto tokens = TokenizeLine(line);
  (void)LineMatches(line, pattern);
  Check(LineMatches(line, line));
  const int n = tokens.empty() ? 1 : int(tokens.size());
  for (int i = 0; i <= n + 1 && i < 8; ++i) {
    (void)LineToken(line, true, i);
    (void)LineToken(line, false, i);
  }
  const std::string value = LineValue(line);
  const std::string kept = LineValueKeepCase(line);
  Check(ToUpper(kept) == value || value == kept);
  (void)IsSectionHeader(line);
  (void)SectionName(line);
  (void)CountFields(line, pattern);
  (void)FieldOf(line, 2, pattern);
  (void)LineOf(line, 2);
  (void)CountLines(line);
}

void FuzzNumbers(std::string_view text) {
  using namespace tlx;
  (void)TextToInteger(text);
  (void)TextToLong(text);
  const float single = TextToSingle(text);
  Check(std::isfinite(single));
  Check(static_cast<float>(LeadingNumber(ShortestSingleText(single))) == single);
  const double value = LocaleVal(text);
  (void)FormatFixed(value, int(text.size() % 4));
  const std::int32_t duration = DurationTextToSeconds(text);
  Check(duration >= -1 && duration <= 2147383647);
  const std::int32_t clock = ClockTextToSeconds(text);
  Check(clock >= -1 && clock < 86400);
  (void)TimeTextToSeconds(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find('\n');
  const std::string_view line = input.substr(0, split);
  const std::string_view pattern =
      split == std::string_view::npos ? std::string_view("Key = %s") : input.substr(split + 1);
  FuzzLine(line, pattern);
  FuzzLine(input, pattern);
  FuzzNumbers(input);
  FuzzNumbers(line);
  for (const std::string& each : tlx::SplitLines(input)) FuzzNumbers(each);
  return 0;
}
