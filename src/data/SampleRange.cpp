#include "data/SampleRange.h"

#include "data/DataFile.h"
#include "data/SampleReader.h"

#include <algorithm>

namespace tlx {

std::int64_t SamplesPerSession(std::int32_t sessionLength, std::int32_t rate) {
  return std::int64_t(sessionLength) * std::max<std::int32_t>(rate, 1);
}

SampleRangeStatus ReadSampleRange(const std::string& dataPath, std::int64_t session,
                                  std::int64_t samplesPerSession,
                                  const std::function<void(std::span<const std::uint16_t>)>& take) {
  SampleFile file;
  OpenSampleFile(dataPath, file);  // a file that cannot be opened fails the check below
  return ReadSampleRange(file, session, samplesPerSession, take);
}

SampleRangeStatus ReadSampleRange(SampleFile& file, std::int64_t session, std::int64_t samplesPerSession,
                                  const std::function<void(std::span<const std::uint16_t>)>& take) {
  if (CheckDataFile(file) != DataFileProblem::None) return SampleRangeStatus::NotDataFile;
  const std::int64_t total = (file.Size() - static_cast<std::int64_t>(kDataHeaderSize)) / 2;
  std::int64_t first = 0;
  std::int64_t count = total;
  if (session != kWholeRecording) {
    if (session < 1 || samplesPerSession <= 0 || (session - 1) >= (total + samplesPerSession - 1) / samplesPerSession) {
      return SampleRangeStatus::NoSuchSession;
    }
    first = (session - 1) * samplesPerSession;
    count = std::min(samplesPerSession, total - first);
  }
  if (!file.Seek(static_cast<std::int64_t>(kDataHeaderSize) + first * 2)) return SampleRangeStatus::ReadFailed;
  SampleBlockReader reader(file);
  for (auto block = reader.Next(); !block.empty() && count > 0; block = reader.Next()) {
    const auto n = static_cast<std::size_t>(std::min<std::int64_t>(count, static_cast<std::int64_t>(block.size())));
    take(block.first(n));
    count -= static_cast<std::int64_t>(n);
  }
  return reader.Failed() ? SampleRangeStatus::ReadFailed : SampleRangeStatus::Done;
}

}  // namespace tlx
