// A serial link to the simulated unit inside the program, on a virtual clock: written bytes
// cross the line at 19200 baud and reach the unit; the unit's answers and stream are put into the
// receive buffer by device actions on the clock, and a clock event source raises the receive
// event when new bytes arrived. The unit can be unplugged.
#pragma once

#include "common/VirtualClock.h"
#include "device/SerialLink.h"
#include "sim/SimulatedUnit.h"

#include <cstdint>
#include <deque>
#include <string>

namespace tlx {

class SimulatedLink : public SerialLink {
 public:
  // Bytes the receive buffer holds at most; what arrives beyond is lost, as on a real port.
  static constexpr std::size_t kReceiveCapacity = 4096;
  // Bytes of the sent-bytes record kept at most.
  static constexpr std::size_t kSentRecordLimit = 16u << 20;

  SimulatedLink(VirtualClock& clock, SimulatedUnit& unit);
  ~SimulatedLink() override;
  SimulatedLink(const SimulatedLink&) = delete;
  SimulatedLink& operator=(const SimulatedLink&) = delete;

  // Ports 1..8 open while the unit is plugged in.
  bool Open(int portNumber) override;
  void Close() override;
  bool IsOpen() const override { return open_; }
  void Write(std::string_view bytes) override;
  std::size_t BufferedCount() override { return rx_.size() - rxPos_; }
  std::string Read(std::size_t maxBytes = static_cast<std::size_t>(-1)) override;

  // The cable or adapter goes away: the port closes, buffered bytes are lost, opening fails from
  // then on.
  void Unplug();

  // Plans the unit's output anew; call it after changing the unit directly (noise, frame rate).
  void Refresh() { Reschedule(); }

  // Every byte written while the port was open, in order (the bytes on the wire).
  const std::string& Sent() const { return sent_; }
  void ClearSent() { sent_.clear(); }

 private:
  struct Outgoing {
    std::int64_t arriveUs;
    std::string bytes;
  };

  void Wake();
  void Reschedule();
  void Deliver(const std::string& bytes);
  void OnEvents();

  VirtualClock& clock_;
  SimulatedUnit& unit_;
  int sourceId_ = 0;
  int wakeId_ = 0;  // the one pending device action (0: none)
  std::int64_t wakeAtUs_ = 0;
  bool open_ = false;
  bool unplugged_ = false;
  int port_ = 0;
  bool fresh_ = false;  // bytes arrived since the last receive event
  std::string rx_;
  std::size_t rxPos_ = 0;
  std::deque<Outgoing> tx_;
  std::int64_t txFreeUs_ = 0;
  std::string sent_;
};

}  // namespace tlx
