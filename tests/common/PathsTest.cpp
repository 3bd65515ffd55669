#include "common/Paths.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

namespace tlx {
namespace {

TEST(Paths, JoiningAndChangingExtensions) {
  EXPECT_EQ(JoinPath("/data", "A.DAT"), "/data/A.DAT");
  EXPECT_EQ(JoinPath("/data/", "A.DAT"), "/data/A.DAT");
  EXPECT_EQ(JoinPath("C:\\DATA\\", "A.DAT"), "C:\\DATA\\A.DAT");
  EXPECT_EQ(JoinPath("", "A.DAT"), "/A.DAT");
  EXPECT_EQ(ChangeExtension("/run.1/TEST", "DAT"), "/run.1/TEST.DAT");
  EXPECT_EQ(ChangeExtension("C:\\RUN.1\\TEST", "DAT"), "C:\\RUN.1\\TEST.DAT");
  EXPECT_EQ(ChangeExtension("/d/A.EXP", ""), "/d/A");
  EXPECT_EQ(ChangeExtension("/d/A.EXP", "  MAP "), "/d/A.MAP");
  EXPECT_EQ(ChangeExtension("A.", "DAT"), "A..DAT");
  EXPECT_EQ(ChangeExtension("a.b.c", "X"), "a.b.X");
  EXPECT_EQ(ChangeExtension("", "DAT"), "");
  EXPECT_EQ(ChangeExtension("/home/.hidden", "SET"), "/home/.SET");
}

TEST(Paths, PartsOfAPath) {
  EXPECT_EQ(FileNamePart("/data/RUN.DAT"), "RUN.DAT");
  EXPECT_EQ(FileNamePart("C:\\DATA\\RUN.DAT"), "RUN.DAT");
  EXPECT_EQ(FileNamePart("C:A.DAT"), "A.DAT");
  EXPECT_EQ(FileNamePart("A.DAT"), "");
  EXPECT_EQ(FileNamePart("/data/"), "");
  EXPECT_EQ(FileNamePart("C:"), "");
  // A colon is part of a name here; only a leading drive letter ends at one.
  EXPECT_EQ(FileNamePart("/data/RAT 12:30.DAT"), "RAT 12:30.DAT");
  EXPECT_EQ(FileNamePart("/data/C:A.DAT"), "C:A.DAT");
  EXPECT_EQ(FileNamePart("12:30.DAT"), "");
  EXPECT_EQ(DirectoryPart("/data/RUN.DAT"), "/data");
  EXPECT_EQ(DirectoryPart("C:\\DATA\\RUN.DAT"), "C:\\DATA");
  EXPECT_EQ(DirectoryPart("C:\\DATA\\"), "C:");
  EXPECT_EQ(DirectoryPart("/data/sub/"), "/data");
  EXPECT_EQ(DirectoryPart("RUN.DAT"), "RUN.DAT");
  EXPECT_EQ(DirectoryPart(""), "");
  EXPECT_EQ(ExtensionPart("/d/run.dat"), "DAT");
  EXPECT_EQ(ExtensionPart("C:\\V1.2\\FILE"), "2\\FILE");
  EXPECT_EQ(ExtensionPart("A."), "");
  EXPECT_EQ(ExtensionPart("NOEXT"), "");
}

TEST(Paths, AbsolutePathsAndCompanionFiles) {
  EXPECT_EQ(AbsolutePath("/x/y"), "/x/y");
  char cwd[4096];
  ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
  EXPECT_EQ(AbsolutePath("rel/A.DAT"), std::string(cwd) + "/rel/A.DAT");

  test::TempDir dir;
  test::WriteBytes(dir.File("RUN.map"), "m");
  test::WriteBytes(dir.File("RUN.PRN"), "p");
  test::WriteBytes(dir.File("run.Map"), "other stem");
  EXPECT_EQ(FindCompanionFile(dir.File("RUN.PRN")), dir.File("RUN.PRN"));  // exact name first
  EXPECT_EQ(FindCompanionFile(dir.File("RUN.MAP")), dir.File("RUN.map"));  // the stem keeps its case
  EXPECT_EQ(FindCompanionFile(dir.File("RUN.CSV")), "");
  EXPECT_EQ(FindCompanionFile(dir.File("RUNX.MAP")), "");
  EXPECT_EQ(FindCompanionFile(dir.File("nodir/RUN.MAP")), "");
  EXPECT_EQ(FindCompanionFile(""), "");
}

}  // namespace
}  // namespace tlx
