// The questions and messages of an experiment run, with their exact captions, texts, icons and
// buttons, built in one place so the desktop program, the command line and the tests agree.
#pragma once

#include "common/UserAnswers.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tlx {

// The data file was used by an earlier run ("Confirm Overwrite Existing Data", OK/Cancel).
MessageRequest OverwriteUsedQuestion(const std::string& dataFile);
// Save Data is off ("No Output File", Yes/No/Cancel).
MessageRequest NoOutputFileQuestion();
// The start-up question of a run that starts at a time of day ("Confirm Overwrite").
MessageRequest TimeOfDayQuestion(std::int32_t timeOfDaySeconds, const std::string& dataFile);
// Shown before the output file picker ("Select Output File").
MessageRequest SelectOutputFileMessage();
// The stop window in its confirm form ("Confirm Stop Experiment", OK/Cancel).
MessageRequest StopQuestion();
// The stop window in its status form ("Experiment Status", OK).
MessageRequest FinishMessage(bool stopped);
// A recording that could not be written (disk full): the run has been stopped after `recorded`
// of the `planned` samples.
MessageRequest RecordingFailedMessage(const std::string& rawFile, std::int64_t recorded,
                                      std::int64_t planned);
// The unit on the port sent nothing for that many seconds: the run has been stopped.
MessageRequest UnitSilentMessage(const std::string& port, std::int64_t seconds);
// The unit's device on the port went away during the run (unplugged, switched off): the run has
// been stopped.
MessageRequest UnitGoneMessage(const std::string& port);
// The run ended but its data file could not be built; the raw file and journal stay.
MessageRequest DataFileNotWrittenMessage(const std::string& dataFile,
                                         const std::vector<std::string>& failures);
// The data file was written but its map or its results were not.
MessageRequest RunFilesNotWrittenMessage(const std::string& dataFile,
                                         const std::vector<std::string>& failures);
// The raw file or the journal of a run cannot be created: the run does not start.
MessageRequest RunCannotStartMessage(const std::string& file, const std::string& reason);
// Another process records the data file (the line names it and the process).
MessageRequest RunRefusedMessage(const std::string& line);
// The data file was read back after writing and holds fewer samples than the run counted.
MessageRequest DataFileShortMessage(const std::string& dataFile, std::int64_t inFile,
                                    std::int64_t counted);
// The offer to turn the recording of an interrupted run into a data file.
MessageRequest RecoveryQuestion(const std::string& dataFile);
// The result of a recovery.
MessageRequest RecoveryDoneMessage(const std::string& dataFile, std::int64_t samples);
// A journal kept for a later start, or an older one removed (the line says which and why).
MessageRequest RecoveryKeptMessage(const std::string& line);
MessageRequest RecoveryFailedMessage(const std::string& dataFile,
                                     const std::vector<std::string>& failures);

// The nine lines of the finish box drawn on the unit's overlay, from column 7, rows 7 to 15.
inline constexpr int kFinishBoxColumn = 7;
inline constexpr int kFinishBoxFirstRow = 7;
inline constexpr const char* kFinishBox[9] = {
    "****************", "*              *", "*              *",
    "*  EXPERIMENT  *", "*              *", "*   FINISHED   *",
    "*              *", "*              *", "****************"};

// The "Ready to begin" text of the run panel.
inline constexpr const char* kReadyToBeginText =
    "\r\n\r\nReady to begin\r\nexperiment\r\n\r\nClick Start Button\r\nor Press Space Bar";

}  // namespace tlx
