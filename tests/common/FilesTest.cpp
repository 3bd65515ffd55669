// Files and paths: path texts, existence and permission checks, appending, the overwrite
// question, and whole-file reading and atomic writing.
#include "common/AtomicFile.h"
#include "common/FileChecks.h"
#include "common/Paths.h"
#include "common/UserAnswers.h"

#include "common/CaseTable.h"
#include "support/TestSupport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

namespace tlx {
namespace {

using namespace std::string_literals;
using test::ExpectEach;
using Text = std::string;

TEST(Paths, JoiningAndChangingExtensions) {
  ExpectEach<Text, Text>([](const Text& d) { return JoinPath(d, "A.DAT"); },
      {{"/data", "/data/A.DAT"}, {"/data/", "/data/A.DAT"}, {"C:\\DATA\\", "C:\\DATA\\A.DAT"},
       {"", "/A.DAT"}});
  const struct { const char* path; const char* extension; const char* want; } cases[] = {
      {"/run.1/TEST", "DAT", "/run.1/TEST.DAT"}, {"C:\\RUN.1\\TEST", "DAT", "C:\\RUN.1\\TEST.DAT"},
      {"/d/A.EXP", "", "/d/A"}, {"/d/A.EXP", "  MAP ", "/d/A.MAP"}, {"A.", "DAT", "A..DAT"},
      {"a.b.c", "X", "a.b.X"}, {"", "DAT", ""}, {"/home/.hidden", "SET", "/home/.SET"}};
  for (const auto& c : cases) EXPECT_EQ(ChangeExtension(c.path, c.extension), c.want) << c.path;
}

TEST(Paths, PartsOfAPath) {
  // A colon is part of a name here; only a leading drive letter ends at one.
  ExpectEach<Text, Text>(FileNamePart,
      {{"/data/RUN.DAT", "RUN.DAT"}, {"C:\\DATA\\RUN.DAT", "RUN.DAT"}, {"C:A.DAT", "A.DAT"},
       {"A.DAT", ""}, {"/data/", ""}, {"C:", ""}, {"/data/RAT 12:30.DAT", "RAT 12:30.DAT"},
       {"/data/C:A.DAT", "C:A.DAT"}, {"12:30.DAT", ""}});
  ExpectEach<Text, Text>(DirectoryPart,
      {{"/data/RUN.DAT", "/data"}, {"C:\\DATA\\RUN.DAT", "C:\\DATA"}, {"C:\\DATA\\", "C:"},
       {"/data/sub/", "/data"}, {"RUN.DAT", "RUN.DAT"}, {"", ""}});
  ExpectEach<Text, Text>(ExtensionPart,
      {{"/d/run.dat", "DAT"}, {"C:\\V1.2\\FILE", "2\\FILE"}, {"A.", ""}, {"NOEXT", ""}});
}

TEST(Paths, AbsolutePathsAndCompanionFiles) {
  EXPECT_EQ(AbsolutePath("/x/y"), "/x/y");
  char cwd[4096];
  ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
  EXPECT_EQ(AbsolutePath("rel/A.DAT"), Text(cwd) + "/rel/A.DAT");

  test::TempDir dir;
  test::WriteBytes(dir.File("RUN.map"), "m");
  test::WriteBytes(dir.File("RUN.PRN"), "p");
  test::WriteBytes(dir.File("run.Map"), "other stem");
  // The exact name first; otherwise the stem keeps its case and only the extension may differ.
  ExpectEach<Text, Text>(FindCompanionFile,
      {{dir.File("RUN.PRN"), dir.File("RUN.PRN")}, {dir.File("RUN.MAP"), dir.File("RUN.map")},
       {dir.File("RUN.CSV"), ""}, {dir.File("RUNX.MAP"), ""}, {dir.File("nodir/RUN.MAP"), ""}, {"", ""}});
}

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
  ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0644), 0);
  // A directory is not a file, a NUL never cuts a name short, and a FIFO answers at once.
  ExpectEach<std::string, bool>(FileExists,
      {{dir.File("a.dat"), true}, {dir.File("missing.dat"), false}, {dir.Path(), false}, {"", false},
       {dir.File("a.dat") + "\0junk"s, false}, {dir.File("fifo"), true}});
  EXPECT_FALSE(IsFileLocked(dir.File("fifo"), nullptr));
  ExpectEach<std::string, bool>(DirectoryExists, {{dir.Path(), true}, {dir.File("a.dat"), false},
                                                  {dir.File("none"), false}, {"", false}});
  // Creation is tried, then undone; only one level is ever created.
  ExpectEach<std::string, bool>(CanCreateDirectory,
      {{dir.File("new"), true}, {dir.File("no/such"), false}, {dir.File("a.dat"), false}});
  EXPECT_FALSE(DirectoryExists(dir.File("new")));
  EXPECT_TRUE(EnsureDirectory(dir.File("new")) && DirectoryExists(dir.File("new")));
  EXPECT_TRUE(EnsureDirectory(dir.File("new")));  // already there
  EXPECT_FALSE(EnsureDirectory(dir.File("x/y")));
}

