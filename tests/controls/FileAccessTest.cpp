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

TEST(FileAccessMessage, AccessErrorsNameTheFileAndTheCause) {
  const std::string head = "The file :\r\n\r\n/media/usb/R.DAT\r\n\r\ncannot be accessed.\r\n\r\n";
  EXPECT_EQ(TextOf(fileerr::IoError, DriveKind::Fixed, true), head + "I/O Error");
  EXPECT_EQ(TextOf(fileerr::DeviceUnavailable, DriveKind::Fixed, false),
            head + "The device is not available");
  EXPECT_EQ(TextOf(fileerr::PathFileAccess, DriveKind::Fixed, true), head + "Path/File Access Error");
  EXPECT_EQ(TextOf(fileerr::PermissionDenied, DriveKind::Fixed, false),
            head + "Permission Denied : \r\n\r\nThis file may be in use by\r\nanother application.");
  const auto m = FileAccessMessage("/x", Failure(fileerr::IoError, DriveKind::Fixed), true);
  EXPECT_EQ(m->caption, "Error");
  EXPECT_EQ(m->icon, MsgIcon::Critical);
  EXPECT_EQ(TextOf(fileerr::PathNotFound, DriveKind::Fixed, true),
            "/media/usb/X\r\n\r\nis not a valid path.");
  EXPECT_EQ(TextOf(fileerr::PathNotFound, DriveKind::Unknown, false),
            "\"/media/usb\" is not a valid drive.");
}

TEST(FileAccessMessage, DriveMessagesWhenTheCauseLiesInTheDrive) {
  EXPECT_EQ(TextOf(fileerr::DiskNotReady, DriveKind::Removable, true),
            "The door on drive \"/media/usb\"\r\nmay be open.\r\n\r\nPlease make sure that\r\n"
            "there is a disk in drive \"/media/usb\".");
  EXPECT_EQ(TextOf(fileerr::DiskNotReady, DriveKind::Fixed, true),
            "The disk in drive \"/media/usb\"\r\nis not ready.");
  EXPECT_EQ(TextOf(0, DriveKind::CdRom, true, true), "<none>");  // reading: not reported
  EXPECT_EQ(TextOf(0, DriveKind::Fixed, false), "The disk in drive \"/media/usb\"\r\nis not ready.");
  const std::string noSaving = "\r\n\r\nFiles may not be saved to\r\na read-only drive.";
  EXPECT_EQ(TextOf(0, DriveKind::CdRom, false, true), "Drive \"/media/usb\"is a CD-ROM drive." + noSaving);
  EXPECT_EQ(TextOf(0, DriveKind::Fixed, false, true), "Drive \"/media/usb\" is read-only." + noSaving);
}

TEST(FileAccess, SystemErrorsAndFileSystemsAreClassified) {
  EXPECT_EQ(FileErrorFromErrno(EACCES), fileerr::PermissionDenied);
  EXPECT_EQ(FileErrorFromErrno(ENOENT), fileerr::PathNotFound);
  EXPECT_EQ(FileErrorFromErrno(ENOMEDIUM), fileerr::DiskNotReady);
  EXPECT_EQ(FileErrorFromErrno(EROFS), 0);
  EXPECT_EQ(FileErrorFromErrno(EISDIR), fileerr::PathFileAccess);
  EXPECT_EQ(DriveKindFromFsType(0x9660, false), DriveKind::CdRom);
  EXPECT_EQ(DriveKindFromFsType(0xEF53, true), DriveKind::Removable);
  EXPECT_EQ(DriveKindFromFsType(0xEF53, false), DriveKind::Fixed);
  EXPECT_EQ(DriveKindName(DriveKind::Removable), "REMOVE");
  EXPECT_EQ(ControlErrorMessage(75, "cmdBrowse_Click").text, "ERROR 75\r\nin module cmdBrowse_Click");
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
