// Files and paths: path texts, existence and permission checks, the overwrite question, whole-file
// reading and atomic writing, the lock on the program home, output held back in a spool (in memory
// up to its limit, then in a temporary file) and the SHA-256 of bytes and files.
#include "common/AtomicFile.h"
#include "common/FileChecks.h"
#include "common/FileIdentity.h"
#include "common/HomeLock.h"
#include "common/Paths.h"
#include "common/Sha256.h"
#include "common/Spool.h"
#include "common/UserAnswers.h"

#include "common/CaseTable.h"
#include "support/TestSupport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

namespace tlx {
namespace {

using namespace std::string_literals;
using test::ExpectEach;
using Text = std::string;

TEST(Paths, JoiningChangingExtensionsAndParts) {
  ExpectEach<Text, Text>([](const Text& d) { return JoinPath(d, "A.DAT"); },
      {{"/data/", "/data/A.DAT"}, {"C:\\DATA\\", "C:\\DATA\\A.DAT"}, {"", "/A.DAT"}});
  const struct { const char* path; const char* extension; const char* want; } cases[] = {
      {"/run.1/TEST", "DAT", "/run.1/TEST.DAT"}, {"C:\\RUN.1\\TEST", "DAT", "C:\\RUN.1\\TEST.DAT"},
      {"/d/A.EXP", "  MAP ", "/d/A.MAP"}, {"", "DAT", ""}, {"/home/.hidden", "SET", "/home/.SET"}};
  for (const auto& c : cases) EXPECT_EQ(ChangeExtension(c.path, c.extension), c.want) << c.path;
  // A colon is part of a name here; only a leading drive letter ends at one.
  ExpectEach<Text, Text>(FileNamePart,
      {{"C:\\DATA\\RUN.DAT", "RUN.DAT"}, {"C:A.DAT", "A.DAT"}, {"A.DAT", ""}, {"/data/", ""},
       {"/data/RAT 12:30.DAT", "RAT 12:30.DAT"}, {"/data/C:A.DAT", "C:A.DAT"}, {"12:30.DAT", ""}});
  ExpectEach<Text, Text>(DirectoryPart, {{"C:\\DATA\\RUN.DAT", "C:\\DATA"}, {"C:\\DATA\\", "C:"},
      {"/data/sub/", "/data"}, {"RUN.DAT", "RUN.DAT"}, {"", ""}});
  ExpectEach<Text, Text>(ExtensionPart,
      {{"/d/run.dat", "DAT"}, {"C:\\V1.2\\FILE", "2\\FILE"}, {"A.", ""}, {"NOEXT", ""}});
}

TEST(Paths, CompanionFiles) {
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

TEST(FileChecks, ExistenceOfFilesAndDirectories) {
  test::TempDir dir;
  test::WriteBytes(dir.File("a.dat"), "abc");
  ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0644), 0);
  // A directory is not a file, a NUL never cuts a name short, and a FIFO answers at once.
  ExpectEach<std::string, bool>(FileExists,
      {{dir.File("a.dat"), true}, {dir.File("missing.dat"), false}, {dir.Path(), false}, {"", false},
       {dir.File("a.dat") + "\0junk"s, false}, {dir.File("fifo"), true}});
  EXPECT_FALSE(IsFileLocked(dir.File("fifo"), nullptr));
  EXPECT_FALSE(DirectoryExists(dir.File("a.dat")) || DirectoryExists(""));
  // Only one level is ever created.
  EXPECT_TRUE(EnsureDirectory(dir.File("new")) && DirectoryExists(dir.File("new")));
  EXPECT_TRUE(EnsureDirectory(dir.File("new")));  // already there
  EXPECT_FALSE(EnsureDirectory(dir.File("x/y")));
}

TEST(FileChecks, ProbingAnExistingFileKeepsItAndReadOnlyFilesAreDeleted) {
  test::TempDir dir;
  test::WriteBytes(dir.File("keep.dat"), "keep");
  EXPECT_TRUE(CanCreateFile(dir.File("keep.dat")) && CanWriteFile(dir.File("keep.dat"), nullptr));
  EXPECT_EQ(test::ReadBytes(dir.File("keep.dat")), "keep");

  ::chmod(dir.File("keep.dat").c_str(), 0444);
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
  std::string content;
  EXPECT_FALSE(ReadWholeFile(path, content, 2));  // larger than allowed
  EXPECT_TRUE(ReadWholeFile(path, content, 3));
  EXPECT_EQ(content, std::string("a\0b", 3));
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

// One file by any spelling: links to it or to its folder, "./" and "x/../"; a file not there yet
// by its folder and name.
TEST(FileIdentity, OneFileWhateverThePathsSpelling) {
  test::TempDir dir;
  test::WriteBytes(dir.File("A.DAT"), "a");
  test::WriteBytes(dir.File("B.DAT"), "b");
  std::filesystem::create_directory(dir.File("sub"));
  std::filesystem::create_directory_symlink(dir.Path(), dir.File("L"));
  std::filesystem::create_symlink(dir.File("A.DAT"), dir.File("A.lnk"));
  const struct { std::string a, b; bool same; } cases[] = {
      {dir.File("A.DAT"), dir.Path() + "/./A.DAT", true},
      {dir.File("A.DAT"), dir.File("sub/../A.DAT"), true},
      {dir.File("A.DAT"), dir.File("L/A.DAT"), true},
      {dir.File("A.DAT"), dir.File("A.lnk"), true},
      {dir.File("A.DAT"), dir.File("B.DAT"), false},
      {dir.File("NEW.CSV"), dir.File("L/sub/../NEW.CSV"), true},  // neither there yet
      {dir.File("NEW.CSV"), dir.File("new.csv"), false},
      {dir.File("A.DAT"), dir.File("a.dat"), false},
      {"/nonexistent-drive/X.DAT", "/nonexistent-drive/X.DAT", true},
      {"/nonexistent-drive/X.DAT", "/nonexistent-drive/./X.DAT", false},
  };
  for (const auto& c : cases) EXPECT_EQ(SameFile(c.a, c.b), c.same) << c.a << " | " << c.b;
  FileIdentitySet inputs({dir.File("A.DAT"), dir.File("NEW.CSV")});
  EXPECT_EQ(inputs.Find(dir.File("L/A.DAT")), dir.File("A.DAT"));
  EXPECT_TRUE(inputs.Contains(dir.File("sub/../NEW.CSV")));
  EXPECT_FALSE(inputs.Contains(dir.File("B.DAT")));
}

// A replaced file keeps its permissions and a link stays a link; a device or a FIFO is written
// in place, never renamed over.
TEST(AtomicFile, ReplacesRegularFilesKeepingTheirModeAndWritesDevicesAndFifosInPlace) {
  test::TempDir dir;
  const std::string secret = dir.File("SECRET.CSV");
  test::WriteBytes(secret, "old");
  ::chmod(secret.c_str(), 0600);
  ASSERT_TRUE(WriteFileAtomically(secret, "new"));
  struct stat st {};
  ASSERT_EQ(::stat(secret.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  std::filesystem::create_symlink(secret, dir.File("LINK.CSV"));
  ASSERT_TRUE(WriteFileAtomically(dir.File("LINK.CSV"), "through the link"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("LINK.CSV")));
  EXPECT_EQ(test::ReadBytes(secret), "through the link");

  const std::string fifo = dir.File("PIPE");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] { received = test::ReadBytes(fifo); });
  EXPECT_TRUE(WriteFileAtomically(fifo, "down the pipe"));
  reader.join();
  EXPECT_EQ(received, "down the pipe");
  ASSERT_EQ(::lstat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));

  if (::geteuid() != 0) GTEST_SKIP() << "a device node can only be made by root";
  const std::string null = dir.File("null");
  ASSERT_EQ(::mknod(null.c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0) << std::strerror(errno);
  AtomicFileWriter writer(null);
  ASSERT_TRUE(writer.IsOpen());
  EXPECT_TRUE(writer.InPlace());
  EXPECT_TRUE(writer.Write("discarded") && writer.Commit());
  ASSERT_EQ(::lstat(null.c_str(), &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
  EXPECT_EQ(EntriesIn(dir), 4);  // no temporary file left beside it
}

TEST(HomeLock, OneHolderAtATimeAndAHomeThatIsNotADirectoryRefusedWithTheReason) {
  test::TempDir home;
  HomeLock first;
  ASSERT_EQ(first.Acquire(home.Path()), HomeLock::Result::Locked);
  EXPECT_EQ(first.RefusalText(home.Path()), "");

  HomeLock second;  // a second opening of the lock file, as a second program makes
  ASSERT_EQ(second.Acquire(home.Path()), HomeLock::Result::InUse);
  EXPECT_FALSE(second.Held());
  EXPECT_EQ(second.Holder(), static_cast<long>(::getpid()));
  const std::string refusal = second.RefusalText(home.Path());
  EXPECT_NE(refusal.find(home.Path() + " is already in use by process " +
                         std::to_string(::getpid())), std::string::npos) << refusal;
  EXPECT_NE(refusal.find("--home"), std::string::npos);

  first.Release();
  EXPECT_EQ(second.Acquire(home.Path()), HomeLock::Result::Locked);
  test::TempDir dir;
  test::WriteBytes(dir.File("home"), "a file where the home should be");
  HomeLock lock;
  ASSERT_EQ(lock.Acquire(dir.File("home")), HomeLock::Result::Failed);
  EXPECT_EQ(lock.RefusalText(dir.File("home")),
            "The program home " + dir.File("home") + " cannot be locked (Not a directory).");
}

std::string Drain(Spool& spool, std::size_t refuseAfter = SIZE_MAX) {
  std::string out;
  std::size_t pieces = 0;
  const bool ok = spool.CopyTo([&](std::string_view s) {
    if (++pieces > refuseAfter) return false;
    out += s;
    return true;
  });
  return ok ? out : "refused:" + out;
}

TEST(Spool, KeepsOrderAcrossTheSpillToATemporaryFileAndAfterACopy) {
  Spool small(10);
  EXPECT_TRUE(small.Empty());
  EXPECT_TRUE(small.Write("0123456789"));  // exactly the limit: still in memory
  EXPECT_TRUE(small.Write("abc"));  // spills, the held part first
  std::string big(200000, 'x');  // more than one block of the read-back
  big.back() = 'y';
  EXPECT_TRUE(small.Write(big));
  EXPECT_EQ(Drain(small), "0123456789abc" + big);
  EXPECT_TRUE(small.Write("tail"));  // later writes follow what was copied
  EXPECT_EQ(Drain(small), "0123456789abc" + big + "tail");
  EXPECT_EQ(Drain(small, 1).substr(0, 8), "refused:");  // a refusing sink fails the copy

  small.Clear();
  EXPECT_TRUE(small.Empty());
  EXPECT_EQ(Drain(small), "");
  EXPECT_TRUE(small.Write("new"));
  EXPECT_EQ(Drain(small), "new");
}

std::string Sha256Hex(std::string_view bytes) {
  Sha256 h;
  h.Update(bytes);
  return h.FinishHex();
}

// The FIPS 180-4 test vectors, the long one fed in uneven pieces across block boundaries, and a file.
TEST(Sha256, KnownVectorsInPiecesAndFiles) {
  ExpectEach<Text, Text>(Sha256Hex, {{"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"}});
  Sha256 million;
  const std::string piece(997, 'a');
  std::size_t fed = 0;
  for (; fed + piece.size() <= 1000000; fed += piece.size()) million.Update(piece);
  million.Update(std::string(1000000 - fed, 'a'));
  EXPECT_EQ(million.FinishHex(), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
  test::TempDir dir;
  test::WriteBytes(dir.File("F"), "abc");
  EXPECT_EQ(FileSha256Hex(dir.File("F")), Sha256Hex("abc"));
  EXPECT_EQ(FileSha256Hex(dir.File("GONE")), "");
}

}  // namespace
}  // namespace tlx
