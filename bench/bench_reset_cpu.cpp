// Processor time the program spends on a unit reset and initialisation in real time, against the
// simulated unit served on a pseudo-terminal from another thread. Only the calling thread's time
// is counted, so the unit's own work does not show.
//   build/bench/bench_reset_cpu [REPETITIONS]
#include "common/SystemClock.h"
#include "common/UserAnswers.h"
#include "device/CommandSet.h"
#include "device/TermiosLink.h"
#include "device/TrackerLink.h"
#include "sim/PtyServer.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <thread>

namespace {

double ThreadCpuSeconds() {
  timespec t{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  tlx::SimulatedUnit unit(5);
  tlx::PtyServer server(unit);
  if (!server.Open()) {
    std::fprintf(stderr, "%s\n", server.ErrorText().c_str());
    return 1;
  }
  std::thread serving([&] { server.Serve(); });
  tlx::SystemClock clock;
  tlx::TermiosLink serial([&](int) { return server.SlavePath(); });
  clock.AddEventSource([&] { serial.Poll(); });
  clock.WatchLine(&serial);
  tlx::IntervalPacer pacer;
  tlx::TrackerLink tracker(serial, clock, pacer);
  tlx::ScriptedAnswers answers;
  tlx::CommandSet commands(tracker, answers);
  int failures = 0;
  for (int i = 0; i < repetitions; ++i) {
    const auto began = std::chrono::steady_clock::now();
    const double cpu = ThreadCpuSeconds();
    const bool ok = commands.ResetAndInitialize(1);
    const double used = ThreadCpuSeconds() - cpu;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    failures += ok ? 0 : 1;
    std::printf("reset and initialise: %s, wall %.2f s, cpu %.3f s\n", ok ? "ok" : "FAILED", wall,
                used);
  }
  tracker.ClosePort();
  server.RequestStop();
  serving.join();
  return failures == 0 ? 0 : 1;
}
