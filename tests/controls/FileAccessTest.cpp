#include "controls/FileAccess.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace tlx {
namespace {

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
