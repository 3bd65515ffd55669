#include "device/StreamDecoder.h"

namespace tlx {
namespace {

constexpr std::int64_t kPollBoundMs = 1100;

PositionSample SampleOf(unsigned char x, unsigned char y) {
  return PositionSample{static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)};
}

}  // namespace

StreamDecoder::StreamDecoder(TrackerLink& link, CommandSet& commands, UserAnswers& answers)
    : link_(link), commands_(commands), answers_(answers) {
  link_.SetStreamHandlers([this] { DecodeBatch(); }, [this] { StreamStarted(); });
}

StreamDecoder::~StreamDecoder() { link_.SetStreamHandlers(nullptr, nullptr); }

void StreamDecoder::ShowSample(const PositionSample& sample) {
  if (display_) display_->UpdateLiveDisplay(sample);
}

bool StreamDecoder::StartMonitoring(int sampleRate) {
  if (!link_.PortOpen()) {
    answers_.ShowMessage({"Port Error", "The Port is\r\nnot open.", MsgIcon::Critical,
                          MsgButtons::Ok});
    return false;
  }
  state_.RawRecording = run_ != nullptr && run_->OpenRecordedSampleFile();
  if (!link_.State().UnitAwake && !commands_.WakeUpProbe()) return false;
  state_.LastSample.Y = kNoObjectY;
  if (sampleRate >= 25) return commands_.StartStream();
  return state_.RawRecording;
}

void StreamDecoder::StartStreamIfAwake() {
  if (link_.State().UnitAwake) commands_.StartStream();
}

void StreamDecoder::DecodeBatch() {
  SerialLink& serial = link_.Link();
  const std::size_t n = serial.BufferedCount();
  if (n < 2) return;
  std::string bytes = serial.Read(n);
  if (state_.HasLeftover) {
    bytes.insert(bytes.begin(), static_cast<char>(state_.Leftover));
    state_.HasLeftover = false;
  }
  if (bytes.size() % 2 == 1) {
    state_.Leftover = static_cast<unsigned char>(bytes.back());
    state_.HasLeftover = true;
    bytes.pop_back();
  }
  TrackerLinkState& link = link_.State();
  bool skipped = false;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    if (link.SkipCount > 0) {
      --link.SkipCount;
      skipped = true;
      continue;
    }
    state_.LastSample = SampleOf(static_cast<unsigned char>(bytes[i]),
                                 static_cast<unsigned char>(bytes[i + 1]));
    if (run_ != nullptr && run_->RunIsRunning()) {
      if (state_.RawRecording) run_->AppendRecordedSample(state_.LastSample);
      run_->AccountSample(state_.LastSample);
    } else if (link.StreamOn && !skipped) {
      ShowSample(state_.LastSample);
    }
    if (!link.StreamOn) break;
  }
  if (link.StreamOn && !skipped) ShowSample(state_.LastSample);
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
