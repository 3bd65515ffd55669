#include "common/UserAnswers.h"

namespace tlx {
MsgAnswer FirstButton(MsgButtons buttons) {
  switch (buttons) {
    case MsgButtons::Ok:
    case MsgButtons::OkCancel: return MsgAnswer::Ok;
    case MsgButtons::AbortRetryIgnore: return MsgAnswer::Abort;
    case MsgButtons::YesNoCancel:
    case MsgButtons::YesNo: return MsgAnswer::Yes;
    case MsgButtons::RetryCancel: return MsgAnswer::Retry;
  }
  return MsgAnswer::Ok;
}

MsgAnswer ScriptedAnswers::ShowMessage(const MessageRequest& request) {
  messages_.push_back(request);
  if (!answers_.empty()) {
    const MsgAnswer answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  if (request.buttons == MsgButtons::Ok) return MsgAnswer::Ok;
  return hasFallback_ ? fallback_ : FirstButton(request.buttons);
}

std::string ScriptedAnswers::ChooseFile(const FileDialogRequest& request) {
  fileRequests_.push_back(request);
  if (files_.empty()) return {};
  std::string path = files_.front();
  files_.pop_front();
  return path;
}

void ScriptedAnswers::ShowStatus(const std::string& text, int /*percent*/) {
  statusTexts_.push_back(text);
}

}  // namespace tlx
