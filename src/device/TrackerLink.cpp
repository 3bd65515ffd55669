#include "device/TrackerLink.h"

#include <algorithm>

namespace tlx {
namespace {

// Margin added to every time-of-day bound, measured on the monotonic tick.
constexpr std::int64_t kTickMarginMs = 1000;
// Bytes per second at 19200 baud, 8N1.
constexpr std::int64_t kLineBytesPerSecond = 1920;

}  // namespace

TrackerLink::TrackerLink(SerialLink& link, Clock& clock, IntervalPacer& pacer)
    : link_(link), clock_(clock), pacer_(pacer) {
  link_.SetReceiveHandler([this] { OnReceive(); });
}

TrackerLink::~TrackerLink() { link_.SetReceiveHandler(nullptr); }

bool TrackerLink::OpenPort(int portNumber) {
  ClosePort();
  if (portNumber < 1 || portNumber > 8) return false;
  state_.PortIsOpen = link_.Open(portNumber);
  return state_.PortIsOpen;
}

void TrackerLink::ClosePort() {
  link_.Close();
  state_.PortIsOpen = false;
}

bool TrackerLink::PortOpen() {
  if (state_.PortIsOpen && !link_.IsOpen()) state_.PortIsOpen = false;
  return state_.PortIsOpen;
}

void TrackerLink::SendPort(std::string_view text) {
  if (PortOpen()) link_.Write(text);
}

void TrackerLink::SetStreamHandlers(std::function<void()> onBytes,
                                    std::function<void()> onStarted) {
  onStreamBytes_ = std::move(onBytes);
  onStreamStarted_ = std::move(onStarted);
}

void TrackerLink::NotifyStreamStarted() {
  if (onStreamStarted_) onStreamStarted_();
}

void TrackerLink::DiscardBuffered() {
  const std::size_t n = link_.BufferedCount();
  if (n > 0) link_.Read(n);
}

void TrackerLink::DiscardReceived() {
  std::size_t n = link_.BufferedCount();
  if (streamStarting_) n -= n % 2;
  if (n > 0) link_.Read(n);
}

void TrackerLink::OnReceive() {
  // The probe's reply must stay in the buffer for the probe. A receive event that arrives while
  // one is being handled (a wait inside the decoder's hand-off) leaves its bytes for the next
  // event, so samples are never handled out of order.
  if (probeOption_ || dispatching_) return;
  dispatching_ = true;
  if (!state_.UnitAwake) {
    if (state_.MaskSetupActive) {
      state_.MaskSetupActive = false;
      if (onMaskStatus_) onMaskStatus_();
    }
    DiscardReceived();
  } else if (state_.StreamOn && onStreamBytes_) {
    onStreamBytes_();
  } else {
    DiscardReceived();
  }
  dispatching_ = false;
}

bool TrackerLink::CountedRead(int expected, bool stopWhenQuiet) {
  if (!PortOpen()) return false;
  const std::int64_t transferMs =
      expected > 0 ? 2 * 1000 * static_cast<std::int64_t>(expected) / kLineBytesPerSecond : 0;
  TickDeadline bound(clock_, static_cast<std::int64_t>(kQuietLimit * 1000) + transferMs +
                                 kTickMarginMs);
  std::size_t previous = link_.BufferedCount();
  double quietStart = clock_.SecondsSinceMidnight();
  while (true) {
    const std::size_t n = link_.BufferedCount();
    if (expected > 0 && n >= static_cast<std::size_t>(expected)) break;
    if (n > previous) quietStart = clock_.SecondsSinceMidnight();
    previous = n;
    const double quiet = ElapsedSince(clock_, quietStart);
    if (stopWhenQuiet && n >= 1 && quiet > kQuietStop) break;
    if (quiet > kQuietLimit || bound.Passed() || !PortOpen()) break;
    clock_.WaitQuietly(kQuietPassUs);
  }
  // Everything buffered is taken, also beyond the expected count: a reply longer than asked for
  // is not the reply the caller waited for, and the caller sees that in LastReadCount.
  const std::size_t take = link_.BufferedCount();
  state_.LastReadBytes = take > 0 ? link_.Read(take) : std::string();
  state_.LastReadCount =
      static_cast<std::int16_t>(std::min<std::size_t>(state_.LastReadBytes.size(), 32767));
  state_.LastReadText = state_.LastReadBytes;
  return true;
}

std::int32_t TrackerLink::TwoByteRead(std::string_view query) {
  if (!PortOpen()) return -1;
  DiscardBuffered();
  SendPort(query);
  TickDeadline bound(clock_, static_cast<std::int64_t>(kTwoByteLimit * 1000) + kTickMarginMs);
  const double start = clock_.SecondsSinceMidnight();
  while (link_.BufferedCount() < 2) {
    if (ElapsedSince(clock_, start) > kTwoByteLimit || bound.Passed() || !PortOpen()) break;
    clock_.WaitQuietly(kQuietPassUs);
  }
  const std::size_t buffered = link_.BufferedCount();
  if (buffered < 2) return -1;
  // The whole answer is taken; its first two bytes are the value.
  const std::string reply = link_.Read(buffered);
  if (reply.size() < 2) return -1;
  return static_cast<unsigned char>(reply[0]) + 256 * static_cast<unsigned char>(reply[1]);
}

bool TrackerLink::SingleByteWait(char expected) {
  bool seen = false;
  pacer_.Restart(clock_);
  TickDeadline bound(clock_, static_cast<std::int64_t>(kSingleByteWait * 1000) + kTickMarginMs);
  while (!pacer_.IntervalElapsed(clock_, kSingleByteWait)) {
    if (bound.Passed() || !PortOpen()) break;
    if (link_.BufferedCount() == 1) {
      const std::string byte = link_.Read(1);
      if (!byte.empty() && byte[0] == expected) seen = true;
    }
    clock_.WaitQuietly(kQuietPassUs);
  }
  return seen;
}

void TrackerLink::WaitMilliseconds(std::int64_t milliseconds) {
  const std::int64_t end = clock_.TickMs() + milliseconds;
  for (std::int64_t left = milliseconds; left > 0; left = end - clock_.TickMs()) {
    clock_.WaitForEvents(left);
  }
}

}  // namespace tlx
