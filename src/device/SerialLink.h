// The byte pipe to the unit. The real one is a Linux serial device (termios); the simulated unit
// provides an in-process one; tests use either. Reads never block: they take what is buffered.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace tlx {

// What became of the last open of a port: opened, or why not.
struct PortOpenResult {
  enum class Kind { Opened, NoDevice, CannotOpen, NotSerial, InUse, CannotLock };
  // The holder when only this program has the device open (another of its units).
  static constexpr long kHolderIsThisProgram = -1;
  Kind kind = Kind::Opened;
  std::string device;  // the device path the port number meant
  int error = 0;       // the system's error number (CannotOpen, CannotLock)
  // The process seen holding the unit (InUse; 0 when none is seen, kHolderIsThisProgram).
  long holder = 0;
};

// The user's text for a failed open ("The unit on COM1 (/dev/ttyUSB0) is in use by process 42.");
// empty when the port opened. A device the user may not open names the group that may.
std::string PortOpenFailureText(const PortOpenResult& result, int comPort);

class SerialLink {
 public:
  virtual ~SerialLink() = default;

  // Opens the port with the given number (1..8), configured "19200, N, 8, 1", DTR and RTS raised,
  // no flow control. Closes any open port first. False on any failure.
  virtual bool Open(int portNumber) = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  // Why the last Open failed; links that cannot tell say Opened.
  virtual PortOpenResult LastOpen() const { return {}; }

  // Sends the bytes in order; a closed port drops them.
  virtual void Write(std::string_view bytes) = 0;
  // Bytes received and not yet read.
  virtual std::size_t BufferedCount() = 0;
  // Takes at most maxBytes of the buffered bytes (all of them by default).
  virtual std::string Read(std::size_t maxBytes = static_cast<std::size_t>(-1)) = 0;
  // True once the open device went away (an adapter unplugged, a unit switched off, the other
  // side of a terminal closed), until the next open. Links that cannot tell say false.
  virtual bool DeviceLost() const { return false; }

  // Raised (as a program event) whenever bytes have been received.
  void SetReceiveHandler(std::function<void()> handler) { onReceive_ = std::move(handler); }

 protected:
  void RaiseReceive() {
    if (onReceive_) onReceive_();
  }

 private:
  std::function<void()> onReceive_;
};

}  // namespace tlx
