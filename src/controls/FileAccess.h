// Why a chosen file cannot be used, in the terms of the file picker's messages: an error number
// (57 I/O error, 68 device unavailable, 70 permission denied, 71 disk not ready, 75 path/file
// access error, 76 path not found) and the kind of file system ("drive") that holds the file.
#pragma once

#include "common/UserAnswers.h"

#include <optional>
#include <string>

namespace tlx {

namespace fileerr {
constexpr int IoError = 57;
constexpr int DeviceUnavailable = 68;
constexpr int PermissionDenied = 70;
constexpr int DiskNotReady = 71;
constexpr int PathFileAccess = 75;
constexpr int PathNotFound = 76;
}  // namespace fileerr

enum class DriveKind { Unknown, NoRoot, Removable, Fixed, Remote, CdRom, RamDisk, None };

struct DriveInfo {
  DriveKind kind = DriveKind::Unknown;
  bool readOnly = false;   // mounted read-only
  std::string mountPoint;  // where the file system is mounted; names the "drive" in messages
};

struct AccessFailure {
  int error = 0;  // one of fileerr, or 0 when no known cause was found
  DriveInfo drive;
  std::string missingPath;  // for "is not a valid path.": the first part that does not exist
};

// Maps a system error code (errno) to the picker's error numbers; 0 for other codes.
int FileErrorFromErrno(int errnoValue);

// Classifies a file system from its type magic number (statfs) and its read-only flag.
DriveKind DriveKindFromFsType(long fsType, bool isRemovableDevice);

// Looks at the real file system; tests put a fake in its place.
class FileAccessProbe {
 public:
  virtual ~FileAccessProbe() = default;
  // Tries the access once more and reports why it fails.
  virtual AccessFailure Diagnose(const std::string& path, bool forReading) = 0;
};

class SystemFileAccessProbe : public FileAccessProbe {
 public:
  AccessFailure Diagnose(const std::string& path, bool forReading) override;
  // The file system holding path (or its nearest existing parent directory).
  static DriveInfo DriveOf(const std::string& path);
};

// The "Error" message for a file that failed its check, or nothing when the cause is not one
// the control reports (reading files reports only the causes that concern every access).
std::optional<MessageRequest> FileAccessMessage(const std::string& chosenName,
                                                const AccessFailure& failure, bool forReading);

// "ERROR <n>" / "in module <operation>", caption "Error in ErrMsg".
MessageRequest ControlErrorMessage(int number, const std::string& operation);

}  // namespace tlx
