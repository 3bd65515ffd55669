#include "common/AtomicFile.h"

#include <cerrno>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
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
  if (!UsablePath(path_)) return;
  tempPath_ = TempNameFor(path_, this);
  file_ = std::fopen(tempPath_.c_str(), "wb");
}

AtomicFileWriter::~AtomicFileWriter() { Abandon(); }

bool AtomicFileWriter::Write(std::string_view bytes) {
  if (!file_ || failed_) return false;
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    failed_ = true;
  }
  return !failed_;
}

bool AtomicFileWriter::Commit() {
  if (!file_) return false;
  bool ok = !failed_ && std::fflush(file_) == 0 && ::fsync(::fileno(file_)) == 0;
  ok = (std::fclose(file_) == 0) && ok;
  file_ = nullptr;
  if (ok) ok = std::rename(tempPath_.c_str(), path_.c_str()) == 0;
  if (!ok) std::remove(tempPath_.c_str());
  if (ok) SyncDirectoryOf(path_);
  return ok;
}

void AtomicFileWriter::Abandon() {
  if (!file_) return;
  std::fclose(file_);
  file_ = nullptr;
  std::remove(tempPath_.c_str());
}

bool WriteFileAtomically(const std::string& path, std::string_view content) {
  AtomicFileWriter writer(path);
  return writer.Write(content) && writer.Commit();
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
