#include "controls/FileAccess.h"

#include "common/Paths.h"
#include "common/Texts.h"

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace tlx {
namespace {

constexpr long kIso9660 = 0x9660;
constexpr long kUdf = 0x15013346;
constexpr long kNfs = 0x6969;
constexpr long kSmb = 0x517B;
constexpr long kCifs = 0xFF534D42;
constexpr long kSmb2 = 0xFE534D42;
constexpr long kCoda = 0x73757245;
constexpr long kAfs = 0x5346414F;
constexpr long kNinePee = 0x01021997;
constexpr long kTmpfs = 0x01021994;
constexpr long kRamfs = 0x858458F6;

const char* const kCrLf = "\r\n";

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

// The nearest existing directory at or above path ("/" at the latest).
std::string ExistingAncestor(std::string path) {
  for (int depth = 0; depth < 4096 && !path.empty(); ++depth) {
    if (Exists(path)) return path;
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) break;
    path = slash == 0 ? "/" : path.substr(0, slash);
  }
  return "/";
}

bool IsRemovableDevice(dev_t dev) {
  const std::string base = "/sys/dev/block/" + std::to_string(major(dev)) + ":" +
                           std::to_string(minor(dev));
  for (const std::string& file : {base + "/removable", base + "/../removable"}) {
    std::ifstream in(file);
    char c = 0;
    if (in.get(c)) return c == '1';
  }
  return false;
}

// Walks up while the parent lies on the same device.
std::string MountPointOf(const std::string& existing, dev_t dev) {
  std::string path = existing;
  for (int depth = 0; depth < 4096 && path != "/"; ++depth) {
    const std::size_t slash = path.find_last_of('/');
    const std::string parent = (slash == 0 || slash == std::string::npos) ? "/" : path.substr(0, slash);
    struct stat st {};
    if (::stat(parent.c_str(), &st) != 0 || st.st_dev != dev) break;
    path = parent;
  }
  return path;
}

// Opens the file as the check did, to learn the system's error code. Anything created here is
// removed again.
int RetryAccess(const std::string& path, bool forReading) {
  int fd = -1;
  if (forReading) {
    fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  } else if (Exists(path)) {
    fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  } else {
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) ::unlink(path.c_str());
  }
  if (fd < 0) return errno;
  ::close(fd);
  return 0;
}

std::string CannotAccess(const std::string& name, const std::string& cause) {
  return std::string("The file :") + kCrLf + kCrLf + name + kCrLf + kCrLf + "cannot be accessed." +
         kCrLf + kCrLf + cause;
}

}  // namespace

int FileErrorFromErrno(int e) {
  switch (e) {
    case 0: return fileerr::PathFileAccess;  // failed once, worked on the second try
    case EIO: return fileerr::IoError;
    case ENXIO:
    case ENODEV: return fileerr::DeviceUnavailable;
    case EACCES:
    case EPERM: return fileerr::PermissionDenied;
    case ENOMEDIUM: return fileerr::DiskNotReady;
    case ENOENT:
    case ENOTDIR: return fileerr::PathNotFound;
    case EROFS: return 0;  // told by the drive: a read-only file system
    default: return fileerr::PathFileAccess;
  }
}

DriveKind DriveKindFromFsType(long fsType, bool isRemovableDevice) {
  switch (fsType) {
    case kIso9660:
    case kUdf: return DriveKind::CdRom;
    case kNfs:
    case kSmb:
    case kCifs:
    case kSmb2:
    case kCoda:
    case kAfs:
    case kNinePee: return DriveKind::Remote;
    case kTmpfs:
    case kRamfs: return DriveKind::RamDisk;
    default: return isRemovableDevice ? DriveKind::Removable : DriveKind::Fixed;
  }
}

DriveInfo SystemFileAccessProbe::DriveOf(const std::string& path) {
  DriveInfo info;
  const std::string existing = ExistingAncestor(AbsolutePath(path));
  struct stat st {};
  struct statfs fs {};
  struct statvfs vfs {};
  if (::stat(existing.c_str(), &st) != 0 || ::statfs(existing.c_str(), &fs) != 0) return info;
  info.kind = DriveKindFromFsType(static_cast<long>(fs.f_type), IsRemovableDevice(st.st_dev));
  info.readOnly = ::statvfs(existing.c_str(), &vfs) == 0 && (vfs.f_flag & ST_RDONLY) != 0;
  info.mountPoint = MountPointOf(existing, st.st_dev);
  return info;
}

AccessFailure SystemFileAccessProbe::Diagnose(const std::string& path, bool forReading) {
  AccessFailure failure;
  const int e = RetryAccess(path, forReading);
  failure.error = FileErrorFromErrno(e);
  failure.drive = DriveOf(path);
  const std::string absolute = AbsolutePath(path);
  const std::string directory = DirectoryPart(absolute);
  failure.missingPath = (!directory.empty() && !Exists(directory)) ? directory : absolute;
  return failure;
}

std::optional<MessageRequest> FileAccessMessage(const std::string& chosenName,
                                                const AccessFailure& failure, bool forReading) {
  MessageRequest m;
  m.caption = "Error";
  m.icon = MsgIcon::Critical;
  m.buttons = MsgButtons::Ok;
  const std::string drive = Quote(failure.drive.mountPoint);
  const DriveKind kind = failure.drive.kind;
  switch (failure.error) {
    case fileerr::IoError: m.text = CannotAccess(chosenName, "I/O Error"); return m;
    case fileerr::DeviceUnavailable:
      m.text = CannotAccess(chosenName, "The device is not available");
      return m;
    case fileerr::PermissionDenied:
      m.text = CannotAccess(chosenName, std::string("Permission Denied : ") + kCrLf + kCrLf +
                                            "This file may be in use by" + kCrLf +
                                            "another application.");
      return m;
    case fileerr::PathFileAccess:
      m.text = CannotAccess(chosenName, "Path/File Access Error");
      return m;
    case fileerr::PathNotFound:
      if (kind == DriveKind::Unknown || kind == DriveKind::NoRoot) {
        m.text = drive + " is not a valid drive.";
      } else {
        const std::string shown = failure.missingPath.empty() ? chosenName : failure.missingPath;
        m.text = shown + kCrLf + kCrLf + "is not a valid path.";
      }
      return m;
    default: break;
  }
  if (forReading && failure.error != fileerr::DiskNotReady) return std::nullopt;
  if (kind == DriveKind::Removable || kind == DriveKind::RamDisk) {
    m.text = "The door on drive " + drive + kCrLf + "may be open." + kCrLf + kCrLf +
             "Please make sure that" + kCrLf + "there is a disk in drive " + drive + ".";
  } else if (kind == DriveKind::CdRom && !forReading) {
    m.text = "Drive " + drive + "is a CD-ROM drive." + kCrLf + kCrLf + "Files may not be saved to" +
             kCrLf + "a read-only drive.";
  } else if (failure.drive.readOnly && !forReading) {
    m.text = "Drive " + drive + " is read-only." + kCrLf + kCrLf + "Files may not be saved to" +
             kCrLf + "a read-only drive.";
  } else {
    m.text = "The disk in drive " + drive + kCrLf + "is not ready.";
  }
  return m;
}

MessageRequest ControlErrorMessage(int number, const std::string& operation) {
  MessageRequest m;
  m.caption = "Error in ErrMsg";
  m.text = "ERROR " + std::to_string(number) + "\r\nin module " + operation;
  m.icon = MsgIcon::Critical;
  m.buttons = MsgButtons::Ok;
  return m;
}

}  // namespace tlx
