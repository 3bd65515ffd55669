// The desktop program's answers to the core's questions: modal message boxes, the standard file
// dialogs, and status texts shown in the progress box.
#pragma once

#include "common/UserAnswers.h"

class QMessageBox;
class QWidget;

namespace tlx::gui {

class BusyWindows;

class QtUserAnswers : public UserAnswers {
 public:
  explicit QtUserAnswers(QWidget* owner = nullptr, BusyWindows* busy = nullptr)
      : owner_(owner), busy_(busy) {}

  MsgAnswer ShowMessage(const MessageRequest& request) override;
  // A window-modal box that closes itself when answered; the program goes on meanwhile.
  void Inform(const MessageRequest& request) override;
  std::string ChooseFile(const FileDialogRequest& request) override;
  void ShowStatus(const std::string& text, int percent) override;

  void SetOwner(QWidget* owner) { owner_ = owner; }
  void SetBusyWindows(BusyWindows* busy) { busy_ = busy; }

 private:
  void Prepare(QMessageBox& box, const MessageRequest& request) const;

  QWidget* owner_;
  BusyWindows* busy_;
};

}  // namespace tlx::gui
