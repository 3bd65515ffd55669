#include "FakeLink.h"

#include <gtest/gtest.h>

namespace tlx::test {
namespace {

using Samples = std::vector<std::pair<int, int>>;

struct Recorder : RunSampleSink, SampleDisplay {
  bool running = false;
  bool fileOpens = true;
  int stopAfter = -1;  // accounting stops the stream after this many samples
  CommandSet* commands = nullptr;
  Samples recorded, accounted, shown;

  bool RunIsRunning() override { return running; }
  bool OpenRecordedSampleFile() override { return fileOpens; }
  void AppendRecordedSample(const PositionSample& s) override { recorded.push_back({s.X, s.Y}); }
  void AccountSample(const PositionSample& s) override {
    accounted.push_back({s.X, s.Y});
    if (static_cast<int>(accounted.size()) == stopAfter) commands->StopStream();
  }
  void UpdateLiveDisplay(const PositionSample& s) override { shown.push_back({s.X, s.Y}); }
};

struct StreamRig : DeviceRig {
  Recorder rec;
  StreamRig() {
    rec.commands = &commands;
    decoder.SetRunSink(&rec);
    decoder.SetDisplay(&rec);
    Open();
  }
  void Streaming(int skip = 0) {
    state().StreamOn = true;
    state().SkipCount = static_cast<std::int16_t>(skip);
  }
  void Feed(const std::string& bytes) {
    fake.DeliverAfter(1, bytes);
    Run(3);
  }
};

TEST(StreamDecoderTest, ThreeOneTwoBatchesKeepThePairing) {
  StreamRig rig;
  rig.Streaming();
  rig.Feed("\x01\x02\x03");
  EXPECT_EQ(rig.rec.shown, (Samples{{1, 2}, {1, 2}}));
  rig.Feed("\x04");
  EXPECT_EQ(rig.fake.BufferedCount(), 1u);  // a lone byte waits in the buffer
  EXPECT_EQ(rig.rec.shown.size(), 2u);
  rig.Feed("\x05\x06");
  EXPECT_EQ(rig.rec.shown, (Samples{{1, 2}, {1, 2}, {3, 4}, {5, 6}, {5, 6}}));
  EXPECT_FALSE(rig.decoder.State().HasLeftover);
}

TEST(StreamDecoderTest, FirstTwoPairsAfterStartAreDroppedWithoutDisplay) {
  StreamRig rig;
  rig.Streaming(2);
  rig.Feed("\x01\x01\x02\x02\x03\x03");
  EXPECT_EQ(rig.state().SkipCount, 0);
  EXPECT_TRUE(rig.rec.shown.empty());
  EXPECT_EQ(rig.decoder.State().LastSample.X, 3);
  rig.Feed("\x04\x04");
  EXPECT_EQ(rig.rec.shown, (Samples{{4, 4}, {4, 4}}));
}

TEST(StreamDecoderTest, ARunRecordsAndCountsEverySampleAndShowsOncePerBatch) {
  StreamRig rig;
  rig.rec.running = true;
  rig.decoder.State().RawRecording = true;
  rig.Streaming();
  rig.Feed("\x0A\x14\x0B\xFF\x0C\x1E");
  const Samples all{{10, 20}, {11, 255}, {12, 30}};
  EXPECT_EQ(rig.rec.recorded, all);
  EXPECT_EQ(rig.rec.accounted, all);
  EXPECT_EQ(rig.rec.shown, (Samples{{12, 30}}));

  rig.rec.stopAfter = 4;  // the run ends on the first sample of the next batch
  rig.Feed("\x01\x01\x02\x02\x03\x03");
  EXPECT_EQ(rig.rec.accounted.size(), 4u);
  EXPECT_FALSE(rig.state().StreamOn);
  EXPECT_EQ(rig.rec.shown.size(), 1u);
}

TEST(StreamDecoderTest, ANewStreamPairsFromItsOwnFirstByte) {
  StreamRig rig;
  rig.Streaming();
  rig.Feed("\x01\x02\x03");  // leaves a leftover byte
  rig.commands.StopStream();
  // The new stream arrives split at odd places while the start waits.
  rig.fake.DeliverAfter(10, "\x07");
  rig.fake.DeliverAfter(20, "\x07\x08");
  rig.fake.DeliverAfter(50, "\x08\x09\x09\x0A");
  EXPECT_TRUE(rig.commands.StartStream());
  rig.Feed("\x0A\x0B\x0B\x0C\x0C");
  // (7,7) (8,8) (9,9) were dropped whole during the wait; (10,10) (11,11) are the skipped two.
  EXPECT_EQ(rig.decoder.State().LastSample.X, 12);
  EXPECT_EQ(rig.decoder.State().LastSample.Y, 12);
  rig.Feed("\x0D\x0E");
  EXPECT_EQ(rig.rec.shown.back(), std::make_pair(13, 14));
}

TEST(StreamDecoderTest, PollTakesExactlyOnePairWithinATenthOfASecond) {
  StreamRig rig;
  rig.fake.Answer(unit_bytes::StopStream(), "\x20\x30", 30);
  EXPECT_TRUE(rig.decoder.PollOneSample());
  EXPECT_EQ(rig.rec.shown, (Samples{{32, 48}}));

  rig.fake.Answer(unit_bytes::StopStream(), "\x01\x02\x03", 30);
  EXPECT_FALSE(rig.decoder.PollOneSample());
  rig.fake.Read(3);
  rig.fake.Answer(unit_bytes::StopStream(), "\x01\x02", 150);
  const std::int64_t start = NowMs(rig.clock);
  EXPECT_FALSE(rig.decoder.PollOneSample());
  EXPECT_NEAR(NowMs(rig.clock) - start, 100, 3);
  EXPECT_EQ(rig.rec.shown, (Samples{{32, 48}, {32, 48}, {32, 48}}));

  rig.Streaming();
  const std::size_t writes = rig.fake.writes.size();
  EXPECT_FALSE(rig.decoder.PollOneSample());
  EXPECT_EQ(rig.fake.writes.size(), writes);
}

TEST(StreamDecoderTest, StartMonitoringNeedsAnOpenPortAndAnAwakeUnit) {
  {
    StreamRig rig;
    rig.link.ClosePort();
    EXPECT_FALSE(rig.decoder.StartMonitoring(30));
    ASSERT_EQ(rig.answers.Messages().size(), 1u);
    EXPECT_EQ(rig.answers.Messages()[0].caption, "Port Error");
    EXPECT_EQ(rig.answers.Messages()[0].text, "The Port is\r\nnot open.");
  }
  {
    StreamRig rig;
    rig.state().UnitAwake = false;  // silent unit: the probe fails, no message
    EXPECT_FALSE(rig.decoder.StartMonitoring(30));
    EXPECT_TRUE(rig.answers.Messages().empty());
    EXPECT_FALSE(rig.state().StreamOn);
  }
  {
    StreamRig rig;
    EXPECT_TRUE(rig.decoder.StartMonitoring(25));
    EXPECT_TRUE(rig.state().StreamOn);
    EXPECT_EQ(rig.decoder.State().LastSample.Y, 255);
    EXPECT_TRUE(rig.decoder.State().RawRecording);
  }
  {
    StreamRig rig;
    rig.rec.fileOpens = false;
    EXPECT_FALSE(rig.decoder.StartMonitoring(5));
    EXPECT_FALSE(rig.state().StreamOn);
    EXPECT_TRUE(rig.fake.writes.empty());
  }
}

}  // namespace
}  // namespace tlx::test
