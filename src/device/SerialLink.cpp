#include "device/SerialLink.h"

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
      return unit + " cannot be opened: " + std::strerror(result.error) + ".";
    case PortOpenResult::Kind::NotSerial:
      return unit + " cannot be opened: it is not a serial device.";
    case PortOpenResult::Kind::InUse:
      return unit + " is in use by " +
             (result.holder > 0 ? "process " + std::to_string(result.holder) : "another program") +
             ".";
  }
  return {};
}

}  // namespace tlx
