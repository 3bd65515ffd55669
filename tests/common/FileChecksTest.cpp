#include "common/FileChecks.h"

#include "support/TestSupport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace tlx {
namespace {

using namespace std::string_literals;

// A file this process may read but not write, even when the tests run as root; empty when the
// system offers none.
std::string WriteDeniedFile(const test::TempDir& dir) {
  if (::geteuid() != 0) {
    const std::string path = dir.File("readonly.txt");
    test::WriteBytes(path, "x");
    ::chmod(path.c_str(), 0444);
    return path;
  }
  const char* candidate = "/sys/kernel/notes";
  const int fd = ::open(candidate, O_WRONLY | O_APPEND);
  if (fd >= 0) {
    ::close(fd);
    return {};
  }
  return errno == EACCES && ::access(candidate, R_OK) == 0 ? candidate : "";
}

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  ::stat(path.c_str(), &info);
  return info.st_mode & 0777;
}

TEST(FileChecks, ExistenceOfFilesAndDirectories) {
  test::TempDir dir;
  test::WriteBytes(dir.File("a.dat"), "abc");
  EXPECT_TRUE(FileExists(dir.File("a.dat")));
  EXPECT_FALSE(FileExists(dir.File("missing.dat")));
  EXPECT_FALSE(FileExists(dir.Path()));  // a directory is not a file
  EXPECT_FALSE(FileExists(""));
  EXPECT_FALSE(FileExists(dir.File("a.dat") + "\0junk"s));  // never cut short at a NUL
  ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0644), 0);
  EXPECT_TRUE(FileExists(dir.File("fifo")));  // answers at once, without a writer
  EXPECT_FALSE(IsFileLocked(dir.File("fifo"), nullptr));

  EXPECT_TRUE(DirectoryExists(dir.Path()));
  EXPECT_FALSE(DirectoryExists(dir.File("a.dat")));
  EXPECT_FALSE(DirectoryExists(dir.File("none")));
  EXPECT_FALSE(DirectoryExists(""));
  EXPECT_TRUE(CanCreateDirectory(dir.File("new")));
  EXPECT_FALSE(DirectoryExists(dir.File("new")));  // tried, then removed again
  EXPECT_FALSE(CanCreateDirectory(dir.File("no/such")));
  EXPECT_FALSE(CanCreateDirectory(dir.File("a.dat")));
  EXPECT_TRUE(EnsureDirectory(dir.File("new")));
  EXPECT_TRUE(DirectoryExists(dir.File("new")));
  EXPECT_TRUE(EnsureDirectory(dir.File("new")));  // already there
  EXPECT_FALSE(EnsureDirectory(dir.File("x/y")));  // one level only
}

TEST(FileChecks, CreatingAndDeletingLeavesNoTrace) {
  test::TempDir dir;
  EXPECT_TRUE(CanCreateFile(dir.File("probe.dat")));
  EXPECT_FALSE(test::PathExists(dir.File("probe.dat")));
  EXPECT_FALSE(CanCreateFile(dir.File("missing/probe.dat")));
  test::WriteBytes(dir.File("keep.dat"), "keep");
  EXPECT_TRUE(CanCreateFile(dir.File("keep.dat")));
  EXPECT_EQ(test::ReadBytes(dir.File("keep.dat")), "keep");
  EXPECT_TRUE(CanWriteFile(dir.File("keep.dat"), nullptr));

  ASSERT_TRUE(SetReadOnly(dir.File("keep.dat"), true));
  EXPECT_EQ(ModeOf(dir.File("keep.dat")) & 0222, 0u);
  ASSERT_TRUE(SetReadOnly(dir.File("keep.dat"), false));
  EXPECT_NE(ModeOf(dir.File("keep.dat")) & 0200, 0u);
  EXPECT_FALSE(SetReadOnly(dir.File("missing.dat"), true));

  SetReadOnly(dir.File("keep.dat"), true);
  EXPECT_TRUE(DeleteFile(dir.File("keep.dat")));  // read-only files are deleted too
  EXPECT_FALSE(test::PathExists(dir.File("keep.dat")));
  EXPECT_FALSE(DeleteFile(dir.File("keep.dat")));
  EXPECT_FALSE(DeleteFile(dir.Path()));
}

TEST(FileChecks, WriteDeniedFilesAreLockedWithTheOpenErrorMessage) {
  test::TempDir dir;
  const std::string denied = WriteDeniedFile(dir);
  if (denied.empty()) GTEST_SKIP() << "no write-protected file available";
  EXPECT_TRUE(FileExists(denied));
  ScriptedAnswers answers;
  EXPECT_TRUE(IsFileLocked(denied, nullptr));
  EXPECT_TRUE(answers.Messages().empty());
  EXPECT_FALSE(CanWriteFile(denied, &answers));
  ASSERT_EQ(answers.Messages().size(), 1u);
  const MessageRequest& shown = answers.Messages()[0];
  EXPECT_EQ(shown.caption, "Error Opening File");
  EXPECT_EQ(shown.text, "Cannot open :\r\n" + denied.substr(denied.rfind('/') + 1) +
                            "\r\nAccess is denied.\r\n\r\nMake sure the disk is not full or "
                            "write protected\r\nand that the file is not currently in use.");
  EXPECT_EQ(shown.icon, MsgIcon::Critical);
  EXPECT_EQ(shown.buttons, MsgButtons::Ok);
  test::WriteBytes(dir.File("src"), "x");
  EXPECT_FALSE(AppendFileBytes(denied, dir.File("src"), nullptr));
}

