#include "run/RunTexts.h"

#include "common/Paths.h"
#include "common/Texts.h"
#include "common/TimeText.h"

namespace tlx {
namespace {

constexpr const char* kCrLf = "\r\n";

MessageRequest Request(std::string caption, std::string text, MsgIcon icon, MsgButtons buttons) {
  MessageRequest r;
  r.caption = std::move(caption);
  r.text = std::move(text);
  r.icon = icon;
  r.buttons = buttons;
  return r;
}

// Each line of a list on a line of its own, after the text before it.
std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += kCrLf + line;
  return text;
}

}  // namespace

MessageRequest OverwriteUsedQuestion(const std::string& dataFile) {
  MessageRequest question =
      Request("Confirm Overwrite Existing Data",
              "The file " + Quote(FileNamePart(dataFile)) + " has already" + kCrLf +
                  "been used in a previous experiment" + "." + kCrLf + kCrLf +
                  "Are you sure you want" + kCrLf + "to overwrite it?",
              MsgIcon::Critical, MsgButtons::OkCancel);
  // Enter must never throw a recording away.
  question.defaultAnswer = MsgAnswer::Cancel;
  question.okText = "&Overwrite";
  return question;
}

MessageRequest NoOutputFileQuestion() {
  return Request("No Output File",
                 std::string("No data file has been selected.") + kCrLf + kCrLf +
                     "Would you like to start the" + kCrLf + "experiment anyway?" + kCrLf,
                 MsgIcon::Question, MsgButtons::YesNoCancel);
}

MessageRequest TimeOfDayQuestion(std::int32_t timeOfDaySeconds, const std::string& dataFile) {
  return Request("Confirm Overwrite",
                 std::string("When the experiment starts") + kCrLf + "at " +
                     SecondsToClockText(timeOfDaySeconds, true) + ", the file : " +
                     FileNamePart(dataFile) + kCrLf + "will be overwritten." + kCrLf + kCrLf +
                     "Are you sure you want to do this?" + kCrLf,
                 MsgIcon::Exclamation, MsgButtons::YesNoCancel);
}

MessageRequest SelectOutputFileMessage() {
  return Request("Select Output File", std::string("Please select an") + kCrLf + "output file.",
                 MsgIcon::Information, MsgButtons::Ok);
}

MessageRequest StopQuestion() {
  return Request("Confirm Stop Experiment",
                 std::string("Are you sure you want") + kCrLf + "to stop the experiment?",
                 MsgIcon::None, MsgButtons::OkCancel);
}

MessageRequest FinishMessage(bool stopped) {
  const std::string text = stopped ? std::string("The experiment") + " has" + kCrLf + "been stopped."
                                   : std::string("The experiment") + kCrLf + "has finished.";
  return Request("Experiment Status", text, MsgIcon::None, MsgButtons::Ok);
}

MessageRequest UnitSilentMessage(const std::string& port, std::int64_t seconds) {
  return Request("Unit Not Answering",
                 "The unit on " + port + " has sent" + kCrLf + "nothing for " +
                     std::to_string(seconds) + " seconds." + kCrLf + kCrLf +
                     "The experiment has been stopped." + kCrLf +
                     "Every sample received is kept.",
                 MsgIcon::Critical, MsgButtons::Ok);
}

MessageRequest UnitGoneMessage(const std::string& port) {
  return Request("Unit Not Answering",
                 "The unit on " + port + " is gone" + kCrLf + "(unplugged or switched off)." +
                     kCrLf + kCrLf + "The experiment has been stopped." + kCrLf +
                     "Every sample received is kept.",
                 MsgIcon::Critical, MsgButtons::Ok);
}

