// Files the user keeps are written under a temporary name in the same directory and renamed into
// place only when complete, so a crash or a full disk never leaves a half-written file where a
// good one stood.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace tlx {

// Writes the whole content; true when the file is in place.
bool WriteFileAtomically(const std::string& path, std::string_view content);

// Reads a whole file (binary). False when it cannot be opened or is not a regular file.
// Refuses files larger than maxBytes.
bool ReadWholeFile(const std::string& path, std::string& content,
                   std::size_t maxBytes = std::size_t(1) << 30);

// Streaming form for large outputs: Write() any number of times, then Commit(). Destroying the
// writer without Commit() removes the temporary file and leaves the old file untouched.
class AtomicFileWriter {
 public:
  explicit AtomicFileWriter(std::string path);
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  bool IsOpen() const { return file_ != nullptr; }
  bool Write(std::string_view bytes);
  bool Commit();  // flush, sync, rename into place
  void Abandon();

 private:
  std::string path_;
  std::string tempPath_;
  std::FILE* file_ = nullptr;
  bool failed_ = false;
};

}  // namespace tlx
