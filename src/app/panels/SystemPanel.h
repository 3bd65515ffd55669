// The "Setup System" panel (fraSetupSystem): background mask, live video, video mode, delay type,
// object filter and picture inversion, each forwarded to the unit's video settings.
#pragma once

#include "device/VideoSettings.h"

#include <QFrame>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace tlx::gui {

class SystemPanel : public QFrame, public SetupSystemView {
  Q_OBJECT

 public:
  SystemPanel(VideoSettings& settings, QWidget* parent = nullptr);

  // Sets the widgets from the program settings (entering the panel).
  void Enter();
  // Copies the widgets' values into the settings logic before the panel is left.
  void StoreControls();

  QPushButton* HomeButton() const { return home_; }

  // SetupSystemView
  void ShowMaskStatus(const std::string& caption, bool visible) override;
  void SetBusyPointer(bool busy) override;
  void ShowLiveVideoWindow() override;
  void ShowPanelFrame(bool visible) override;

 signals:
  void HomeClicked();
  void LiveVideoRequested();

 private:
  VideoSettings& settings_;
  QComboBox* videoMode_;
  QComboBox* delayType_;
  QCheckBox* objectFilter_;
  QLabel* maskStatus_;
  QPushButton* home_;
  QWidget* body_;
};

}  // namespace tlx::gui
