// The file picker widget: a check box with its caption, the chosen file's label and a browse
// button, over the file picker model. The run panel's data file picker is one (pfExptData).
#pragma once

#include "controls/PickFile.h"

#include <QFrame>

class QCheckBox;
class QLabel;
class QPushButton;

namespace tlx::gui {

class QbxPickFile2 : public QFrame {
  Q_OBJECT

 public:
  // The probe explains failed checks; without one the real file system is asked.
  explicit QbxPickFile2(UserAnswers& answers, QWidget* parent = nullptr,
                        FileAccessProbe* probe = nullptr);

  PickFileModel& Model() { return model_; }
  // Applies changed properties (captions, fonts, colours, enabled state) and refreshes.
  void ApplyProperties();
  void SetSaveTitle(const QString& caption);
  void SetExtension(const QString& extension);
  void SetFilename(const QString& path);
  QString Filename() const;
  bool SaveFile() const { return model_.SaveFile(); }
  void SetSaveFile(bool on);
  bool ValidFile() const { return model_.ValidFile(); }
  void DoBrowse();

  QCheckBox* CheckBox() const { return chkSave_; }
  QLabel* CaptionLabel() const { return lblSaveDataL_; }
  QLabel* FileLabel() const { return lblFilenameL_; }
  QPushButton* BrowseButton() const { return cmdBrowse_; }

 signals:
  void Change();
  void Click();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Refresh();
  void CheckBoxClicked(bool ticked);

  PickFileModel model_;
  QCheckBox* chkSave_;
  QLabel* lblSaveDataL_;
  QLabel* lblFilenameL_;
  QPushButton* cmdBrowse_;
};

}  // namespace tlx::gui
