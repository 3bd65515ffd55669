#include "common/Spool.h"

#include <memory>

namespace tlx {

bool Spool::Write(std::string_view text) {
  if (failed_) return false;
  if (file_ == nullptr && memory_.size() + text.size() <= limit_) {
    memory_ += text;
    return true;
  }
  if (file_ == nullptr) {
    file_ = std::tmpfile();
    if (file_ == nullptr ||
        std::fwrite(memory_.data(), 1, memory_.size(), file_) != memory_.size()) {
      failed_ = true;
      return false;
    }
    std::string().swap(memory_);
  }
  failed_ = std::fwrite(text.data(), 1, text.size(), file_) != text.size();
  return !failed_;
}

bool Spool::CopyTo(const std::function<bool(std::string_view)>& out) {
  if (failed_) return false;
  if (file_ == nullptr) return memory_.empty() || out(memory_);
  if (std::fflush(file_) != 0) return false;
  std::rewind(file_);
  constexpr std::size_t kBlock = std::size_t(1) << 16;
  const std::unique_ptr<char[]> block(new char[kBlock]);  // overwritten by each read
  for (std::size_t n; (n = std::fread(block.get(), 1, kBlock, file_)) > 0;) {
    if (!out(std::string_view(block.get(), n))) return false;
  }
  const bool readOk = std::ferror(file_) == 0;
  std::fseek(file_, 0, SEEK_END);  // further writes append
  return readOk;
}

void Spool::Clear() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  std::string().swap(memory_);
  failed_ = false;
}

}  // namespace tlx
