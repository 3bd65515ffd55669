// The raw sample file of a run that is recording: two bytes per sample (X, then Y), appended in
// the order the unit reported them. Samples are buffered briefly and written out at least once a
// second, and pushed to the disk itself about once a second of real time, so a crash or a power
// loss costs at most the last second. A write that fails (disk full) is reported once and the
// file keeps every whole sample written before it.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace tlx {

class RawRecorder {
 public:
  // Writes bytes to a file descriptor: the count written, or -1 with errno set (as ::write).
  using WriteFunction = std::function<long(int fd, const char* bytes, std::size_t count)>;

  RawRecorder();
  ~RawRecorder();
  RawRecorder(const RawRecorder&) = delete;
  RawRecorder& operator=(const RawRecorder&) = delete;

  // Creates the file anew (an old one of that name is replaced). False when it cannot be created;
  // OpenError() then holds the system's error number.
  bool Open(const std::string& path);
  int OpenError() const { return openError_; }
  // Buffers one sample; coordinates are limited to 0..255. False once writing has failed.
  bool Append(int x, int y);
  // Writes out what is buffered; with `sync`, also pushes the file to the disk when a second of
  // real time has passed since the last push. False once writing has failed.
  bool Flush(bool sync);
  // Writes out, pushes to the disk and closes. False when any write failed.
  bool Close();

  bool IsOpen() const { return fd_ >= 0; }
  bool Failed() const { return failed_; }
  const std::string& Path() const { return path_; }
  // Samples known to be in the file (written out), and samples handed to Append.
  std::int64_t SamplesWritten() const { return bytesWritten_ / 2; }

  // Lets tests stand in for the operating system's write (to simulate a full disk).
  void SetWriteFunction(WriteFunction write) { write_ = std::move(write); }

 private:
  static constexpr std::size_t kBufferLimit = 4096;
  bool WriteOut();
  void KeepWholeSamples();

  int fd_ = -1;
  std::string path_;
  std::string buffer_;
  std::int64_t bytesWritten_ = 0;
  bool failed_ = false;
  int openError_ = 0;
  std::chrono::steady_clock::time_point lastSync_;
  WriteFunction write_;
};

}  // namespace tlx
