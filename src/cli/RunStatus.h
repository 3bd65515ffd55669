// What a headless run tells while it goes: one status line on a terminal, rewritten in place at
// most a few times a second, and a summary once the run has ended.
#pragma once

#include "cli/RunHeadless.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace tlx::cli {

// "session 2 of 3  00:10:05 elapsed  00:19:55 left  18150 samples  0 missed  /runs/RAT1.DAT"
std::string StatusLineText(const RunProgress& p);
// "Finished: 3 sessions, 54000 samples, 0 missed. Data: ...  Results: ..." (one line).
std::string RunSummaryText(const HeadlessRunResult& r);

class StatusLine {
 public:
  // Shows nothing when `show` is false (output not a terminal, or asked to be quiet).
  StatusLine(std::FILE* out, bool show) : out_(out), show_(show) {}
  ~StatusLine() { Clear(); }
  StatusLine(const StatusLine&) = delete;
  StatusLine& operator=(const StatusLine&) = delete;

  void Show(const RunProgress& p);
  // Erases the line, so what comes next (the summary, an error) starts on a clean line.
  void Clear();

 private:
  std::FILE* out_;
  bool show_;
  bool shown_ = false;
  std::string last_;
  std::chrono::steady_clock::time_point lastWrite_{};
};

}  // namespace tlx::cli
