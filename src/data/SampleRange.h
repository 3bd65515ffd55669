// A stretch of a data file's samples (one session, or the whole recording) read block by block,
// for the pictures' figures.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace tlx {

inline constexpr std::int64_t kWholeRecording = 0;  // session number meaning "all sessions"

enum class SampleRangeStatus { Done, NotDataFile, NoSuchSession, ReadFailed };

// Samples per session as the analysis splits a file: session length x rate (a rate of 0 counts one
// sample per second).
std::int64_t SamplesPerSession(std::int32_t sessionLength, std::int32_t rate);

// Hands the sample words of session n (from 1; kWholeRecording for all of them) to `take`, block
// by block. Session n holds samplesPerSession samples from sample (n - 1) x samplesPerSession,
// fewer at the end; a session that starts at or past the end is NoSuchSession.
SampleRangeStatus ReadSampleRange(const std::string& dataPath, std::int64_t session,
                                  std::int64_t samplesPerSession,
                                  const std::function<void(std::span<const std::uint16_t>)>& take);
// The same from a data file's bytes already opened (a file, or bytes in memory).
class SampleFile;
SampleRangeStatus ReadSampleRange(SampleFile& data, std::int64_t session, std::int64_t samplesPerSession,
                                  const std::function<void(std::span<const std::uint16_t>)>& take);

}  // namespace tlx
