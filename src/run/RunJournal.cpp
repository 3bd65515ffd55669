#include "run/RunJournal.h"

#include "common/AtomicFile.h"
#include "common/Paths.h"
#include "data/DataFile.h"
#include "setup/ParameterRules.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string_view>

namespace tlx {
namespace {

constexpr std::size_t kMaxJournalBytes = 64 * 1024;
constexpr const char* kJournalPrefix = "RUN-";
constexpr const char* kJournalSuffix = ".JOURNAL";

std::string Hex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    out.push_back(kDigits[c >> 4]);
    out.push_back(kDigits[c & 15]);
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool Unhex(std::string_view hex, std::string& out) {
  if (hex.size() % 2 != 0) return false;
  out.clear();
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int hi = HexDigit(hex[i]), lo = HexDigit(hex[i + 1]);
    if (hi < 0 || lo < 0) return false;
    out.push_back(static_cast<char>(hi * 16 + lo));
  }
  return true;
}

template <typename T>
bool ParseNumber(std::string_view text, T& value) {
  T v{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size()) return false;
  value = v;
  return true;
}

std::string FloatText(float v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(v));
  return buf;
}

std::map<std::string, std::string> ParseLines(std::string_view text) {
  std::map<std::string, std::string> values;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::size_t eq = line.find(" = ");
    if (eq != std::string_view::npos) values[std::string(line.substr(0, eq))] = line.substr(eq + 3);
    pos = end + 1;
  }
  return values;
}

}  // namespace

std::string RunJournalPath(const std::string& programHome, const std::string& dataFile) {
  const std::string raw = ChangeExtension(dataFile, "RAW");
  std::uint64_t hash = 1469598103934665603ull;  // FNV-1a: stable across runs and builds
  for (unsigned char c : raw) hash = (hash ^ c) * 1099511628211ull;
  std::string stem = FileNamePart(dataFile);
  if (const std::size_t dot = stem.rfind('.'); dot != std::string::npos) stem.resize(dot);
  std::string name;
  for (char c : stem) {
    if (name.size() >= 40) break;
    const bool plain = std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-';
    name.push_back(plain ? c : '_');
  }
  char tail[24];
  std::snprintf(tail, sizeof tail, "-%016llx", static_cast<unsigned long long>(hash));
  return JoinPath(programHome, kJournalPrefix + name + tail + kJournalSuffix);
}

std::vector<std::string> FindRunJournals(const std::string& programHome) {
  std::vector<std::string> found;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(programHome, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    const bool perRecording = name.size() > std::strlen(kJournalPrefix) + std::strlen(kJournalSuffix) &&
                              name.rfind(kJournalPrefix, 0) == 0 &&
                              name.ends_with(kJournalSuffix);
    if (perRecording || name == kRunJournalName) found.push_back(it->path().string());
  }
  std::sort(found.begin(), found.end());
  return found;
}

std::string DateTimeText(const LocalDateTime& t) { return FormatIsoTime(t); }

bool ParseDateTimeText(const std::string& text, LocalDateTime& t) {
  LocalDateTime v;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &v.year, &v.month, &v.day, &v.hour,
                  &v.minute, &v.second, &tail) != 6)
    return false;
  using namespace std::chrono;
  const year_month_day ymd{year{v.year}, month{static_cast<unsigned>(v.month)},
                           day{static_cast<unsigned>(v.day)}};
  if (v.year < 1900 || !ymd.ok() || v.hour > 23 || v.minute > 59 || v.second > 59 ||
      v.hour < 0 || v.minute < 0 || v.second < 0)
    return false;
  t = v;
  return true;
}

bool WriteRunJournal(const std::string& path, const RunJournal& j) {
  // A path holding a line break cannot be written as one line; refuse rather than mislead.
  if (j.DataFile.find_first_of("\r\n") != std::string::npos) return false;
  const ExperimentParameters& p = j.Parameters;
  std::string text;
  auto line = [&text](const char* key, const std::string& value) {
    text += key;
    text += " = ";
    text += value;
    text += "\r\n";
  };
  line("Data File", j.DataFile);
  line("Start Time", DateTimeText(j.StartTime));
  line("Start Millisecond", std::to_string(j.StartTime.millisecond));
  line("Session Length", std::to_string(p.SessionLength));
  line("Number of Sessions", std::to_string(p.NumberOfSessions));
  line("Initial Delay", std::to_string(p.InitialDelay));
  line("Maximum Distance", FloatText(p.MaximumDistance));
  line("Ambulatory Threshold", FloatText(p.AmbulatoryThreshold));
  line("Stereotypic Threshold", FloatText(p.StereotypicThreshold));
  line("Measurement Units", std::to_string(p.MeasurementUnits));
  line("Calibrate Scale", FloatText(p.CalibrateScale));
  line("Calibrate Reference", FloatText(p.CalibrateReference));
  line("Sample Rate", std::to_string(p.SampleRate));
  line("Video Type", std::to_string(j.VideoType));
  line("Delay Type", std::to_string(j.DelayType));
  line("Zone Map", Hex(j.Map.Text()));
  return WriteFileAtomically(path, text);
}

bool ReadRunJournal(const std::string& path, RunJournal& journal) {
  std::string text;
  if (!ReadWholeFile(path, text, kMaxJournalBytes)) return false;
  return ParseRunJournal(text, journal);
}

bool ParseRunJournal(std::string_view text, RunJournal& journal) {
  if (text.size() > kMaxJournalBytes) return false;
  auto values = ParseLines(text);
  RunJournal j;
  j.DataFile = values["Data File"];
  if (j.DataFile.empty() || !ParseDateTimeText(values["Start Time"], j.StartTime)) return false;
  // Journals of earlier versions hold whole seconds only.
  if (!ParseNumber(values["Start Millisecond"], j.StartTime.millisecond) ||
      j.StartTime.millisecond < 0 || j.StartTime.millisecond > 999)
    j.StartTime.millisecond = 0;
  ExperimentParameters& p = j.Parameters;
  p.DataFile = j.DataFile;
  p.SaveData = true;
  // The recording's parameters and map must all be there and possible. A journal cut short or
  // damaged is kept, and its raw file recovered by hand with a setup file: recovered with guessed
  // values (a session length of 0, the built-in map) it would describe another run.
  const bool complete =
      ParseNumber(values["Session Length"], p.SessionLength) &&
      ParseNumber(values["Number of Sessions"], p.NumberOfSessions) &&
      ParseNumber(values["Initial Delay"], p.InitialDelay) &&
      ParseNumber(values["Maximum Distance"], p.MaximumDistance) &&
      ParseNumber(values["Ambulatory Threshold"], p.AmbulatoryThreshold) &&
      ParseNumber(values["Stereotypic Threshold"], p.StereotypicThreshold) &&
      ParseNumber(values["Measurement Units"], p.MeasurementUnits) &&
      ParseNumber(values["Calibrate Scale"], p.CalibrateScale) &&
      ParseNumber(values["Calibrate Reference"], p.CalibrateReference) &&
      ParseNumber(values["Sample Rate"], p.SampleRate) &&
      ParseNumber(values["Video Type"], j.VideoType) &&
      ParseNumber(values["Delay Type"], j.DelayType);
  std::string map;
  if (!complete || !Unhex(values["Zone Map"], map) || map.size() != kMapCells ||
      !RecordingProblem(p).empty())
    return false;
  j.Map = ZoneMap::FromText(map);
  journal = std::move(j);
  return true;
}

bool RemoveRunJournal(const std::string& path) { return std::remove(path.c_str()) == 0; }

}  // namespace tlx
