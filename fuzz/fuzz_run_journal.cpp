// The run journal reader on any bytes: it either refuses them or yields a journal whose values
// write back and read again the same way.
#include "run/RunJournal.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tlx::RunJournal journal;
  if (!tlx::ParseRunJournal(std::string_view(reinterpret_cast<const char*>(data), size), journal))
    return 0;
  if (journal.DataFile.empty()) std::abort();
  tlx::LocalDateTime t;
  if (!tlx::ParseDateTimeText(tlx::DateTimeText(journal.StartTime), t)) std::abort();
  return 0;
}
