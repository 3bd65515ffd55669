#include "sim/SimulatedUnit.h"

#include <algorithm>

namespace tlx {
namespace {

constexpr std::int64_t kUsPerSecond = 1000000;

}  // namespace

SimulatedUnit::SimulatedUnit(std::uint32_t seed)
    : animal_(seed), seed_(seed), memory_(kMemoryBytes, '0') {}

SimRandom& SimulatedUnit::Noise() {
  if (!noise_) noise_.emplace(seed_ ^ 0x5BD1E995u);
  return *noise_;
}

// ---- the line ----

void SimulatedUnit::Receive(std::string_view bytes, std::int64_t nowUs) {
  AdvanceTo(nowUs);
  if (faults_.delayUs > 0) {
    input_.push_back({nowUs_ + faults_.delayUs, std::string(bytes)});
    return;
  }
  Process(bytes, nowUs_);
}

std::string SimulatedUnit::TakeOutput(std::int64_t nowUs) {
  AdvanceTo(nowUs);
  std::string bytes;
  while (outputTaken_ < output_.size() && output_[outputTaken_].atUs <= nowUs_) {
    const Outgoing& chunk = output_[outputTaken_++];
    bytes.append(chunk.bytes.data(), chunk.size);
  }
  DropTakenOutput();
  return bytes.empty() ? bytes : ApplyFaults(std::move(bytes));
}

// The pieces taken leave the queue once it is empty, or once they are most of it.
void SimulatedUnit::DropTakenOutput() {
  if (outputTaken_ == output_.size()) {
    output_.clear();
    outputTaken_ = 0;
  } else if (outputTaken_ > 256 && outputTaken_ * 2 > output_.size()) {
    output_.erase(output_.begin(), output_.begin() + static_cast<std::ptrdiff_t>(outputTaken_));
    outputTaken_ = 0;
  }
}

std::int64_t SimulatedUnit::NextEventUs() const {
  std::int64_t next = NextPairUs();
  if (outputTaken_ < output_.size()) next = std::min(next, output_[outputTaken_].atUs);
  if (!input_.empty()) next = std::min(next, input_.front().atUs);
  return next;
}

// Runs the unit up to nowUs: delayed commands and stream pairs, in time order.
void SimulatedUnit::AdvanceTo(std::int64_t nowUs) {
  nowUs = std::max(nowUs, nowUs_);
  while (true) {
    const std::int64_t inputAt = input_.empty() ? kNever : input_.front().atUs;
    const std::int64_t pairAt = NextPairUs();
    if (std::min(inputAt, pairAt) > nowUs) break;
    if (pairAt <= inputAt) {
      nowUs_ = pairAt;
      StreamNextPair();
    } else {
      Timed input = std::move(input_.front());
      input_.erase(input_.begin());
      nowUs_ = input.atUs;
      Process(input.bytes, input.atUs);
    }
  }
  nowUs_ = nowUs;
}

void SimulatedUnit::Process(std::string_view bytes, std::int64_t atUs) {
  if (atUs < busyUntilUs_) return;  // restarting: the bytes are lost
  commands_.clear();
  parser_.Feed(bytes, commands_);
  for (const UnitCommand& command : commands_) {
    Execute(command, atUs);
    // A reset makes the unit deaf to the rest of what arrived with it.
    if (command.op == UnitOp::Reset) break;
  }
}

void SimulatedUnit::Answer(std::string_view bytes, std::int64_t atUs) {
  std::int64_t at = std::max(lineFreeUs_, atUs + kAnswerUs);
  for (std::size_t i = 0; i < bytes.size(); i += kChunkBytes) {
    const std::string_view chunk = bytes.substr(i, kChunkBytes);
    at += static_cast<std::int64_t>(chunk.size()) * kByteUs;
    Queue(at, chunk);
  }
  lineFreeUs_ = at;
}

// Puts bytes on the line at a moment, after everything due at or before it; more than a piece
// holds goes as several pieces of the same moment.
void SimulatedUnit::Queue(std::int64_t atUs, std::string_view bytes) {
  // Room for a second of stream pairs and a few answers at once, instead of growing piece by piece.
  if (output_.capacity() == 0) output_.reserve(64);
  for (std::size_t i = 0; i < bytes.size(); i += kChunkBytes) {
    Outgoing chunk;
    chunk.atUs = atUs;
    chunk.size = static_cast<std::uint8_t>(std::min(kChunkBytes, bytes.size() - i));
    std::copy_n(bytes.data() + i, chunk.size, chunk.bytes.data());
    auto it = output_.end();
    const auto taken = output_.begin() + static_cast<std::ptrdiff_t>(outputTaken_);
    while (it != taken && std::prev(it)->atUs > atUs) --it;
    output_.insert(it, chunk);
  }
}

std::string SimulatedUnit::ApplyFaults(std::string bytes) {
  if (faults_.silent) return {};
  if (faults_.dropEvery <= 0 && faults_.noiseEvery <= 0) {
    sentCount_ += bytes.size();
    return bytes;
  }
  std::string out;
  out.reserve(bytes.size() + 1);
  for (char c : bytes) {
    ++sentCount_;
    if (faults_.dropEvery > 0 && sentCount_ % static_cast<std::uint64_t>(faults_.dropEvery) == 0)
      continue;
    out.push_back(c);
    if (faults_.noiseEvery > 0 && sentCount_ % static_cast<std::uint64_t>(faults_.noiseEvery) == 0)
      out.push_back(static_cast<char>(Noise().Byte()));
  }
  return out;
}

// ---- video frames and the stream ----

void SimulatedUnit::SetVideoStandard(VideoStandard standard, std::int64_t nowUs) {
  SetFrameRate(standard == VideoStandard::Pal ? 25 : 30, nowUs);
}

void SimulatedUnit::SetFrameRate(int perSecond, std::int64_t nowUs) {
  AdvanceTo(nowUs);
  // The new rate starts with a fresh frame now; frames keep counting on.
  const std::uint64_t next = FrameAt(nowUs_) + 1;
  rate_ = std::clamp(perSecond, 1, 60);
  originUs_ = nowUs_;
  originFrame_ = next;
  if (streaming_) nextFrame_ = std::max(nextFrame_, next);
}

std::uint64_t SimulatedUnit::FrameAt(std::int64_t us) const {
  if (us < originUs_) return originFrame_ > 0 ? originFrame_ - 1 : 0;
  return originFrame_ + static_cast<std::uint64_t>((us - originUs_) * rate_ / kUsPerSecond);
}

std::int64_t SimulatedUnit::FrameTimeUs(std::uint64_t frame) const {
  return originUs_ + static_cast<std::int64_t>(frame - originFrame_) * kUsPerSecond / rate_;
}

// A pair is on the line two byte times after its frame began.
std::int64_t SimulatedUnit::NextPairUs() const {
  return streaming_ ? FrameTimeUs(nextFrame_) + 2 * kByteUs : kNever;
}

void SimulatedUnit::StreamNextPair() {
  const SimSample s = animal_.At(nextFrame_);
  const char pair[] = {static_cast<char>(s.x), static_cast<char>(s.y)};
  Queue(NextPairUs(), std::string_view(pair, 2));
  ++nextFrame_;
  ++pairsStreamed_;
}

int SimulatedUnit::ObjectArea(std::int64_t atUs) {
  if (fixedArea_ >= 0) return std::min(fixedArea_, 0xFFFF);
  if (animal_.At(FrameAt(atUs)).y == SimulatedAnimal::kLostY) return 0;
  if (!area_) {
    area_.emplace(seed_ + 0x9E3779B9u);
    areaBase_ = area_->Between(700, 1300);
  }
  return areaBase_ + area_->Between(-20, 20);
}

// ---- commands ----

void SimulatedUnit::Execute(const UnitCommand& command, std::int64_t atUs) {
  switch (command.op) {
    case UnitOp::Reset:
      return ResetUnit(atUs);
    case UnitOp::WakeUp:
      return Answer(kWakeUpReply, atUs);
    case UnitOp::Ping:
      return Answer("!", atUs);
    case UnitOp::StartStream:
      if (!streaming_) nextFrame_ = FrameAt(atUs + kAnswerUs) + 1;
      streaming_ = true;
      return;
    case UnitOp::StopStream: {
      streaming_ = false;
      const SimSample s = animal_.At(FrameAt(atUs));
      return Answer(std::string{static_cast<char>(s.x), static_cast<char>(s.y)}, atUs);
    }
    case UnitOp::ReadMemory:
      return Answer(memory_, atUs);
    case UnitOp::AreaQuery: {
      const int area = ObjectArea(atUs);
      return Answer(std::string{static_cast<char>(area & 0xFF), static_cast<char>(area >> 8)},
                    atUs);
    }
    case UnitOp::ClearOverlay:
    case UnitOp::EndOverlay:
    case UnitOp::OverlayText:
    case UnitOp::OverlayLine:
    case UnitOp::OverlayCursor:
      return ExecuteOverlay(command);
    default:
      return ExecuteSettings(command);
  }
}

void SimulatedUnit::ExecuteOverlay(const UnitCommand& command) {
  const auto& a = command.args;
  switch (command.op) {
    case UnitOp::ClearOverlay:
      return overlay_.Clear();
    case UnitOp::OverlayText:
      return overlay_.DrawText(a[0], a[1], command.data);
    case UnitOp::OverlayLine:
      return overlay_.AddLine(a[0], a[1], a[2], a[3]);
    case UnitOp::OverlayCursor:
      return overlay_.PlaceCursor(a[0], a[1]);
    default:
      return;
  }
}

void SimulatedUnit::ExecuteSettings(const UnitCommand& command) {
  switch (command.op) {
    case UnitOp::ObjectFilter:
      objectFilter_ = command.args[0] != 0;
      return;
    case UnitOp::ToggleInversion:
      inverted_ = !inverted_;
      ++toggles_;
      return;
    case UnitOp::SaveSettings:
      savedInverted_ = inverted_;
      savedFilter_ = objectFilter_;
      return;
    case UnitOp::WriteMemory:
      written_ = command.data;
      return;
    case UnitOp::CommitMemory:
      if (written_.size() == kMemoryBytes) memory_ = written_;
      return;
    default:
      return;
  }
}

// A reset restarts the unit: the stream stops, the overlay clears,
// answers not yet sent are lost, and the saved settings come back.
void SimulatedUnit::ResetUnit(std::int64_t atUs) {
  ++resets_;
  streaming_ = false;
  overlay_.Clear();
  inverted_ = savedInverted_;
  objectFilter_ = savedFilter_;
  written_.clear();
  parser_.Reset();
  output_.clear();
  outputTaken_ = 0;
  lineFreeUs_ = atUs;
  busyUntilUs_ = atUs + kResetUs;
}

void SimulatedUnit::SetMemoryBlock(std::string block) {
  block.resize(kMemoryBytes, '0');
  memory_ = std::move(block);
}

}  // namespace tlx
