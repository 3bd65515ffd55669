#include "FakeLink.h"

#include <algorithm>

namespace tlx::test {

FakeLink::FakeLink(VirtualClock& clock) : clock_(clock) {
  // Raised whenever bytes are waiting, as the real link's poll does.
  source_ = clock_.AddEventSource([this] {
    if (!buffer_.empty()) RaiseReceive();
  });
}

FakeLink::~FakeLink() { clock_.RemoveEventSource(source_); }

bool FakeLink::Open(int portNumber) {
  openedPorts.push_back(portNumber);
  open_ = openable;
  return open_;
}

void FakeLink::Write(std::string_view bytes) {
  if (!open_) return;
  writes.emplace_back(NowMs(clock_), std::string(bytes));
  auto it = answers_.find(std::string(bytes));
  if (it != answers_.end()) DeliverAfter(it->second.second, it->second.first);
}

std::string FakeLink::Read(std::size_t maxBytes) {
  const std::size_t n = std::min(maxBytes, buffer_.size());
  largestRead = std::max(largestRead, n);
  std::string out = buffer_.substr(0, n);
  buffer_.erase(0, n);
  return out;
}

void FakeLink::DeliverAfter(std::int64_t delayMs, std::string bytes) {
  clock_.ScheduleDevice(clock_.NowUs() + delayMs * 1000,
                        [this, bytes = std::move(bytes)] {
                          if (open_) buffer_ += bytes;
                        });
}

void FakeLink::Answer(std::string command, std::string reply, std::int64_t delayMs) {
  answers_[std::move(command)] = {std::move(reply), delayMs};
}

void FakeLink::DisconnectAfter(std::int64_t delayMs) {
  clock_.ScheduleDevice(clock_.NowUs() + delayMs * 1000, [this] { open_ = false; });
}

std::string FakeLink::Written() const {
  std::string all;
  for (const auto& [ms, bytes] : writes) all += bytes;
  return all;
}

}  // namespace tlx::test
