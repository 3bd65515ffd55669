#include "FakeLink.h"
#include "device/VideoSettings.h"

#include <gtest/gtest.h>

namespace tlx::test {
namespace {

struct PanelView : SetupSystemView {
  std::vector<std::pair<std::string, bool>> labels;
  int liveWindows = 0;
  void ShowMaskStatus(const std::string& caption, bool visible) override {
    labels.push_back({caption, visible});
  }
  void ShowLiveVideoWindow() override { ++liveWindows; }
};

struct PanelRig : DeviceRig {
  ProgramSettings settings;
  ExperimentParameters parameters;
  PanelView view;
  VideoSettings panel{commands, settings, parameters, answers};
  PanelRig() { panel.SetView(&view); }
  int Questions() const { return static_cast<int>(answers.Messages().size()); }
};

TEST(VideoSettingsTest, InvertConfirmationIsAskedOnlyForARealChange) {
  PanelRig rig;
  rig.Open();
  rig.panel.InvertClicked();
  rig.panel.InvertClicked();
  EXPECT_TRUE(rig.panel.LeavePanel());
  EXPECT_EQ(rig.Questions(), 0);

  rig.panel.InvertClicked();
  rig.answers.QueueAnswer(MsgAnswer::Cancel);
  EXPECT_FALSE(rig.panel.LeavePanel());
  rig.answers.QueueAnswer(MsgAnswer::No);
  EXPECT_TRUE(rig.panel.LeavePanel());
  EXPECT_TRUE(rig.commands.State().InvertChanged);
  rig.answers.QueueAnswer(MsgAnswer::Yes);
  EXPECT_TRUE(rig.panel.LeavePanel());
  EXPECT_FALSE(rig.commands.State().InvertChanged);
  ASSERT_EQ(rig.Questions(), 3);
  const MessageRequest& q = rig.answers.Messages()[0];
  EXPECT_EQ(q.caption, "Confirm Setting Change");
  EXPECT_EQ(q.buttons, MsgButtons::YesNoCancel);
  EXPECT_EQ(q.text,
            "The 'Video Inverted' status\r\nhas changed.\r\n\r\nWould you like to save\r\n"
            "this setting to the memory\r\nof the Tracelux?");
  EXPECT_EQ(rig.fake.writes.back().second, unit_bytes::SaveSettings());
}

TEST(VideoSettingsTest, LeavingDuringAMaskSetupCancelsItWithTheFullEndSequence) {
  PanelRig rig;
  rig.Open();
  rig.fake.Answer(unit_bytes::WakeUpProbe(), "K", 30);
  rig.panel.MaskStart();
  rig.panel.MaskStart();  // already running: nothing more is sent
  EXPECT_EQ(rig.fake.Written(), unit_bytes::ClearOverlay() + unit_bytes::MaskStart());
  ASSERT_EQ(rig.view.labels.size(), 1u);
  EXPECT_TRUE(rig.view.labels[0].second);
  EXPECT_EQ(rig.view.labels[0].first,
            "Now setting up background mask.\r\nClick 'Done' to finish.\r\n"
            "or 'Cancel' to stop without\r\nchanging the existing mask. ");

  rig.fake.writes.clear();
  const std::int64_t start = NowMs(rig.clock);
  EXPECT_TRUE(rig.panel.LeavePanel());
  ASSERT_EQ(rig.fake.writes.size(), 3u);
  EXPECT_EQ(rig.fake.writes[0].second, std::string(1, '\0'));
  EXPECT_EQ(rig.fake.writes[1].second, unit_bytes::Reset());
  EXPECT_EQ(rig.fake.writes[2].first - start, 2000);  // 1 s precise, then 1000 ms
  EXPECT_EQ(rig.fake.writes[2].second, unit_bytes::WakeUpProbe());
  EXPECT_EQ(NowMs(rig.clock) - start, 3000);
  EXPECT_TRUE(rig.state().UnitAwake);
  EXPECT_FALSE(rig.state().MaskSetupActive);
  EXPECT_EQ(rig.view.labels.back(), std::make_pair(std::string(), false));
  EXPECT_EQ(rig.answers.StatusTexts().front(), "Cancelling");
  EXPECT_EQ(rig.answers.StatusTexts().back(), "");
}

TEST(VideoSettingsTest, AClosedPortChangesNothingButTheObjectFilterSetting) {
  PanelRig rig;
  rig.panel.MaskStart();
  rig.panel.InvertClicked();
  EXPECT_FALSE(rig.panel.ViewLiveVideo());
  rig.panel.ObjectFilterClicked(true);
  EXPECT_TRUE(rig.settings.ObjectFilter);
  EXPECT_FALSE(rig.state().MaskSetupActive);
  EXPECT_FALSE(rig.commands.State().InvertChanged);
  EXPECT_FALSE(rig.commands.State().LiveVideoOn);
  EXPECT_EQ(rig.view.liveWindows, 0);
  EXPECT_TRUE(rig.fake.writes.empty());

  rig.Open();
  EXPECT_TRUE(rig.panel.ViewLiveVideo());
  rig.panel.ObjectFilterClicked(false);
  EXPECT_TRUE(rig.panel.LeavePanel());  // switches live video off
  EXPECT_EQ(rig.fake.Written(), unit_bytes::LiveVideoOn() + unit_bytes::ObjectFilter(false) +
                                    unit_bytes::LiveVideoOff());
}

TEST(VideoSettingsTest, BytesWhileAsleepEndTheMaskSetupAndRefreshTheLabel) {
  PanelRig rig;
  rig.Open(/*awake=*/false);
  rig.panel.MaskStart();
  rig.fake.DeliverAfter(5, "\x01");
  rig.Run(10);
  EXPECT_FALSE(rig.state().MaskSetupActive);
  EXPECT_EQ(rig.view.labels.back(), std::make_pair(std::string(), false));
}

TEST(VideoSettingsTest, LeavingTakesThePanelValuesAndNormalisesTheRate) {
  PanelRig rig;
  rig.settings.DelayType = 1;
  rig.parameters.SampleRate = 30;
  rig.panel.EnterPanel();
  EXPECT_EQ(rig.panel.Controls().DelayTypeIndex, 1);
  EXPECT_EQ(rig.panel.Controls().VideoModeIndex, 0);
  rig.panel.Controls().VideoModeIndex = 1;
  rig.panel.Controls().DelayTypeIndex = 0;
  EXPECT_TRUE(rig.panel.LeavePanel());
  EXPECT_EQ(rig.settings.VideoType, kVideoPal);
  EXPECT_EQ(rig.settings.DelayType, 0);
  EXPECT_EQ(rig.parameters.SampleRate, 25);
}

}  // namespace
}  // namespace tlx::test
