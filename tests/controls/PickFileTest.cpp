#include "controls/PickFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

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
    model.Props().extension = "DAT";
    model.Props().noFileMsg = "No file";
  }
  void SaveMode() { model.Props().openOrSave = false; }
};

TEST(PickFile, CancelLeavesEverythingAndRaisesOnlyClick) {
  Picker p;
  p.model.SetFilename("/data/OLD.DAT");
  p.model.SetSaveFile(true);
  p.model.DoBrowse();
  EXPECT_EQ(p.model.Filename(), "/data/OLD.DAT");
  EXPECT_EQ(p.model.LabelText(), "/data/OLD.DAT");
  EXPECT_EQ(p.events, (std::vector<std::string>{"Click"}));
  ASSERT_EQ(p.answers.FileRequests().size(), 1u);
  const FileDialogRequest& r = p.answers.FileRequests()[0];
  EXPECT_EQ(r.initialName, "*.DAT");
  EXPECT_TRUE(r.forOpening);
  EXPECT_TRUE(r.askFlags);
}

TEST(PickFile, ChosenSaveFileIsTakenTickedAndShown) {
  test::TempDir dir;
  Picker p;
  p.SaveMode();
  p.model.Props().hidePath = true;
  const std::string path = dir.File("RUN1.DAT");
  p.answers.QueueFile(path);
  p.model.DoBrowse();
  EXPECT_TRUE(p.model.ValidFile());
  EXPECT_TRUE(p.model.SaveFile());
  EXPECT_EQ(p.model.Filename(), path);
  EXPECT_EQ(p.model.LabelText(), "RUN1.DAT");
  EXPECT_FALSE(test::PathExists(path));  // the creation check leaves nothing behind
  EXPECT_EQ(p.events, (std::vector<std::string>{"Change", "Click"}));
  EXPECT_FALSE(p.answers.FileRequests()[0].forOpening);
}

TEST(PickFile, PermissionDeniedNamesTheFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "running as root: permission checks cannot fail";
  test::TempDir dir;
  ASSERT_EQ(::mkdir(dir.File("locked").c_str(), 0500), 0);
  Picker p;
  p.SaveMode();
  const std::string path = dir.File("locked/RUN.DAT");
  p.answers.QueueFile(path);
  p.model.DoBrowse();
  EXPECT_FALSE(p.model.ValidFile());
  ASSERT_EQ(p.answers.Messages().size(), 1u);
  EXPECT_EQ(p.answers.Messages()[0].text,
            "The file :\r\n\r\n" + path + "\r\n\r\ncannot be accessed.\r\n\r\nPermission Denied : "
            "\r\n\r\nThis file may be in use by\r\nanother application.");
  ::chmod(dir.File("locked").c_str(), 0700);
}

TEST(PickFile, ReadOnlyDrivesRefuseSaving) {
  Picker p(true);
  p.SaveMode();
  p.fake.failure.error = 0;  // a read-only file system
  p.fake.failure.drive = {DriveKind::CdRom, true, "/media/cdrom"};
  p.answers.QueueFile("/media/cdrom/RUN.DAT");
  p.model.DoBrowse();
  EXPECT_FALSE(p.model.ValidFile());
  ASSERT_EQ(p.answers.Messages().size(), 1u);
  EXPECT_EQ(p.answers.Messages()[0].text,
            "Drive \"/media/cdrom\"is a CD-ROM drive.\r\n\r\nFiles may not be saved to\r\n"
            "a read-only drive.");
  p.fake.failure.drive = {DriveKind::Fixed, true, "/mnt/ro"};
  p.answers.QueueFile("/mnt/ro/RUN.DAT");
  p.model.DoBrowse();
  EXPECT_EQ(p.answers.Messages()[1].text,
            "Drive \"/mnt/ro\" is read-only.\r\n\r\nFiles may not be saved to\r\na read-only drive.");
  p.model.Props().showWarn = false;
  p.answers.QueueFile("/mnt/ro/RUN.DAT");
  p.model.DoBrowse();
  EXPECT_EQ(p.answers.Messages().size(), 2u);
}

TEST(PickFile, MissingPathsAreInvalidAndTheLastGoodChoiceStays) {
  test::TempDir dir;
  Picker p;
  test::WriteBytes(dir.File("A.DAT"), "x");
  p.answers.QueueFile(dir.File("A.DAT"));
  p.model.DoBrowse();
  EXPECT_TRUE(p.model.ValidFile());
  p.answers.QueueFile(dir.File("B.DAT"));  // opening a missing file
  p.model.DoBrowse();
  EXPECT_FALSE(p.model.ValidFile());
  EXPECT_EQ(p.model.Filename(), dir.File("A.DAT"));
  ASSERT_EQ(p.answers.Messages().size(), 1u);
  EXPECT_EQ(p.answers.Messages()[0].text, dir.File("B.DAT") + "\r\n\r\nis not a valid path.");

  Picker save;  // saving into a missing directory
  save.SaveMode();
  save.answers.QueueFile(dir.File("nodir/RUN.DAT"));
  save.model.DoBrowse();
  EXPECT_FALSE(save.model.ValidFile());
  EXPECT_EQ(save.model.Filename(), "");
  EXPECT_EQ(save.model.LabelText(), "No file");
  EXPECT_EQ(save.events, (std::vector<std::string>{"Change", "Click"}));
  ASSERT_EQ(save.answers.Messages().size(), 1u);
  EXPECT_EQ(save.answers.Messages()[0].caption, "Error");
  EXPECT_EQ(save.answers.Messages()[0].text, dir.File("nodir") + "\r\n\r\nis not a valid path.");
}

TEST(PickFile, TickingBrowsesAndStaysTickedOnlyWithAUsableFile) {
  test::TempDir dir;
  Picker p;
  p.SaveMode();
  p.model.UserToggledCheckBox(true);  // cancelled
  EXPECT_FALSE(p.model.SaveFile());
  p.answers.QueueFile(dir.File("R.DAT"));
  p.model.UserToggledCheckBox(true);
  EXPECT_TRUE(p.model.SaveFile());
  p.events.clear();
  p.model.UserToggledCheckBox(false);
  EXPECT_FALSE(p.model.SaveFile());
  EXPECT_EQ(p.model.LabelText(), "No file");
  EXPECT_EQ(p.model.Filename(), dir.File("R.DAT"));
  EXPECT_EQ(p.events, (std::vector<std::string>{"Change"}));
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
