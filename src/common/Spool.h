// Output that has to wait (for its turn, or for the verdict on the whole command) before it is
// handed on: held in memory up to a limit, then in an anonymous temporary file, so that waiting
// output never makes memory grow with its size.
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace tlx {

class Spool {
 public:
  explicit Spool(std::size_t memoryLimit = std::size_t(1) << 20) : limit_(memoryLimit) {}
  ~Spool() { Clear(); }
  Spool(const Spool&) = delete;
  Spool& operator=(const Spool&) = delete;

  // False once anything could not be kept (no temporary file, a full disk).
  bool Write(std::string_view text);
  // Hands everything written so far, in order, to `out`; false when it could not be read back or
  // `out` refused a piece.
  bool CopyTo(const std::function<bool(std::string_view)>& out);
  // Forgets everything and drops the temporary file.
  void Clear();
  bool Failed() const { return failed_; }
  bool Empty() const { return memory_.empty() && file_ == nullptr; }

 private:
  std::size_t limit_;
  std::string memory_;
  std::FILE* file_ = nullptr;
  bool failed_ = false;
};

}  // namespace tlx
