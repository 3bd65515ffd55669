// The recorded-run data file: a 38-byte header followed by one 16-bit little-endian word per
// sample (Y x 256 + X). Reading, checking, describing and building data files.
#pragma once

#include "common/Clock.h"
#include "common/PositionSample.h"
#include "setup/ExperimentParameters.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tlx {

inline constexpr std::uint16_t kDataFileTag = 0xAAFD;
inline constexpr std::size_t kDataHeaderSize = 38;
inline constexpr std::int32_t kDataStart = 39;  // 1-based position of the first sample
inline constexpr std::uint32_t kStartTimeOffset = 17 * 3600;  // the 17-hour constant of the format

// The ten unsigned 16-bit values from offset 18 to 37.
struct ParameterBlock {
  std::uint16_t SessionLength = 0;  // seconds / 5
  std::uint16_t NumberOfSessions = 0;
  std::uint16_t InitialDelay = 0;  // seconds, not scaled
  std::uint16_t MaximumDistance = 0;
  std::uint16_t AmbulatoryThreshold = 0;
  std::uint16_t StereotypicThreshold = 0;
  std::uint16_t MeasurementUnits = 0;  // units code - 1
  std::uint16_t CalibrateScale = 0;
  std::uint16_t CalibrateReference = 0;
  std::uint16_t SampleRateCode = 0;
};

struct DataFileHeader {
  std::uint16_t Tag = kDataFileTag;
  std::uint16_t FixedWord = 121;
  std::uint32_t FixedLong = 33;
  std::uint32_t StartTime = 0;  // DateToFileSeconds
  std::uint16_t VideoType = 0;  // 1 for PAL
  std::uint32_t SampleCount = 0;
  ParameterBlock Block;
};

// The open data file as the data panel and the command line describe it.
struct DataFileInfo {
  bool Loaded = false;
  bool Writable = false;
  LocalDateTime Start;
  std::string Path;
  std::int32_t SessionLength = 0;  // seconds
  std::int32_t MaximumDistance = 0;
  std::int32_t AmbulatoryThreshold = 0;
  std::int32_t ShownAmbulatoryThreshold = 0;
  std::int32_t StereotypicThreshold = 0;
  std::int16_t UnitsCode = 0;
  std::int16_t SampleRate = 0;
  std::int32_t DataStart = 0;
  std::int64_t DataBytes = 0;
  float Duration = 0.0f;  // seconds
  float CalibrateScale = 0.0f;
  float CalibrateReference = 0.0f;
  UnitsPerPixelValue UnitsPerPixel;
  // Further recorded values, kept for inspection.
  std::int32_t NumberOfSessions = 0;
  std::int32_t InitialDelay = 0;
  std::int16_t VideoType = 0;
  std::int64_t SampleCount() const { return DataBytes / 2; }
};

// Why a file was not accepted as a data file.
enum class DataFileProblem { None, Missing, NotRegularFile, Unreadable, TooShort, WrongTag };

// --- Sample words -------------------------------------------------------------------------------
std::uint16_t EncodeSample(int x, int y);  // coordinates limited to 0..255
PositionSample DecodeSample(std::int16_t word);

// --- Start time ----------------------------------------------------------------------------------
// Seconds since 30 December 1899 17:00 on the local wall clock; no time-zone arithmetic.
std::uint32_t DateToFileSeconds(const LocalDateTime& date);
// Empty when a data file can hold the start time exactly; else why not (the count of seconds
// holds 30 December 1899 17:00:00 to 5 February 2036 23:28:15, and DateToFileSeconds would clamp).
std::string StartTimeProblem(const LocalDateTime& date);
LocalDateTime FileSecondsToDate(std::uint32_t count);
// Days since 30 December 1899 (the calendar the format counts from).
std::int64_t DaysFromCivil(int year, int month, int day);
// "DDD MMM DD HH:MM:SS YYYY" with English abbreviations, e.g. "Sat Jan 01 00:00:00 2000".
std::string FormatStartTime(const LocalDateTime& date);
// "YYYY-MM-DD HH:MM:SS".
std::string FormatIsoTime(const LocalDateTime& date);

// --- Header -------------------------------------------------------------------------------------
std::string SerializeHeader(const DataFileHeader& header);
// Parses the first 38 bytes; false when fewer are given.
bool ParseHeader(std::string_view bytes, DataFileHeader& header);
// Samples per second of a recorded file: code 2 with the PAL video word is 25.
std::int16_t RecordedSampleRate(const DataFileHeader& header);

// --- Reading ------------------------------------------------------------------------------------
// Every reader below has a form that takes the path and one that takes the bytes already opened
// (a file, or bytes in memory through SampleFile::OpenBytes); the path form opens the file and
// hands it to the other, so both read alike.
class SampleFile;
// Opens a data file for reading: Missing, NotRegularFile or Unreadable when it cannot be.
DataFileProblem OpenSampleFile(const std::string& path, SampleFile& file);
// 1 for tag 0xAAFF, 2 for 0xAAFE, 3 for 0xAAFD, 4 for 0xAAFC, 0 otherwise or unreadable.
int DataFileVersion(const std::string& path);
int DataFileVersion(SampleFile& file);
// The full check every reader makes: a readable regular file with a whole header and tag 0xAAFD.
// A stray odd byte after the samples (half a sample) does not refuse the file: readers count whole
// words only. Fills the header when it passes.
DataFileProblem CheckDataFile(const std::string& path, DataFileHeader* header = nullptr);
DataFileProblem CheckDataFile(SampleFile& file, DataFileHeader* header = nullptr);
// "The file NAME is not a valid Tracelux data file."
std::string InvalidDataFileMessage(const std::string& path);
// The message box text of the open command ("The file NAME\r\nis not a valid Tracelux\r\ndata file.").
inline constexpr const char* kInvalidFormatCaption = "Invalid File Format";
std::string InvalidFormatText(const std::string& path);
inline constexpr const char* kEmptyDataFileCaption = "Empty Data File";
inline constexpr const char* kEmptyDataFileText = "There are no sessions in this file";

// Fills info from the file; false (info unchanged) when the file is not a data file.
bool LoadDataFileInfo(const std::string& path, DataFileInfo& info);
// The same from opened bytes: everything but the path and whether it may be written.
bool ReadDataFileInfo(SampleFile& file, DataFileInfo& info);
// Start 39 and the length of the sample region; returns 39 (0 when the file cannot be sized).
std::int32_t DataRegion(const std::string& path, std::int32_t& start, std::int64_t& length);

// --- Writing ------------------------------------------------------------------------------------
// What a finished run hands over to build its data file.
struct FinishedRun {
  std::string DataFile;  // any extension; "DAT" and "RAW" are derived from it
  LocalDateTime Start;
  std::int32_t SessionLength = 0;
  std::int16_t VideoType = 0;
  std::int32_t SampleRate = 0;
};
// The header a run writes (sample count from the raw byte count).
DataFileHeader HeaderForRun(const FinishedRun& run, const ExperimentParameters& params,
                            std::uint64_t rawBytes);
// Builds the data file from its header and the raw file, written under a temporary name and
// renamed into place; the raw file is deleted only when the data file is complete. Without a raw
// file the data file holds the header alone. False when the raw file cannot be read or the data
// file cannot be written; the raw file then stays.
bool WriteDataFile(const FinishedRun& run, const ExperimentParameters& params);

}  // namespace tlx