TEST(FileChecks, CreatingAndDeletingLeavesNoTrace) {
  test::TempDir dir;
  EXPECT_TRUE(CanCreateFile(dir.File("probe.dat")));
  EXPECT_FALSE(test::PathExists(dir.File("probe.dat")));
  EXPECT_FALSE(CanCreateFile(dir.File("missing/probe.dat")));
  test::WriteBytes(dir.File("keep.dat"), "keep");
  EXPECT_TRUE(CanCreateFile(dir.File("keep.dat")) && CanWriteFile(dir.File("keep.dat"), nullptr));
  EXPECT_EQ(test::ReadBytes(dir.File("keep.dat")), "keep");

  ASSERT_TRUE(SetReadOnly(dir.File("keep.dat"), true));
  EXPECT_EQ(ModeOf(dir.File("keep.dat")) & 0222, 0u);
  ASSERT_TRUE(SetReadOnly(dir.File("keep.dat"), false));
  EXPECT_NE(ModeOf(dir.File("keep.dat")) & 0200, 0u);
  EXPECT_FALSE(SetReadOnly(dir.File("missing.dat"), true));
  SetReadOnly(dir.File("keep.dat"), true);
  EXPECT_TRUE(DeleteFile(dir.File("keep.dat")));  // read-only files are deleted too
  EXPECT_FALSE(test::PathExists(dir.File("keep.dat")));
  EXPECT_FALSE(DeleteFile(dir.File("keep.dat")) || DeleteFile(dir.Path()));
}

TEST(FileChecks, WriteDeniedFilesAreLockedWithTheOpenErrorMessage) {
  test::TempDir dir;
  const std::string denied = WriteDeniedFile(dir);
  if (denied.empty()) GTEST_SKIP() << "no write-protected file available";
  EXPECT_TRUE(FileExists(denied) && IsFileLocked(denied, nullptr));
  ScriptedAnswers answers;
  EXPECT_FALSE(CanWriteFile(denied, &answers));
  ASSERT_EQ(answers.Messages().size(), 1u);
  const MessageRequest& shown = answers.Messages()[0];
  EXPECT_EQ(shown.caption, "Error Opening File");
  EXPECT_EQ(shown.text, "Cannot open :\r\n" + denied.substr(denied.rfind('/') + 1) +
                            "\r\nAccess is denied.\r\n\r\nMake sure the disk is not full or "
                            "write protected\r\nand that the file is not currently in use.");
  EXPECT_TRUE(shown.icon == MsgIcon::Critical && shown.buttons == MsgButtons::Ok);
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
  EXPECT_FALSE(AppendFileBytes(dir.File("target"), dir.File("missing"), nullptr) ||
               AppendFileBytes(dir.File("no/dir/target"), dir.File("source"), nullptr));
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
  EXPECT_TRUE(answers.Messages().empty() && !test::PathExists(dir.File("new.dat")));

  test::WriteBytes(dir.File("RUN1.DAT"), "x");
  // Ok is not one of its buttons and is taken as Cancel; once the script runs out, Yes.
  for (MsgAnswer a : {MsgAnswer::No, MsgAnswer::Cancel, MsgAnswer::Ok}) answers.QueueAnswer(a);
  for (MsgAnswer want : {MsgAnswer::No, MsgAnswer::Cancel, MsgAnswer::Cancel, MsgAnswer::Yes}) {
    EXPECT_EQ(ConfirmOverwrite(dir.File("RUN1.DAT"), answers), want);
  }
  ASSERT_EQ(answers.Messages().size(), 4u);
  const MessageRequest& prompt = answers.Messages()[0];
  EXPECT_EQ(prompt.caption, "Confirm Overwrite");
  EXPECT_EQ(prompt.text, "The file \"RUN1.DAT\"\r\nalready exists.\r\n\r\nAre you sure you "
                         "want\r\nto overwrite it?\r\n");
  EXPECT_TRUE(prompt.icon == MsgIcon::Exclamation && prompt.buttons == MsgButtons::YesNoCancel);
  EXPECT_EQ(test::ReadBytes(dir.File("RUN1.DAT")), "x");

  const MessageRequest printer = NoPrinterMessage();
  EXPECT_EQ(printer.caption + "|" + printer.text,
            "Printing not available|Printing is not available\r\nat this time.\r\n\r\n"
            "Please use Windows to\r\nconfigure a printer.");
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
  const FileDialogRequest& open = answers.FileRequests()[0];
  const FileDialogRequest& save = answers.FileRequests()[1];
  EXPECT_EQ(open.initialName + "|" + open.initialDirectory, "*.MAP;*.DAT|/data");
  EXPECT_TRUE(open.forOpening && open.askFlags);
  EXPECT_EQ(save.initialName + "|" + save.title, "RUN|Save");
}

