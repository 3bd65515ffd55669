#include "controls/PickFile.h"

#include "common/FileChecks.h"
#include "common/Paths.h"

#include <exception>

namespace tlx {

PickFileModel::PickFileModel(UserAnswers& answers, FileAccessProbe* probe)
    : answers_(answers), probe_(probe ? *probe : systemProbe_) {}

std::string PickFileModel::LabelText() const {
  if (filename_.empty() || (props_.checkBox && !saveFile_)) return props_.noFileMsg;
  if (!props_.hidePath) return filename_;
  const std::string name = FileNamePart(filename_);
  return name.empty() ? filename_ : name;
}

bool PickFileModel::CheckChosen(const std::string& name) {
  const bool forReading = props_.openOrSave;
  const bool ok = forReading ? FileExists(name) : CanCreateFile(name);
  if (ok || !props_.showWarn) return ok;
  const std::optional<MessageRequest> message =
      FileAccessMessage(name, probe_.Diagnose(name, forReading), forReading);
  // The message waits until the change event has run, as the browse steps require.
  if (message) pendingMessage_ = *message;
  return ok;
}

void PickFileModel::DoBrowse() {
  if (browsing_ || !props_.enabled) return;
  browsing_ = true;
  try {
    FileDialogRequest request;
    request.initialDirectory = props_.initDir;
    request.initialName = "*." + props_.extension;
    request.title = props_.title;
    request.extension = props_.extension;
    request.forOpening = props_.openOrSave;
    request.askFlags = true;  // open: the file must exist; save: ask before overwriting
    const std::string chosen = answers_.ChooseFile(request);
    if (!chosen.empty()) {
      pendingMessage_.reset();
      validFile_ = CheckChosen(chosen);
      if (validFile_) {
        filename_ = chosen;
        saveFile_ = true;
      }
      if (onChange) onChange();
      if (pendingMessage_) answers_.ShowMessage(*pendingMessage_);
      pendingMessage_.reset();
    }
  } catch (const std::exception&) {
    answers_.ShowMessage(ControlErrorMessage(fileerr::PathFileAccess, "cmdBrowse_Click"));
  }
  browsing_ = false;
  if (onClick) onClick();
}

void PickFileModel::UserToggledCheckBox(bool ticked) {
  if (!ticked) {
    saveFile_ = false;
    if (onChange) onChange();
    return;
  }
  // The box stays ticked only when the browse brings a usable file: a ticked box without one
  // would promise a recording that cannot be saved.
  saveFile_ = false;
  DoBrowse();
}

}  // namespace tlx
