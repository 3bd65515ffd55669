#include "zonemap/MapFile.h"

#include "common/AtomicFile.h"
#include "common/Paths.h"
#include "common/SettingsLine.h"
#include "common/Texts.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tlx {
namespace {

// A section header is a short line; a longer line is kept only up to this length and is never
// taken as a header, so that a binary file without line ends cannot make a line grow unbounded.
constexpr std::size_t kMaxLine = 4096;

// Closes a file descriptor when leaving the scope.
struct FdCloser {
  int fd;
  ~FdCloser() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

void MapByteScanner::Feed(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    switch (state_) {
      case State::Tag:
        tag_.push_back(c);
        if (tag_.size() < 2) break;
        if (static_cast<unsigned char>(tag_[0]) == kMapTag0 &&
            static_cast<unsigned char>(tag_[1]) == kMapTag1) {
          state_ = State::Map;
        } else {
          state_ = State::Line;
          FeedLineByte(tag_[0]);
          FeedLineByte(tag_[1]);
        }
        break;
      case State::Line:
        FeedLineByte(c);
        break;
      case State::AfterHeaderCr:
        state_ = State::Map;
        if (c != '\n') collected_.push_back(c);
        break;
      case State::Map: {
        const std::size_t take = std::min(bytes.size() - i, kMapCells - collected_.size());
        collected_.append(bytes.substr(i, take));
        return;  // a complete map ignores the rest
      }
    }
  }
}

void MapByteScanner::FeedLineByte(char c) {
  if (c == '\r' || c == '\n') {
    EndLine(c == '\r');
    return;
  }
  if (line_.size() < kMaxLine) {
    line_.push_back(c);
  } else {
    lineTooLong_ = true;
  }
}

void MapByteScanner::EndLine(bool endedByCr) {
  if (LineIsMapHeader()) state_ = endedByCr ? State::AfterHeaderCr : State::Map;
  line_.clear();
  lineTooLong_ = false;
}

bool MapByteScanner::LineIsMapHeader() const {
  if (lineTooLong_ || !IsSectionHeader(line_)) return false;
  return SameText(SectionName(Trim(line_)), "ZONE MAP");
}

bool MapByteScanner::Finish(ZoneMap& map) {
  if (state_ == State::Tag) {
    // Fewer than two bytes: too short for the tag, read as a line.
    const std::string head = tag_;
    state_ = State::Line;
    for (char c : head) FeedLineByte(c);
  }
  if (state_ == State::Line && LineIsMapHeader()) state_ = State::Map;  // header on the last line
  if (state_ != State::Map && state_ != State::AfterHeaderCr) return false;
  map = ZoneMap::FromText(collected_);
  return true;
}

bool ParseMapBytes(std::string_view bytes, ZoneMap& map) {
  MapByteScanner scanner;
  scanner.Feed(bytes);
  return scanner.Finish(map);
}

bool ReadMapFile(const std::string& path, ZoneMap& map) {
  // A NUL byte would cut the name short and open another file.
  if (path.find('\0') != std::string::npos) return false;
  // Non-blocking open, then a regular-file check: a FIFO or device must not stall the reader.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  FdCloser closer{fd};
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return false;
  MapByteScanner scanner;
  char buffer[65536];
  while (!scanner.Complete()) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) break;
    scanner.Feed(std::string_view(buffer, static_cast<std::size_t>(got)));
  }
  return scanner.Finish(map);
}

std::string MapFileBytes(const ZoneMap& map) {
  std::string bytes;
  bytes.reserve(kMapFileSize);
  bytes.push_back(static_cast<char>(kMapTag0));
  bytes.push_back(static_cast<char>(kMapTag1));
  bytes.append(map.cells.data(), map.cells.size());
  return bytes;
}

bool WriteMapFile(const std::string& path, const ZoneMap& map) {
  if (path.empty()) return false;
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) {
    if (!S_ISREG(info.st_mode) || ::access(path.c_str(), W_OK) != 0) return false;
  }
  return WriteFileAtomically(path, MapFileBytes(map));
}

std::string DefaultMapPath(const std::string& programHome) {
  return JoinPath(programHome, "DEFAULT.MAP");
}

}  // namespace tlx
