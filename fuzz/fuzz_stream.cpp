// The receive dispatch and the stream decoder on arbitrary byte batches: no crash, no sample out
// of the byte range, and every byte taken from the line is accounted for.
#include "common/TimeText.h"
#include "common/UserAnswers.h"
#include "common/VirtualClock.h"
#include "device/CommandSet.h"
#include "device/StreamDecoder.h"
#include "device/TrackerLink.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

class LineLink : public tlx::SerialLink {
 public:
  bool Open(int) override { return open_ = true; }
  void Close() override { open_ = false; }
  bool IsOpen() const override { return open_; }
  void Write(std::string_view) override {}
  std::size_t BufferedCount() override { return buffer_.size(); }
  std::string Read(std::size_t maxBytes) override {
    std::string out = buffer_.substr(0, maxBytes);
    buffer_.erase(0, out.size());
    taken += out.size();
    return out;
  }
  void Arrive(const std::string& bytes) {
    buffer_ += bytes;
    RaiseReceive();
  }
  std::size_t taken = 0;

 private:
  bool open_ = false;
  std::string buffer_;
};

struct Sink : tlx::RunSampleSink, tlx::SampleDisplay {
  bool running = false;
  std::size_t accounted = 0;
  bool RunIsRunning() override { return running; }
  bool OpenRecordedSampleFile() override { return true; }
  void AppendRecordedSample(const tlx::PositionSample&) override {}
  void AccountSample(const tlx::PositionSample& s) override {
    Check(s);
    ++accounted;
  }
  void UpdateLiveDisplay(const tlx::PositionSample& s) override { Check(s); }
  void Check(const tlx::PositionSample& s) {
    if (s.X < 0 || s.X > 255 || s.Y < 0 || s.Y > 255) __builtin_trap();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  tlx::VirtualClock clock;
  LineLink line;
  tlx::IntervalPacer pacer;
  tlx::TrackerLink link(line, clock, pacer);
  tlx::ScriptedAnswers answers;
  tlx::CommandSet commands(link, answers);
  tlx::StreamDecoder decoder(link, commands, answers);
  Sink sink;
  sink.running = (data[0] & 1) != 0;
  decoder.SetRunSink(&sink);
  decoder.SetDisplay(&sink);
  link.OpenPort(1);
  link.State().UnitAwake = true;
  link.State().StreamOn = true;
  link.State().SkipCount = static_cast<std::int16_t>(data[1] % 4);
  const int skip = link.State().SkipCount;

  std::size_t pos = 2;
  while (pos < size) {
    const std::size_t length = data[pos++] % 16;
    const std::size_t n = length < size - pos ? length : size - pos;
    line.Arrive(std::string(reinterpret_cast<const char*>(data + pos), n));
    pos += n;
  }
  // Every byte taken is in a decoded pair, a skipped pair or the leftover byte.
  const std::size_t pairs = line.taken / 2;
  const std::size_t decoded = pairs > static_cast<std::size_t>(skip) ? pairs - skip : 0;
  if ((line.taken % 2 == 1) != decoder.State().HasLeftover) __builtin_trap();
  if (sink.accounted != (sink.running ? decoded : 0)) __builtin_trap();
  return 0;
}
