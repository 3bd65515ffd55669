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

// An animal in an open field, sampled 30 times a second: bouts of sitting still (a pixel of
// jitter) and bouts of walking (2 to 8 pixels a sample in a slowly turning direction), a lost
// sample now and then and a rare tracking jump across the picture.
inline std::string Recording(std::size_t samples, unsigned seed) {
  tlx::DataFileHeader h;
  h.StartTime = 3155785200u;
  h.SampleCount = static_cast<std::uint32_t>(samples);
  h.Block = {120, 1, 0, 40, 3, 1, 1, 200, 12, 2};  // 10-minute sessions, 30 per second
  std::string bytes = tlx::SerializeHeader(h);
  bytes.reserve(bytes.size() + samples * 2);
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
    const std::uint16_t word = tlx::EncodeSample(std::clamp(sx, 0, 255), std::clamp(sy, 0, 255));
    bytes.push_back(static_cast<char>(word & 0xFF));
    bytes.push_back(static_cast<char>(word >> 8));
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
    const std::string path = File(name);
    std::ofstream(path, std::ios::binary) << Recording(samples, seed);
    return path;
  }
  std::string File(const std::string& name) const { return (dir_ / name).string(); }

 private:
  std::filesystem::path dir_;
};

}  // namespace bench
