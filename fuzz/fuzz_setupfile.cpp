// Setup files from anywhere: loading, correcting and writing back must survive any bytes, and
// the corrected record must always lie within its limits. The bytes are parsed from memory; only
// the data-file name's check (can it be created?) still looks at the disk.
#include "setup/SetupFile.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

// One scratch directory per fuzzing process, removed at exit; relative data-file names land
// there too. A plain array, so it outlives every exit handler.
char scratchDir[] = "/tmp/tlxfuzz-setup-XXXXXX";

void RemoveScratch() {
  std::error_code ec;
  std::filesystem::remove_all(scratchDir, ec);
}

const std::string& ScratchDir() {
  static const std::string dir = [] {
    if (!::mkdtemp(scratchDir) || ::chdir(scratchDir) != 0) std::abort();
    std::atexit(RemoveScratch);
    return std::string(scratchDir);
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ScratchDir();
  tlx::ExperimentParameters record;
  tlx::LoadParametersFromBytes(std::string_view(reinterpret_cast<const char*>(data), size), record);
  tlx::SanitiseParameters(record);
  tlx::NormaliseSampleRate(record, size % 2 ? tlx::kVideoPal : tlx::kVideoNtsc);
  const bool inLimits = record.SessionLength >= 5 && record.SessionLength <= 86400 &&
                        record.SessionLength % 5 == 0 && record.NumberOfSessions >= 1 &&
                        record.NumberOfSessions <= 65535 && record.InitialDelay >= 0 &&
                        record.InitialDelay <= 86399 && record.CalibrateScale >= 1 &&
                        record.CalibrateScale <= 1000 &&
                        (record.SampleRate == 1 || record.SampleRate == 5 ||
                         record.SampleRate == 25 || record.SampleRate == 30);
  if (!inLimits) std::abort();

  // What is written must read back to the same text.
  tlx::ExperimentParameters again;
  const std::string text = tlx::SetupFileText(record);
  if (!tlx::LoadParametersFromBytes(text, again)) std::abort();
  again.UnitsPerPixel = record.UnitsPerPixel;
  if (tlx::SetupFileText(again) != text && record.DataFile.find('"') == std::string::npos) {
    std::abort();
  }
  return 0;
}
