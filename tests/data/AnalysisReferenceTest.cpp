// The streaming analysis against a plain sample-by-sample transcription of the rules (no tables,
// no squared comparisons, one sample at a time), on random recordings, maps and parameters, fed to
// the engine in pieces of any size.
#include "data/Analysis.h"
#include "data/ResultsFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace tlx {
namespace {

struct Reference {
  const AnalysisParameters& p;
  const ZoneMap& map;
  std::string out;
  ResultsSink sink = [this](std::string_view s) { out += s; return true; };
  ResultsWriter writer{p, map, '.', sink};

  struct Pos { int x = 0, y = 0; };
  static double Dist(Pos a, Pos b) { return std::sqrt(double((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y))); }
  int Zone(Pos s) const { return static_cast<unsigned char>(map.At(s.y / 8, s.x / 8)) - 32; }
  static bool Known(int z) { return z >= 0 && z < kZoneCount; }

  std::string Run(const std::vector<std::uint16_t>& words) {
    const double maxD = WorkingThreshold(p.MaximumDistance);
    const double ambD = WorkingThreshold(p.AmbulatoryThreshold);
    const double sterD = WorkingThreshold(p.StereotypicThreshold);
    const long long L = p.SessionLength, R = p.SampleRate;
    std::array<double, kZoneCount> first;
    first.fill(-1);
    std::size_t i = 0;
    for (long long number = 1; i < words.size(); ++number) {
      std::array<ZoneTally, kZoneCount> t{};
      Pos base, anchor;
      double total = 0;
      int zone = 255;  // no position yet this session
      bool amb = false, ster = false, lost = false;
      long long s = 0, c = 0;
      // A session always takes its first sample, then runs until its length in seconds is done.
      for (bool opening = true; (opening || s < L) && i < words.size(); opening = false) {
        const Pos P{words[i] & 0xFF, words[i] >> 8};
        ++i;
        if (P.y >= 192) {
          lost = true;
        } else {
          if (!opening && Known(Zone(P)) && first[Zone(P)] < 0 && R > 0) first[Zone(P)] = s + double(c) / R;
          if (zone == 255) {
            base = anchor = P;
            zone = Zone(P);
            if (Known(zone)) t[zone].Visits = 1;
          } else if (const double d = Dist(P, base); d > maxD) {
            base = P;
          } else if (d <= ambD) {
            if (!amb && !ster && Dist(P, anchor) > sterD) ster = true;
          } else {
            total += d;
            amb = true;
            base = P;
            if (Known(zone)) t[zone].Distance += d;
            const int previous = zone;
            zone = Zone(P);
            if (zone != previous && Known(zone)) t[zone].Visits += 1;
          }
        }
        if (++c < R) continue;
        c = 0;  // a whole second: classify it
        ++s;
        if (amb && Known(zone)) ++t[zone].AmbulatorySeconds;
        if (ster && Known(zone)) ++t[zone].StereotypicSeconds;
        if (amb || ster) anchor = base;
        if (!amb && !ster && !lost && Known(zone)) ++t[zone].RestingSeconds;
        if (Known(zone)) ++t[zone].VisitSeconds;
        amb = ster = lost = false;
      }
      SessionResult r{.Number = number, .TotalDistance = total, .Zones = t, .FirstEntry = first};
      writer.WriteSession(r);
      first.fill(-1);
    }
    writer.Flush();
    return out;
  }
};

TEST(AnalysisReference, StreamingEngineInAnyPiecesMatchesThePlainRulesOnRandomRecordings) {
  std::mt19937 random(2024);
  const char* const letters = " ABGGaZz!\x7F\x05\xC8";
  for (int round = 0; round < 60; ++round) {
    std::string cells;
    const int blocks = 1 + static_cast<int>(random() % 6);
    for (int c = 0; c < kMapCells; ++c) cells += letters[((c / 8 + c / (32 * 4)) * blocks + round) % 11];
    const ZoneMap map = ZoneMap::FromText(cells);
    AnalysisParameters p;
    const int rates[] = {1, 5, 25, 30};
    p.SampleRate = static_cast<std::int16_t>(rates[random() % 4]);
    p.SessionLength = static_cast<std::int32_t>(random() % 12);
    p.MaximumDistance = static_cast<float>(random() % 60) - 2.5f;
    p.AmbulatoryThreshold = static_cast<float>(random() % 25) + 0.5f;
    p.StereotypicThreshold = static_cast<float>(random() % 8);
    p.CalibrateScale = static_cast<float>(random() % 5);
    p.CalibrateReference = 1.5f;
    std::vector<std::uint16_t> words;
    int x = static_cast<int>(random() % 256), y = static_cast<int>(random() % 192);
    const int count = static_cast<int>(random() % 3000);
    for (int k = 0; k < count; ++k) {
      const int step = random() % 5 == 0 ? 12 : 3;
      x = std::clamp(x + static_cast<int>(random() % (2 * step + 1)) - step, 0, 255);
      y = std::clamp(y + static_cast<int>(random() % (2 * step + 1)) - step, 0, 191);
      const int r = static_cast<int>(random() % 40);
      const int sy = r == 0 ? 255 : (r == 1 ? 192 + static_cast<int>(random() % 63) : y);
      words.push_back(static_cast<std::uint16_t>(sy * 256 + (r == 2 ? 255 - x : x)));
    }
    // Whole, one sample at a time, or odd pieces: state must carry across Feed calls.
    const std::size_t piece = std::array<std::size_t, 4>{words.size() + 1, 1, 7, 301}[round % 4];
    std::string fast;
    ResultsSink sink = [&fast](std::string_view s) { fast += s; return true; };
    ResultsWriter writer(p, map, '.', sink);
    ActivityAnalyzer analyzer(p, map, [&writer](const SessionResult& s) { writer.WriteSession(s); });
    for (std::size_t i = 0; i < words.size(); i += piece) {
      analyzer.Feed(std::span<const std::uint16_t>(words).subspan(i, std::min(piece, words.size() - i)));
    }
    analyzer.Finish();
    writer.Flush();
    Reference reference{p, map, {}};
    ASSERT_EQ(fast, reference.Run(words)) << "round " << round;
  }
}

}  // namespace
}  // namespace tlx
