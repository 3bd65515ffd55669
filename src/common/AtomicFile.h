// The one way the program writes a file. A regular file is written under a temporary name in the
// folder of the file itself (a symbolic link is followed, and stays) and renamed into place only
// when complete, so a crash or a full disk never leaves a half-written file where a good one
// stood; the file it replaces keeps its permissions (and, for root, its owner). A character
// device or a FIFO (/dev/null, a terminal, a pipe reached as /dev/stdout) is written in place and
// never renamed over. Which files may be written at all is decided before, by the output plan.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace tlx {

// Writes the whole content; true when the file is in place. `error` receives the system's error
// number of a failure.
bool WriteFileAtomically(const std::string& path, std::string_view content, int* error = nullptr);

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
  // The system's error number of the first failure (0 while none).
  int Error() const { return error_; }
  // True when the target is written in place (a device or a FIFO), not replaced.
  bool InPlace() const { return inPlace_; }

 private:
  void Fail(int error);

  std::string path_;      // the file replaced (the target of a symbolic link)
  std::string tempPath_;  // empty when written in place
  std::FILE* file_ = nullptr;
  bool failed_ = false;
  bool inPlace_ = false;
  int error_ = 0;
};

}  // namespace tlx
