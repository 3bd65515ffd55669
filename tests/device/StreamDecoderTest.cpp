// Turning the unit's byte stream into position samples for the run and the live display, and the
// stream parser on captured byte streams (tests/data/stream: the line's bytes in NAME.bin, the
// samples a run records from them, as the raw sample file holds them, in NAME.raw).
#include "FakeLink.h"
#include "device/StreamParser.h"
#include "sim/SimulatedAnimal.h"
#include "support/TestSupport.h"

namespace tlx::test {
namespace {

using Samples = std::vector<std::pair<int, int>>;

struct StreamRig : DeviceRig, RunSampleSink, SampleDisplay {
  bool running = false;
  std::size_t stopAfter = 0;  // the run's accounting stops the stream after this many samples
  Samples recorded, accounted, shown;

  StreamRig() {
    decoder.SetRunSink(this);
    decoder.SetDisplay(this);
    Open();
  }
  bool RunIsRunning() override { return running; }
  void AppendRecordedSample(const PositionSample& s) override { recorded.push_back({s.X, s.Y}); }
  void AccountSample(const PositionSample& s) override {
    accounted.push_back({s.X, s.Y});
    if (accounted.size() == stopAfter) commands.StopStream();
  }
  void UpdateLiveDisplay(const PositionSample& s) override { shown.push_back({s.X, s.Y}); }

