#include "device/SerialLink.h"

#include <cerrno>
#include <cstring>

namespace tlx {

std::string PortOpenFailureText(const PortOpenResult& result, int comPort) {
  const std::string unit = "The unit on COM" + std::to_string(comPort) +
                           (result.device.empty() ? std::string() : " (" + result.device + ")");
  switch (result.kind) {
    case PortOpenResult::Kind::Opened:
      return {};
    case PortOpenResult::Kind::NoDevice:
      return "No serial device is chosen for COM" + std::to_string(comPort) + ".";
    case PortOpenResult::Kind::CannotOpen:
      if (result.error == EACCES || result.error == EPERM)
        return unit + " cannot be opened: " + std::strerror(result.error) +
               ". Serial devices are open to the members of the group dialout: join it with "
               "\"sudo adduser $USER dialout\", then log out and in again.";
      return unit + " cannot be opened: " + std::strerror(result.error) + ".";
    case PortOpenResult::Kind::CannotLock:
      return unit + " cannot be locked for this program alone: " + std::strerror(result.error) +
             ".";
    case PortOpenResult::Kind::NotSerial:
      return unit + " cannot be opened: it is not a serial device.";
    case PortOpenResult::Kind::InUse:
      if (result.holder == PortOpenResult::kHolderIsThisProgram)
        return unit + " is in use by another unit of this program.";
      return unit + " is in use by " +
             (result.holder > 0 ? "process " + std::to_string(result.holder) : "another program") +
             ".";
  }
  return {};
}

}  // namespace tlx
