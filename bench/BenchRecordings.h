// Recordings for the benchmarks: an animal in an open field at 30 samples per second, written as
// data files with 10-minute sessions.
#pragma once

#include "data/DataFile.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace bench {

// The header of a benchmark recording: 10-minute sessions at 30 per second, maximum distance 40,
// ambulatory threshold 3, stereotypic threshold 1.
inline std::string RecordingHeader(std::size_t samples) {
  tlx::DataFileHeader h;
  h.StartTime = 3155785200u;
  h.SampleCount = static_cast<std::uint32_t>(samples);
  h.Block = {120, 1, 0, 40, 3, 1, 1, 200, 12, 2};
  std::string bytes = tlx::SerializeHeader(h);
  bytes.reserve(bytes.size() + samples * 2);
  return bytes;
}

inline void AppendSample(std::string& bytes, int x, int y) {
  const std::uint16_t word = tlx::EncodeSample(std::clamp(x, 0, 255), std::clamp(y, 0, 255));
  bytes.push_back(static_cast<char>(word & 0xFF));
  bytes.push_back(static_cast<char>(word >> 8));
}

// An animal in an open field, sampled 30 times a second: bouts of sitting still (a pixel of
// jitter) and bouts of walking (2 to 8 pixels a sample in a slowly turning direction), a lost
// sample now and then and a rare tracking jump across the picture.
inline std::string Recording(std::size_t samples, unsigned seed) {
  std::string bytes = RecordingHeader(samples);
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  double x = 128, y = 96, heading = 0;
  bool walking = false;
  int boutLeft = 0;
  for (std::size_t i = 0; i < samples; ++i) {
    if (boutLeft-- <= 0) {
      walking = !walking;
      boutLeft = static_cast<int>(-std::log(1.0 - unit(random)) * (walking ? 45 : 90)) + 1;
    }
    if (walking) {
      heading += (unit(random) - 0.5) * 0.6;
      const double speed = 2 + 6 * unit(random);
      x += speed * std::cos(heading);
      y += speed * std::sin(heading);
      if (x < 0 || x > 255) heading = 3.14159265 - heading;
      if (y < 0 || y > 191) heading = -heading;
      x = std::clamp(x, 0.0, 255.0);
      y = std::clamp(y, 0.0, 191.0);
    }
    int sx = static_cast<int>(x) + static_cast<int>(random() % 3) - 1;
    int sy = static_cast<int>(y) + static_cast<int>(random() % 3) - 1;
    if (random() % 100 == 0) sy = 255;
    if (random() % 2000 == 0) sx = 255 - sx;
    AppendSample(bytes, sx, sy);
  }
  return bytes;
}

// An animal that never keeps still, the hardest case for the analysis: every sample moves. About
// one move in three goes 4 to 10 pixels from where the animal last settled (past the ambulatory
// threshold of 3, within the maximum of 40), the others wander 1 to 3 pixels round that place; one
// sample in 200 is lost. The kind of each move is drawn at random, so nothing in the sequence can
// be predicted.
inline std::string ActiveRecording(std::size_t samples, unsigned seed) {
  std::string bytes = RecordingHeader(samples);
  std::mt19937 random(seed);
  int baseX = 128, baseY = 96;
  for (std::size_t i = 0; i < samples; ++i) {
    const unsigned draw = random();
    if (draw % 200 == 0) {
      AppendSample(bytes, baseX, 255);
      continue;
    }
    int dx, dy;
    if (draw % 3 == 0) {
      const double angle = (random() % 3600) * (3.14159265 / 1800);
      const double length = 4 + (random() % 7);
      dx = static_cast<int>(std::lround(length * std::cos(angle)));
      dy = static_cast<int>(std::lround(length * std::sin(angle)));
      if (dx * dx + dy * dy <= 9) dx = dx < 0 ? -4 : 4;
      if (baseX + dx < 0 || baseX + dx > 255) dx = -dx;
      if (baseY + dy < 0 || baseY + dy > 191) dy = -dy;
      baseX += dx;
      baseY += dy;
      AppendSample(bytes, baseX, baseY);
      continue;
    }
    do {
      dx = static_cast<int>(random() % 5) - 2;
      dy = static_cast<int>(random() % 5) - 2;
    } while (dx * dx + dy * dy > 9 || (dx == 0 && dy == 0) || baseX + dx < 0 || baseX + dx > 255 ||
             baseY + dy < 0 || baseY + dy > 191);
    AppendSample(bytes, baseX + dx, baseY + dy);
  }
  return bytes;
}

// A temporary folder of generated recordings, removed with its contents at the end.
class RecordingFolder {
 public:
  explicit RecordingFolder(const std::string& tag)
      : dir_(std::filesystem::temp_directory_path() / (tag + "-" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(dir_);
  }
  ~RecordingFolder() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  RecordingFolder(const RecordingFolder&) = delete;
  RecordingFolder& operator=(const RecordingFolder&) = delete;
  // Writes a recording of `samples` samples under `name`; returns its path.
  std::string Add(const std::string& name, std::size_t samples, unsigned seed) const {
    return Write(name, Recording(samples, seed));
  }
  std::string AddActive(const std::string& name, std::size_t samples, unsigned seed) const {
    return Write(name, ActiveRecording(samples, seed));
  }
  std::string Write(const std::string& name, const std::string& bytes) const {
    const std::string path = File(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  std::string File(const std::string& name) const { return (dir_ / name).string(); }

 private:
  std::filesystem::path dir_;
};

}  // namespace bench
