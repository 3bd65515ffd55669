// The text of a results file: six header lines, then per session one "ALL" line and one line per
// listed zone, fields joined by "," (or ";" when the decimal separator is ","), lines ended by CR LF.
#pragma once

#include "data/Analysis.h"

#include <string>
#include <vector>

namespace tlx {

inline constexpr const char* kResultsColumns[] = {"Sess.#", "Zone",   "Dist",   "Amb.T",  "Ster.T",
                                                  "Rest.T", "Vist.T", "#.Vist", "Latency"};

// "," unless the decimal separator is ",", then ";".
char DelimiterFor(char decimalSeparator);
// The decimal separator of the current LC_NUMERIC locale ('.' when it has none).
char LocaleDecimalSeparator();
// The print style of numbers: " 57 ", "-3 " (a blank or "-", the shortest form, one blank after).
std::string PrintStyleNumber(double value);

// A field of a delimited results or export line: as it is, or between double quotes (quotes
// doubled, RFC 4180) when it holds the delimiter, a quote or a line break. Only zone characters
// "," ";" '"' and names holding them are ever quoted, so the files of other maps do not change.
std::string DelimitedField(std::string_view text, char delimiter);
// The Zone field of a results line: "ALL" for code -1, else the zone's character, quoted when needed.
std::string ZoneField(int zone, char delimiter);

// The six header lines (CR LF after each).
std::string ResultsHeaderText(const AnalysisParameters& params, const AnalysisContext& context,
                              char decimalSeparator);

// The parameters an analysis used, as lines a report or a panel shows beside its results: the
// thresholds as the whole pixels compared with, the calibration, the sample rate and the map
// ("Thresholds used : ...", "Calibration : ...", "Sample rate : ...", "Zone map : ...").
std::vector<std::string> AnalysisParameterLines(const AnalysisParameters& params);

// The figures of one results line: the session's "ALL" line or one listed zone's line.
struct ResultsLineFigures {
  int Zone = -1;  // zone code; -1 for "ALL"
  double Distance = 0;  // in the measurement unit; 0 without a usable calibration
  std::int64_t AmbulatorySeconds = 0;
  std::int64_t StereotypicSeconds = 0;
  std::int64_t RestingSeconds = 0;
  std::int64_t VisitSeconds = 0;
  std::int64_t Visits = -1;  // -1: "N/A"
  double Latency = -1;  // seconds; -1: "N/A"
};

// A pixel distance in the measurement unit: pixels x reference / scale; 0 when the scale is not
// above 0. Callers pass the pair of CalibrationInUse.
double CalibratedDistance(double pixels, double reference, double scale);
// The lines of one session in results order: "ALL" (sums over the listed zones), then each zone
// of the list. `lines` is reused.
void SessionFigures(const SessionResult& session, const std::vector<int>& zoneList, double reference,
                    double scale, std::vector<ResultsLineFigures>& lines);

// Formats sessions into results lines and hands them to a sink in large pieces.
class ResultsWriter {
 public:
  ResultsWriter(const AnalysisParameters& params, const ZoneMap& map, char decimalSeparator,
                const ResultsSink& sink);
  void Write(std::string_view text);
  void WriteSession(const SessionResult& session);
  // Hands over what is buffered; false once the sink has refused anything.
  bool Flush();

 private:
  std::string Number(std::int64_t value) const { return PrintStyleNumber(static_cast<double>(value)); }

  const ResultsSink& sink_;
  std::vector<int> zoneList_;
  char decimal_;
  char delimiter_;
  double reference_;
  double scale_;
  std::string buffer_;
  std::vector<ResultsLineFigures> lines_;
  bool failed_ = false;
};

}  // namespace tlx
