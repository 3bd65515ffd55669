// The experiment setup file (twelve 'Key = value' lines, or the older read-only binary form with
// tag 0xAAFE), and the limits that make a record of experiment parameters usable.
#pragma once

#include "setup/ExperimentParameters.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tlx {

inline constexpr const char* kDefaultSetupName = "TLUXEXPT.EXP";
inline constexpr std::uint16_t kBinarySetupTag = 0xAAFE;
// Tag, ten 16-bit parameters, one flag byte and three 34-byte texts.
inline constexpr std::size_t kBinarySetupSize = 2 + 20 + 1 + 3 * 34;
// Setup files are a few hundred bytes; anything far larger is refused rather than read.
inline constexpr std::size_t kMaxSetupFileBytes = std::size_t(4) << 20;

// The program home joined with "TLUXEXPT.EXP".
std::string DefaultSetupPath(const std::string& programHome);

// A binary setup file when the first 16-bit word is 0xAAFE, else a text setup file. A binary
// file shorter than its fixed size is refused (False, record untouched).
bool LoadParameters(const std::string& path, ExperimentParameters& record);
// The same from the file's bytes held in memory.
bool LoadParametersFromBytes(std::string_view bytes, ExperimentParameters& record);

// The twelve CR LF lines of a setup file for the record.
std::string SetupFileText(const ExperimentParameters& record);

// Writes the setup file in one piece (temporary file renamed into place). False when it cannot
// be written; an existing file is then left as it was.
bool WriteSetupFile(const std::string& path, const ExperimentParameters& record);

// Brings every field into its limits and recomputes UnitsPerPixel. A data-file name that cannot
// be created becomes empty. MeasurementUnits and SaveData are left alone.
void SanitiseParameters(ExperimentParameters& record);

// Sample rate to one the unit offers: 1, 5, or 25 (PAL) / 30 (NTSC) for anything above 5.
void NormaliseSampleRate(ExperimentParameters& record, int videoType);

}  // namespace tlx
