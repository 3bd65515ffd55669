#include "sim/SimulatedLink.h"

#include <algorithm>

namespace tlx {

SimulatedLink::SimulatedLink(VirtualClock& clock, SimulatedUnit& unit)
    : clock_(clock), unit_(unit) {
  sourceId_ = clock_.AddEventSource([this] { OnEvents(); });
  Reschedule();
}

SimulatedLink::~SimulatedLink() {
  clock_.RemoveEventSource(sourceId_);
  if (wakeId_ != 0) clock_.CancelDevice(wakeId_);
}

bool SimulatedLink::Open(int portNumber) {
  Close();
  if (portNumber < 1 || portNumber > 8 || unplugged_) return false;
  open_ = true;
  port_ = portNumber;
  return true;
}

void SimulatedLink::Close() {
  open_ = false;
  port_ = 0;
  rx_.clear();
  rxPos_ = 0;
  fresh_ = false;
}

void SimulatedLink::Unplug() {
  unplugged_ = true;
  Close();
  tx_.clear();  // bytes still on their way are lost with the cable
}

void SimulatedLink::Write(std::string_view bytes) {
  if (!open_ || bytes.empty()) return;
  if (sent_.size() < kSentRecordLimit) sent_.append(bytes);
  txFreeUs_ = std::max(txFreeUs_, clock_.NowUs()) +
              static_cast<std::int64_t>(bytes.size()) * SimulatedUnit::kByteUs;
  tx_.push_back({txFreeUs_, std::string(bytes)});
  Reschedule();
}

std::string SimulatedLink::Read(std::size_t maxBytes) {
  const std::size_t n = std::min(maxBytes, BufferedCount());
  std::string bytes = rx_.substr(rxPos_, n);
  rxPos_ += n;
  if (rxPos_ == rx_.size()) {
    rx_.clear();
    rxPos_ = 0;
  }
  return bytes;
}

void SimulatedLink::Deliver(const std::string& bytes) {
  if (!open_ || bytes.empty()) return;
  if (rxPos_ > 0 && rxPos_ >= rx_.size() / 2) {
    rx_.erase(0, rxPos_);
    rxPos_ = 0;
  }
  const std::size_t room = kReceiveCapacity - std::min(kReceiveCapacity, BufferedCount());
  rx_.append(bytes, 0, std::min(room, bytes.size()));
  fresh_ = true;
}

// The one device action: hands arrived bytes to the unit, then takes what the unit has sent.
void SimulatedLink::Wake() {
  wakeId_ = 0;
  const std::int64_t now = clock_.NowUs();
  while (!tx_.empty() && tx_.front().arriveUs <= now) {
    unit_.Receive(tx_.front().bytes, tx_.front().arriveUs);
    tx_.pop_front();
  }
  Deliver(unit_.TakeOutput(now));
  Reschedule();
}

void SimulatedLink::Reschedule() {
  std::int64_t next = unit_.NextEventUs();
  if (!tx_.empty()) next = std::min(next, tx_.front().arriveUs);
  if (next != SimulatedUnit::kNever) next = std::max(next, clock_.NowUs());
  if (wakeId_ != 0 && wakeAtUs_ == next) return;
  if (wakeId_ != 0) clock_.CancelDevice(wakeId_);
  wakeId_ = 0;
  if (next == SimulatedUnit::kNever) return;
  wakeAtUs_ = next;
  wakeId_ = clock_.ScheduleDevice(wakeAtUs_, [this] { Wake(); });
}

void SimulatedLink::OnEvents() {
  if (!fresh_) return;
  fresh_ = false;
  if (open_ && BufferedCount() > 0) RaiseReceive();
}

}  // namespace tlx
