#include "sim/UnitCommandParser.h"

namespace tlx {
namespace {

constexpr std::string_view kWakeUp = " Turn ON!";
constexpr unsigned char kBlank = 0x20;

}  // namespace

void UnitCommandParser::Feed(std::string_view bytes, std::vector<UnitCommand>& out) {
  for (char c : bytes) Feed(static_cast<unsigned char>(c), out);
}

void UnitCommandParser::Reset() {
  state_ = State::Idle;
  pending_ = {};
  matched_ = 0;
}

void UnitCommandParser::Emit(std::vector<UnitCommand>& out) {
  out.push_back(std::move(pending_));
  pending_ = {};
  state_ = State::Idle;
}

void UnitCommandParser::Expect(UnitOp op, int argCount) {
  pending_ = {};
  pending_.op = op;
  argsWanted_ = argCount;
  argsHave_ = 0;
  state_ = State::Args;
}

void UnitCommandParser::Feed(unsigned char byte, std::vector<UnitCommand>& out) {
  switch (state_) {
    case State::Idle:
      return FeedIdle(byte);
    case State::Blank:
      group_ = byte;
      if (byte == static_cast<unsigned char>(kWakeUp[1])) {
        state_ = State::WakeUp;
        matched_ = 2;
        return;
      }
      if (byte == '$' || byte == '&' || byte == '0' || byte == '1' || byte == '3' || byte == '5') {
        state_ = State::Group;
        return;
      }
      state_ = State::Idle;
      return FeedIdle(byte);
    case State::Group:
      return FeedOp(byte, out);
    case State::WakeUp:
      if (byte != static_cast<unsigned char>(kWakeUp[matched_])) {
        state_ = State::Idle;
        return FeedIdle(byte);
      }
      if (++matched_ == kWakeUp.size()) {
        pending_ = {};
        pending_.op = UnitOp::WakeUp;
        Emit(out);
      }
      return;
    case State::Args:
      pending_.args[static_cast<std::size_t>(argsHave_++)] = byte;
      if (argsHave_ < argsWanted_) return;
      if (pending_.op == UnitOp::OverlayText) {
        state_ = State::Text;
        return;
      }
      return Emit(out);
    case State::Text:
      if (byte == 0) return Emit(out);
      if (pending_.data.size() < kMaxText) {
        pending_.data.push_back(static_cast<char>(byte));
        return;
      }
      Emit(out);
      return FeedIdle(byte);
    case State::FilterArg:
      pending_.args[0] = byte;
      state_ = State::FilterEnd;
      return;
    case State::FilterEnd:
      if (byte == '.') return Emit(out);
      state_ = State::Idle;
      return FeedIdle(byte);
    case State::Memory:
      pending_.data.push_back(static_cast<char>(byte));
      if (pending_.data.size() == kMemoryBytes) Emit(out);
      return;
    case State::Quote:
      if (byte == 0x2D) {
        pending_ = {};
        pending_.op = UnitOp::AreaQuery;
        return Emit(out);
      }
      state_ = State::Idle;
      return FeedIdle(byte);
    case State::MaskStart:
      if (byte != 0xFF) {
        state_ = State::Idle;
        return FeedIdle(byte);
      }
      if (++matched_ == 4) {
        pending_ = {};
        pending_.op = UnitOp::MaskStart;
        Emit(out);
        state_ = State::Mask;
      }
      return;
    case State::Mask:
      pending_ = {};
      pending_.op = UnitOp::MaskEnd;
      pending_.args[0] = byte;
      return Emit(out);
  }
}

void UnitCommandParser::FeedIdle(unsigned char byte) {
  if (byte == kBlank) {
    state_ = State::Blank;
  } else if (byte == 0x27) {
    state_ = State::Quote;
  } else if (byte == 0x2C) {
    state_ = State::MaskStart;
    matched_ = 0;
  }
}

void UnitCommandParser::FeedOp(unsigned char byte, std::vector<UnitCommand>& out) {
  struct Entry {
    unsigned char group, op;
    UnitOp command;
    int args;
  };
  static constexpr Entry kTable[] = {
      {'$', '+', UnitOp::Reset, 0},           {'&', '!', UnitOp::Ping, 0},
      {'0', '.', UnitOp::StartStream, 0},     {'0', '+', UnitOp::StopStream, 0},
      {'0', '"', UnitOp::ClearOverlay, 0},    {'0', '\'', UnitOp::EndOverlay, 0},
      {'0', '&', UnitOp::OverlayText, 2},     {'0', '%', UnitOp::OverlayLine, 4},
      {'0', '(', UnitOp::OverlayCursor, 2},   {'1', '(', UnitOp::ToggleInversion, 0},
      {'1', '&', UnitOp::LiveVideoOn, 0},     {'1', '\'', UnitOp::LiveVideoOff, 0},
      {'3', '%', UnitOp::WriteMemory, 0},     {'3', '#', UnitOp::CommitMemory, 0},
      {'3', '$', UnitOp::ReadMemory, 0},      {'5', '2', UnitOp::ObjectFilter, 0},
      {'5', '.', UnitOp::SaveSettings, 0},
  };
  for (const Entry& e : kTable) {
    if (e.group != group_ || e.op != byte) continue;
    if (e.args > 0) return Expect(e.command, e.args);
    pending_ = {};
    pending_.op = e.command;
    if (e.command == UnitOp::WriteMemory) {
      pending_.data.reserve(kMemoryBytes);
      state_ = State::Memory;
    } else if (e.command == UnitOp::ObjectFilter) {
      state_ = State::FilterArg;
    } else {
      Emit(out);
    }
    return;
  }
  state_ = State::Idle;
  FeedIdle(byte);
}

}  // namespace tlx