  void Streaming() { state().StreamOn = true; }
  void Feed(const std::string& bytes) {
    fake.DeliverAfter(1, bytes);
    Run(3);
  }
};

TEST(StreamDecoderTest, PairsSurviveOddBatchesAndANewStreamPairsFromItsOwnFirstByte) {
  StreamRig rig;
  rig.Streaming();
  rig.Feed("\x01\x02\x03");
  rig.Feed("\x04");
  EXPECT_EQ(rig.fake.BufferedCount(), 1u);  // a lone byte waits in the buffer
  rig.Feed("\x05\x06");
  EXPECT_EQ(rig.shown, (Samples{{1, 2}, {1, 2}, {3, 4}, {5, 6}, {5, 6}}));
  EXPECT_EQ(rig.decoder.Parser().HeldBytes(), 0u);

  rig.Feed("\x01\x02\x03");  // leaves a leftover byte
  // Restarted while streaming: the new stream arrives split at odd places while the start waits.
  rig.fake.DeliverAfter(10, "\x07");
  rig.fake.DeliverAfter(20, "\x07\x08");
  rig.fake.DeliverAfter(50, "\x08\x09\x09\x0A");
  EXPECT_TRUE(rig.commands.StartStream());
  const std::size_t shown = rig.shown.size();
  rig.Feed("\x0A\x0B\x0B\x0C\x0C");  // (10,10) and (11,11) are the two skipped pairs
  EXPECT_EQ(rig.decoder.State().LastSample.X, 12);
  EXPECT_EQ(rig.shown.size(), shown);  // no display in the batch that skipped
  rig.Feed("\x0D\x0E");
  EXPECT_EQ(rig.shown.back(), std::make_pair(13, 14));
}

TEST(StreamDecoderTest, ARunRecordsAndCountsEverySampleAndShowsOncePerBatch) {
  StreamRig rig;
  rig.running = rig.decoder.State().RawRecording = true;
  rig.Streaming();
  rig.Feed("\x0A\x14\x0B\xFF\x0C\x1A");
  const Samples all{{10, 20}, {11, 255}, {12, 26}};
  EXPECT_EQ(rig.recorded, all);
  EXPECT_EQ(rig.accounted, all);
  EXPECT_EQ(rig.shown, (Samples{{12, 26}}));

  rig.stopAfter = 4;  // the run ends on the first sample of the next batch
  rig.Feed("\x0D\x1B\x0E\x1C\x0F\x1D");
  EXPECT_EQ(rig.accounted.size(), 4u);
  EXPECT_FALSE(rig.state().StreamOn);
  EXPECT_EQ(rig.shown.size(), 1u);
}

TEST(StreamDecoderTest, PollTakesExactlyOnePairWithinATenthOfASecond) {
  StreamRig rig;
  rig.fake.Answer(ub::StopStream(), "\x20\x30", 30);
  EXPECT_TRUE(rig.decoder.PollOneSample());
  rig.fake.Answer(ub::StopStream(), "\x01\x02\x03", 30);
  EXPECT_FALSE(rig.decoder.PollOneSample());
  rig.fake.Read(3);
  rig.fake.Answer(ub::StopStream(), "\x01\x02", 150);
  const std::int64_t start = rig.Ms();
  EXPECT_FALSE(rig.decoder.PollOneSample());
  EXPECT_NEAR(rig.Ms() - start, 100, 3);
  EXPECT_EQ(rig.shown, (Samples{{32, 48}, {32, 48}, {32, 48}}));  // a failed poll shows the last

  rig.Streaming();
  const std::size_t writes = rig.fake.writes.size();
  EXPECT_FALSE(rig.decoder.PollOneSample());
  EXPECT_EQ(rig.fake.writes.size(), writes);
}

// Feeds the bytes in pieces of `piece` bytes to a parser that starts a new stream: the samples as
// the raw file holds them, the slips counted and the bytes still held.
std::tuple<std::string, std::int64_t, std::size_t> Parse(const std::string& bytes, std::size_t piece) {
  StreamParser parser;
  parser.Restart(StreamParser::kStartSkipPairs);
  std::vector<StreamSample> out;
  for (std::size_t at = 0; at < bytes.size(); at += piece) {
    const std::string part = bytes.substr(at, piece);
    parser.Feed({reinterpret_cast<const std::uint8_t*>(part.data()), part.size()}, out);
  }
  std::string raw;
  std::int64_t noise = 0;
  for (const StreamSample& s : out) {
    raw += {static_cast<char>(s.Sample.X), static_cast<char>(s.Sample.Y)};
    noise += s.LineNoise ? 1 : 0;
  }
  EXPECT_EQ(noise, parser.Slips());
  return {raw, parser.Slips(), parser.HeldBytes()};
}

TEST(StreamParserTest, CapturedStreamsGiveTheirRecordedSamplesByteForByte) {
  const std::pair<const char*, std::int64_t> cases[] = {
      {"honest", 0},      // lost samples with any X, a 3-frame tracking jump, fast moves, a
                          // reappearance far away after lost samples: nothing is a slip
      {"stray", 1},       // a stray byte after a pair's Y: a jump that vanishes paired later
      {"dropped", 1},     // a lost X byte: its Y stands for the sample, the next pair is kept
      {"impossible", 1},  // a stray byte after an X on the right of the picture
      {"diagonal", 1},    // a lost byte near the diagonal: no jump, found by an impossible Y,
                          // again with one lost sample for the one sample time
  };
  for (const auto& [name, slips] : cases) {
    SCOPED_TRACE(name);
    const std::string bytes = ReadBytes(DataPath(std::string("stream/") + name + ".bin"));
    const std::string expected = ReadBytes(DataPath(std::string("stream/") + name + ".raw"));
    ASSERT_FALSE(bytes.empty());
    // However the line splits the bytes, the samples are the same.
    for (std::size_t piece : {bytes.size(), std::size_t{1}, std::size_t{3}, std::size_t{7}}) {
      EXPECT_EQ(Parse(bytes, piece), std::tuple(expected, slips, std::size_t{0})) << "pieces of " << piece;
    }
  }
}

// The simulated animal's stream, `hours` at 30 pairs a second, through a parser in pieces of a
// line's batch: the samples handed on, with every `dropEvery`-th byte lost (0: a clean line).
struct AnimalStream {
  std::vector<SimSample> sent;  // one a sample time
  std::vector<StreamSample> got;
  std::int64_t slips = 0;
};
AnimalStream StreamAnimal(std::uint32_t seed, double hours, int dropEvery = 0) {
  SimulatedAnimal animal(seed);
  StreamParser parser;
  AnimalStream stream;
  const auto frames = static_cast<std::size_t>(hours * 3600 * 30);
  stream.sent.reserve(frames);
  stream.got.reserve(frames);
  std::vector<std::uint8_t> batch;
  std::uint64_t sentBytes = 0;
  for (std::size_t f = 0; f < frames; ++f) {
    const SimSample s = animal.Next();
    stream.sent.push_back(s);
    for (int b : {s.x, s.y})
      if (dropEvery == 0 || ++sentBytes % static_cast<std::uint64_t>(dropEvery) != 0)
        batch.push_back(static_cast<std::uint8_t>(b));
    if (f % 7 == 6 || f + 1 == frames) {  // about four batches a second
      parser.Feed(batch, stream.got);
      batch.clear();
    }
  }
  stream.slips = parser.Slips();
  return stream;
}

// A clean line is never repaired: a day of the animal's stream (tracking jumps near the diagonal,
// where a pair read a byte late looks like a path too, included) comes out sample for sample.
TEST(StreamParserTest, ADayOnACleanLineHasNoSlipOnAnySeed) {
  for (std::uint32_t seed : {1u, 2u, 3u, 4u, 5u}) {
    SCOPED_TRACE(seed);
    const AnimalStream stream = StreamAnimal(seed, 24);
    EXPECT_EQ(stream.slips, 0);
    ASSERT_EQ(stream.got.size(), stream.sent.size());
    std::size_t differ = 0;
    for (std::size_t i = 0; i < stream.got.size(); ++i)
      differ += stream.got[i].Sample.X != stream.sent[i].x || stream.got[i].Sample.Y != stream.sent[i].y;
    EXPECT_EQ(differ, 0u);
  }
}

// A lossy line keeps time: each lost byte found costs the one sample time whose pair it broke,
// handed on as a lost sample. Only bytes lost while the animal walks along the diagonal (where a
// pair read a byte late still reads as a path) go unnoticed, a few in a hundred; before, every
// lost byte cost two sample times for one lost sample.
TEST(StreamParserTest, ALostByteLeavesOneLostSampleInPlaceOfThePairItBroke) {
  for (std::uint32_t seed : {1u, 11u}) {
    SCOPED_TRACE(seed);
    const AnimalStream stream = StreamAnimal(seed, 0.5, 501);
    const auto lost = static_cast<std::int64_t>(stream.sent.size() * 2 / 501);
    EXPECT_GE(stream.slips * 10, lost * 8) << "of " << lost << " lost bytes";
    EXPECT_LE(stream.slips, lost);
    const auto short_ = static_cast<std::int64_t>(stream.sent.size() - stream.got.size());
    EXPECT_GE(short_, 0);
    EXPECT_LE(short_ * 10, lost) << "sample times lost without a lost sample";
  }
}

}  // namespace
}  // namespace tlx::test
