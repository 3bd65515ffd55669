// Hands the unit's position stream to the run and to the live display: reads what the link has
// buffered, lets the stream parser turn it into samples, and passes each sample on. Also polls
// single samples at the low rates. It opens no file and asks the user nothing: the run controller
// decides when a stream is monitored and what is recorded.
#pragma once

#include "common/PositionSample.h"
#include "device/CommandSet.h"
#include "device/StreamParser.h"
#include "device/TrackerLink.h"

#include <cstdint>
#include <vector>

namespace tlx {

// What a run does with streamed samples; the run controller implements it.
class RunSampleSink {
 public:
  virtual ~RunSampleSink() = default;
  virtual bool RunIsRunning() = 0;
  virtual void AppendRecordedSample(const PositionSample& sample) = 0;
  // Run accounting; may end the run and stop the stream.
  virtual void AccountSample(const PositionSample& sample) = 0;
  // The next sample handed on is a lost sample standing for a pair broken by line noise.
  virtual void CountLineNoise() {}
};

// The live position display; the display model implements it.
class SampleDisplay {
 public:
  virtual ~SampleDisplay() = default;
  virtual void UpdateLiveDisplay(const PositionSample& sample) = 0;
};

struct DecoderState {
  PositionSample LastSample;
  bool RawRecording = false;  // set by the run: streamed samples go to its recorded sample file
};

class StreamDecoder {
 public:
  static constexpr double kPollWait = 0.1;

  // Installs itself as the link's stream handler.
  StreamDecoder(TrackerLink& link, CommandSet& commands);
  ~StreamDecoder();
  StreamDecoder(const StreamDecoder&) = delete;
  StreamDecoder& operator=(const StreamDecoder&) = delete;

  // Either hand-off may be null.
  void SetRunSink(RunSampleSink* run) { run_ = run; }
  void SetDisplay(SampleDisplay* display) { display_ = display; }

  DecoderState& State() { return state_; }
  const DecoderState& State() const { return state_; }
  const StreamParser& Parser() const { return parser_; }

  void StartStreamIfAwake();
  // Decodes what is buffered (called by the receive dispatch while the stream is on).
  void DecodeBatch();
  // Asks the unit for one position and waits up to 0.1 s for its two bytes.
  bool PollOneSample();

 private:
  void ShowSample(const PositionSample& sample);

  TrackerLink& link_;
  CommandSet& commands_;
  RunSampleSink* run_ = nullptr;
  SampleDisplay* display_ = nullptr;
  DecoderState state_;
  StreamParser parser_;
  std::vector<StreamSample> samples_;  // scratch for the parser's output
};

}  // namespace tlx
