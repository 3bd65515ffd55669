// The one record of an experiment's settings. Reading, writing, sanitising and normalising it
// live in SetupFile.h; this header only holds the record so every subsystem can share it.
#pragma once

#include <cstdint>
#include <string>

namespace tlx {

struct UnitsPerPixelValue {
  bool Valid = false;
  float Value = 0.0f;
};

struct ExperimentParameters {
  std::int32_t SessionLength = 0;       // seconds, 5..86400, multiple of 5
  std::int32_t NumberOfSessions = 0;    // 1..65535
  std::int32_t InitialDelay = 0;        // seconds, or time of day in seconds, 0..86399
  float MaximumDistance = 0.0f;         // pixels
  float AmbulatoryThreshold = 0.0f;     // pixels
  float StereotypicThreshold = 0.0f;    // pixels
  std::int32_t MeasurementUnits = 0;    // unit code 1..9 (0 before the panel is read)
  float CalibrateScale = 0.0f;          // pixels
  std::int16_t SampleRate = 0;          // 1, 5, 25 or 30
  std::string DataFile;                 // full path
  bool SaveData = false;
  std::string MapFile;                  // map file named by a binary setup file (not otherwise used)
  bool MapFlag = false;                 // the flag byte of a binary setup file
  float CalibrateReference = 0.0f;      // measurement units
  UnitsPerPixelValue UnitsPerPixel;     // derived
};

// The values of a new setup, which measure something from the first run: ten-minute sessions
// at the full NTSC rate, distances of 60/6/3 px and 100 px = 30 cm; no data file.
inline ExperimentParameters NewSetupParameters() {
  ExperimentParameters r;
  r.SessionLength = 600;
  r.NumberOfSessions = 1;
  r.SampleRate = 30;
  r.MaximumDistance = 60;
  r.AmbulatoryThreshold = 6;
  r.StereotypicThreshold = 3;
  r.MeasurementUnits = 2;
  r.CalibrateScale = 100;
  r.CalibrateReference = 30;
  return r;
}

// Video standard codes of the program settings.
enum VideoType : std::int16_t { kVideoNtsc = 0, kVideoPal = 1, kVideoSecam = 2 };

}  // namespace tlx
