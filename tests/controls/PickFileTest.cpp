#include "controls/PickFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tlx {
namespace {

class FakeProbe : public FileAccessProbe {
 public:
  AccessFailure failure;
  AccessFailure Diagnose(const std::string&, bool) override { return failure; }
};

struct Picker {
  ScriptedAnswers answers;
  FakeProbe fake;
  PickFileModel model;
  std::vector<std::string> events;

  explicit Picker(bool useFake = false) : model(answers, useFake ? &fake : nullptr) {
    model.onChange = [this] { events.push_back("Change"); };
    model.onClick = [this] { events.push_back("Click"); };
    model.Props().showWarn = true;
  }
  void SaveMode() { model.Props().openOrSave = false; }
};

TEST(PickFile, CancelLeavesEverythingAndReadOnlyDrivesRefuseSaving) {
  Picker p(true);
  p.model.SetFilename("/data/OLD.DAT");
  p.model.SetSaveFile(true);
  p.model.DoBrowse();
  EXPECT_EQ(p.model.LabelText(), "/data/OLD.DAT");
  EXPECT_EQ(p.events, (std::vector<std::string>{"Click"}));
  ASSERT_EQ(p.answers.FileRequests().size(), 1u);
  EXPECT_TRUE(p.answers.FileRequests()[0].askFlags);

  p.SaveMode();
  p.fake.failure.error = 0;  // a read-only file system
  p.fake.failure.drive = {DriveKind::CdRom, true, "/media/cdrom"};
  p.answers.QueueFile("/media/cdrom/RUN.DAT");
  p.model.DoBrowse();
  EXPECT_FALSE(p.model.ValidFile());
  EXPECT_EQ(p.answers.Messages().size(), 1u);
  p.model.Props().showWarn = false;
  p.answers.QueueFile("/media/cdrom/RUN.DAT");
  p.model.DoBrowse();
  EXPECT_EQ(p.answers.Messages().size(), 1u);
}

TEST(PickFile, AMissingFileIsInvalidAndUntickingKeepsTheName) {
  test::TempDir dir;
  Picker p;
  test::WriteBytes(dir.File("A.DAT"), "x");
  p.answers.QueueFile(dir.File("A.DAT"));
  p.model.DoBrowse();
  EXPECT_TRUE(p.model.ValidFile());
  p.answers.QueueFile(dir.File("B.DAT"));  // opening a missing file
  p.model.DoBrowse();
  EXPECT_FALSE(p.model.ValidFile());
  EXPECT_EQ(p.model.Filename(), dir.File("A.DAT"));  // the last good choice stays
  ASSERT_EQ(p.answers.Messages().size(), 1u);
  EXPECT_EQ(p.answers.Messages()[0].text, dir.File("B.DAT") + "\r\n\r\nis not a valid path.");

  p.SaveMode();
  p.answers.QueueFile(dir.File("R.DAT"));
  p.model.UserToggledCheckBox(true);
  EXPECT_TRUE(p.model.SaveFile());
  EXPECT_FALSE(test::PathExists(dir.File("R.DAT")));  // the creation check leaves nothing behind
  p.model.UserToggledCheckBox(false);
  EXPECT_FALSE(p.model.SaveFile());
  EXPECT_EQ(p.model.Filename(), dir.File("R.DAT"));
}

// A dialog that tries to start a second browse while it is open.
class ReentrantAnswers : public ScriptedAnswers {
 public:
  PickFileModel* model = nullptr;
  std::string ChooseFile(const FileDialogRequest& r) override {
    if (model) model->DoBrowse();
    return ScriptedAnswers::ChooseFile(r);
  }
};

TEST(PickFile, ASecondBrowseCannotStartWhileOneIsOpen) {
  ReentrantAnswers answers;
  PickFileModel model(answers);
  answers.model = &model;
  int clicks = 0;
  model.onClick = [&] { ++clicks; };
  model.DoBrowse();
  EXPECT_EQ(answers.FileRequests().size(), 1u);
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(model.Browsing());
}

}  // namespace
}  // namespace tlx
