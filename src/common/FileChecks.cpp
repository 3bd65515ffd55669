// Existence and write checks on files and directories through POSIX calls, and the standard
// file prompts through the user's answers. No check ever blocks: files are opened without
// waiting (a FIFO without a writer does not hold the program up).
#include "common/FileChecks.h"

#include "common/Paths.h"
#include "common/Texts.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tlx {

namespace {

// A path holding a NUL byte cannot name a file; it is refused rather than cut short.
bool UsablePath(const std::string& path) {
  return !path.empty() && path.find('\0') == std::string::npos;
}

// Failures that mean "the file is there but this program may not use it now".
bool IsAccessDenied(int error) {
  return error == EACCES || error == EPERM || error == EBUSY || error == ETXTBSY ||
         error == EROFS;
}

int OpenNoWait(const std::string& path, int flags, mode_t mode = 0) {
  int fd;
  do {
    fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

}  // namespace

bool FileExists(const std::string& path) {
  if (!UsablePath(path)) return false;
  const int fd = OpenNoWait(path, O_RDONLY);
  if (fd < 0) return IsAccessDenied(errno);
  struct stat info {};
  const bool isDirectory = ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode);
  ::close(fd);
  return !isDirectory;
}

bool CanCreateFile(const std::string& path) {
  if (FileExists(path)) return true;
  if (!UsablePath(path)) return false;
  const int fd = OpenNoWait(path, O_WRONLY | O_CREAT | O_EXCL, 0666);
  if (fd < 0) return false;
  ::close(fd);
  return DeleteFile(path);
}

bool IsFileLocked(const std::string& path, UserAnswers* answers) {
  if (!FileExists(path)) return false;
  const int fd = OpenNoWait(path, O_WRONLY | O_APPEND);
  if (fd >= 0) {
    ::close(fd);
    return false;
  }
  if (!IsAccessDenied(errno)) return false;
  if (answers) answers->ShowMessage(OpenErrorMessage(path));
  return true;
}

bool CanWriteFile(const std::string& path, UserAnswers* answers) {
  return CanCreateFile(path) && !IsFileLocked(path, answers);
}

bool DeleteFile(const std::string& path) {
  if (!UsablePath(path)) return false;
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return false;
  if (S_ISREG(info.st_mode) && !(info.st_mode & S_IWUSR)) {
    ::chmod(path.c_str(), (info.st_mode & 07777) | S_IWUSR);  // the read-only mark goes first
  }
  return ::unlink(path.c_str()) == 0;
}

bool DirectoryExists(const std::string& path) {
  if (!UsablePath(path)) return false;
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
         ::access(path.c_str(), X_OK) == 0;
}

bool CanCreateDirectory(const std::string& path) {
  if (DirectoryExists(path)) return true;
  if (!UsablePath(path)) return false;
  if (::mkdir(path.c_str(), 0777) != 0) return false;
  return ::rmdir(path.c_str()) == 0;
}

bool EnsureDirectory(const std::string& path) {
  if (DirectoryExists(path)) return true;
  if (!UsablePath(path)) return false;
  return ::mkdir(path.c_str(), 0777) == 0;
}

MsgAnswer ConfirmOverwrite(const std::string& path, UserAnswers& answers) {
  if (!CanCreateFile(path)) return MsgAnswer::No;
  if (!FileExists(path)) return MsgAnswer::Yes;
  const MsgAnswer answer = answers.ShowMessage(OverwritePrompt(path));
  if (answer == MsgAnswer::Yes || answer == MsgAnswer::No) return answer;
  return MsgAnswer::Cancel;  // a closed box counts as Cancel
}

MessageRequest OverwritePrompt(const std::string& path) {
  MessageRequest request;
  request.caption = "Confirm Overwrite";
  request.text = "The file " + Quote(FileNamePart(path)) + "\r\nalready exists.\r\n\r\n" +
                 "Are you sure you want\r\nto overwrite it?\r\n";
  request.icon = MsgIcon::Exclamation;
  request.buttons = MsgButtons::YesNoCancel;
  return request;
}

MessageRequest OpenErrorMessage(const std::string& path) {
  MessageRequest request;
  request.caption = "Error Opening File";
  request.text = "Cannot open :\r\n" + FileNamePart(path) +
                 "\r\nAccess is denied.\r\n\r\n"
                 "Make sure the disk is not full or write protected\r\n"
                 "and that the file is not currently in use.";
  request.icon = MsgIcon::Critical;
  request.buttons = MsgButtons::Ok;
  return request;
}

std::string ShowFileDialog(UserAnswers& answers, const std::string& initialDirectory,
                           const std::string& initialName, const std::string& title,
                           bool forOpening, const std::string& extension, bool askFlags,
                           bool forceExtension) {
  FileDialogRequest request;
  request.initialDirectory = initialDirectory;
  request.initialName = initialName.empty() ? "*." + extension : initialName;
  request.title = title;
  request.extension = extension;
  request.forOpening = forOpening;
  request.askFlags = askFlags;
  request.forceExtension = forceExtension;
  std::string chosen = answers.ChooseFile(request);
  if (chosen.empty()) return {};
  return forceExtension ? ChangeExtension(chosen, extension) : chosen;
}

}  // namespace tlx
