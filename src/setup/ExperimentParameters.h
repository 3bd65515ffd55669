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

// Video standard codes of the program settings.
enum VideoType : std::int16_t { kVideoNtsc = 0, kVideoPal = 1, kVideoSecam = 2 };

}  // namespace tlx
