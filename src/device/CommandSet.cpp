#include "device/CommandSet.h"

#include <algorithm>

namespace tlx {
namespace unit_bytes {
namespace {

char Byte(int value) { return static_cast<char>(static_cast<unsigned char>(value)); }

char ClampedByte(int value, int low, int high) { return Byte(std::clamp(value, low, high)); }

constexpr int kMaxX = 255;
constexpr int kMaxY = 191;

}  // namespace

std::string Reset() { return " $+"; }
std::string WakeUpProbe() { return " Turn ON!"; }
std::string Ping() { return " &!"; }
std::string StartStream() { return " 0."; }
std::string StopStream() { return " 0+"; }

std::string ObjectFilter(bool on) {
  std::string bytes = " 52";
  bytes += Byte(on ? 1 : 0);
  bytes += '.';
  return bytes;
}

std::string ToggleInversion() { return " 1("; }
std::string SaveSettings() { return " 5."; }
std::string LiveVideoOn() { return " 1&"; }
std::string LiveVideoOff() { return " 1'"; }

std::string WriteMemoryBlock(bool inverted) {
  return " 3%" + std::string(kMemoryBlockSize, inverted ? '1' : '0');
}

std::string CommitMemoryBlock() { return " 3#"; }
std::string ReadMemoryBlock() { return " 3$"; }
std::string ClearOverlay() { return " 0\""; }
std::string EndOverlay() { return " 0'"; }

std::string OverlayText(int column, int row, std::string_view text) {
  std::string bytes = " 0&";
  bytes += ClampedByte(column, 0, kOverlayColumns - 1);
  bytes += ClampedByte(row, 0, kOverlayRows - 1);
  bytes += text;
  if (text.empty() || text.back() != '\0') bytes += '\0';
  return bytes;
}

std::string OverlayLine(int x0, int y0, int x1, int y1) {
  std::string bytes = " 0%";
  bytes += ClampedByte(x0, 0, kMaxX);
  bytes += ClampedByte(y0, 0, kMaxY);
  bytes += ClampedByte(x1, 0, kMaxX);
  bytes += ClampedByte(y1, 0, kMaxY);
  return bytes;
}

std::string OverlayCursor(int x, int y) {
  std::string bytes = " 0(";
  bytes += ClampedByte(x, 0, kMaxX);
  bytes += ClampedByte(y, 0, kMaxY);
  return bytes;
}

std::string ObjectAreaQuery() { return ClearOverlay() + "'-"; }

std::string MaskStart() { return std::string("\x2C\xFF\xFF\xFF\xFF", 5); }

std::string MaskEnd(bool keepMask) { return std::string(1, keepMask ? ' ' : '\0'); }

}  // namespace unit_bytes

CommandSet::CommandSet(TrackerLink& link, UserAnswers& answers) : link_(link), answers_(answers) {}

bool CommandSet::ResetAndInitialize(int comPort) {
  bool result = false;
  if (link_.OpenPort(comPort)) {
    answers_.ShowStatus("Resetting");
    Reset();
    link_.WaitMilliseconds(kResetWaitMs);
    answers_.ShowStatus("Initializing");
    WakeUpProbe();
    link_.WaitMilliseconds(kAfterProbeWaitMs);
    answers_.ShowStatus("");
    if (refresh_) refresh_();
    result = Ping();
  }
  state_.UnitResponding = result;
  if (!result) {
    answers_.ShowStatus("");
    // A device that cannot be had (missing, not serial, another program's) is named with the
    // reason; a unit that was reached but did not answer "is not responding".
    const std::string why = OpenFailureText(comPort);
    answers_.ShowMessage({"Error", why.empty() ? "The Tracelux is\r\nnot responding.\r\n" : why,
                          MsgIcon::Critical, MsgButtons::Ok});
  }
  return result;
}

std::string CommandSet::OpenFailureText(int comPort) const {
  const PortOpenResult open = link_.Link().LastOpen();
  if (link_.State().PortIsOpen || open.kind == PortOpenResult::Kind::NoDevice) return {};
  return PortOpenFailureText(open, comPort);
}

bool CommandSet::WakeUpProbe() {
  bool awake = false;
  if (link_.PortOpen()) {
    link_.SetProbeOption(true);
    link_.SendPort(unit_bytes::WakeUpProbe());
    link_.WaitMilliseconds(kProbeWaitMs);
    if (link_.Link().BufferedCount() > 0) {
      link_.DiscardBuffered();
      awake = true;
    }
    link_.SetProbeOption(false);
  }
  link_.State().UnitAwake = awake;
  return awake;
}

bool CommandSet::Ping() {
  if (!link_.PortOpen()) return false;
  link_.DiscardBuffered();
  link_.SendPort(unit_bytes::Ping());
  return link_.SingleByteWait('!');
}

bool CommandSet::StartStream() {
  if (!link_.PortOpen()) return false;
  // A restart begins a new count of bytes: nothing is decoded until the new stream is set up.
  link_.State().StreamOn = false;
  link_.DiscardBuffered();
  link_.SetStreamStarting(true);
  link_.SendPort(unit_bytes::StartStream());
  link_.WaitMilliseconds(kStreamWaitMs);
  link_.SetStreamStarting(false);
  // Pairing counts bytes from the start of this stream: what came before no longer counts.
  link_.NotifyStreamStarted();
  link_.State().StreamOn = true;
  return true;
}

void CommandSet::StopStream() {
  if (link_.PortOpen()) {
    link_.DiscardBuffered();
    link_.SendPort(unit_bytes::StopStream());
    link_.WaitMilliseconds(kStreamWaitMs);
    link_.DiscardBuffered();
  }
  // A closed port carries no stream either.
  link_.State().StreamOn = false;
}

void CommandSet::Reset() {
  link_.SendPort(unit_bytes::Reset());
  link_.State().StreamOn = false;
}

void CommandSet::ReadVideoInverted() {
  // Bytes left over from earlier replies would be taken for the start of the block.
  if (link_.PortOpen()) link_.DiscardBuffered();
  link_.SendPort(unit_bytes::ReadMemoryBlock());
  const bool read = link_.CountedRead(kMemoryBlockSize, false);
  const TrackerLinkState& s = link_.State();
  state_.VideoInverted = read && s.LastReadCount == kMemoryBlockSize && s.LastReadBytes[0] == '1';
}

void CommandSet::StoreVideoInverted() {
  link_.SendPort(unit_bytes::WriteMemoryBlock(state_.VideoInverted));
  link_.WaitMilliseconds(kCommitWaitMs);
  link_.SendPort(unit_bytes::CommitMemoryBlock());
}

bool CommandSet::ToggleInversion() {
  if (!link_.PortOpen()) return false;
  link_.SendPort(unit_bytes::ToggleInversion());
  return true;
}

void CommandSet::SetInversion(bool wanted) {
  if (wanted != state_.VideoInverted && ToggleInversion()) state_.VideoInverted = wanted;
}

void CommandSet::SendObjectFilter(bool on) { link_.SendPort(unit_bytes::ObjectFilter(on)); }

void CommandSet::SaveSettings() { link_.SendPort(unit_bytes::SaveSettings()); }

bool CommandSet::LiveVideoOn() {
  if (!link_.PortOpen()) return false;
  link_.SendPort(unit_bytes::LiveVideoOn());
  state_.LiveVideoOn = true;
  return true;
}

void CommandSet::LiveVideoOff() {
  link_.SendPort(unit_bytes::LiveVideoOff());
  state_.LiveVideoOn = false;
}

void CommandSet::ClearOverlay() { link_.SendPort(unit_bytes::ClearOverlay()); }
void CommandSet::EndOverlay() { link_.SendPort(unit_bytes::EndOverlay()); }

void CommandSet::OverlayText(int column, int row, std::string_view text) {
  link_.SendPort(unit_bytes::OverlayText(column, row, text));
  EndOverlay();
}

void CommandSet::OverlayLine(int x0, int y0, int x1, int y1) {
  link_.SendPort(unit_bytes::OverlayLine(x0, y0, x1, y1));
}

void CommandSet::OverlayCursor(int x, int y) { link_.SendPort(unit_bytes::OverlayCursor(x, y)); }

std::int32_t CommandSet::ObjectAreaQuery() {
  return link_.TwoByteRead(unit_bytes::ObjectAreaQuery());
}

}  // namespace tlx
