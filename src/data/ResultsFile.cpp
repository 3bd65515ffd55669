#include "data/ResultsFile.h"

#include "common/Numbers.h"
#include "common/Paths.h"
#include "common/TimeText.h"
#include "data/DataFile.h"
#include "setup/Units.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>

namespace tlx {

namespace {

constexpr std::size_t kFlushBytes = std::size_t(1) << 20;

std::string HeaderLine(const char* caption, char delimiter, const std::string& value) {
  std::string line(caption);
  line += delimiter;
  line += value;
  line += "\r\n";
  return line;
}

}  // namespace

char DelimiterFor(char decimalSeparator) { return decimalSeparator == ',' ? ';' : ','; }

char LocaleDecimalSeparator() {
  const std::lconv* conv = std::localeconv();
  if (conv == nullptr || conv->decimal_point == nullptr || conv->decimal_point[0] == '\0') return '.';
  return conv->decimal_point[0];
}

std::string PrintStyleNumber(double value) {
  char buf[48];
  const double magnitude = std::fabs(value);
  const auto format = (std::isfinite(value) && magnitude < 1e15 && value == std::trunc(value))
                          ? std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::fixed, 0)
                          : std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::general, 15);
  std::string text = (value < 0) ? "-" : " ";
  text.append(buf, format.ptr);
  text += ' ';
  return text;
}

std::string ResultsHeaderText(const AnalysisParameters& params, const AnalysisContext& context,
                              char decimalSeparator) {
  const char d = DelimiterFor(decimalSeparator);
  std::string text;
  text += HeaderLine("Expr. Filename", d, FileNamePart(ChangeExtension(context.DataFilePath, "DAT")));
  text += HeaderLine("Map Filename", d, context.MapFileName);
  text += HeaderLine("Expr. start time", d, FormatStartTime(context.Start));
  text += HeaderLine("Session length", d, SecondsToDurationText(params.SessionLength));
  text += HeaderLine("Dist. are in", d, UnitName(params.UnitsCode));
  std::string columns;
  for (const char* caption : kResultsColumns) {
    if (!columns.empty()) columns += d;
    columns += caption;
  }
  text += columns + "\r\n";
  return text;
}

ResultsWriter::ResultsWriter(const AnalysisParameters& params, const ZoneMap& map,
                             char decimalSeparator, const ResultsSink& sink)
    : sink_(sink),
      zoneList_(BuildZoneList(map)),
      decimal_(decimalSeparator),
      delimiter_(DelimiterFor(decimalSeparator)),
      reference_(params.CalibrateReference),
      scale_(params.CalibrateScale) {}

void ResultsWriter::Write(std::string_view text) {
  buffer_ += text;
  if (buffer_.size() >= kFlushBytes) Flush();
}

bool ResultsWriter::Flush() {
  if (!buffer_.empty() && !failed_) failed_ = !sink_(buffer_);
  buffer_.clear();
  return !failed_;
}

std::string ResultsWriter::Distance(double pixels) const {
  // Converted with the calibration as given; no scale means no distance.
  if (!(scale_ > 0) || !std::isfinite(reference_)) return FormatFixed(0.0, 1, decimal_);
  return FormatFixed(pixels * reference_ / scale_, 1, decimal_);
}

void ResultsWriter::WriteSession(const SessionResult& s) {
  std::int64_t amb = 0, ster = 0, rest = 0, visit = 0;
  for (int z : zoneList_) {
    const ZoneTally& t = s.Zones[static_cast<std::size_t>(z)];
    amb += t.AmbulatorySeconds;
    ster += t.StereotypicSeconds;
    rest += t.RestingSeconds;
    visit += t.VisitSeconds;
  }
  const std::string number = Number(s.Number);
  const char d = delimiter_;
  std::string lines;
  lines.reserve(64 * (zoneList_.size() + 1));
  lines += number + d + "ALL" + d + Distance(s.TotalDistance) + d + Number(amb) + d + Number(ster) +
           d + Number(rest) + d + Number(visit) + d + "N/A" + d + "N/A\r\n";
  for (int z : zoneList_) {
    const ZoneTally& t = s.Zones[static_cast<std::size_t>(z)];
    const double first = s.FirstEntry[static_cast<std::size_t>(z)];
    lines += number + d + static_cast<char>(z + 32) + d + Distance(t.Distance) + d +
             Number(t.AmbulatorySeconds) + d + Number(t.StereotypicSeconds) + d +
             Number(t.RestingSeconds) + d + Number(t.VisitSeconds) + d + Number(t.Visits) + d +
             (first < 0 ? std::string("N/A") : FormatFixed(first, 1, decimal_)) + "\r\n";
  }
  Write(lines);
}

}  // namespace tlx
