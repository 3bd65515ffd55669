// The journal of a run that is recording: a small file in the program home that names the data
// file and holds everything its header needs. It is written when a run starts and removed when
// the run ends cleanly, so finding it at the next start means a run was interrupted and its raw
// file can still be turned into a data file. Each recording has its own journal, named after its
// raw file, so any number of interrupted recordings wait side by side; they live in the home,
// whose lock says that the program that wrote them is gone.
#pragma once

#include "common/Clock.h"
#include "setup/ExperimentParameters.h"
#include "zonemap/ZoneMap.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tlx {

// The single journal name of earlier versions, still looked for at start-up.
inline constexpr const char* kRunJournalName = "RUN.JOURNAL";

struct RunJournal {
  std::string DataFile;             // the data file's path (extension "DAT")
  LocalDateTime StartTime;          // to the millisecond, as the data file header rounds it
  ExperimentParameters Parameters;  // the run's parameters (DataFile and SaveData included)
  std::int16_t VideoType = 0;
  std::int16_t DelayType = 0;
  ZoneMap Map;                      // the map of the run, saved beside the data file
};

// The journal of the recording into this data file (any extension): "RUN-<name>-<hash of the raw
// file's full path>.JOURNAL" in the home.
std::string RunJournalPath(const std::string& programHome, const std::string& dataFile);
// Every journal in the home, in name order.
std::vector<std::string> FindRunJournals(const std::string& programHome);
// Written atomically; false when it could not be written.
bool WriteRunJournal(const std::string& path, const RunJournal& journal);
// False when the file is missing, too large, or lacks the data file or the start time. Unknown
// lines are skipped; any bytes are survived.
bool ReadRunJournal(const std::string& path, RunJournal& journal);
// The same, from the journal's bytes.
bool ParseRunJournal(std::string_view text, RunJournal& journal);
bool RemoveRunJournal(const std::string& path);

// "YYYY-MM-DD HH:MM:SS" and back; false for any other text or an impossible date.
std::string DateTimeText(const LocalDateTime& t);
bool ParseDateTimeText(const std::string& text, LocalDateTime& t);

}  // namespace tlx
