// Recovery of a run that was interrupted (crash, power loss) while it recorded: its journal names
// the data file and holds the header values, so the raw file left behind becomes a data file with
// its map and results, as if the run had ended there.
#pragma once

#include "common/UserAnswers.h"
#include "run/RunFiles.h"

#include <string>

namespace tlx {

enum class RecoveryResult { NoJournal, Declined, Recovered, Failed };

// Looks for the journal; when one names a raw file that is still there, asks whether to recover
// it. Declining keeps the raw file and forgets the journal; a recovery that cannot be written
// keeps both for the next attempt.
RecoveryResult OfferRunRecovery(const std::string& journalPath, UserAnswers& answers,
                                RunFilesOutcome* outcome = nullptr);

}  // namespace tlx
