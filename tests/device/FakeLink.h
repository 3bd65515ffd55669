// A scripted serial link on a virtual clock: records every write with its virtual time and puts
// scripted replies on the line later, as a unit would; plus the device layer wired to it.
#pragma once

#include "common/UserAnswers.h"
#include "common/VirtualClock.h"
#include "device/CommandSet.h"
#include "device/StreamDecoder.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace tlx::test {

namespace ub = unit_bytes;
using Writes = std::vector<std::pair<std::int64_t, std::string>>;  // (virtual ms, bytes)
using Texts = std::vector<std::string>;

class FakeLink : public SerialLink {
 public:
  explicit FakeLink(VirtualClock& clock) : clock_(clock) {
    // Raised whenever bytes are waiting, as the real link's poll does.
    source_ = clock_.AddEventSource([this] { if (!buffer_.empty()) RaiseReceive(); });
  }
  ~FakeLink() override { clock_.RemoveEventSource(source_); }

  bool Open(int portNumber) override { openedPorts.push_back(portNumber); return open_ = openable; }
  void Close() override { open_ = false; }
  bool IsOpen() const override { return open_; }
  void Write(std::string_view bytes) override {
    if (!open_) return;
    writes.emplace_back(clock_.NowUs() / 1000, std::string(bytes));
    auto it = answers_.find(std::string(bytes));
    if (it != answers_.end()) DeliverAfter(it->second.second, it->second.first);
  }
  std::size_t BufferedCount() override { return buffer_.size(); }
  std::string Read(std::size_t maxBytes) override {
    std::string out = buffer_.substr(0, maxBytes);
    buffer_.erase(0, out.size());
    return out;
  }

  void DeliverAfter(std::int64_t delayMs, std::string bytes) {
    clock_.ScheduleDevice(clock_.NowUs() + delayMs * 1000,
                          [this, bytes = std::move(bytes)] { if (open_) buffer_ += bytes; });
  }
  // Answers a write equal to `command` with `reply` after `delayMs`.
  void Answer(std::string command, std::string reply, std::int64_t delayMs = 2) {
    answers_[std::move(command)] = {std::move(reply), delayMs};
  }
  void DisconnectAfter(std::int64_t delayMs) {
    clock_.ScheduleDevice(clock_.NowUs() + delayMs * 1000, [this] { open_ = false; });
  }
  std::string Written() const {
    std::string all;
    for (const auto& w : writes) all += w.second;
    return all;
  }

  Writes writes;
  std::vector<int> openedPorts;
  bool openable = true;

 private:
  VirtualClock& clock_;
  int source_ = 0;
  bool open_ = false;
  std::string buffer_;
  std::map<std::string, std::pair<std::string, std::int64_t>> answers_;
};

struct DeviceRig {
  VirtualClock clock;
  FakeLink fake{clock};
  IntervalPacer pacer;
  TrackerLink link{fake, clock, pacer};
  ScriptedAnswers answers;
  CommandSet commands{link, answers};
  StreamDecoder decoder{link, commands};

  TrackerLinkState& state() { return link.State(); }
  void Open(bool awake = true) {
    link.OpenPort(1);
    state().UnitAwake = awake;
  }
  std::int64_t Ms() const { return clock.NowUs() / 1000; }
  void Run(std::int64_t ms) { clock.RunFor(ms); }
  // Every message shown to the user, as "caption|text".
  Texts Shown() const {
    Texts shown;
    for (const MessageRequest& m : answers.Messages()) shown.push_back(m.caption + "|" + m.text);
    return shown;
  }
};

// Bytes from spaced hex: "20 35 32 01 2E".
inline std::string Hex(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i + 1 < text.size(); i += 3)
    out += static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16));
  return out;
}

}  // namespace tlx::test
