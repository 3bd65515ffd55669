#include "setup/SetupFile.h"

#include "common/AtomicFile.h"
#include "common/FileChecks.h"
#include "common/Numbers.h"
#include "common/Paths.h"
#include "common/SettingsLine.h"
#include "common/Texts.h"
#include "setup/ParameterTable.h"
#include "setup/Units.h"

#include <array>
#include <string_view>

namespace tlx {

namespace {

using Setter = void (*)(std::string_view line, ExperimentParameters& record);

struct SetupKey {
  const char* pattern;
  Setter store;
};

// One entry per key: the pattern a line must match and how its value is stored.
const std::array<SetupKey, 12> kSetupKeys = {{
    {"Save Data = %s", [](std::string_view l, ExperimentParameters& r) {
       r.SaveData = IsTrueText(LineValue(l));
     }},
    {"Data File = %s", [](std::string_view l, ExperimentParameters& r) {
       r.DataFile = LineValueKeepCase(l);
     }},
    {"Session Length = %s", [](std::string_view l, ExperimentParameters& r) {
       r.SessionLength = TextToLong(LineValue(l));
     }},
    {"Number of Sessions = %s", [](std::string_view l, ExperimentParameters& r) {
       r.NumberOfSessions = TextToLong(LineValue(l));
     }},
    {"Initial Delay = %s", [](std::string_view l, ExperimentParameters& r) {
       r.InitialDelay = TextToLong(LineValue(l));
     }},
    {"Maximum Distance = %s", [](std::string_view l, ExperimentParameters& r) {
       r.MaximumDistance = TextToSingle(LineValue(l));
     }},
    {"Ambulatory Threshold = %s", [](std::string_view l, ExperimentParameters& r) {
       r.AmbulatoryThreshold = TextToSingle(LineValue(l));
     }},
    {"Stereotypic Threshold = %s", [](std::string_view l, ExperimentParameters& r) {
       r.StereotypicThreshold = TextToSingle(LineValue(l));
     }},
    {"Calibrate Scale = %s", [](std::string_view l, ExperimentParameters& r) {
       r.CalibrateScale = TextToSingle(LineValue(l));
     }},
    {"Calibrate Reference = %s", [](std::string_view l, ExperimentParameters& r) {
       r.CalibrateReference = TextToSingle(LineValue(l));
     }},
    {"Measurement Units = %s", [](std::string_view l, ExperimentParameters& r) {
       r.MeasurementUnits = UnitCodeFromName(LineValue(l));
     }},
    {"Sample Rate = %s", [](std::string_view l, ExperimentParameters& r) {
       r.SampleRate = TextToInteger(LineValue(l));
     }},
}};

void ParseSetupText(std::string_view text, ExperimentParameters& record) {
  static const LinePatterns patterns = [] {
    std::array<std::string_view, kSetupKeys.size()> all;
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = kSetupKeys[i].pattern;
    return LinePatterns(all);
  }();
  // No two keys' patterns match the same line, so the first match is the only one.
  ForEachLine(text, [&record](std::string_view line) {
    const std::size_t key = patterns.Match(line);
    if (key < kSetupKeys.size()) kSetupKeys[key].store(line, record);
  });
}

std::uint16_t WordAt(std::string_view bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[offset]) |
                                    (static_cast<unsigned char>(bytes[offset + 1]) << 8));
}

bool HasBinaryTag(std::string_view bytes) {
  return bytes.size() >= 2 && WordAt(bytes, 0) == kBinarySetupTag;
}

// A fixed 34-byte text field: cut at its first NUL and trimmed.
std::string FixedText(std::string_view bytes, std::size_t offset) {
  return Trim(TrimAtNul(bytes.substr(offset, 34)));
}

// The binary form: tag, ten unsigned 16-bit parameters, flag byte, data file, map file, unused.
bool ParseBinarySetup(std::string_view bytes, ExperimentParameters& record) {
  if (bytes.size() < kBinarySetupSize) return false;
  std::array<std::int32_t, 10> block{};
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = WordAt(bytes, 2 + 2 * i);

  ExperimentParameters loaded = record;
  loaded.SessionLength = block[0] * 5;
  loaded.NumberOfSessions = block[1];
  loaded.InitialDelay = block[2] * 5;
  loaded.MaximumDistance = static_cast<float>(block[3]);
  loaded.AmbulatoryThreshold = static_cast<float>(block[4]);
  loaded.StereotypicThreshold = static_cast<float>(block[5]);
  loaded.MeasurementUnits = block[6] + 1;
  loaded.CalibrateScale = static_cast<float>(block[7]);
  loaded.CalibrateReference = static_cast<float>(block[8]);
  loaded.SampleRate = CodeToRate(block[9]);
  loaded.MapFlag = bytes[22] != 0;
  loaded.DataFile = FixedText(bytes, 23);
  loaded.SaveData = CanCreateFile(loaded.DataFile);
  loaded.MapFile = FixedText(bytes, 23 + 34);
  record = loaded;
  return true;
}

