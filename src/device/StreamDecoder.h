// Turns the unit's position stream (X, Y byte pairs) into samples and hands each one to the run
// and to the live display; also starts monitoring and polls single samples at the low rates.
#pragma once

#include "common/UserAnswers.h"
#include "common/PositionSample.h"
#include "device/CommandSet.h"
#include "device/TrackerLink.h"

#include <cstdint>

namespace tlx {

constexpr std::int16_t kNoObjectY = 255;

// What a run does with streamed samples; the run controller implements it.
class RunSampleSink {
 public:
  virtual ~RunSampleSink() = default;
  virtual bool RunIsRunning() = 0;
  // Opens a new recorded sample file for the current data file; true when it is open.
  virtual bool OpenRecordedSampleFile() = 0;
  virtual void AppendRecordedSample(const PositionSample& sample) = 0;
  // Run accounting; may end the run and stop the stream.
  virtual void AccountSample(const PositionSample& sample) = 0;
};

// The live position display; the display model implements it.
class SampleDisplay {
 public:
  virtual ~SampleDisplay() = default;
  virtual void UpdateLiveDisplay(const PositionSample& sample) = 0;
};

struct DecoderState {
  PositionSample LastSample;
  bool RawRecording = false;
  bool HasLeftover = false;
  unsigned char Leftover = 0;
};

class StreamDecoder {
 public:
  static constexpr double kPollWait = 0.1;

  // Installs itself as the link's stream handler. Either hand-off may be null.
  StreamDecoder(TrackerLink& link, CommandSet& commands, UserAnswers& answers);
  ~StreamDecoder();
  StreamDecoder(const StreamDecoder&) = delete;
  StreamDecoder& operator=(const StreamDecoder&) = delete;

  void SetRunSink(RunSampleSink* run) { run_ = run; }
  void SetDisplay(SampleDisplay* display) { display_ = display; }

  DecoderState& State() { return state_; }
  const DecoderState& State() const { return state_; }

  // Opens the recorded sample file, wakes the unit when needed and starts the stream at the full
  // rates (25 and 30). A closed port shows "Port Error".
  bool StartMonitoring(int sampleRate);
  void StartStreamIfAwake();
  // Decodes what is buffered (called by the receive dispatch while the stream is on).
  void DecodeBatch();
  // Asks the unit for one position and waits up to 0.1 s for its two bytes.
  bool PollOneSample();
  // A new stream begins: pairing starts again from its first byte.
  void StreamStarted() { state_.HasLeftover = false; }

 private:
  void ShowSample(const PositionSample& sample);

  TrackerLink& link_;
  CommandSet& commands_;
  UserAnswers& answers_;
  RunSampleSink* run_ = nullptr;
  SampleDisplay* display_ = nullptr;
  DecoderState state_;
};

}  // namespace tlx