MessageRequest RecordingFailedMessage(const std::string& rawFile, std::int64_t recorded,
                                      std::int64_t planned) {
  return Request("Recording Error",
                 "The samples could not be written to" + std::string(kCrLf) +
                     Quote(FileNamePart(rawFile)) + " (the disk may be full)." + kCrLf + kCrLf +
                     "The experiment has been stopped." + kCrLf + std::to_string(recorded) +
                     " of " + std::to_string(planned) + " samples were recorded;" + kCrLf +
                     "every sample written so far is kept.",
                 MsgIcon::Critical, MsgButtons::Ok);
}

MessageRequest DataFileNotWrittenMessage(const std::string& dataFile,
                                         const std::vector<std::string>& failures) {
  return Request("Data File Error",
                 "The data file " + Quote(FileNamePart(dataFile)) + kCrLf + "could not be written." +
                     Lines(failures) + kCrLf + kCrLf + "The recorded samples are kept and" + kCrLf +
                     "will be offered for recovery" + kCrLf + "when the program starts again.",
                 MsgIcon::Critical, MsgButtons::Ok);
}

MessageRequest RunFilesNotWrittenMessage(const std::string& dataFile,
                                         const std::vector<std::string>& failures) {
  return Request("Files Not Written",
                 "The experiment has ended and its data file" + std::string(kCrLf) +
                     Quote(FileNamePart(dataFile)) + " is written, but:" + Lines(failures),
                 MsgIcon::Critical, MsgButtons::Ok);
}

MessageRequest RunCannotStartMessage(const std::string& file, const std::string& reason) {
  return Request("Cannot Start Experiment",
                 "The file " + file + kCrLf + "cannot be created: " + reason + "." + kCrLf + kCrLf +
                     "The experiment has not been started.",
                 MsgIcon::Critical, MsgButtons::Ok);
}

MessageRequest RunRefusedMessage(const std::string& line) {
  return Request("Cannot Start Experiment",
                 line + kCrLf + kCrLf + "The experiment has not been started.", MsgIcon::Critical,
                 MsgButtons::Ok);
}

MessageRequest DataFileShortMessage(const std::string& dataFile, std::int64_t inFile,
                                    std::int64_t counted) {
  return Request("Data File Error",
                 "The data file " + Quote(FileNamePart(dataFile)) + kCrLf + "holds " +
                     std::to_string(inFile) + " of the " + std::to_string(counted) + kCrLf +
                     "samples the run counted" + kCrLf +
                     "(its raw file was changed or removed during the run)." + kCrLf + kCrLf +
                     "The experiment has not finished.",
                 MsgIcon::Critical, MsgButtons::Ok);
}

MessageRequest RecoveryKeptMessage(const std::string& line) {
  return Request("Recover Experiment Data", line, MsgIcon::Exclamation, MsgButtons::Ok);
}

MessageRequest RecoveryQuestion(const std::string& dataFile) {
  return Request("Recover Experiment Data",
                 "The experiment recording to " + Quote(FileNamePart(dataFile)) + kCrLf +
                     "was interrupted before it ended." + kCrLf + kCrLf +
                     "Would you like to turn the samples" + kCrLf +
                     "recorded so far into a data file?",
                 MsgIcon::Question, MsgButtons::YesNo);
}

MessageRequest RecoveryDoneMessage(const std::string& dataFile, std::int64_t samples) {
  return Request("Recover Experiment Data",
                 "The data file " + Quote(FileNamePart(dataFile)) + kCrLf + "was recovered with " +
                     std::to_string(samples) + " samples.",
                 MsgIcon::Information, MsgButtons::Ok);
}

MessageRequest RecoveryFailedMessage(const std::string& dataFile,
                                     const std::vector<std::string>& failures) {
  return Request("Recover Experiment Data",
                 "The data file " + Quote(FileNamePart(dataFile)) + kCrLf +
                     "could not be completed." + Lines(failures) + kCrLf + kCrLf +
                     "The recorded samples are kept" + kCrLf + "for the next attempt.",
                 MsgIcon::Critical, MsgButtons::Ok);
}

}  // namespace tlx
