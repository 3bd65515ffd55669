// Serves the simulated unit on a pseudo-terminal in real time, so a program (or any serial tool)
// can talk to it through a real serial device interface: the unit's answers and stream come out
// of the terminal, the bytes written to it reach the unit.
#pragma once

#include "sim/SimulatedUnit.h"

#include <chrono>
#include <string>

namespace tlx {

class PtyServer {
 public:
  explicit PtyServer(SimulatedUnit& unit);
  ~PtyServer();
  PtyServer(const PtyServer&) = delete;
  PtyServer& operator=(const PtyServer&) = delete;

  // Creates the pseudo-terminal (raw, no echo). False on failure, with ErrorText() saying why.
  bool Open();
  // The terminal's device path for the other side ("/dev/pts/N").
  const std::string& SlavePath() const { return slavePath_; }
  const std::string& ErrorText() const { return error_; }

  // Runs the unit until RequestStop() is called, `stopFd` (when not -1) becomes readable, or the
  // terminal fails. True when told to stop, false on a failure.
  bool Serve(int stopFd = -1);
  // Safe from any thread: ends Serve().
  void RequestStop();
  // Removes the terminal: the other side sees its device go away.
  void Close();

 private:
  std::int64_t NowUs() const;
  bool PassOutput();
  bool TakeInput();

  SimulatedUnit& unit_;
  int master_ = -1;
  int slave_ = -1;  // kept open so the terminal stays usable while no one else has it open
  int stopPipe_[2] = {-1, -1};
  std::string slavePath_;
  std::string error_;
  std::chrono::steady_clock::time_point start_;
};

}  // namespace tlx
