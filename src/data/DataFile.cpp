#include "data/DataFile.h"

#include "common/AtomicFile.h"
#include "common/FileChecks.h"
#include "common/Numbers.h"
#include "common/Paths.h"
#include "data/SampleReader.h"
#include "setup/Units.h"

#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tlx {

namespace {

std::uint16_t Get16(std::string_view b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                    (static_cast<unsigned char>(b[at + 1]) << 8));
}

std::uint32_t Get32(std::string_view b, std::size_t at) {
  return static_cast<std::uint32_t>(Get16(b, at)) |
         (static_cast<std::uint32_t>(Get16(b, at + 2)) << 16);
}

void Put16(std::string& out, std::uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}

void Put32(std::string& out, std::uint32_t v) {
  Put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
  Put16(out, static_cast<std::uint16_t>(v >> 16));
}

// A value for a header word: rounded (ties to even), kept within 0..65535.
std::uint16_t HeaderWord(double value) {
  if (std::isnan(value)) return 0;
  const double r = RoundHalfEven(value);
  if (r <= 0) return 0;
  if (r >= 65535) return 65535;
  return static_cast<std::uint16_t>(r);
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  std::int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

void CivilFromDays(std::int64_t daysSinceEpoch1970, int& y, int& m, int& d) {
  // Proleptic Gregorian calendar from days since 1970-01-01.
  const std::int64_t z = daysSinceEpoch1970 + 719468;
  const std::int64_t era = FloorDiv(z, 146097);
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
}

constexpr std::int64_t kDays1899To1970 = 25569;  // 30 Dec 1899 .. 1 Jan 1970

const char* const kDayNames[] = {"Sat", "Sun", "Mon", "Tue", "Wed", "Thu", "Fri"};
const char* const kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

std::uint16_t EncodeSample(int x, int y) {
  x = x < 0 ? 0 : (x > 255 ? 255 : x);
  y = y < 0 ? 0 : (y > 255 ? 255 : y);
  return static_cast<std::uint16_t>(y * 256 + x);
}

PositionSample DecodeSample(std::int16_t word) {
  const auto w = static_cast<std::uint16_t>(word);
  return PositionSample{static_cast<std::int16_t>(w & 0xFF), static_cast<std::int16_t>(w >> 8)};
}

std::int64_t DaysFromCivil(int year, int month, int day) {
  const std::int64_t y = year - (month <= 2 ? 1 : 0);
  const std::int64_t era = FloorDiv(y, 400);
  const std::int64_t yoe = y - era * 400;
  const std::int64_t mp = (month + 9) % 12;
  const std::int64_t doy = (153 * mp + 2) / 5 + day - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468 + kDays1899To1970;
}

namespace {

// Seconds since 30 December 1899 17:00, rounded to whole seconds, without limits.
double UnclampedFileSeconds(const LocalDateTime& date) {
  return std::round(static_cast<double>(DaysFromCivil(date.year, date.month, date.day)) * 86400.0 +
                    date.hour * 3600.0 + date.minute * 60.0 + date.second + date.millisecond / 1000.0 -
                    kStartTimeOffset);
}

}  // namespace

std::string StartTimeProblem(const LocalDateTime& date) {
  const double r = UnclampedFileSeconds(date);
  if (r >= 0 && r <= 4294967295.0) return {};
  return "a data file holds start times from " + FormatIsoTime(FileSecondsToDate(0)) + " to " +
         FormatIsoTime(FileSecondsToDate(4294967295u));
}

std::uint32_t DateToFileSeconds(const LocalDateTime& date) {
  const double r = UnclampedFileSeconds(date);
  if (!(r > 0)) return 0;
  if (r >= 4294967295.0) return 4294967295u;
  return static_cast<std::uint32_t>(r);
}

LocalDateTime FileSecondsToDate(std::uint32_t count) {
  const std::int64_t total = static_cast<std::int64_t>(count) + kStartTimeOffset;
  const std::int64_t days = total / 86400;
  const std::int64_t rest = total % 86400;
  LocalDateTime t;
  CivilFromDays(days - kDays1899To1970, t.year, t.month, t.day);
  t.hour = static_cast<int>(rest / 3600);
  t.minute = static_cast<int>(rest / 60 % 60);
  t.second = static_cast<int>(rest % 60);
  t.millisecond = 0;
  return t;
}

std::string FormatStartTime(const LocalDateTime& t) {
  const std::int64_t days = DaysFromCivil(t.year, t.month, t.day);
  const auto weekday = static_cast<std::size_t>(((days % 7) + 7) % 7);  // day 0 was a Saturday
  const int month = (t.month >= 1 && t.month <= 12) ? t.month : 1;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s %s %02d %02d:%02d:%02d %04d", kDayNames[weekday],
                kMonthNames[month - 1], t.day, t.hour, t.minute, t.second, t.year);
  return buf;
}

std::string FormatIsoTime(const LocalDateTime& t) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return buf;
}

