// The unit's command set: the exact bytes of every command, and the operations and sequences
// built from them (reset and initialize, wake-up probe, ping, stream start and stop, the memory
// block that keeps the Video Inverted state, and drawing on the unit's video overlay).
#pragma once

#include "common/UserAnswers.h"
#include "device/TrackerLink.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tlx {

// The bytes of each command, exactly as they go on the wire.
namespace unit_bytes {
std::string Reset();
std::string WakeUpProbe();
std::string Ping();
std::string StartStream();
std::string StopStream();
std::string ObjectFilter(bool on);
std::string ToggleInversion();
std::string SaveSettings();
std::string LiveVideoOn();
std::string LiveVideoOff();
std::string WriteMemoryBlock(bool inverted);  // 3 command bytes + 768 data bytes
std::string CommitMemoryBlock();
std::string ReadMemoryBlock();
std::string ClearOverlay();
std::string EndOverlay();
// Column is clamped to 0..31 and row to 0..23; a 00 ends the text unless it already does.
std::string OverlayText(int column, int row, std::string_view text);
// x is clamped to 0..255 and y to 0..191.
std::string OverlayLine(int x0, int y0, int x1, int y1);
std::string OverlayCursor(int x, int y);
std::string ObjectAreaQuery();
std::string MaskStart();            // the bytes that follow Clear overlay
std::string MaskEnd(bool keepMask);  // one byte: 20 keeps, 00 cancels
}  // namespace unit_bytes

constexpr int kMemoryBlockSize = 768;
constexpr int kOverlayColumns = 32;
constexpr int kOverlayRows = 24;

struct UnitState {
  bool UnitResponding = false;
  bool VideoInverted = false;
  bool InvertChanged = false;
  bool LiveVideoOn = false;
};

class CommandSet {
 public:
  CommandSet(TrackerLink& link, UserAnswers& answers);

  UnitState& State() { return state_; }
  const UnitState& State() const { return state_; }
  TrackerLink& Link() { return link_; }
  // Called by the reset sequence where the main window is refreshed (after the status box hides).
  void SetRefreshHandler(std::function<void()> refresh) { refresh_ = std::move(refresh); }

  // Opens the port, resets the unit, wakes it and pings it. UnitResponding takes the result; a
  // failure shows the "not responding" message.
  bool ResetAndInitialize(int comPort);
  // Why the last reset could not open the unit's device (in use, missing, not serial), as the
  // user is told; empty when it opened or no device is chosen for the port.
  std::string OpenFailureText(int comPort) const;
  // Sends the probe and waits 500 ms letting events run; any reply wakes the unit.
  bool WakeUpProbe();
  // True when the unit answers "!" as the only byte seen within 0.1 s.
  bool Ping();
  bool StartStream();
  void StopStream();
  void Reset();

  void ReadVideoInverted();
  void StoreVideoInverted();
  // True when the toggle could be sent (port open).
  bool ToggleInversion();
  void SetInversion(bool wanted);

  void SendObjectFilter(bool on);
  void SaveSettings();
  bool LiveVideoOn();
  void LiveVideoOff();

  void ClearOverlay();
  void EndOverlay();
  void OverlayText(int column, int row, std::string_view text);
  void OverlayLine(int x0, int y0, int x1, int y1);
  void OverlayCursor(int x, int y);
  // The object's area in pixels, or -1 when the port is closed or the unit did not answer.
  std::int32_t ObjectAreaQuery();

  static constexpr int kResetWaitMs = 1000;
  static constexpr int kProbeWaitMs = 500;
  static constexpr int kAfterProbeWaitMs = 500;
  static constexpr int kStreamWaitMs = 100;
  static constexpr int kCommitWaitMs = 100;

 private:
  TrackerLink& link_;
  UserAnswers& answers_;
  UnitState state_;
  std::function<void()> refresh_;
};

}  // namespace tlx
