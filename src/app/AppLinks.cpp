#include "app/AppLinks.h"

#include <QThread>

#include <algorithm>

namespace tlx::gui {

namespace {
constexpr int kLongestTickMs = 1000;  // the longest sleep between two looks at the unit
constexpr int kDeviceTickMs = 20;  // how often the device is looked at besides its notifier
}  // namespace

SimulatedPort::SimulatedPort(LocalDateTime start, std::uint32_t seed, double speed,
                             QObject* parent)
    : QObject(parent), clock_(start), unit_(seed), inner_(clock_, unit_),
      speed_(speed > 0 ? speed : 1.0) {
  elapsed_.start();
  ticker_.setTimerType(Qt::PreciseTimer);
  ticker_.setSingleShot(true);
  connect(&ticker_, &QTimer::timeout, this, &SimulatedPort::OnTick);
  Arm();
}

// The next look at the line comes when the unit next acts (a reply, the next streamed sample),
// not on a fixed beat: an idle unit costs no processor time.
void SimulatedPort::Arm() {
  std::int64_t waitUs = 0;
  if (inner_.BufferedCount() <= announced_) {
    const std::int64_t next = clock_.NextDeviceUs();
    const std::int64_t ahead = next - clock_.NowUs();
    waitUs = ahead > std::int64_t{kLongestTickMs} * 1000 ? std::int64_t{kLongestTickMs} * 1000
                                                         : static_cast<std::int64_t>(static_cast<double>(ahead) / speed_);
  }
  const int ms = static_cast<int>(std::clamp<std::int64_t>((waitUs + 999) / 1000, 0, kLongestTickMs));
  if (!ticker_.isActive() || ticker_.remainingTime() > ms) ticker_.start(ms);
}

SimulatedPort::~SimulatedPort() = default;

void SimulatedPort::Sync() {
  const std::int64_t nowUs =
      nowUs_ ? nowUs_() : static_cast<std::int64_t>(static_cast<double>(elapsed_.nsecsElapsed()) / 1000.0 * speed_);
  if (nowUs <= clock_.NowUs()) return;
  clock_.AdvanceDevicesTo(nowUs);
  if (nowUs_ && inner_.BufferedCount() > announced_) Arm();  // time may have jumped
}

void SimulatedPort::WaitReadable(int timeoutMs) {
  Sync();
  std::int64_t sleepUs = std::int64_t{timeoutMs} * 1000;
  const std::int64_t next = clock_.NextDeviceUs();
  if (next - clock_.NowUs() < sleepUs * speed_) {
    sleepUs = static_cast<std::int64_t>(static_cast<double>(next - clock_.NowUs()) / speed_) + 1;
  }
  if (sleepUs > 0) QThread::usleep(static_cast<unsigned long>(sleepUs));
  Sync();
}

bool SimulatedPort::Open(int portNumber) {
  Sync();
  announced_ = 0;
  const bool opened = inner_.Open(portNumber);
  Arm();
  return opened;
}

void SimulatedPort::Close() {
  Sync();  // what was written by now reaches the unit, as a device drains on closing
  inner_.Close();
  announced_ = 0;
}

void SimulatedPort::Write(std::string_view bytes) {
  Sync();
  inner_.Write(bytes);
  Arm();
}

std::size_t SimulatedPort::BufferedCount() {
  Sync();
  const std::size_t n = inner_.BufferedCount();
  if (n < announced_) announced_ = n;
  return n;
}

std::string SimulatedPort::Read(std::size_t maxBytes) {
  Sync();
  std::string bytes = inner_.Read(maxBytes);
  announced_ = inner_.BufferedCount();
  return bytes;
}

void SimulatedPort::OnTick() {
  Sync();
  const std::size_t n = inner_.BufferedCount();
  if (n > announced_) {
    announced_ = n;
    RaiseReceive();
  }
  Arm();
}

DevicePort::DevicePort(TermiosLink& link, QObject* parent) : QObject(parent), link_(link) {
  ticker_.setInterval(kDeviceTickMs);
  connect(&ticker_, &QTimer::timeout, this, [this] {
    Watch();
    if (link_.IsOpen()) link_.Poll();
  });
  ticker_.start();
}

// Follows the link's descriptor: the core opens and closes the device whenever it resets the unit.
void DevicePort::Watch() {
  const int fd = link_.FileDescriptor();
  if (fd == watchedFd_) return;
  if (notifier_) {
    notifier_->setEnabled(false);
    notifier_.release()->deleteLater();  // it may be the sender of the running signal
  }
  watchedFd_ = fd;
  if (fd < 0) return;
  notifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
    Watch();
    if (link_.IsOpen()) link_.Poll();
  });
}

}  // namespace tlx::gui
