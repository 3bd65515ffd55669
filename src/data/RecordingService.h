// What a user does with a recording, written once for the data panel, the batch dialog and the
// command line: open it (its record, companion map, the results the run wrote, its sessions),
// list a folder's recordings, and analyse many
// recordings into one table file, never over one of them.
#pragma once

#include "common/UserAnswers.h"
#include "data/AnalysisSetup.h"
#include "data/OutputPlan.h"
#include "data/Overrides.h"
#include "data/ResultsTable.h"
#include "data/TidyBatch.h"
#include "zonemap/ZoneMap.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace tlx {

class SummaryProgram;

// --- Opening ------------------------------------------------------------------------------------

// What the data panel holds for the open data file.
struct OpenDataFile {
  DataFileInfo Info;    // as recorded in the file
  std::string MapFile;  // empty: the built-in map
  ZoneMap Map = ZoneMap::FourQuadrants();
  ResultsTable Table;
  std::int32_t SessionLength = 0;  // the session length the table was analysed with
  std::int32_t UnitsCode = 0;      // the unit the table's distances are in
  std::int64_t Sessions = 0;       // of SessionLength
  // After a reanalysis: the parameters the table was worked out with (none: the run's results).
  std::optional<AnalysisParameters> Reanalysis;
};

enum class OpenResult { Missing, Refused, HandedToSummaryProgram, Empty, Opened };

// The first step of the open command: the file's record. A file that is not a version-3 data file
// shows "Invalid File Format" (Refused) unless its extension is "CSV": then the summary program is
// started on it and nothing is loaded. Opened when `info` was filled.
OpenResult ReadRecordingToOpen(const std::string& path, UserAnswers& answers, SummaryProgram* summary,
                               DataFileInfo& info);

// The second step: the recording's map (MapOfRecording), the results the run wrote and the
// sessions they are split into (SplitIntoSessions, as a reanalysis splits them). Empty when there are
// none (the caller shows kEmptyDataFileCaption).
OpenResult LoadRecording(const DataFileInfo& info, OpenDataFile& open);

// --- Many recordings ----------------------------------------------------------------------------

// The data files (extension DAT in any case) of a folder, in natural order: day2 before day10.
std::vector<std::string> RecordingsInFolder(const std::string& folder);
// Natural order of file names: runs of digits compare by value, the rest without regard to case.
bool NaturalLess(const std::string& a, const std::string& b);

enum class BatchFileStatus { Written, Refused, NotWritable, Cancelled };

struct BatchFileOutcome {
  BatchFileStatus Status = BatchFileStatus::Written;
  std::string Refusal;     // Refused and NotWritable: what the user is told
  TidyBatchReport Report;  // the files that failed are listed even when the table was written
};

// The output plan of a batch: the table against the data files and the map it reads and every
// recording.
OutputCheck CheckBatchOutput(const TidyBatchRequest& request, const std::string& outputPath);

// The tidy table of every file of the request, written atomically to `outputPath` with the rows of
// the files that succeeded. Refused (nothing written) when its output plan is: the output is one of
// the data files, a recording, or cannot be written; a cancelled batch leaves whatever stood at
// the output.
BatchFileOutcome RunTidyBatchToFile(const TidyBatchRequest& request, const std::string& outputPath,
                                    const std::function<void(std::size_t, std::size_t)>& progress = {},
                                    const std::atomic<bool>* cancel = nullptr);

// What the batch was last given, kept in the program home between sessions of the program.
inline constexpr const char* kBatchChoicesFileName = "BATCH.INI";
struct BatchChoices {
  bool Loaded = false;  // read from the home once
  std::vector<std::string> DataFiles;
  OverrideTexts Parameters;
  std::string Output;
  bool JsonLines = false;
};
// A missing or unreadable file gives empty choices; unknown lines are skipped.
BatchChoices LoadBatchChoices(const std::string& home);
// Written atomically; paths quoted.
bool SaveBatchChoices(const std::string& home, const BatchChoices& choices);

}  // namespace tlx
