// The program's only way to the unit: the port's state, the one send operation, the receive
// dispatch, and the reads that wait for a reply without letting other events run.
#pragma once

#include "common/Clock.h"
#include "common/TimeText.h"
#include "device/SerialLink.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tlx {

struct TrackerLinkState {
  bool PortIsOpen = false;
  bool UnitAwake = false;
  bool StreamOn = false;
  bool MaskSetupActive = false;
  std::int16_t LastReadCount = 0;
  std::string LastReadBytes;  // one byte per char
  std::string LastReadText;   // the same bytes, one character per byte
};

class TrackerLink {
 public:
  // Bounds of the reads that do not yield, in seconds.
  static constexpr double kQuietStop = 0.1;
  static constexpr double kQuietLimit = 0.9;
  static constexpr double kTwoByteLimit = 0.5;
  static constexpr double kSingleByteWait = 0.1;
  // Longest single block of those reads, in microseconds; new bytes end a block at once, so this
  // only sets how late a read notices that its time is up.
  static constexpr std::int64_t kQuietPassUs = 10000;

  // Installs itself as the link's receive handler. The pacer is the program's shared pacing check.
  TrackerLink(SerialLink& link, Clock& clock, IntervalPacer& pacer);
  ~TrackerLink();
  TrackerLink(const TrackerLink&) = delete;
  TrackerLink& operator=(const TrackerLink&) = delete;

  TrackerLinkState& State() { return state_; }
  const TrackerLinkState& State() const { return state_; }
  Clock& GetClock() { return clock_; }
  IntervalPacer& Pacer() { return pacer_; }
  SerialLink& Link() { return link_; }

  // Closes first; a port number outside 1..8 leaves the port closed. PortIsOpen takes the result.
  bool OpenPort(int portNumber);
  void ClosePort();
  // PortIsOpen, cleared when the link has noticed that its device went away.
  bool PortOpen();
  // The link noticed that the unit's device went away (unplugged, switched off).
  bool DeviceLost() const { return link_.DeviceLost(); }

  // Writes the text when the port is open; otherwise drops it silently.
  void SendPort(std::string_view text);

  // The receive event. Bytes are discarded until the unit is awake, handed to the stream handler
  // while the stream is on, and discarded otherwise.
  void OnReceive();
  // Who decodes the stream (the sample decoder) and who hears that a new stream was started
  // (it pairs from the new stream's first byte and drops the pairs the stream starts with).
  void SetStreamHandlers(std::function<void()> onBytes, std::function<void()> onStarted);
  void NotifyStreamStarted();
  // Called when MaskSetupActive was cleared by the dispatch, so the mask label can be refreshed.
  void SetMaskStatusHandler(std::function<void()> handler) { onMaskStatus_ = std::move(handler); }

  // While set, the dispatch leaves received bytes in the buffer (the wake-up probe's reply).
  void SetProbeOption(bool on) { probeOption_ = on; }

  // Reads and drops everything buffered.
  void DiscardBuffered();
  // While a stream is being started, the dispatch drops only whole pairs, so the stream's pairing
  // is not shifted by where a receive event happened to split the bytes.
  void SetStreamStarting(bool on) { streamStarting_ = on; }

  // Waits without yielding until `expected` bytes are buffered or the line has been quiet long
  // enough, then takes every buffered byte (LastReadCount tells how many). False on a closed port.
  bool CountedRead(int expected, bool stopWhenQuiet);
  // Drops what is buffered, sends the query and waits up to 0.5 s for two bytes; takes all that
  // came and returns the first two as low + 256 * high, or -1.
  std::int32_t TwoByteRead(std::string_view query);
  // After a send: polls for 0.1 s without yielding; each time exactly one byte is buffered it is
  // taken. True when one of the bytes so taken was `expected`.
  bool SingleByteWait(char expected);
  // Lets pending events run until the tick count has moved on by `milliseconds`, blocking while
  // nothing happens.
  void WaitMilliseconds(std::int64_t milliseconds);

 private:
  void DiscardReceived();

  SerialLink& link_;
  Clock& clock_;
  IntervalPacer& pacer_;
  TrackerLinkState state_;
  std::function<void()> onStreamBytes_;
  std::function<void()> onStreamStarted_;
  std::function<void()> onMaskStatus_;
  bool probeOption_ = false;
  bool dispatching_ = false;
  bool streamStarting_ = false;
};

// A bound on a wait that does not depend on the time of day: ends the wait even when the wall clock
// jumps backwards or the device keeps talking.
class TickDeadline {
 public:
  TickDeadline(Clock& clock, std::int64_t limitMs)
      : clock_(clock), end_(clock.TickMs() + limitMs) {}
  bool Passed() { return clock_.TickMs() >= end_; }

 private:
  Clock& clock_;
  std::int64_t end_;
};

}  // namespace tlx
