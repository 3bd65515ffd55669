// The one door every writer passes through. An operation names the files it reads and every file
// it will write (their temporary files follow from them); Check() then looks at each output once,
// by file identity, and either finds the plan ready or refuses it with one reason per file, each
// naming the file. Only a ready plan is written, through AtomicFileWriter / WriteFileAtomically.
//
// An output is refused when it is one of the inputs (whatever the spelling: links, "./", "..",
// another path to the folder); when it is a recording or part of one, unless the operation is that
// recording's own writer: a file carrying the data file's tag, or a raw file, data file, zone map
// or results file beside a recording's data file or raw file (extension in any case), or a run's
// journal; when its folder is missing or not writable, or the file itself is read-only (the
// system's reason is given); when its name holds a control character; when it is a folder or
// another file that cannot be written (a block device, a socket). A character device or a FIFO is
// written in place.
#pragma once

#include "common/FileIdentity.h"
#include "common/UserAnswers.h"
#include "common/UserAnswers.h"

#include <string>
#include <vector>

namespace tlx {

enum class OutputProblem { IsInput, IsRecording, NotWritable, ControlCharacter, NotAFile };

struct OutputRefusal {
  std::string Path;
  OutputProblem Problem = OutputProblem::NotWritable;
  std::string Text;  // "The file X cannot be written: ..."
};

struct OutputCheck {
  std::vector<OutputRefusal> Refusals;
  bool Ready() const { return Refusals.empty(); }
  // Every reason, one line each (no final line end).
  std::string Text() const;
};

class OutputPlan {
 public:
  // `role` completes "it is ..." when an output would replace this input.
  OutputPlan& Input(const std::string& path, const std::string& role = "a file being read");
  OutputPlan& Inputs(const std::vector<std::string>& paths, const std::string& role = "a file being read");
  OutputPlan& Output(const std::string& path);
  // The operation writes this recording's own files (its run, its recovery, its analysis into its
  // results file): they are not refused as parts of a recording.
  OutputPlan& OwnRecording(const std::string& dataFile);
  // The operation records into this recording: none of its files (data, raw, map or results file,
  // whatever the case of the extension) may be another output, even before they exist.
  OutputPlan& Records(const std::string& dataFile);

  OutputCheck Check() const;
  const std::vector<std::string>& Outputs() const { return outputs_; }

 private:
  std::vector<std::pair<std::string, std::string>> inputs_;  // path, role
  std::vector<std::string> outputs_;
  std::vector<std::string> owned_;
  std::vector<std::string> recorded_;
};

// The check of a plan with one output and these inputs.
OutputCheck CheckOutput(const std::string& output, const std::vector<std::string>& inputs = {},
                        const std::string& role = "a file being read");

// The refusal as a message box (Ok, exclamation) with this caption, for the desktop's writers.
MessageRequest OutputRefusalMessage(const std::string& caption, const OutputCheck& check);

// "The file X cannot be written: <the system's reason>." (without a reason when error is 0).
std::string OutputFailureText(const std::string& path, int error);

// True when the name holds a control character (a line break, a tab, ...); such names are refused.
bool HasControlCharacter(const std::string& path);
// Why such a name is refused, naming it.
std::string ControlCharacterText(const std::string& path);

// The name as it can be shown on one line: control characters as "\n", "\t" or "\xHH".
std::string PrintableName(const std::string& path);

}  // namespace tlx
