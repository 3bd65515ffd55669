// A scripted serial link on a virtual clock: records every write with its time and delivers
// scripted replies at virtual times, as a unit on the line would.
#pragma once

#include "common/TimeText.h"
#include "common/UserAnswers.h"
#include "common/VirtualClock.h"
#include "device/CommandSet.h"
#include "device/SerialLink.h"
#include "device/StreamDecoder.h"
#include "device/TrackerLink.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace tlx::test {

class FakeLink : public SerialLink {
 public:
  explicit FakeLink(VirtualClock& clock);
  ~FakeLink() override;

  bool Open(int portNumber) override;
  void Close() override { open_ = false; }
  bool IsOpen() const override { return open_; }
  void Write(std::string_view bytes) override;
  std::size_t BufferedCount() override { return buffer_.size(); }
  std::string Read(std::size_t maxBytes) override;

  // Puts bytes on the line `delayMs` of virtual time from now.
  void DeliverAfter(std::int64_t delayMs, std::string bytes);
  // Answers a write that equals `command` with `reply` after `delayMs`.
  void Answer(std::string command, std::string reply, std::int64_t delayMs = 2);
  // The device goes away `delayMs` from now.
  void DisconnectAfter(std::int64_t delayMs);

  std::string Written() const;
  std::vector<std::pair<std::int64_t, std::string>> writes;  // (virtual ms, bytes)
  std::vector<int> openedPorts;
  bool openable = true;
  std::size_t largestRead = 0;

 private:
  VirtualClock& clock_;
  int source_ = 0;
  bool open_ = false;
  std::string buffer_;
  std::map<std::string, std::pair<std::string, std::int64_t>> answers_;
};

// Virtual milliseconds since the clock's start.
inline std::int64_t NowMs(VirtualClock& clock) { return clock.NowUs() / 1000; }

// The device layer wired to a fake link. Open() opens port 1 and marks the unit awake.
struct DeviceRig {
  VirtualClock clock;
  FakeLink fake{clock};
  IntervalPacer pacer;
  TrackerLink link{fake, clock, pacer};
  ScriptedAnswers answers;
  CommandSet commands{link, answers};
  StreamDecoder decoder{link, commands, answers};

  TrackerLinkState& state() { return link.State(); }
  void Open(bool awake = true) {
    link.OpenPort(1);
    state().UnitAwake = awake;
  }
  void Run(std::int64_t ms) { clock.RunFor(ms); }
};

}  // namespace tlx::test
