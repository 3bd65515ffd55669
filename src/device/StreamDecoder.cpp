#include "device/StreamDecoder.h"

namespace tlx {
namespace {

constexpr std::int64_t kPollBoundMs = 1100;

PositionSample SampleOf(unsigned char x, unsigned char y) {
  return PositionSample{static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)};
}

}  // namespace

StreamDecoder::StreamDecoder(TrackerLink& link, CommandSet& commands)
    : link_(link), commands_(commands) {
  // A new stream pairs bytes from its own first byte and drops the pairs it starts with.
  link_.SetStreamHandlers([this] { DecodeBatch(); },
                          [this] { parser_.Restart(StreamParser::kStartSkipPairs); });
}

StreamDecoder::~StreamDecoder() { link_.SetStreamHandlers(nullptr, nullptr); }

void StreamDecoder::ShowSample(const PositionSample& sample) {
  if (display_) display_->UpdateLiveDisplay(sample);
}

void StreamDecoder::StartStreamIfAwake() {
  if (link_.State().UnitAwake) commands_.StartStream();
}

void StreamDecoder::DecodeBatch() {
  SerialLink& serial = link_.Link();
  const std::size_t n = serial.BufferedCount();
  if (n < 2) return;
  const std::string bytes = serial.Read(n);
  samples_.clear();
  const ParseResult parsed = parser_.Feed(
      {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, samples_);
  const TrackerLinkState& link = link_.State();
  for (const StreamSample& s : samples_) {
    state_.LastSample = s.Sample;
    if (run_ != nullptr && run_->RunIsRunning()) {
      if (s.LineNoise) run_->CountLineNoise();
      if (state_.RawRecording) run_->AppendRecordedSample(state_.LastSample);
      run_->AccountSample(state_.LastSample);
    } else if (link.StreamOn && !parsed.Skipped) {
      ShowSample(state_.LastSample);
    }
    if (!link.StreamOn) break;
  }
  if (link.StreamOn && !parsed.Skipped) ShowSample(state_.LastSample);
}

bool StreamDecoder::PollOneSample() {
  if (!link_.PortOpen() || link_.State().StreamOn) return false;
  link_.SendPort(unit_bytes::StopStream());
  IntervalPacer& pacer = link_.Pacer();
  Clock& clock = link_.GetClock();
  pacer.Restart(clock);
  TickDeadline bound(clock, kPollBoundMs);
  SerialLink& serial = link_.Link();
  bool got = false;
  while (!pacer.IntervalElapsed(clock, kPollWait) && !bound.Passed() && link_.PortOpen()) {
    if (serial.BufferedCount() == 2) {
      const std::string pair = serial.Read(2);
      if (pair.size() == 2) {
        state_.LastSample = SampleOf(static_cast<unsigned char>(pair[0]),
                                     static_cast<unsigned char>(pair[1]));
        got = true;
        break;
      }
    }
    clock.WaitQuietly(TrackerLink::kQuietPassUs);
  }
  ShowSample(state_.LastSample);
  return got;
}

}  // namespace tlx
