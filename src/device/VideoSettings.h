// What the "Setup System" panel does on the unit and in the program settings: object filter,
// picture inversion and its confirmation, the background mask set-up, live video, and the values
// taken when the panel is left.
#pragma once

#include "common/UserAnswers.h"
#include "device/CommandSet.h"
#include "setup/ExperimentParameters.h"
#include "setup/ProgramSettings.h"

#include <string>

namespace tlx {

// The panel's widgets, as far as the logic needs them; the desktop program implements it.
class SetupSystemView {
 public:
  virtual ~SetupSystemView() = default;
  // The mask label: its caption and whether it is shown.
  virtual void ShowMaskStatus(const std::string& /*caption*/, bool /*visible*/) {}
  virtual void SetBusyPointer(bool /*busy*/) {}
  // The live video window replaces the panel's frame while it is open.
  virtual void ShowLiveVideoWindow() {}
  virtual void ShowPanelFrame(bool /*visible*/) {}
};

// The values the panel's controls hold.
struct SetupSystemControls {
  bool ObjectFilterChecked = false;
  int DelayTypeIndex = 0;  // 0 "Delay", 1 "Time of Day"
  int VideoModeIndex = 0;  // 0 "NTSC", 1 "PAL"
};

class VideoSettings {
 public:
  VideoSettings(CommandSet& commands, ProgramSettings& settings, ExperimentParameters& parameters,
                UserAnswers& answers);
  ~VideoSettings();
  VideoSettings(const VideoSettings&) = delete;
  VideoSettings& operator=(const VideoSettings&) = delete;

  void SetView(SetupSystemView* view) { view_ = view; }
  SetupSystemControls& Controls() { return controls_; }

  // Sets the controls from the program settings.
  void EnterPanel();
  void ObjectFilterClicked(bool checked);
  void InvertClicked();
  void MaskStart();
  // Done keeps the new mask, Cancel keeps the old one.
  void MaskEnd(bool keepMask);
  // The mask label's caption for the current state; empty when no mask set-up is running.
  std::string MaskStatusText() const;
  void RefreshMaskStatus();
  // Opens live video when the port is open; false when nothing was sent.
  bool ViewLiveVideo();
  void CloseLiveVideo(bool panelStillShown);
  // False when the user cancelled the confirmation and the panel stays.
  bool LeavePanel();

 private:
  CommandSet& commands_;
  ProgramSettings& settings_;
  ExperimentParameters& parameters_;
  UserAnswers& answers_;
  SetupSystemView* view_ = nullptr;
  SetupSystemControls controls_;
};

}  // namespace tlx
