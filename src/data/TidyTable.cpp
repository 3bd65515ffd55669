#include "data/TidyTable.h"

#include "buildinfo/BuildInfo.h"
#include "common/Numbers.h"
#include "common/Paths.h"
#include "common/Sha256.h"
#include "data/Analysis.h"
#include "data/TrackingQuality.h"
#include "setup/Units.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace tlx {

namespace {

enum Column : std::size_t { kFile, kPath, kStart, kSession, kSessionLength, kZone, kDistance,
                            kAmbulatory, kStereotypic, kResting, kVisitTime, kVisits, kLatency };

// Column names of the parameters the analysis used, after the figures, then where the figures
// come from: the program (version and build) and the data file's SHA-256. The thresholds are the
// whole pixels the analysis compared with, not the values asked for. The last four are texts.
constexpr const char* kParameterColumns[] = {"sample_rate_per_s",       "max_distance_px",
                                             "ambulatory_threshold_px", "stereotypic_threshold_px",
                                             "calibrate_scale_px",      "calibrate_reference",
                                             "units",                   "map_file",
                                             "program_version",         "data_sha256"};
constexpr std::size_t kFirstParameter = kLatency + 1;
constexpr std::size_t kFirstTextParameter = kFirstParameter + 6;
// The seconds the session's figures cover, then its tracking quality (lost = no object +
// impossible + missing).
constexpr const char* kQualityColumns[] = {"analysed_s",         "expected_samples",   "recorded_samples",
                                           "lost_samples",       "no_object_samples",  "impossible_samples",
                                           "missing_samples",    "longest_gap_s",      "artifacts"};
constexpr std::size_t kFirstQuality = kFirstParameter + std::size(kParameterColumns);
constexpr std::size_t kFirstUnitColumn = kFirstQuality + std::size(kQualityColumns);

// The length of the UTF-8 character starting at text[i], or 0 when the bytes there are not one.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char b = byte(i);
  if (b < 0x80) return 1;
  std::size_t n = 0;
  unsigned lowest = 0;  // smallest second byte allowed (no overlong forms, no surrogates)
  unsigned highest = 0xBF;
  if (b >= 0xC2 && b <= 0xDF) n = 2, lowest = 0x80;
  else if (b == 0xE0) n = 3, lowest = 0xA0;
  else if (b >= 0xE1 && b <= 0xEF) n = 3, lowest = 0x80, highest = (b == 0xED ? 0x9F : 0xBF);
  else if (b == 0xF0) n = 4, lowest = 0x90;
  else if (b >= 0xF1 && b <= 0xF3) n = 4, lowest = 0x80;
  else if (b == 0xF4) n = 4, lowest = 0x80, highest = 0x8F;
  else return 0;
  if (i + n > text.size() || byte(i + 1) < lowest || byte(i + 1) > highest) return 0;
  for (std::size_t k = 2; k < n; ++k) {
    if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
  }
  return n;
}

std::string Slug(std::string_view name) {
  std::string out;
  for (unsigned char c : name) {
    out += std::isalnum(c) ? static_cast<char>(std::tolower(c)) : '_';
  }
  return out;
}

std::string Whole(std::int64_t value) { return std::to_string(value); }

std::string Single(float value) { return std::isfinite(value) ? ShortestSingleText(value) : std::string(); }

}  // namespace

std::string DistanceColumn(const std::vector<std::int32_t>& unitsCodes) {
  for (std::int32_t code : unitsCodes) {
    if (code != unitsCodes.front()) return "distance";
  }
  return unitsCodes.empty() ? "distance" : "distance_" + Slug(UnitName(unitsCodes.front()));
}

std::vector<std::string> TidyColumns(const std::string& distanceColumn, const std::vector<std::int32_t>& perUnit) {
  std::vector<std::string> columns = {"file", "path", "start", "session", "session_length_s", "zone",
                                      distanceColumn, "ambulatory_time_s", "stereotypic_time_s",
                                      "resting_time_s", "visit_time_s", "visits", "latency_s"};
  columns.insert(columns.end(), std::begin(kParameterColumns), std::end(kParameterColumns));
  columns.insert(columns.end(), std::begin(kQualityColumns), std::end(kQualityColumns));
  for (std::int32_t code : perUnit) columns.push_back(DistanceColumn({code}));
  return columns;
}

std::string TidyHeader(TidyFormat format, const std::string& distanceColumn, const std::vector<std::int32_t>& perUnit) {
  if (format != TidyFormat::Csv) return {};
  std::string line;
  for (const std::string& name : TidyColumns(distanceColumn, perUnit)) {
    if (!line.empty()) line += ',';
    line += CsvField(name);
  }
  return line + "\r\n";
}

std::string ValidUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = Utf8Length(text, i);
    if (n == 0) {
      out += "\xEF\xBF\xBD";  // U+FFFD for a byte that starts no character
      ++i;
    } else {
      out.append(text.substr(i, n));
      i += n;
    }
  }
  return out;
}

