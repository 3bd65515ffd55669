// The real serial link: a Linux serial device (USB adapter, UART or pseudo-terminal) opened raw at
// 19200 baud, 8 data bits, no parity, 1 stop bit, no flow control, DTR and RTS raised. A unit has
// one owner: the device file itself carries an exclusive kernel lock (flock) while it is open, and
// the device is opened exclusively (TIOCEXCL) as well, so every name of one device (/dev/ttyUSB0,
// its /dev/serial/by-id link) is refused to a second program, root's included, before a byte is
// sent. A refusal names the holding process only when it is seen holding the device.
#pragma once

#include "common/Clock.h"
#include "device/SerialLink.h"

#include <functional>
#include <string>

namespace tlx {

class TermiosLink : public SerialLink, public LineWatch {
 public:
  // Bytes kept on our side of the device at most; beyond that they wait in the kernel.
  static constexpr std::size_t kLocalBufferLimit = 3000;
  // How long a write may wait for room in the device's output buffer.
  static constexpr int kWriteTimeoutMs = 2000;

  // `devicePathFor` tells which device a port number means (empty text: none). Earlier versions
  // kept the units' lock files in `lockDirectory` (empty: the machine's lock directory,
  // /run/lock, else /tmp); a stale one of this user is removed when its device is opened.
  explicit TermiosLink(std::function<std::string(int)> devicePathFor,
                       std::string lockDirectory = {});
  ~TermiosLink() override;
  TermiosLink(const TermiosLink&) = delete;
  TermiosLink& operator=(const TermiosLink&) = delete;

  bool Open(int portNumber) override;
  // Opens a device by path, as Open does for a port number.
  bool OpenDevice(const std::string& path);
  void Close() override;
  bool IsOpen() const override { return fd_ >= 0; }
  PortOpenResult LastOpen() const override { return lastOpen_; }
  void Write(std::string_view bytes) override;
  std::size_t BufferedCount() override;
  std::string Read(std::size_t maxBytes = static_cast<std::size_t>(-1)) override;

  // For the event loop: takes in what the device has received and raises the receive event when
  // bytes are waiting. Notices a device that went away.
  void Poll();
  // Moves what the device has received to our side (no receive event); when there was nothing,
  // blocks until the device has bytes or timeoutMs has passed. A closed port just sleeps; a device that went away
  // is noticed and closed.
  void WaitReadable(int timeoutMs) override;
  // The open device's descriptor (-1 when closed), for a socket notifier.
  int FileDescriptor() const { return fd_; }
  // True once the device went away while open (cleared by the next open): a read or a wait that
  // found it hung up or failing with EIO, ENXIO or ENODEV; an empty line or an interrupted call
  // is not that.
  bool DeviceLost() const override { return lost_; }

 private:
  bool Lock();
  void RemoveStaleLockFile() const;
  bool Configure();
  bool HungUp() const;
  void Fill(std::size_t limit);
  void Lose();

  std::function<std::string(int)> devicePathFor_;
  std::string lockDirectory_;
  PortOpenResult lastOpen_;
  int fd_ = -1;
  bool lost_ = false;
  std::string local_;
};

}  // namespace tlx
