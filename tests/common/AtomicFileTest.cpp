#include "common/AtomicFile.h"
#include "common/UserAnswers.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tlx {
namespace {

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
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                          std::filesystem::directory_iterator{}), 1);
  ASSERT_TRUE(WriteFileAtomically(path, std::string("a\0b", 3)));
  EXPECT_EQ(test::ReadBytes(path), std::string("a\0b", 3));
}

TEST(AtomicFile, ReadWholeFileRefusesDirectoriesAndMissingFiles) {
  test::TempDir dir;
  std::string content = "x";
  EXPECT_FALSE(ReadWholeFile(dir.Path(), content));
  EXPECT_FALSE(ReadWholeFile(dir.File("none"), content));
  EXPECT_TRUE(content.empty());
  EXPECT_FALSE(WriteFileAtomically(dir.File("no/such/dir/F"), "x"));
}

TEST(AtomicFile, TwoWritersOfOneFileNeverMixTheirBytes) {
  test::TempDir dir;
  const std::string path = dir.File("OUT.CSV");
  const std::string first(200000, 'a');
  const std::string second(100, 'b');
  AtomicFileWriter a(path);
  AtomicFileWriter b(path);  // e.g. two analyses sent to the same output name at once
  ASSERT_TRUE(a.IsOpen() && b.IsOpen());
  ASSERT_TRUE(a.Write(first));
  ASSERT_TRUE(b.Write(second));
  ASSERT_TRUE(b.Commit());
  ASSERT_TRUE(a.Commit());
  EXPECT_EQ(test::ReadBytes(path), first);  // the last one renamed into place, whole
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                          std::filesystem::directory_iterator{}), 1);
}

TEST(AtomicFile, PathsHoldingNulAreRefusedNotCutShort) {
  test::TempDir dir;
  const std::string path = dir.File("A") + std::string(1, '\0') + "B";
  EXPECT_FALSE(WriteFileAtomically(path, "x"));
  EXPECT_FALSE(test::PathExists(dir.File("A")));
  test::WriteBytes(dir.File("A"), "a");
  std::string content;
  EXPECT_FALSE(ReadWholeFile(path, content));
  EXPECT_FALSE(ReadWholeFile(dir.File("A"), content, 0));  // larger than allowed
  EXPECT_TRUE(ReadWholeFile(dir.File("A"), content, 1));
  EXPECT_EQ(content, "a");
}

TEST(ScriptedAnswers, AnswersInOrderThenFallsBackToFirstButton) {
  ScriptedAnswers answers;
  answers.QueueAnswer(MsgAnswer::No);
  MessageRequest q{"Caption", "Text", MsgIcon::Question, MsgButtons::YesNoCancel};
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