std::string SerializeHeader(const DataFileHeader& h) {
  std::string out;
  out.reserve(kDataHeaderSize);
  Put16(out, h.Tag);
  Put16(out, h.FixedWord);
  Put32(out, h.FixedLong);
  Put32(out, h.StartTime);
  Put16(out, h.VideoType);
  Put32(out, h.SampleCount);
  const ParameterBlock& b = h.Block;
  for (std::uint16_t v : {b.SessionLength, b.NumberOfSessions, b.InitialDelay, b.MaximumDistance,
                          b.AmbulatoryThreshold, b.StereotypicThreshold, b.MeasurementUnits,
                          b.CalibrateScale, b.CalibrateReference, b.SampleRateCode}) {
    Put16(out, v);
  }
  return out;
}

bool ParseHeader(std::string_view bytes, DataFileHeader& h) {
  if (bytes.size() < kDataHeaderSize) return false;
  h.Tag = Get16(bytes, 0);
  h.FixedWord = Get16(bytes, 2);
  h.FixedLong = Get32(bytes, 4);
  h.StartTime = Get32(bytes, 8);
  h.VideoType = Get16(bytes, 12);
  h.SampleCount = Get32(bytes, 14);
  std::uint16_t* fields[] = {&h.Block.SessionLength,       &h.Block.NumberOfSessions,
                             &h.Block.InitialDelay,        &h.Block.MaximumDistance,
                             &h.Block.AmbulatoryThreshold, &h.Block.StereotypicThreshold,
                             &h.Block.MeasurementUnits,    &h.Block.CalibrateScale,
                             &h.Block.CalibrateReference,  &h.Block.SampleRateCode};
  for (std::size_t i = 0; i < 10; ++i) *fields[i] = Get16(bytes, 18 + 2 * i);
  return true;
}

std::int16_t RecordedSampleRate(const DataFileHeader& header) {
  if (header.Block.SampleRateCode == 2 && header.VideoType == 1) return 25;
  return CodeToRate(header.Block.SampleRateCode);
}

DataFileProblem OpenSampleFile(const std::string& path, SampleFile& file) {
  struct stat st{};
  if (::stat(path.c_str(), &st) != 0) return DataFileProblem::Missing;
  if (!S_ISREG(st.st_mode)) return DataFileProblem::NotRegularFile;
  if (!file.Open(path)) return DataFileProblem::Unreadable;
  return DataFileProblem::None;
}

int DataFileVersion(const std::string& path) {
  SampleFile file;
  return file.Open(path) ? DataFileVersion(file) : 0;
}

int DataFileVersion(SampleFile& file) {
  char tag[2];
  if (!file.Seek(0) || !file.ReadExact(tag, 2)) return 0;
  switch (Get16(std::string_view(tag, 2), 0)) {
    case 0xAAFF: return 1;
    case 0xAAFE: return 2;
    case 0xAAFD: return 3;
    case 0xAAFC: return 4;
    default: return 0;
  }
}

DataFileProblem CheckDataFile(const std::string& path, DataFileHeader* header) {
  SampleFile file;
  const DataFileProblem problem = OpenSampleFile(path, file);
  return problem != DataFileProblem::None ? problem : CheckDataFile(file, header);
}

DataFileProblem CheckDataFile(SampleFile& file, DataFileHeader* header) {
  if (!file.IsOpen()) return DataFileProblem::Unreadable;
  char bytes[kDataHeaderSize];
  if (file.Size() < static_cast<std::int64_t>(kDataHeaderSize)) return DataFileProblem::TooShort;
  if (!file.Seek(0) || !file.ReadExact(bytes, kDataHeaderSize)) return DataFileProblem::Unreadable;
  DataFileHeader h;
  ParseHeader(std::string_view(bytes, kDataHeaderSize), h);
  if (h.Tag != kDataFileTag) return DataFileProblem::WrongTag;
  if (header) *header = h;
  return DataFileProblem::None;
}

std::string InvalidDataFileMessage(const std::string& path) {
  return "The file " + FileNamePart(path) + " is not a valid Tracelux data file.";
}

std::string InvalidFormatText(const std::string& path) {
  return "The file " + FileNamePart(path) + "\r\nis not a valid Tracelux\r\ndata file.";
}

bool LoadDataFileInfo(const std::string& path, DataFileInfo& info) {
  SampleFile file;
  DataFileInfo r;
  if (OpenSampleFile(path, file) != DataFileProblem::None || !ReadDataFileInfo(file, r)) return false;
  r.Path = path;
  r.Writable = CanWriteFile(path, nullptr);
  info = r;
  return true;
}

