#include "device/Ports.h"

#include "common/AtomicFile.h"
#include "common/Numbers.h"
#include "common/Paths.h"
#include "common/SettingsLine.h"
#include "common/Texts.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <system_error>

namespace tlx {
namespace {

namespace fs = std::filesystem;

constexpr int kMaxPortNumber = 255;
constexpr std::size_t kMaxPortsFileBytes = 64 * 1024;

struct DeviceName {
  int group = 0;
  std::string prefix;
  long number = -1;
  std::string name;
};

int GroupOf(const std::string& name) {
  if (name.rfind("ttyUSB", 0) == 0 || name.rfind("ttyACM", 0) == 0) return 0;
  if (name.rfind("ttyS", 0) == 0) return 1;
  return 2;
}

DeviceName SplitName(const std::string& name) {
  DeviceName d;
  d.name = name;
  d.group = GroupOf(name);
  std::size_t end = name.size();
  while (end > 0 && std::isdigit(static_cast<unsigned char>(name[end - 1]))) --end;
  d.prefix = name.substr(0, end);
  if (end < name.size() && name.size() - end < 9) d.number = std::stol(name.substr(end));
  return d;
}

bool ReadSmallText(const fs::path& path, std::string& text) {
  return ReadWholeFile(path.string(), text, 4096);
}

// A port of the serial core with type 0 has no UART behind it.
bool HasRealUart(const fs::path& entry, bool typeRequired) {
  std::string type;
  if (!ReadSmallText(entry / "type", type)) return !typeRequired;
  bool ok = false;
  const double value = LeadingNumber(type, &ok);
  return ok && value != 0;
}

bool IsSerialDevice(const fs::path& entry, const std::string& name) {
  std::error_code ec;
  if (name.rfind("tty", 0) != 0 || !fs::exists(entry / "device", ec)) return false;
  const int group = GroupOf(name);
  return group == 0 || HasRealUart(entry, group == 1);
}

// "COMn" with n 1..255, else 0.
int ComNumberOfKey(const std::string& key) {
  if (key.size() < 4 || key.size() > 6 || key.compare(0, 3, "COM") != 0) return 0;
  for (std::size_t i = 3; i < key.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(key[i]))) return 0;
  }
  const int n = std::stoi(key.substr(3));
  return n >= 1 && n <= kMaxPortNumber ? n : 0;
}

// The same path, or two paths (a stable name and the device it leads to) that reach one device.
bool SameDevice(const std::string& a, const std::string& b) {
  if (a == b) return true;
  std::error_code ea, eb;
  const fs::path ca = fs::canonical(a, ea), cb = fs::canonical(b, eb);
  return !ea && !eb && ca == cb;
}

}  // namespace

