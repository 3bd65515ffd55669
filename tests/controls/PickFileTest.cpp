// The file picker: browsing, refused files and the messages that say why a file or drive cannot
// be used.
#include "controls/FileAccess.h"
#include "controls/PickFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
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

AccessFailure Failure(int error, DriveKind kind, bool readOnly = false) {
  AccessFailure f;
  f.error = error;
  f.drive = {kind, readOnly, "/media/usb"};
  f.missingPath = "/media/usb/X";
  return f;
}

std::string TextOf(int error, DriveKind kind, bool forReading, bool readOnly = false) {
  const auto m = FileAccessMessage("/media/usb/R.DAT", Failure(error, kind, readOnly), forReading);
  return m ? m->text : "<none>";
}

TEST(FileAccessMessage, EachCauseNamesTheFileOrTheDrive) {
  const std::string head = "The file :\r\n\r\n/media/usb/R.DAT\r\n\r\ncannot be accessed.\r\n\r\n";
  const std::string noSaving = "\r\n\r\nFiles may not be saved to\r\na read-only drive.";
  const struct { int error; DriveKind kind; bool reading, readOnly; std::string text; } cases[] = {
      {fileerr::IoError, DriveKind::Fixed, true, false, head + "I/O Error"},
      {fileerr::PermissionDenied, DriveKind::Fixed, false, false,
       head + "Permission Denied : \r\n\r\nThis file may be in use by\r\nanother application."},
      {fileerr::PathNotFound, DriveKind::Fixed, true, false, "/media/usb/X\r\n\r\nis not a valid path."},
      {fileerr::PathNotFound, DriveKind::Unknown, false, false, "\"/media/usb\" is not a valid drive."},
      {fileerr::DiskNotReady, DriveKind::Removable, true, false,
       "The door on drive \"/media/usb\"\r\nmay be open.\r\n\r\nPlease make sure that\r\n"
       "there is a disk in drive \"/media/usb\"."},
      {0, DriveKind::CdRom, true, true, "<none>"},  // reading a read-only drive: not reported
      {0, DriveKind::Fixed, false, false, "The disk in drive \"/media/usb\"\r\nis not ready."},
      {0, DriveKind::CdRom, false, true, "Drive \"/media/usb\"is a CD-ROM drive." + noSaving},
      {0, DriveKind::Fixed, false, true, "Drive \"/media/usb\" is read-only." + noSaving}};
  for (const auto& c : cases) EXPECT_EQ(TextOf(c.error, c.kind, c.reading, c.readOnly), c.text) << c.error;
  const auto m = FileAccessMessage("/x", Failure(fileerr::IoError, DriveKind::Fixed), true);
  EXPECT_EQ(m->caption, "Error");
  EXPECT_EQ(m->icon, MsgIcon::Critical);
  // System errors and file systems as the messages above know them.
  EXPECT_EQ(FileErrorFromErrno(ENOMEDIUM), fileerr::DiskNotReady);
  EXPECT_EQ(FileErrorFromErrno(EROFS), 0);
  EXPECT_EQ(DriveKindFromFsType(0x9660, false), DriveKind::CdRom);
  EXPECT_EQ(DriveKindFromFsType(0xEF53, true), DriveKind::Removable);
}

TEST(FileAccess, RealDriveOfAMissingFileIsItsNearestDirectory) {
  test::TempDir dir;
  const DriveInfo d = SystemFileAccessProbe::DriveOf(dir.File("no/such/file.DAT"));
  EXPECT_NE(d.kind, DriveKind::Unknown);
  EXPECT_FALSE(d.readOnly);
  ASSERT_FALSE(d.mountPoint.empty());
  EXPECT_EQ(dir.Path().rfind(d.mountPoint, 0), 0u) << d.mountPoint;  // a prefix of the dir
  SystemFileAccessProbe probe;
  const AccessFailure f = probe.Diagnose(dir.File("no/such/file.DAT"), false);
  EXPECT_EQ(f.error, fileerr::PathNotFound);
  EXPECT_EQ(f.missingPath, dir.File("no/such"));
}

}  // namespace
}  // namespace tlx