bool ReadDataFileInfo(SampleFile& file, DataFileInfo& info) {
  DataFileHeader h;
  if (CheckDataFile(file, &h) != DataFileProblem::None) return false;
  DataFileInfo r;
  r.Loaded = true;
  r.DataStart = kDataStart;
  r.SampleRate = RecordedSampleRate(h);
  const std::int64_t length = file.Size() - static_cast<std::int64_t>(kDataHeaderSize);
  r.DataBytes = length / 2 * 2;
  r.SessionLength = h.Block.SessionLength * 5;
  r.UnitsCode = static_cast<std::int16_t>(h.Block.MeasurementUnits + 1);
  r.Start = FileSecondsToDate(h.StartTime);
  r.MaximumDistance = h.Block.MaximumDistance;
  r.AmbulatoryThreshold = h.Block.AmbulatoryThreshold;
  r.ShownAmbulatoryThreshold = h.Block.AmbulatoryThreshold;
  r.StereotypicThreshold = h.Block.StereotypicThreshold;
  if (r.SampleRate > 0) r.Duration = static_cast<float>(static_cast<double>(r.SampleCount()) / r.SampleRate);
  r.CalibrateScale = h.Block.CalibrateScale;
  r.CalibrateReference = h.Block.CalibrateReference;
  r.UnitsPerPixel = UnitsPerPixel(r.CalibrateScale, r.CalibrateReference);
  r.NumberOfSessions = h.Block.NumberOfSessions;
  r.InitialDelay = h.Block.InitialDelay;
  r.VideoType = static_cast<std::int16_t>(h.VideoType);
  info = r;
  return true;
}

std::int32_t DataRegion(const std::string& path, std::int32_t& start, std::int64_t& length) {
  struct stat st{};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
  start = kDataStart;
  length = st.st_size > static_cast<off_t>(kDataHeaderSize) ? st.st_size - static_cast<off_t>(kDataHeaderSize) : 0;
  return kDataStart;
}

DataFileHeader HeaderForRun(const FinishedRun& run, const ExperimentParameters& p,
                            std::uint64_t rawBytes) {
  DataFileHeader h;
  h.StartTime = DateToFileSeconds(run.Start);
  // SECAM pictures run at 25 per second like PAL; the word lets readers tell 25 from 30.
  h.VideoType = (run.VideoType == kVideoPal || run.VideoType == kVideoSecam) ? 1 : 0;
  const std::uint64_t samples = rawBytes / 2;
  h.SampleCount = samples > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<std::uint32_t>(samples);
  ParameterBlock& b = h.Block;
  b.SessionLength = HeaderWord(run.SessionLength / 5.0);
  b.NumberOfSessions = HeaderWord(p.NumberOfSessions);
  b.InitialDelay = HeaderWord(p.InitialDelay);
  b.MaximumDistance = HeaderWord(p.MaximumDistance);
  b.AmbulatoryThreshold = HeaderWord(p.AmbulatoryThreshold);
  b.StereotypicThreshold = HeaderWord(p.StereotypicThreshold);
  b.MeasurementUnits = HeaderWord(p.MeasurementUnits - 1);
  // The calibration exactly (both numbers multiplied by one whole factor when they are not
  // whole), so that every later reading of the file converts distances as the run did. A run is
  // refused before it starts when its calibration has no such form; the rounding below only
  // serves records that bypassed that check.
  if (const std::optional<WholeCalibration> whole = StorableCalibration(p.CalibrateScale, p.CalibrateReference)) {
    b.CalibrateScale = whole->Scale;
    b.CalibrateReference = whole->Reference;
  } else {
    b.CalibrateScale = HeaderWord(p.CalibrateScale);
    b.CalibrateReference = HeaderWord(p.CalibrateReference);
  }
  b.SampleRateCode = static_cast<std::uint16_t>(RateToCode(run.SampleRate));
  return h;
}

bool WriteDataFile(const FinishedRun& run, const ExperimentParameters& params) {
  const std::string dataPath = ChangeExtension(run.DataFile, "DAT");
  const std::string rawPath = ChangeExtension(run.DataFile, "RAW");
  SampleFile raw;
  struct stat st{};
  const bool haveRaw = ::stat(rawPath.c_str(), &st) == 0;  // anything by that name must be readable
  if (haveRaw && !raw.Open(rawPath)) return false;
  // Half a sample at the end of the raw file (a write cut short) is not a sample.
  const std::uint64_t rawBytes = haveRaw ? static_cast<std::uint64_t>(raw.Size()) / 2 * 2 : 0;
  AtomicFileWriter out(dataPath);
  if (!out.IsOpen() || !out.Write(SerializeHeader(HeaderForRun(run, params, rawBytes)))) return false;
  std::string block(kSampleBlockBytes, '\0');
  std::uint64_t left = rawBytes;
  while (left > 0) {
    const std::size_t want = left < block.size() ? static_cast<std::size_t>(left) : block.size();
    if (!raw.ReadExact(block.data(), want)) return false;
    if (!out.Write(std::string_view(block.data(), want))) return false;
    left -= want;
  }
  if (!out.Commit()) return false;
  raw.Close();
  if (haveRaw) DeleteFile(rawPath);
  return true;
}

}  // namespace tlx
