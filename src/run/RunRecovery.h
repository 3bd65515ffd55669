// Recovery of runs that were interrupted (crash, power loss) while they recorded or while their
// files were written: each journal names its data file and holds the header values, so the raw
// file left behind becomes a data file with its map and results, as if the run had ended there,
// and a data file that was built before the interruption gets the map and results it lacks.
#pragma once

#include "common/UserAnswers.h"
#include "run/RunFiles.h"

#include <string>
#include <vector>

namespace tlx {

enum class RecoveryResult { NoJournal, Declined, Recovered, Failed };

// Looks at one journal. When it names a raw file that is still there, asks whether to recover
// it; declining keeps the raw file and forgets the journal, a recovery that cannot be written
// keeps both for the next attempt. When the raw file is gone but the run's data file is in
// place, its map and results are written without a question. Temporary files that an
// interrupted writer of the run's files left behind are removed.
RecoveryResult OfferRunRecovery(const std::string& journalPath, UserAnswers& answers,
                                RunFilesOutcome* outcome = nullptr);

struct RecoveryReport {
  std::string DataFile;  // the data file's path (extension "DAT")
  RecoveryResult Result = RecoveryResult::NoJournal;
  RunFilesOutcome Files;
};

// Every journal of the home in turn (only runs whose program has ended may be looked at: the
// caller holds the home's lock). Journals that offered nothing are left out of the list.
std::vector<RecoveryReport> OfferRunRecoveries(const std::string& programHome, UserAnswers& answers);

// One line for the command line: what became of the interrupted run.
std::string RecoveryReportText(const RecoveryReport& report);

}  // namespace tlx
