#include "run/RunRecovery.h"

#include "common/FileChecks.h"
#include "run/RunJournal.h"
#include "run/RunTexts.h"

namespace tlx {

RecoveryResult OfferRunRecovery(const std::string& journalPath, UserAnswers& answers,
                                RunFilesOutcome* outcome) {
  if (!FileExists(journalPath)) return RecoveryResult::NoJournal;
  RunJournal journal;
  // A journal that cannot be read, or whose raw file is gone (the run ended just before the
  // journal was removed), has nothing left to offer.
  if (!ReadRunJournal(journalPath, journal) || !FileExists(RunRawPath(journal.DataFile))) {
    RemoveRunJournal(journalPath);
    return RecoveryResult::NoJournal;
  }
  if (answers.ShowMessage(RecoveryQuestion(journal.DataFile)) != MsgAnswer::Yes) {
    RemoveRunJournal(journalPath);
    return RecoveryResult::Declined;
  }
  RunFilesRequest request{journal.DataFile, journal.StartTime, journal.Parameters,
                          journal.VideoType, journal.Map};
  RunFilesOutcome result = WriteRunFiles(request, &answers);
  if (outcome) *outcome = result;
  if (!result.DataWritten) {
    answers.ShowMessage(RecoveryFailedMessage(journal.DataFile));
    return RecoveryResult::Failed;
  }
  RemoveRunJournal(journalPath);
  answers.ShowMessage(RecoveryDoneMessage(result.DataPath, result.Samples));
  return RecoveryResult::Recovered;
}

}  // namespace tlx
