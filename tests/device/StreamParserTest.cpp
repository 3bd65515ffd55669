// The stream parser on captured byte streams (tests/data/stream: the line's bytes in NAME.bin,
// the samples a run records from them, as the raw sample file holds them, in NAME.raw).
#include "device/StreamParser.h"
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

}  // namespace
}  // namespace tlx::test
