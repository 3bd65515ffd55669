// The streaming analysis fed in pieces of any size: its state carries across Feed calls, so random
// recordings, maps (odd zone codes, "G", lower case) and parameters give the same results whole,
// one sample at a time or in odd pieces. The rules themselves are checked by the hand-computed
// analyses and the golden results file of the worked example.
#include "data/Analysis.h"
#include "data/ResultsFile.h"

#include <gtest/gtest.h>

#include <random>

namespace tlx {
namespace {

std::string AnalyseInPieces(const AnalysisParameters& p, const ZoneMap& map,
                            const std::vector<std::uint16_t>& words, std::size_t piece) {
  std::string out;
  ResultsSink sink = [&out](std::string_view s) { out += s; return true; };
  ResultsWriter writer(p, map, '.', sink);
  ActivityAnalyzer analyzer(p, map, [&writer](const SessionResult& s) { writer.WriteSession(s); });
  for (std::size_t i = 0; i < words.size(); i += piece) {
    analyzer.Feed(std::span<const std::uint16_t>(words).subspan(i, std::min(piece, words.size() - i)));
  }
  analyzer.Finish();
  writer.Flush();
  return out;
}

TEST(AnalysisPieces, StreamingEngineGivesTheSameResultsInAnyPiecesOnRandomRecordings) {
  std::mt19937 random(2024);
  const char* const letters = " ABGGaZz!\x7F\x05\xC8";
  for (int round = 0; round < 40; ++round) {
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
    for (int k = static_cast<int>(random() % 3000); k > 0; --k) {
      const int step = random() % 5 == 0 ? 12 : 3;
      x = std::clamp(x + static_cast<int>(random() % (2 * step + 1)) - step, 0, 255);
      y = std::clamp(y + static_cast<int>(random() % (2 * step + 1)) - step, 0, 191);
      const int r = static_cast<int>(random() % 40);  // now and then lost, below the picture, far
      const int sy = r == 0 ? 255 : (r == 1 ? 192 + static_cast<int>(random() % 63) : y);
      words.push_back(static_cast<std::uint16_t>(sy * 256 + (r == 2 ? 255 - x : x)));
    }
    const std::string whole = AnalyseInPieces(p, map, words, words.size() + 1);
    for (std::size_t piece : {1, 7, 301}) {
      ASSERT_EQ(AnalyseInPieces(p, map, words, piece), whole) << "round " << round << " piece " << piece;
    }
  }
}

}  // namespace
}  // namespace tlx