bool ReadSetupBytes(const std::string& path, std::string& bytes) {
  return FileExists(path) && ReadWholeFile(path, bytes, kMaxSetupFileBytes);
}

}  // namespace

std::string DefaultSetupPath(const std::string& programHome) {
  return JoinPath(programHome, kDefaultSetupName);
}

bool LoadParameters(const std::string& path, ExperimentParameters& record) {
  std::string bytes;
  return ReadSetupBytes(path, bytes) && LoadParametersFromBytes(bytes, record);
}

bool LoadParametersFromBytes(std::string_view bytes, ExperimentParameters& record) {
  if (HasBinaryTag(bytes)) return ParseBinarySetup(bytes, record);
  ParseSetupText(bytes, record);
  return true;
}

std::string SetupFileText(const ExperimentParameters& r) {
  // A code that names no unit is shown as the first entry of the units list, so it is stored
  // as that unit rather than as an empty name (which would read back as "User defined").
  const std::int32_t unit = UnitName(r.MeasurementUnits).empty() ? 1 : r.MeasurementUnits;
  std::string text;
  text.reserve(512 + r.DataFile.size());
  auto line = [&text](const char* key, const std::string& value) {
    text.append(key).append(" = ").append(value).append("\r\n");
  };
  line("Save Data", r.SaveData ? "True" : "False");
  // A name holding a line break cannot be one line; written, it would add lines of its own.
  const bool oneLineName = r.DataFile.find_first_of("\r\n") == std::string::npos;
  line("Data File", Quote(oneLineName ? r.DataFile : std::string()));
  line("Session Length", std::to_string(r.SessionLength));
  line("Number of Sessions", std::to_string(r.NumberOfSessions));
  line("Initial Delay", std::to_string(r.InitialDelay));
  line("Maximum Distance", ShortestSingleText(r.MaximumDistance));
  line("Ambulatory Threshold", ShortestSingleText(r.AmbulatoryThreshold));
  line("Stereotypic Threshold", ShortestSingleText(r.StereotypicThreshold));
  line("Calibrate Scale", ShortestSingleText(r.CalibrateScale));
  line("Calibrate Reference", ShortestSingleText(r.CalibrateReference));
  line("Measurement Units", Quote(UnitName(unit)));
  line("Sample Rate", std::to_string(r.SampleRate));
  return text;
}

bool WriteSetupFile(const std::string& path, const ExperimentParameters& record) {
  if (path.empty()) return false;
  return WriteFileAtomically(path, SetupFileText(record));
}

void SanitiseParameters(ExperimentParameters& r) {
  // A name holding a line break could not be written back as one line of a setup file. A name in
  // a folder that cannot be reached just now (a drive not mounted) is kept: the run's start
  // names it and the reason rather than recording nothing.
  if (r.DataFile.find_first_of("\r\n") != std::string::npos) r.DataFile.clear();
  const auto whole = [](Parameter p, double v) { return static_cast<std::int32_t>(CorrectedRunValue(p, v)); };
  const auto single = [](Parameter p, double v) { return static_cast<float>(CorrectedRunValue(p, v)); };
  r.SessionLength = whole(Parameter::SessionLength, r.SessionLength);
  r.NumberOfSessions = whole(Parameter::NumberOfSessions, r.NumberOfSessions);
  r.InitialDelay = whole(Parameter::InitialDelay, r.InitialDelay);
  r.MaximumDistance = single(Parameter::MaximumDistance, r.MaximumDistance);
  r.AmbulatoryThreshold = single(Parameter::AmbulatoryThreshold, r.AmbulatoryThreshold);
  r.StereotypicThreshold = single(Parameter::StereotypicThreshold, r.StereotypicThreshold);
  r.CalibrateScale = single(Parameter::CalibrateScale, r.CalibrateScale);
  r.CalibrateReference = single(Parameter::CalibrateReference, r.CalibrateReference);
  r.SampleRate = static_cast<std::int16_t>(whole(Parameter::SampleRate, r.SampleRate));
  r.UnitsPerPixel = UnitsPerPixel(r.CalibrateScale, r.CalibrateReference);
}

void NormaliseSampleRate(ExperimentParameters& r, int videoType) {
  // SECAM pictures run at 25 frames per second like PAL.
  const bool fiftyHertz = videoType == kVideoPal || videoType == kVideoSecam;
  if (r.SampleRate < 2) {
    r.SampleRate = 1;
  } else if (r.SampleRate <= 5) {
    r.SampleRate = 5;
  } else {
    r.SampleRate = fiftyHertz ? 25 : 30;
  }
}

}  // namespace tlx
