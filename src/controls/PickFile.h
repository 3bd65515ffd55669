// The file picker: a check box that turns saving on, a browse button with its own file dialog,
// and a label that shows the chosen file. Chosen files are checked (readable for opening,
// creatable for saving) and a failed check is explained to the user.
#pragma once

#include "common/UserAnswers.h"
#include "controls/FileAccess.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace tlx {

struct PickFileProperties {
  bool checkBox = true;
  std::string saveTitle = "File :";
  bool openOrSave = true;  // true: the file is read; false: it is written
  bool enabled = true;
  float fontHeight = 10;
  std::string fontType = "Arial";
  std::string title;
  std::string extension;  // without the dot
  std::string initDir;
  bool hidePath = false;
  std::string noFileMsg;
  bool showWarn = false;
  std::int32_t backColor = 0xFFFFFF;
  std::int32_t foreColor = 0;
};

class PickFileModel {
 public:
  // The probe explains failed checks; without one the real file system is asked.
  explicit PickFileModel(UserAnswers& answers, FileAccessProbe* probe = nullptr);

  std::function<void()> onChange;  // a browse chose a name, or the box was cleared
  std::function<void()> onClick;   // every browse ended, cancelled ones included

  PickFileProperties& Props() { return props_; }
  const PickFileProperties& Props() const { return props_; }

  const std::string& Filename() const { return filename_; }
  // The panels put their stored file name in (no check, no events).
  void SetFilename(const std::string& path) { filename_ = path; }
  bool ValidFile() const { return validFile_; }
  bool SaveFile() const { return saveFile_; }
  // Ticks or clears the box without browsing (the panels' transfer of stored settings).
  void SetSaveFile(bool on) { saveFile_ = on; }
  bool Browsing() const { return browsing_; }

  // What the file label shows now.
  std::string LabelText() const;

  // Opens the dialog as the browse button does. Ignored while a browse is open.
  void DoBrowse();
  // The user ticked or cleared the check box. Ticking browses; the box stays ticked only when a
  // usable file was chosen.
  void UserToggledCheckBox(bool ticked);

 private:
  bool CheckChosen(const std::string& name);

  UserAnswers& answers_;
  SystemFileAccessProbe systemProbe_;
  FileAccessProbe& probe_;
  PickFileProperties props_;
  std::string filename_;
  bool validFile_ = false;
  bool saveFile_ = false;
  bool browsing_ = false;
  std::optional<MessageRequest> pendingMessage_;
};

}  // namespace tlx
