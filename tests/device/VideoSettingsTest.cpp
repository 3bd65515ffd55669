// The video settings panel: inversion with its save question, the background mask, live video,
// the object filter and the values taken when the panel is left.
#include "FakeLink.h"
#include "device/VideoSettings.h"

namespace tlx::test {
namespace {

struct PanelRig : DeviceRig, SetupSystemView {
  ProgramSettings settings;
  ExperimentParameters parameters;
  VideoSettings panel{commands, settings, parameters, answers};
  std::vector<std::pair<std::string, bool>> labels;
  int liveWindows = 0;

  PanelRig() { panel.SetView(this); }
  void ShowMaskStatus(const std::string& caption, bool visible) override {
    labels.push_back({caption, visible});
  }
  void ShowLiveVideoWindow() override { ++liveWindows; }
};

// When the question is asked and what each answer does is covered with the panel's widgets.
TEST(VideoSettingsTest, YesToTheInvertQuestionSavesTheSetting) {
  PanelRig rig;
  rig.Open();
  rig.panel.InvertClicked();
  rig.answers.QueueAnswer(MsgAnswer::Yes);
  EXPECT_TRUE(rig.panel.LeavePanel());
  EXPECT_FALSE(rig.commands.State().InvertChanged);
  EXPECT_EQ(rig.Shown(), Texts{"Confirm Setting Change|The 'Video Inverted' status\r\nhas "
                               "changed.\r\n\r\nWould you like to save\r\nthis setting to the "
                               "memory\r\nof the Tracelux?"});
  EXPECT_EQ(rig.fake.writes.back().second, ub::SaveSettings());
}

TEST(VideoSettingsTest, LeavingDuringAMaskSetupCancelsItWithTheFullEndSequence) {
  PanelRig rig;
  rig.Open();
  rig.fake.Answer(ub::WakeUpProbe(), "K", 30);
  rig.panel.MaskStart();
  rig.panel.MaskStart();  // already running: nothing more is sent
  EXPECT_EQ(rig.fake.Written(), ub::ClearOverlay() + ub::MaskStart());
  ASSERT_EQ(rig.labels.size(), 1u);
  EXPECT_EQ(rig.labels[0], std::make_pair(std::string("Now setting up background mask.\r\n"
      "Click 'Done' to finish.\r\nor 'Cancel' to stop without\r\nchanging the existing mask. "), true));

  rig.fake.writes.clear();
  const std::int64_t t = rig.Ms();
  EXPECT_TRUE(rig.panel.LeavePanel());
  EXPECT_EQ(rig.fake.writes, (Writes{{t, std::string(1, '\0')}, {t, ub::Reset()},
                                     {t + 2000, ub::WakeUpProbe()}}));  // 1 s precise + 1000 ms
  EXPECT_EQ(rig.Ms() - t, 3000);
  EXPECT_TRUE(rig.state().UnitAwake && !rig.state().MaskSetupActive);
  EXPECT_EQ(rig.labels.back(), std::make_pair(std::string(), false));
  EXPECT_EQ(rig.answers.StatusTexts().front(), "Cancelling");
  EXPECT_EQ(rig.answers.StatusTexts().back(), "");
}

TEST(VideoSettingsTest, SecamIsKeptAsPalAndAClosedPortChangesOnlyTheFilterSetting) {
  PanelRig rig;
  rig.settings.VideoType = kVideoSecam;  // shown, and kept, as PAL
  rig.panel.EnterPanel();
  EXPECT_EQ(rig.panel.Controls().VideoModeIndex, 1);
  EXPECT_TRUE(rig.panel.LeavePanel());
  EXPECT_EQ(rig.settings.VideoType, kVideoPal);

  rig.panel.MaskStart();
  rig.panel.InvertClicked();
  EXPECT_FALSE(rig.panel.ViewLiveVideo());
  rig.panel.ObjectFilterClicked(true);
  EXPECT_TRUE(rig.settings.ObjectFilter);
  EXPECT_FALSE(rig.state().MaskSetupActive || rig.commands.State().InvertChanged ||
               rig.commands.State().LiveVideoOn || rig.liveWindows > 0);
  EXPECT_TRUE(rig.fake.writes.empty());

  rig.Open();
  EXPECT_TRUE(rig.panel.ViewLiveVideo());
  rig.panel.ObjectFilterClicked(false);
  EXPECT_TRUE(rig.panel.LeavePanel());  // switches live video off
  EXPECT_EQ(rig.fake.Written(), ub::LiveVideoOn() + ub::ObjectFilter(false) + ub::LiveVideoOff());
}

}  // namespace
}  // namespace tlx::test
