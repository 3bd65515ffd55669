// The stream parser on captured byte streams (tests/data/stream: the line's bytes in NAME.bin,
// the samples a run records from them, as the raw sample file holds them, in NAME.raw), and the
// slip repair on the simulated unit's own noisy and dropping line.
#include "device/StreamParser.h"
#include "sim/SimulatedUnit.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace tlx::test {
namespace {

std::string RawOf(const std::vector<StreamSample>& samples) {
  std::string raw;
  for (const StreamSample& s : samples) {
    raw += static_cast<char>(s.Sample.X);
    raw += static_cast<char>(s.Sample.Y);
  }
  return raw;
}

// Feeds the bytes in pieces of `piece` bytes to a parser that starts a new stream.
std::string Parse(const std::string& bytes, std::size_t piece, std::int64_t& slips,
                  std::size_t& held) {
  StreamParser parser;
  parser.Restart(StreamParser::kStartSkipPairs);
  std::vector<StreamSample> out;
  for (std::size_t at = 0; at < bytes.size(); at += piece) {
    const std::string part = bytes.substr(at, piece);
    parser.Feed({reinterpret_cast<const std::uint8_t*>(part.data()), part.size()}, out);
  }
  std::int64_t noise = 0;
  for (const StreamSample& s : out) noise += s.LineNoise ? 1 : 0;
  EXPECT_EQ(noise, parser.Slips());
  slips = parser.Slips();
  held = parser.HeldBytes();
  return RawOf(out);
}

TEST(StreamParserTest, CapturedStreamsGiveTheirRecordedSamplesByteForByte) {
  const struct {
    const char* name;
    std::int64_t slips;
  } cases[] = {
      {"honest", 0},      // lost samples with any X, a 3-frame tracking jump, fast moves, a
                          // reappearance far away after lost samples: nothing is a slip
      {"stray", 1},       // a stray byte after a pair's Y: a jump that vanishes paired later
      {"dropped", 1},     // a lost X byte
      {"impossible", 1},  // a stray byte after an X on the right of the picture
      {"diagonal", 1},    // a lost byte near the diagonal: no jump, found by an impossible Y
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string bytes = ReadBytes(DataPath(std::string("stream/") + c.name + ".bin"));
    const std::string expected = ReadBytes(DataPath(std::string("stream/") + c.name + ".raw"));
    ASSERT_FALSE(bytes.empty());
    // However the line splits the bytes, the samples are the same.
    for (std::size_t piece : {bytes.size(), std::size_t{1}, std::size_t{3}, std::size_t{7}}) {
      std::int64_t slips = 0;
      std::size_t held = 0;
      EXPECT_EQ(Parse(bytes, piece, slips, held), expected) << "pieces of " << piece;
      EXPECT_EQ(slips, c.slips);
      EXPECT_EQ(held, 0u);
    }
  }
}

TEST(StreamParserTest, ANewStreamPairsFromItsOwnFirstByteAndHeldBytesWaitForMore) {
  StreamParser parser;
  std::vector<StreamSample> out;
  const std::uint8_t odd[] = {1, 2, 3};
  EXPECT_FALSE(parser.Feed(odd, out).Skipped);
  EXPECT_EQ(RawOf(out), std::string("\x01\x02", 2));
  EXPECT_EQ(parser.HeldBytes(), 1u);
  // A jump waits for the bytes that decide it.
  const std::uint8_t jump[] = {4, 100, 100};
  parser.Feed(jump, out);
  EXPECT_EQ(out.size(), 2u);
  EXPECT_EQ(parser.HeldBytes(), 2u);
  parser.Restart(2);  // the new stream's bytes only; its first two pairs are dropped
  const std::uint8_t fresh[] = {9, 9, 8, 8, 5, 6};
  EXPECT_TRUE(parser.Feed(fresh, out).Skipped);
  EXPECT_EQ(out.back().Sample.X, 5);
  EXPECT_EQ(parser.HeldBytes(), 0u);
}

// The unit's own stream with a stray byte after every 500th byte, or every 500th byte lost:
// every sample is the animal's true position or a lost sample, never a swapped one.
TEST(StreamParserTest, NoisyAndDroppingLinesRecordNoSwappedSample) {
  for (const bool dropping : {false, true}) {
    SCOPED_TRACE(dropping ? "drop every 500" : "noise every 500");
    SimulatedUnit clean(1), noisy(1);
    (dropping ? noisy.Faults().dropEvery : noisy.Faults().noiseEvery) = 500;
    const std::int64_t start = 2'000'000, end = start + 60'000'000;  // a minute at 30/s
    clean.Receive(" 0.", start);
    noisy.Receive(" 0.", start);
    const std::string truth = clean.TakeOutput(end), line = noisy.TakeOutput(end);
    StreamParser parser;
    std::vector<StreamSample> out;
    parser.Feed({reinterpret_cast<const std::uint8_t*>(line.data()), line.size()}, out);
    // Lined up with the true samples from the last slip backwards would blur the count; the
    // recorded position must be one of the animal's true positions near its place in time.
    int swapped = 0, lost = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
      const PositionSample s = out[i].Sample;
      if (out[i].LineNoise) {
        ++lost;
        continue;
      }
      bool found = false;
      for (std::size_t j = i > 10 ? i - 10 : 0; j < i + 10 && 2 * j + 1 < truth.size(); ++j)
        found = found || (static_cast<unsigned char>(truth[2 * j]) == s.X &&
                          static_cast<unsigned char>(truth[2 * j + 1]) == s.Y);
      swapped += found ? 0 : 1;
    }
    EXPECT_EQ(swapped, 0);
    EXPECT_GT(lost, 0);
    EXPECT_LE(lost, parser.Slips());
    EXPECT_GE(out.size() + 10, truth.size() / 2 - (dropping ? lost : 0));
  }
}

}  // namespace
}  // namespace tlx::test