std::vector<std::string> ListSerialDevices(const std::string& sysClassTty,
                                           const std::string& devDir) {
  std::vector<DeviceName> found;
  std::error_code ec;
  for (fs::directory_iterator it(sysClassTty, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (IsSerialDevice(it->path(), name)) found.push_back(SplitName(name));
  }
  std::sort(found.begin(), found.end(), [](const DeviceName& a, const DeviceName& b) {
    if (a.group != b.group) return a.group < b.group;
    if (a.prefix != b.prefix) return a.prefix < b.prefix;
    if (a.number != b.number) return a.number < b.number;
    return a.name < b.name;
  });
  std::vector<std::string> devices;
  for (const DeviceName& d : found) {
    const std::string path = JoinPath(devDir, d.name);
    const std::string stable = StableNameOf(path, devDir);
    devices.push_back(stable.empty() ? path : stable);
  }
  return devices;
}

std::string StableNameOf(const std::string& devicePath, const std::string& devDir) {
  std::error_code ec;
  const fs::path device = fs::canonical(devicePath, ec);
  if (ec) return {};
  std::vector<std::string> names;
  const fs::path byId = fs::path(devDir) / "serial" / "by-id";
  for (fs::directory_iterator it(byId, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code linkError;
    if (fs::is_symlink(it->symlink_status(linkError)) &&
        fs::canonical(it->path(), linkError) == device && !linkError) {
      names.push_back(it->path().string());
    }
  }
  // The first in name order, so the same adapter gets the same name on every listing.
  std::sort(names.begin(), names.end());
  return names.empty() ? std::string() : names.front();
}

std::string CurrentDeviceOf(const std::string& path) {
  std::error_code ec;
  if (!fs::is_symlink(fs::symlink_status(path, ec)) || ec) return {};
  const fs::path target = fs::canonical(path, ec);
  return ec ? std::string() : target.string();
}

PortTable NumberDevices(const std::vector<std::string>& devices) {
  PortTable table;
  for (std::size_t i = 0; i < devices.size() && i < kMaxPortNumber; ++i) {
    table.push_back({static_cast<int>(i) + 1, devices[i]});
  }
  return table;
}

bool ReadPortsFile(const std::string& path, PortTable& table) {
  std::string text;
  if (!ReadWholeFile(path, text, kMaxPortsFileBytes)) return false;
  std::map<int, std::string> bound;
  for (const std::string& line : SplitLines(text)) {
    const std::vector<std::string> tokens = TokenizeLine(line);
    if (tokens.size() != 3 || tokens[1] != "=") continue;
    const int number = ComNumberOfKey(tokens[0]);
    const std::string device = LineValueKeepCase(line);
    if (number > 0 && !device.empty()) bound[number] = device;
  }
  table.clear();
  for (const auto& [number, device] : bound) table.push_back({number, device});
  return true;
}

PortTable LoadPortTable(const std::string& homeDir, const std::string& sysClassTty,
                        const std::string& devDir) {
  PortTable table;
  if (ReadPortsFile(JoinPath(homeDir, kPortsFileName), table)) return table;
  return NumberDevices(ListSerialDevices(sysClassTty, devDir));
}

PortTable AddNewDevices(const PortTable& table, const std::vector<std::string>& devices) {
  PortTable result = table;
  int candidate = 1;
  for (const std::string& device : devices) {
    const bool bound = std::any_of(result.begin(), result.end(), [&](const PortBinding& b) {
      return SameDevice(b.Device, device);
    });
    if (bound) continue;
    while (candidate <= kMaxPortNumber && !DevicePathFor(result, candidate).empty()) ++candidate;
    if (candidate > kMaxPortNumber) break;
    result.push_back({candidate, device});
  }
  std::sort(result.begin(), result.end(),
            [](const PortBinding& a, const PortBinding& b) { return a.Number < b.Number; });
  return result;
}

std::string DevicePathFor(const PortTable& table, int number) {
  for (const PortBinding& b : table) {
    if (b.Number == number) return b.Device;
  }
  return {};
}

std::vector<std::string> PickComEntries(const PortTable& table) {
  std::vector<std::string> entries;
  for (auto it = table.rbegin(); it != table.rend(); ++it) {
    std::string entry = "COM" + std::to_string(it->Number) + "  ";
    const std::string now = CurrentDeviceOf(it->Device);
    if (now.empty()) {
      entry += it->Device;
    } else {
      entry += fs::path(it->Device).filename().string() + "  (" + now + ")";
    }
    entries.push_back(entry);
  }
  return entries;
}

int PortNumberOfEntry(const std::string& entry) {
  return entry.size() > 3 ? TextToInteger(entry.substr(3)) : 0;
}

int PickComActivate(const std::vector<std::string>& entries, int comPort) {
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (PortNumberOfEntry(entries[i]) == comPort) return static_cast<int>(i);
  }
  return -1;
}

bool PickComOk(const std::string& selectedEntry, ProgramSettings& settings, TrackerLink& link) {
  settings.ComPort = static_cast<std::int16_t>(PortNumberOfEntry(selectedEntry));
  return link.OpenPort(settings.ComPort);
}

ComSelect::ComSelect(std::function<bool(int)> portValid) : portValid_(std::move(portValid)) {
  enabled_.fill(true);
  Reset();
}

void ComSelect::SetValue(int value) {
  if (value == 0) {
    value_ = 0;
  } else if (value >= 1 && value <= kPorts && enabled_[value - 1]) {
    value_ = value;
  }
}

void ComSelect::Reset() {
  for (int i = 0; i < kPorts; ++i) enabled_[i] = PortValid(i + 1);
}

bool ComSelect::PortValid(int portNumber) {
  return portValid_ && portNumber >= 1 && portNumber <= kPorts && portValid_(portNumber);
}

std::string ComSelect::OptionCaption(int index) { return "COM  " + std::to_string(index + 1); }

void ComSelect::OptionClicked(int index) {
  if (index < 0 || index >= kPorts || !enabled_[index]) return;
  value_ = index + 1;
}

}  // namespace tlx
