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
