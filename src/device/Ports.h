// Which serial device each port number means: the devices the system reports, the "PORTS.INI"
// binding of COM1.. to device paths, the port dialog's list, and the port selector's logic.
#pragma once

#include "device/TrackerLink.h"
#include "setup/ProgramSettings.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace tlx {

struct PortBinding {
  int Number = 0;      // the n of "COMn"
  std::string Device;  // e.g. "/dev/ttyUSB0"
};
using PortTable = std::vector<PortBinding>;  // ordered by number

inline constexpr const char* kPortsFileName = "PORTS.INI";

// Serial devices present, as device paths: USB adapters (ttyUSB, ttyACM) first, then ports with a
// real UART (ttyS), then other serial devices; numbers in natural order within each group. A
// device with a stable name under devDir/serial/by-id is given by that name, which follows the
// adapter when it is plugged in again and the system names it anew.
std::vector<std::string> ListSerialDevices(const std::string& sysClassTty = "/sys/class/tty",
                                           const std::string& devDir = "/dev");
// The stable name under devDir/serial/by-id of a device path (empty text when it has none).
std::string StableNameOf(const std::string& devicePath, const std::string& devDir = "/dev");
// The device a stable name leads to now ("/dev/ttyUSB1"); empty text for a path that is no link
// or leads nowhere.
std::string CurrentDeviceOf(const std::string& path);
// COM1, COM2, ... in the given order.
PortTable NumberDevices(const std::vector<std::string>& devices);

// 'COM1 = "/dev/ttyUSB0"' lines; other lines are skipped and the last duplicate wins. False when
// the file cannot be read.
bool ReadPortsFile(const std::string& path, PortTable& table);
// The binding of the program home's "PORTS.INI", else the system's devices numbered in order.
PortTable LoadPortTable(const std::string& homeDir,
                        const std::string& sysClassTty = "/sys/class/tty",
                        const std::string& devDir = "/dev");

// The table after the system's devices were listed again: every number keeps its device, so the
// ports do not shift under the user, and a device that no number leads to yet takes the lowest
// free number.
PortTable AddNewDevices(const PortTable& table, const std::vector<std::string>& devices);

// The device bound to a port number; empty text when none.
std::string DevicePathFor(const PortTable& table, int number);

// The port dialog: entries "COMn  device" from the last port to the first; a stable name shows the
// device it leads to now beside it: "COMn  usb-Adapter_123-if00-port0  (/dev/ttyUSB0)".
std::vector<std::string> PickComEntries(const PortTable& table);
// The number in an entry's text from its fourth character on (0 when none).
int PortNumberOfEntry(const std::string& entry);
// The entry whose number is comPort, or -1.
int PickComActivate(const std::vector<std::string>& entries, int comPort);
// OK: Com Port takes the entry's number and the port is opened; PortIsOpen keeps the result.
bool PickComOk(const std::string& selectedEntry, ProgramSettings& settings, TrackerLink& link);

// The port selector control: eight options "COM  1".."COM  8", enabled for the valid ports.
class ComSelect {
 public:
  static constexpr int kPorts = 8;

  // Runs Reset at once, as the control does when created.
  explicit ComSelect(std::function<bool(int)> portValid);

  int Value() const { return value_; }
  // 1..8 with a valid port checks that option; 0 clears all; other values change nothing.
  void SetValue(int value);
  // Tests ports 1..8, enables exactly the valid ones and re-checks the current Value when valid.
  void Reset();
  bool PortValid(int portNumber);

  bool OptionEnabled(int index) const { return enabled_[index]; }
  bool OptionChecked(int index) const { return value_ == index + 1; }
  static std::string OptionCaption(int index);
  // A click on option `index` (0..7).
  void OptionClicked(int index);

 private:
  std::function<bool(int)> portValid_;
  std::array<bool, kPorts> enabled_{};
  int value_ = 0;
};

}  // namespace tlx
