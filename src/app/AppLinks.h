// The serial links of the desktop program: a real serial device watched by the event loop, and
// the simulated unit running in real time for "--simulate".
#pragma once

#include "common/VirtualClock.h"
#include "device/SerialLink.h"
#include "device/TermiosLink.h"
#include "sim/SimulatedLink.h"
#include "sim/SimulatedUnit.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <functional>
#include <memory>

namespace tlx::gui {

// The simulated unit behind a serial link, paced by the wall clock: every look at the line
// first lets the unit catch up with real time, and a short timer raises the receive event when
// bytes have arrived.
class SimulatedPort : public QObject, public SerialLink, public LineWatch {
  Q_OBJECT

 public:
  // `speed` runs the unit faster than the wall clock (tests); 1 is real time.
  explicit SimulatedPort(LocalDateTime start, std::uint32_t seed = 1, double speed = 1.0,
                         QObject* parent = nullptr);
  ~SimulatedPort() override;

  bool Open(int portNumber) override;
  void Close() override;
  bool IsOpen() const override { return inner_.IsOpen(); }
  void Write(std::string_view bytes) override;
  std::size_t BufferedCount() override;
  std::string Read(std::size_t maxBytes = static_cast<std::size_t>(-1)) override;

  // Lets the unit catch up with the wall clock, or the followed time (no program events run).
  void Sync();
  // Takes the unit's time (microseconds since this port was made) from `nowUs` instead of the
  // wall clock: the widget tests' clock, which jumps over waits.
  void FollowTime(std::function<std::int64_t()> nowUs) { nowUs_ = std::move(nowUs); }
  // When the unit acts next, on the same scale.
  std::int64_t NextActionUs() const { return clock_.NextDeviceUs(); }
  // Sleeps until the unit's next action is due or timeoutMs has passed, then catches up.
  void WaitReadable(int timeoutMs) override;
  SimulatedUnit& Unit() { return unit_; }
  SimulatedLink& Line() { return inner_; }

 private:
  void OnTick();
  void Arm();

  VirtualClock clock_;
  SimulatedUnit unit_;
  SimulatedLink inner_;
  QElapsedTimer elapsed_;
  double speed_;
  std::function<std::int64_t()> nowUs_;
  QTimer ticker_;
  std::size_t announced_ = 0;  // bytes buffered when the receive event was last raised
};

// A Linux serial device whose received bytes raise the receive event through the event loop.
class DevicePort : public QObject {
  Q_OBJECT

 public:
  explicit DevicePort(TermiosLink& link, QObject* parent = nullptr);

 private:
  void Watch();

  TermiosLink& link_;
  std::unique_ptr<QSocketNotifier> notifier_;
  int watchedFd_ = -1;
  QTimer ticker_;
};

}  // namespace tlx::gui
