#include "common/AtomicFile.h"

#include <cerrno>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tlx {
namespace {

// A path holding a NUL byte would be cut short by the system and name another file.
bool UsablePath(const std::string& path) {
  return !path.empty() && path.find('\0') == std::string::npos;
}

// Unique among the writers alive in this process (the writer's own address) and among processes
// (the process id), so that two writers of the same file never share a temporary file.
std::string TempNameFor(const std::string& path, const void* writer) {
  char suffix[64];
  std::snprintf(suffix, sizeof suffix, ".tmp~%ld-%" PRIxPTR, static_cast<long>(::getpid()),
                reinterpret_cast<std::uintptr_t>(writer));
  return path + suffix;
}

// Makes a rename in the file's directory durable; a failure here leaves the file complete.
void SyncDirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string directory = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string path) : path_(std::move(path)) {
  if (!UsablePath(path_)) {
    Fail(ENOENT);
    return;
  }
  struct stat target{};
  const bool exists = ::stat(path_.c_str(), &target) == 0;
  if (exists && (S_ISCHR(target.st_mode) || S_ISFIFO(target.st_mode))) {
    // Renaming over a device or a FIFO would put a plain file in its place for every program.
    inPlace_ = true;
    const int fd = ::open(path_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
      Fail(errno);
      return;
    }
    file_ = ::fdopen(fd, "wb");
    if (!file_) {
      Fail(errno);
      ::close(fd);
    }
    return;
  }
  if (exists && !S_ISREG(target.st_mode)) {
    Fail(S_ISDIR(target.st_mode) ? EISDIR : ENOTSUP);
    return;
  }
  struct stat link{};
  if (exists && ::lstat(path_.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    // The link stays a link: the file it leads to is the one replaced.
    if (char* real = ::realpath(path_.c_str(), nullptr)) {
      path_ = real;
      std::free(real);
    }
  }
  tempPath_ = TempNameFor(path_, this);
  const int fd = ::open(tempPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    Fail(errno);
    return;
  }
  if (exists) {
    // The replacement keeps what the user set on the file: a private file stays private.
    if (::geteuid() == 0 && ::fchown(fd, target.st_uid, target.st_gid) != 0) {
      // Kept as ours: the content matters more than the owner.
    }
    if (::fchmod(fd, target.st_mode & 07777) != 0) {
      // The default permissions then stand.
    }
  }
  file_ = ::fdopen(fd, "wb");
  if (!file_) {
    Fail(errno);
    ::close(fd);
    std::remove(tempPath_.c_str());
  }
}

AtomicFileWriter::~AtomicFileWriter() { Abandon(); }

void AtomicFileWriter::Fail(int error) {
  failed_ = true;
  if (error_ == 0) error_ = error != 0 ? error : EIO;
  errno = error_;
}

bool AtomicFileWriter::Write(std::string_view bytes) {
  if (!file_ || failed_) return false;
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) Fail(errno);
  return !failed_;
}

bool AtomicFileWriter::Commit() {
  if (!file_) return false;
  if (std::fflush(file_) != 0) Fail(errno);
  // A device or a FIFO has nothing to make durable.
  if (!inPlace_ && !failed_ && ::fsync(::fileno(file_)) != 0) Fail(errno);
  if (std::fclose(file_) != 0) Fail(errno);
  file_ = nullptr;
  if (inPlace_) return !failed_;
  if (!failed_ && std::rename(tempPath_.c_str(), path_.c_str()) != 0) Fail(errno);
  if (failed_) {
    std::remove(tempPath_.c_str());
    errno = error_;
    return false;
  }
  SyncDirectoryOf(path_);
  return true;
}

void AtomicFileWriter::Abandon() {
  if (!file_) return;
  std::fclose(file_);
  file_ = nullptr;
  if (!inPlace_) std::remove(tempPath_.c_str());
}

bool WriteFileAtomically(const std::string& path, std::string_view content, int* error) {
  int failure = 0;
  {
    AtomicFileWriter writer(path);
    if (writer.Write(content) && writer.Commit()) return true;
    failure = writer.Error();
  }
  if (error) *error = failure;
  errno = failure;  // for callers that report errno
  return false;
}

bool ReadWholeFile(const std::string& path, std::string& content, std::size_t maxBytes) {
  content.clear();
  if (!UsablePath(path)) return false;
  // Opened without waiting and checked on the open file: a FIFO or device put in a file's place
  // is refused instead of holding the reader up.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
            static_cast<std::size_t>(info.st_size) <= maxBytes;
  char buffer[65536];
  while (ok) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    if (content.size() + static_cast<std::size_t>(got) > maxBytes) ok = false;
    else content.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  if (!ok) content.clear();
  return ok;
}

}  // namespace tlx
