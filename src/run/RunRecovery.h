// Recovery of runs that were interrupted (crash, power loss) while they recorded or while their
// files were written: each journal names its data file and holds the header values, so the raw
// file left behind becomes a data file with its map and results, as if the run had ended there,
// and a data file that was built before the interruption gets the map and results it lacks.
#pragma once

#include "common/UserAnswers.h"
#include "run/RunFiles.h"
#include "setup/ExperimentParameters.h"
#include "zonemap/ZoneMap.h"

#include <string>
#include <vector>

namespace tlx {

// Kept: the journal waits, untouched, for a later start (it cannot be read, its folder cannot be
// reached just now, or another program records its data file). Superseded: an older journal of a
// recording that a newer journal also names; it was removed (and reported).
enum class RecoveryResult { NoJournal, Declined, Recovered, Failed, Kept, Superseded };

// Looks at one journal. When it names a raw file that is still there, asks whether to recover
// it; declining keeps the raw file and forgets the journal, a recovery that cannot be written
// keeps both for the next attempt. When the raw file is gone but the run's data file is in
// place, its map and results are written without a question. Temporary files that an
// interrupted writer of the run's files left behind are removed.
// Another program recording the same data file, whatever its home, holds the recording's lock:
// its journal is then kept, as is one that cannot be read or whose folder cannot be reached
// (`why` says which, in one line).
RecoveryResult OfferRunRecovery(const std::string& journalPath, UserAnswers& answers,
                                RunFilesOutcome* outcome = nullptr, std::string* why = nullptr);

struct RecoveryReport {
  std::string DataFile;  // the data file's path (extension "DAT")
  RecoveryResult Result = RecoveryResult::NoJournal;
  RunFilesOutcome Files;
  std::string Why;  // Kept and Superseded: what the user is told
};

// Every journal of the home in turn (only runs whose program has ended may be looked at: the
// caller holds the home's lock). Several journals naming one recording (by other spellings of
// its path) are reconciled: the one of the latest run is used, the others are removed and
// reported. Journals that offered nothing are left out of the list.
std::vector<RecoveryReport> OfferRunRecoveries(const std::string& programHome, UserAnswers& answers);

// Samples in the raw file of the recording into this data file (0: none or empty). A raw file
// is removed once its data file is complete, so samples found while nobody records it belong
// to an interrupted run that no finished data file holds: they are never recorded over.
std::int64_t UnrecoveredSamples(const std::string& dataFile);
// "X.RAW holds N samples of an interrupted run that cannot be recovered automatically ...".
std::string UnrecoveredRecordingText(const std::string& dataFile, std::int64_t samples);

// Recovery by hand of a raw file whose journal is lost or unreadable, with the parameters of the
// run's setup: the data file beside it (extension "DAT"), its map and its results. The start
// time is the raw file's last change less the time its samples took. Only a raw file holding
// samples is taken (its extension RAW in any case, or left out); a data file, an empty raw file or
// any other file is refused, and so is an existing data file with samples (replaceDataFile only
// lets a data file without samples, or a file that is not one, be replaced). `inputs` (the setup
// and map files read) are never written over.
struct HandRecovery {
  std::string Refusal;  // why nothing was done; empty when the files were written (or tried)
  std::string RawPath;  // the raw file recovered
  LocalDateTime Start;
  RunFilesOutcome Files;
};
HandRecovery RecoverRawFile(const std::string& rawPath, ExperimentParameters parameters,
                            std::int16_t videoType, const ZoneMap& map, bool replaceDataFile,
                            const std::vector<std::string>& inputs = {});

// One line for the command line: what became of the interrupted run.
std::string RecoveryReportText(const RecoveryReport& report);

}  // namespace tlx
