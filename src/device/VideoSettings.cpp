#include "device/VideoSettings.h"

#include "common/TimeText.h"
#include "setup/SetupFile.h"

namespace tlx {
namespace {

const char* const kMaskStatus =
    "Now setting up background mask.\r\nClick 'Done' to finish.\r\n"
    "or 'Cancel' to stop without\r\nchanging the existing mask. ";

const char* const kInvertQuestion =
    "The 'Video Inverted' status\r\nhas changed.\r\n\r\nWould you like to save\r\n"
    "this setting to the memory\r\nof the Tracelux?";

}  // namespace

VideoSettings::VideoSettings(CommandSet& commands, ProgramSettings& settings,
                             ExperimentParameters& parameters, UserAnswers& answers)
    : commands_(commands), settings_(settings), parameters_(parameters), answers_(answers) {
  commands_.Link().SetMaskStatusHandler([this] { RefreshMaskStatus(); });
}

VideoSettings::~VideoSettings() { commands_.Link().SetMaskStatusHandler(nullptr); }

void VideoSettings::EnterPanel() {
  controls_.ObjectFilterChecked = settings_.ObjectFilter;
  controls_.DelayTypeIndex = settings_.DelayType == 1 ? 1 : 0;
  // SECAM pictures are handled as PAL.
  controls_.VideoModeIndex =
      settings_.VideoType == kVideoPal || settings_.VideoType == kVideoSecam ? 1 : 0;
}

void VideoSettings::ObjectFilterClicked(bool checked) {
  controls_.ObjectFilterChecked = checked;
  settings_.ObjectFilter = checked;
  commands_.SendObjectFilter(checked);
}

// The program's idea of the picture's inversion follows every toggle it sends, so the state stored
// in the unit's memory block at shutdown is the one the user last saw.
void VideoSettings::InvertClicked() {
  UnitState& unit = commands_.State();
  if (commands_.ToggleInversion()) {
    unit.InvertChanged = !unit.InvertChanged;
    unit.VideoInverted = !unit.VideoInverted;
  }
}

std::string VideoSettings::MaskStatusText() const {
  return commands_.Link().State().MaskSetupActive ? kMaskStatus : "";
}

void VideoSettings::RefreshMaskStatus() {
  if (view_) view_->ShowMaskStatus(MaskStatusText(), commands_.Link().State().MaskSetupActive);
}

void VideoSettings::MaskStart() {
  TrackerLink& link = commands_.Link();
  if (!link.PortOpen() || link.State().MaskSetupActive) return;
  commands_.ClearOverlay();
  link.SendPort(unit_bytes::MaskStart());
  link.State().MaskSetupActive = true;
  RefreshMaskStatus();
}

void VideoSettings::MaskEnd(bool keepMask) {
  TrackerLink& link = commands_.Link();
  if (!link.PortOpen() || !link.State().MaskSetupActive) return;
  const std::string status = keepMask ? "Saving" : "Cancelling";
  answers_.ShowStatus(status, 0);
  if (view_) view_->SetBusyPointer(true);
  link.State().MaskSetupActive = false;
  RefreshMaskStatus();
  link.SendPort(unit_bytes::MaskEnd(keepMask));
  // The unit restarts with the new (or old) mask and has to be woken again.
  commands_.Reset();
  answers_.ShowStatus(status, 25);
  PreciseDelay(link.GetClock(), 1.0);
  link.WaitMilliseconds(1000);
  answers_.ShowStatus(status, 50);
  commands_.WakeUpProbe();
  answers_.ShowStatus(status, 75);
  link.WaitMilliseconds(500);
  answers_.ShowStatus(status, 75);
  link.State().MaskSetupActive = false;
  RefreshMaskStatus();
  answers_.ShowStatus("");
  if (view_) view_->SetBusyPointer(false);
}

bool VideoSettings::ViewLiveVideo() {
  if (!commands_.LiveVideoOn()) return false;
  if (view_) {
    view_->ShowPanelFrame(false);
    view_->ShowLiveVideoWindow();
  }
  return true;
}

void VideoSettings::CloseLiveVideo(bool panelStillShown) {
  commands_.LiveVideoOff();
  if (view_ && panelStillShown) view_->ShowPanelFrame(true);
}

bool VideoSettings::LeavePanel() {
  UnitState& unit = commands_.State();
  if (unit.InvertChanged) {
    const MsgAnswer answer = answers_.ShowMessage(
        {"Confirm Setting Change", kInvertQuestion, MsgIcon::Question, MsgButtons::YesNoCancel});
    if (answer == MsgAnswer::Cancel) return false;
    if (answer == MsgAnswer::Yes) {
      commands_.SaveSettings();
      unit.InvertChanged = false;
    }
  }
  if (unit.LiveVideoOn) commands_.LiveVideoOff();
  if (commands_.Link().State().MaskSetupActive) MaskEnd(false);
  settings_.ObjectFilter = controls_.ObjectFilterChecked;
  settings_.DelayType = controls_.DelayTypeIndex == 1 ? 1 : 0;
  settings_.VideoType = controls_.VideoModeIndex == 1 ? kVideoPal : kVideoNtsc;
  NormaliseSampleRate(parameters_, settings_.VideoType);
  return true;
}

}  // namespace tlx
