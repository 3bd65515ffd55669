#include "cli/RunStatus.h"

#include "common/TimeText.h"
#include "run/RunState.h"

#include <algorithm>

namespace tlx::cli {
namespace {

constexpr auto kRewriteEvery = std::chrono::milliseconds(250);

std::string Duration(std::int64_t seconds) {
  return SecondsToDurationText(std::max<std::int64_t>(seconds, 0));
}

}  // namespace

std::string StatusLineText(const RunProgress& p) {
  std::string text = p.startsInSeconds > 0
                         ? "starting in " + Duration(p.startsInSeconds)
                         : "session " + std::to_string(p.session) + " of " +
                               std::to_string(p.sessions);
  text += "  " + Duration(p.elapsedSeconds) + " elapsed  " + Duration(p.remainingSeconds) +
          " left  " + std::to_string(p.samples) + " samples  " + std::to_string(p.missed) +
          " missed" + LineNoiseNote(p.lineNoise) + "  " + p.dataFile;
  return text;
}

std::string RunSummaryText(const HeadlessRunResult& r) {
  std::string text = r.finished ? "Finished: " : "Stopped: ";
  text += std::to_string(r.sessions) + (r.sessions == 1 ? " session, " : " sessions, ") +
          std::to_string(r.samples) + " samples, " + std::to_string(r.missedSamples) +
          " missed" + LineNoiseNote(r.lineNoiseSamples) + ". Data: " + r.dataPath +
          "  Results: " + r.resultsPath + "\n";
  return text;
}

void StatusLine::Show(const RunProgress& p) {
  if (!show_) return;
  const auto now = std::chrono::steady_clock::now();
  if (shown_ && now - lastWrite_ < kRewriteEvery) return;
  std::string text = StatusLineText(p);
  if (shown_ && text == last_) return;
  // Back to the line's start, the new text, and the rest of the old line erased.
  std::fprintf(out_, "\r%s\x1b[K", text.c_str());
  std::fflush(out_);
  last_ = std::move(text);
  lastWrite_ = now;
  shown_ = true;
}

void StatusLine::Clear() {
  if (!shown_) return;
  std::fputs("\r\x1b[K", out_);
  std::fflush(out_);
  shown_ = false;
}

}  // namespace tlx::cli