std::ptrdiff_t EntriesIn(const test::TempDir& dir) {
  using std::filesystem::directory_iterator;
  return std::distance(directory_iterator(dir.Path()), directory_iterator{});
}

TEST(AtomicFile, AbandonedWriteLeavesTheOldFileAndNoTemporary) {
  test::TempDir dir;
  const std::string path = dir.File("KEEP.DAT");
  test::WriteBytes(path, "old contents");
  {
    AtomicFileWriter writer(path);
    ASSERT_TRUE(writer.IsOpen());
    writer.Write("new half");
  }  // destroyed without Commit, as after a failure mid-write
  EXPECT_EQ(test::ReadBytes(path), "old contents");
  EXPECT_EQ(EntriesIn(dir), 1);
  ASSERT_TRUE(WriteFileAtomically(path, std::string("a\0b", 3)));
  EXPECT_EQ(test::ReadBytes(path), std::string("a\0b", 3));
}

TEST(AtomicFile, TwoWritersOfOneFileNeverMixTheirBytes) {
  test::TempDir dir;
  const std::string path = dir.File("OUT.CSV");
  const std::string first(200000, 'a');
  AtomicFileWriter a(path);
  AtomicFileWriter b(path);  // e.g. two analyses sent to the same output name at once
  ASSERT_TRUE(a.IsOpen() && b.IsOpen());
  // The first writer finishes last.
  ASSERT_TRUE(a.Write(first) && b.Write(std::string(100, 'b')) && b.Commit() && a.Commit());
  EXPECT_EQ(test::ReadBytes(path), first);  // the last one renamed into place, whole
  EXPECT_EQ(EntriesIn(dir), 1);
}

TEST(AtomicFile, BadPathsDirectoriesAndOversizedFilesAreRefused) {
  test::TempDir dir;
  std::string content = "x";
  EXPECT_FALSE(ReadWholeFile(dir.Path(), content) || ReadWholeFile(dir.File("none"), content));
  EXPECT_TRUE(content.empty());
  EXPECT_FALSE(WriteFileAtomically(dir.File("no/such/dir/F"), "x"));
  // A path holding a NUL is refused, never cut short at it.
  const std::string path = dir.File("A") + std::string(1, '\0') + "B";
  EXPECT_FALSE(WriteFileAtomically(path, "x"));
  EXPECT_FALSE(test::PathExists(dir.File("A")));
  test::WriteBytes(dir.File("A"), "a");
  EXPECT_FALSE(ReadWholeFile(path, content));
  EXPECT_FALSE(ReadWholeFile(dir.File("A"), content, 0));  // larger than allowed
  EXPECT_TRUE(ReadWholeFile(dir.File("A"), content, 1));
  EXPECT_EQ(content, "a");
}

TEST(ScriptedAnswers, AnswersInOrderThenFallsBackToFirstButton) {
  ScriptedAnswers answers;
  answers.QueueAnswer(MsgAnswer::No);
  const MessageRequest q{"Caption", "Text", MsgIcon::Question, MsgButtons::YesNoCancel};
  EXPECT_EQ(answers.ShowMessage(q), MsgAnswer::No);
  EXPECT_EQ(answers.ShowMessage(q), MsgAnswer::Yes);
  answers.SetFallback(MsgAnswer::Cancel);
  EXPECT_EQ(answers.ShowMessage(q), MsgAnswer::Cancel);
  EXPECT_EQ(answers.ShowMessage({"E", "T", MsgIcon::Critical, MsgButtons::Ok}), MsgAnswer::Ok);
  EXPECT_EQ(answers.Messages().size(), 4u);
  EXPECT_EQ(answers.ChooseFile({}), "");
}

}  // namespace
}  // namespace tlx