TEST(FileChecks, AppendingCopiesTheWholeSourceOnce) {
  test::TempDir dir;
  std::string binary = "a\0b\r\n\xff"s;
  test::WriteBytes(dir.File("target"), "head:");
  test::WriteBytes(dir.File("source"), binary);
  EXPECT_TRUE(AppendFileBytes(dir.File("target"), dir.File("source"), nullptr));
  EXPECT_EQ(test::ReadBytes(dir.File("target")), "head:" + binary);
  EXPECT_TRUE(AppendFileBytes(dir.File("new"), dir.File("source"), nullptr));
  EXPECT_EQ(test::ReadBytes(dir.File("new")), binary);
  // Appending a file to itself doubles it and ends.
  EXPECT_TRUE(AppendFileBytes(dir.File("source"), dir.File("source"), nullptr));
  EXPECT_EQ(test::ReadBytes(dir.File("source")), binary + binary);
  EXPECT_FALSE(AppendFileBytes(dir.File("target"), dir.File("missing"), nullptr));
  EXPECT_FALSE(AppendFileBytes(dir.File("no/dir/target"), dir.File("source"), nullptr));
  const std::string big(3 << 20, 'z');
  test::WriteBytes(dir.File("big"), big);
  EXPECT_TRUE(AppendFileBytes(dir.File("bigcopy"), dir.File("big"), nullptr));
  EXPECT_EQ(test::ReadBytes(dir.File("bigcopy")).size(), big.size());
}

TEST(FileChecks, OverwriteQuestionOnlyForExistingFiles) {
  test::TempDir dir;
  ScriptedAnswers answers;
  EXPECT_EQ(ConfirmOverwrite(dir.File("new.dat"), answers), MsgAnswer::Yes);
  EXPECT_EQ(ConfirmOverwrite(dir.File("missing/new.dat"), answers), MsgAnswer::No);
  EXPECT_TRUE(answers.Messages().empty());
  EXPECT_FALSE(test::PathExists(dir.File("new.dat")));

  test::WriteBytes(dir.File("RUN1.DAT"), "x");
  answers.QueueAnswer(MsgAnswer::No);
  answers.QueueAnswer(MsgAnswer::Cancel);
  answers.QueueAnswer(MsgAnswer::Ok);  // not one of its buttons: taken as Cancel
  EXPECT_EQ(ConfirmOverwrite(dir.File("RUN1.DAT"), answers), MsgAnswer::No);
  EXPECT_EQ(ConfirmOverwrite(dir.File("RUN1.DAT"), answers), MsgAnswer::Cancel);
  EXPECT_EQ(ConfirmOverwrite(dir.File("RUN1.DAT"), answers), MsgAnswer::Cancel);
  EXPECT_EQ(ConfirmOverwrite(dir.File("RUN1.DAT"), answers), MsgAnswer::Yes);  // script ran out
  ASSERT_EQ(answers.Messages().size(), 4u);
  const MessageRequest& prompt = answers.Messages()[0];
  EXPECT_EQ(prompt.caption, "Confirm Overwrite");
  EXPECT_EQ(prompt.text, "The file \"RUN1.DAT\"\r\nalready exists.\r\n\r\nAre you sure you "
                         "want\r\nto overwrite it?\r\n");
  EXPECT_EQ(prompt.icon, MsgIcon::Exclamation);
  EXPECT_EQ(prompt.buttons, MsgButtons::YesNoCancel);
  EXPECT_EQ(test::ReadBytes(dir.File("RUN1.DAT")), "x");

  const MessageRequest printer = NoPrinterMessage();
  EXPECT_EQ(printer.caption, "Printing not available");
  EXPECT_EQ(printer.text, "Printing is not available\r\nat this time.\r\n\r\nPlease use "
                          "Windows to\r\nconfigure a printer.");
}

TEST(FileChecks, FileDialogRequestAndForcedExtension) {
  ScriptedAnswers answers;
  answers.QueueFile("/tmp/chosen.txt");
  EXPECT_EQ(ShowFileDialog(answers, "/data", "", "Open", true, "MAP;*.DAT", true, false),
            "/tmp/chosen.txt");
  answers.QueueFile("/tmp/chosen.txt");
  EXPECT_EQ(ShowFileDialog(answers, "/data", "RUN", "Save", false, "CSV", false, true),
            "/tmp/chosen.CSV");
  EXPECT_EQ(ShowFileDialog(answers, "/data", "", "Save", false, "CSV", false, true), "");
  ASSERT_EQ(answers.FileRequests().size(), 3u);
  EXPECT_EQ(answers.FileRequests()[0].initialName, "*.MAP;*.DAT");
  EXPECT_EQ(answers.FileRequests()[0].initialDirectory, "/data");
  EXPECT_TRUE(answers.FileRequests()[0].forOpening);
  EXPECT_TRUE(answers.FileRequests()[0].askFlags);
  EXPECT_EQ(answers.FileRequests()[1].initialName, "RUN");
  EXPECT_EQ(answers.FileRequests()[1].title, "Save");
}

}  // namespace
}  // namespace tlx
