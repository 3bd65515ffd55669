// How the core speaks to the user: modal message boxes and the standard file dialogs. The desktop
// program answers with real dialogs; tests and the command line answer from a script.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tlx {

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgButtons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
enum class MsgAnswer { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

// The answer a message gets from nobody: the first button of its set.
MsgAnswer FirstButton(MsgButtons buttons);

// Message texts use "\r\n" between lines, as the program's messages are written.
struct MessageRequest {
  MessageRequest(std::string caption_ = {}, std::string text_ = {}, MsgIcon icon_ = MsgIcon::None,
                 MsgButtons buttons_ = MsgButtons::Ok)
      : caption(std::move(caption_)), text(std::move(text_)), icon(icon_), buttons(buttons_) {}

  std::string caption;
  std::string text;
  MsgIcon icon = MsgIcon::None;
  MsgButtons buttons = MsgButtons::Ok;
  // The button that Enter presses; none: the first of the set. A question whose first answer
  // destroys something (a recording overwritten) names its safe answer here.
  std::optional<MsgAnswer> defaultAnswer;
  // What the OK button says, when a word that names the action says more ("&Overwrite").
  std::string okText;
};

struct FileDialogRequest {
  std::string initialDirectory;
  std::string initialName;
  std::string title;
  std::string extension;     // e.g. "MAP" or "MAP;*.DAT"
  bool forOpening = true;
  bool askFlags = false;     // open: only existing files; save: ask before overwriting
  bool forceExtension = false;
};

class UserAnswers {
 public:
  virtual ~UserAnswers() = default;
  virtual MsgAnswer ShowMessage(const MessageRequest& request) = 0;
  // A message that asks nothing, shown without waiting for it to be closed (the program goes
  // on meanwhile). By default it is shown as any other.
  virtual void Inform(const MessageRequest& request) { ShowMessage(request); }
  // The chosen full path, or empty text when the user cancels.
  virtual std::string ChooseFile(const FileDialogRequest& request) = 0;
  // A self-closing status box ("Resetting", "Saving", ...); empty text hides it. Optional.
  virtual void ShowStatus(const std::string& /*text*/, int /*percent*/ = -1) {}
};

// Answers from a script, in order; records every question asked. When the script runs out, a
// message gets the fallback answer (OK, or the first button of its set) and a file dialog is
// cancelled.
class ScriptedAnswers : public UserAnswers {
 public:
  MsgAnswer ShowMessage(const MessageRequest& request) override;
  std::string ChooseFile(const FileDialogRequest& request) override;
  void ShowStatus(const std::string& text, int percent) override;

  void QueueAnswer(MsgAnswer answer) { answers_.push_back(answer); }
  void QueueFile(std::string path) { files_.push_back(std::move(path)); }
  // Answer every unscripted Yes/No question with this instead of the first button.
  void SetFallback(MsgAnswer answer) { fallback_ = answer; hasFallback_ = true; }

  const std::vector<MessageRequest>& Messages() const { return messages_; }
  const std::vector<FileDialogRequest>& FileRequests() const { return fileRequests_; }
  const std::vector<std::string>& StatusTexts() const { return statusTexts_; }
  void ClearRecord() { messages_.clear(); fileRequests_.clear(); statusTexts_.clear(); }

 private:
  std::deque<MsgAnswer> answers_;
  std::deque<std::string> files_;
  std::vector<MessageRequest> messages_;
  std::vector<FileDialogRequest> fileRequests_;
  std::vector<std::string> statusTexts_;
  MsgAnswer fallback_ = MsgAnswer::Ok;
  bool hasFallback_ = false;
};

}  // namespace tlx
