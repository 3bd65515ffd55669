// Builds small data files byte by byte for the tests: the 38-byte header from its fields and the
// samples as little-endian words, written exactly as the format lays them out.
#pragma once

#include "data/Analysis.h"

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace tlx::test {

struct DataFileBuilder {
  // Each field is written as one 16-bit word, the start time as two.
  std::uint32_t tag = 0xAAFD;
  std::uint32_t start = 3155785200u;  // Sat Jan 01 00:00:00 2000
  std::uint32_t video = 0;
  std::uint32_t sessionLength5 = 12;  // 60 seconds
  std::uint32_t sessions = 1, delay = 0, maxDistance = 50, ambulatory = 3, stereotypic = 2;
  std::uint32_t units0 = 1;  // cm
  std::uint32_t scale = 200, reference = 12;
  std::uint32_t rateCode = 0;  // 1 per second
  std::string samples;

  static void Put16(std::string& out, std::uint32_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
  }

  DataFileBuilder& Add(int x, int y) {
    Put16(samples, static_cast<std::uint32_t>(y * 256 + x));
    return *this;
  }
  DataFileBuilder& Add(const std::vector<std::pair<int, int>>& points) {
    for (const auto& [x, y] : points) Add(x, y);
    return *this;
  }
  DataFileBuilder& Repeat(int x, int y, int count) {
    for (int i = 0; i < count; ++i) Add(x, y);
    return *this;
  }

  // A seeded walk from the middle of the picture: rests, moves of up to 10 px and now and then a
  // lost sample.
  DataFileBuilder& Walk(unsigned seed, int count) {
    std::mt19937 random(seed);
    int x = 128, y = 96;
    for (int i = 0; i < count; ++i) {
      if (random() % 3 == 0) {
        x = std::clamp(x + static_cast<int>(random() % 21) - 10, 0, 255);
        y = std::clamp(y + static_cast<int>(random() % 21) - 10, 0, 191);
      }
      Add(x, random() % 50 == 0 ? 255 : y);
    }
    return *this;
  }

  std::string Header() const {
    std::string h;
    const auto count = static_cast<std::uint32_t>(samples.size() / 2);
    for (std::uint32_t v : {tag, 121u, 33u, 0u, start & 0xFFFF, start >> 16, video, count & 0xFFFF, count >> 16,
                            sessionLength5, sessions, delay, maxDistance, ambulatory, stereotypic, units0, scale,
                            reference, rateCode}) {
      Put16(h, v);
    }
    return h;
  }
  std::string Bytes() const { return Header() + samples; }
};

// Analysis parameters in pixels (one pixel = one unit unless a calibration is given), units cm.
inline AnalysisParameters Params(int length, int rate, float maxDistance = 50, float ambulatory = 3,
                                 float stereotypic = 2, float scale = 1, float reference = 1) {
  return {.SessionLength = length, .MaximumDistance = maxDistance, .AmbulatoryThreshold = ambulatory,
          .StereotypicThreshold = stereotypic, .UnitsCode = 2, .CalibrateScale = scale,
          .SampleRate = static_cast<std::int16_t>(rate), .DataFile = {}, .MapFile = {},
          .CalibrateReference = reference};
}

}  // namespace tlx::test