std::string CsvField(std::string_view text) {
  const std::string valid = ValidUtf8(text);
  const bool quote = valid.find_first_of(",\"\r\n") != std::string::npos ||
                     (!valid.empty() && (valid.front() == ' ' || valid.back() == ' '));
  if (!quote) return valid;
  std::string out = "\"";
  for (char c : valid) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (char ch : ValidUtf8(text)) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

TidyRowWriter::TidyRowWriter(TidyFormat format, const PreparedAnalysis& r, const std::string& distanceColumn,
                             const std::vector<std::int32_t>& perUnit, const std::string* dataSha256)
    : format_(format),
      columns_(TidyColumns(distanceColumn, perUnit)),
      zoneList_(BuildZoneList(r.Context.Map)),
      params_(r.Params),
      promisedSamples_(PromisedSamples(r.Info)),
      reference_(0),
      scale_(0) {
  CalibrationInUse(r.Params.CalibrateScale, r.Params.CalibrateReference, scale_, reference_);
  std::string start = FormatIsoTime(r.Context.Start);
  start[10] = 'T';
  const AnalysisParameters& p = r.Params;
  const auto own = std::find(perUnit.begin(), perUnit.end(), p.UnitsCode);
  if (own != perUnit.end()) ownUnitColumn_ = kFirstUnitColumn + static_cast<std::size_t>(own - perUnit.begin());
  // The cells every row of this recording repeats are encoded once.
  prefix_ = Cells(kFile, {FileNamePart(r.Context.DataFilePath), r.Context.DataFilePath, start}, true);
  sessionLength_ = Cells(kSessionLength, {Whole(p.SessionLength)}, false);
  suffix_ = Cells(kFirstParameter,
                  {Whole(p.SampleRate), Whole(WorkingThreshold(p.MaximumDistance)),
                   Whole(WorkingThreshold(p.AmbulatoryThreshold)), Whole(WorkingThreshold(p.StereotypicThreshold)),
                   Single(p.CalibrateScale), Single(p.CalibrateReference)},
                  false) +
            Cells(kFirstTextParameter, {UnitName(p.UnitsCode), r.Context.MapFileName, VersionWithBuild()}, true);
  // The digest (hexadecimal digits, or the batch's stand-in for them) goes in as it is: it needs
  // no quoting, and the stand-in must not be made valid text.
  const std::string digest = dataSha256 != nullptr ? *dataSha256 : FileSha256Hex(r.Context.DataFilePath);
  const std::size_t digestColumn = kFirstTextParameter + 3;
  suffix_ += format_ == TidyFormat::Csv ? "," + digest : ", " + JsonString(columns_[digestColumn]) + ": \"" + digest + "\"";
}

std::string TidyRowWriter::Cells(std::size_t firstColumn, const std::vector<std::string>& values,
                                 bool text) const {
  std::string out;
  for (std::size_t k = 0; k < values.size(); ++k) {
    const std::size_t c = firstColumn + k;
    if (format_ == TidyFormat::Csv) {
      if (c > 0) out += ',';
      out += CsvField(values[k]);
    } else {
      out += (c > 0 ? ", " : "") + JsonString(columns_[c]) + ": ";
      out += text ? JsonString(values[k]) : (values[k].empty() ? std::string("null") : values[k]);
    }
  }
  return out;
}

void TidyRowWriter::AppendSession(const SessionResult& session, std::string& out) {
  SessionFigures(session, zoneList_, reference_, scale_, lines_);
  const std::string number = Cells(kSession, {Whole(session.Number)}, false);
  const TrackingQuality q = SessionQuality(session.Tracking, params_, promisedSamples_);
  const std::string quality =
      Cells(kFirstQuality,
            {Whole(q.AnalysedSeconds), Whole(q.Expected), Whole(q.Recorded), Whole(q.Lost()), Whole(q.NoObject),
             Whole(q.Impossible), Whole(q.Missing), FormatFixed(q.LongestGapSeconds(), 2), Whole(q.Artifacts)},
            false);
  // In a table of several units the plain column stays empty and the unit's own column holds it.
  const bool perUnit = ownUnitColumn_ > 0;
  std::vector<std::string> unitCells(perUnit ? columns_.size() - kFirstUnitColumn : 0);
  for (const ResultsLineFigures& f : lines_) {
    const std::string distance = FormatFixed(f.Distance, 1);
    out += format_ == TidyFormat::Csv ? "" : "{";
    out += prefix_;
    out += number;
    out += sessionLength_;
    out += Cells(kZone, {f.Zone < 0 ? std::string("ALL") : std::string(1, ZoneLetter(f.Zone))}, true);
    out += Cells(kDistance,
                 {perUnit ? std::string() : distance, Whole(f.AmbulatorySeconds), Whole(f.StereotypicSeconds),
                  Whole(f.RestingSeconds), Whole(f.VisitSeconds), f.Visits < 0 ? std::string() : Whole(f.Visits),
                  f.Latency < 0 ? std::string() : FormatFixed(f.Latency, 1)},
                 false);
    out += suffix_;
    out += quality;
    if (perUnit) {
      unitCells[ownUnitColumn_ - kFirstUnitColumn] = distance;
      out += Cells(kFirstUnitColumn, unitCells, false);
    }
    out += format_ == TidyFormat::Csv ? "\r\n" : "}\n";
  }
}

}  // namespace tlx
