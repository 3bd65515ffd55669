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
  line += DelimitedField(value, delimiter);
  line += "\r\n";
  return line;
}

}  // namespace

std::string DelimitedField(std::string_view text, char delimiter) {
  const char special[] = {delimiter, '"', '\r', '\n'};
  if (text.find_first_of(std::string_view(special, sizeof special)) == std::string_view::npos) return std::string(text);
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string ZoneField(int zone, char delimiter) {
  if (zone < 0) return "ALL";
  return DelimitedField(std::string(1, static_cast<char>(zone + 32)), delimiter);
}

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

std::vector<std::string> AnalysisParameterLines(const AnalysisParameters& p) {
  const auto pixels = [](float value) { return std::to_string(WorkingThreshold(value)); };
  const std::string unit = UnitName(p.UnitsCode);
  const UnitsPerPixelValue perPixel = UnitsPerPixel(p.CalibrateScale, p.CalibrateReference);
  return {
      "Thresholds used : maximum distance " + pixels(p.MaximumDistance) + ", ambulatory " +
          pixels(p.AmbulatoryThreshold) + ", stereotypic " + pixels(p.StereotypicThreshold) + " pixels",
      "Calibration : " + ShortestSingleText(p.CalibrateScale) + " pixels = " +
          ShortestSingleText(p.CalibrateReference) + " " + unit +
          (perPixel.Valid ? " (" + ShortestSingleText(perPixel.Value) + " " + unit + " per pixel)" : std::string()),
      "Sample rate : " + std::to_string(p.SampleRate) + " samples per second",
      "Zone map : " + (p.MapFile.empty() ? std::string("the built-in four quadrants") : p.MapFile),
  };
}

ResultsWriter::ResultsWriter(const AnalysisParameters& params, const ZoneMap& map,
                             char decimalSeparator, const ResultsSink& sink)
    : sink_(sink),
      zoneList_(BuildZoneList(map)),
      decimal_(decimalSeparator),
      delimiter_(DelimiterFor(decimalSeparator)),
      reference_(0),
      scale_(0) {
  CalibrationInUse(params.CalibrateScale, params.CalibrateReference, scale_, reference_);
}

void ResultsWriter::Write(std::string_view text) {
  buffer_ += text;
  if (buffer_.size() >= kFlushBytes) Flush();
}

bool ResultsWriter::Flush() {
  if (!buffer_.empty() && !failed_) failed_ = !sink_(buffer_);
  buffer_.clear();
  return !failed_;
}

double CalibratedDistance(double pixels, double reference, double scale) {
  // Converted with the calibration as given; no scale means no distance.
  if (!(scale > 0) || !std::isfinite(reference)) return 0.0;
  return pixels * reference / scale;
}

void SessionFigures(const SessionResult& s, const std::vector<int>& zoneList, double reference,
                    double scale, std::vector<ResultsLineFigures>& lines) {
  lines.assign(1, ResultsLineFigures{});
  lines.front().Distance = CalibratedDistance(s.TotalDistance, reference, scale);
  ResultsLineFigures sums = lines.front();
  for (int z : zoneList) {
    const ZoneTally& t = s.Zones[static_cast<std::size_t>(z)];
    ResultsLineFigures line;
    line.Zone = z;
    line.Distance = CalibratedDistance(t.Distance, reference, scale);
    line.AmbulatorySeconds = t.AmbulatorySeconds;
    line.StereotypicSeconds = t.StereotypicSeconds;
    line.RestingSeconds = t.RestingSeconds;
    line.VisitSeconds = t.VisitSeconds;
    line.Visits = t.Visits;
    line.Latency = s.FirstEntry[static_cast<std::size_t>(z)];
    sums.AmbulatorySeconds += t.AmbulatorySeconds;
    sums.StereotypicSeconds += t.StereotypicSeconds;
    sums.RestingSeconds += t.RestingSeconds;
    sums.VisitSeconds += t.VisitSeconds;
    lines.push_back(line);
  }
  lines.front() = sums;
}

void ResultsWriter::WriteSession(const SessionResult& s) {
  SessionFigures(s, zoneList_, reference_, scale_, lines_);
  const std::string number = Number(s.Number);
  const char d = delimiter_;
  std::string text;
  text.reserve(64 * lines_.size());
  for (const ResultsLineFigures& f : lines_) {
    text += number + d + ZoneField(f.Zone, d) +
            d + FormatFixed(f.Distance, 1, decimal_) + d + Number(f.AmbulatorySeconds) + d +
            Number(f.StereotypicSeconds) + d + Number(f.RestingSeconds) + d + Number(f.VisitSeconds) + d +
            (f.Visits < 0 ? std::string("N/A") : Number(f.Visits)) + d +
            (f.Latency < 0 ? std::string("N/A") : FormatFixed(f.Latency, 1, decimal_)) + "\r\n";
  }
  Write(text);
}

}  // namespace tlx
