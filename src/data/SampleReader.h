// Reading data files in large blocks: a plain regular-file reader that never blocks on a pipe or
// device, and a block reader that hands out whole 16-bit sample words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tlx {

class Sha256;

// 64 KiB per read: the block stays in the processor's cache between the read and the analysis, and
// the heap hands the same memory back for the next file instead of fresh pages.
inline constexpr std::size_t kSampleBlockBytes = std::size_t(1) << 16;

// A regular file opened for reading. Anything that is not a regular file (a directory, a FIFO, a
// device) is refused at Open, so no read can wait forever. Bytes already in memory can be read
// through the same interface, so that they go through the very code that reads files.
class SampleFile {
 public:
  SampleFile() = default;
  ~SampleFile() { Close(); }
  SampleFile(const SampleFile&) = delete;
  SampleFile& operator=(const SampleFile&) = delete;

  bool Open(const std::string& path);
  // Reads `bytes` as the file's contents; they are not copied and must outlive the reading.
  void OpenBytes(std::string_view bytes);
  void Close();
  bool IsOpen() const { return fd_ >= 0 || memory_ != nullptr; }
  std::int64_t Size() const { return size_; }
  bool Seek(std::int64_t offset);
  // Up to `count` bytes; 0 at the end of the file, -1 on a read error.
  long Read(char* buffer, std::size_t count);
  // Exactly `count` bytes or false.
  bool ReadExact(char* buffer, std::size_t count);

 private:
  int fd_ = -1;
  std::int64_t size_ = 0;
  const char* memory_ = nullptr;  // the bytes read from memory, when not a file
  std::int64_t at_ = 0;           // the read position in them
};

// Hands out the sample words of a data file block by block. A stray odd byte at the very end is
// dropped; a read error ends the stream and is reported by Failed().
class SampleBlockReader {
 public:
  explicit SampleBlockReader(SampleFile& file, std::size_t blockBytes = kSampleBlockBytes);
  // Next block of words (little-endian decoded); empty at the end.
  std::span<const std::uint16_t> Next();
  bool Failed() const { return failed_; }
  // Every byte read from here on, a stray last byte included, also goes into the hash.
  void HashInto(Sha256* hash) { hash_ = hash; }

 private:
  SampleFile& file_;
  std::unique_ptr<std::uint16_t[]> words_;  // not cleared: every read overwrites what it hands out
  std::size_t capacity_ = 0;  // words
  std::size_t count_ = 0;
  bool haveCarry_ = false;
  char carry_ = 0;
  bool failed_ = false;
  bool ended_ = false;
  Sha256* hash_ = nullptr;
};

}  // namespace tlx
