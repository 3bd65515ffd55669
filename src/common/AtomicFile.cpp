#include "common/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tlx {
namespace {

std::string TempNameFor(const std::string& path) {
  return path + ".tmp~" + std::to_string(::getpid());
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string path) : path_(std::move(path)) {
  tempPath_ = TempNameFor(path_);
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
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  if (static_cast<std::size_t>(info.st_size) > maxBytes) return false;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  char buffer[65536];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    if (content.size() + got > maxBytes) {
      std::fclose(file);
      content.clear();
      return false;
    }
    content.append(buffer, got);
  }
  const bool ok = !std::ferror(file);
  std::fclose(file);
  if (!ok) content.clear();
  return ok;
}

}  // namespace tlx
