// tracelux-cli map and setup: a zone map shown and imported, and a setup file shown as the
// program reads it (the correcting rules are tested in the core), on standard output or in a file,
// with failures that name the file.
#include "support/TestSupport.h"
#include "zonemap/GoldenFiles.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tlx {
namespace {

using namespace std::string_literals;
using test::Golden;
using test::RunCli;
using test::TempDir;

// 24 rows of 32 characters: the given ones, then blanks.
std::string Rows(std::string cells) {
  cells.resize(768, ' ');
  std::string out;
  for (int row = 0; row < 24; ++row) out += cells.substr(static_cast<size_t>(row) * 32, 32) + "\n";
  return out;
}

TEST(MapCli, ShowPrintsRowsAndBlanksCharactersThatAreNotZones) {
  EXPECT_EQ(RunCli({"map", "show", Golden("notes_section.txt")}).out,
            Rows("1" + std::string(30, ' ') + "23" + std::string(734, ' ') + "4"));
  TempDir dir;
  test::WriteBytes(dir.File("ODD.MAP"), std::string("\xFC\xAA\x01\xC8Z\x7F\0!", 8));
  const auto odd = RunCli({"map", "show", dir.File("ODD.MAP")});
  EXPECT_EQ(std::tuple(odd.exitCode, odd.out, odd.err), std::tuple(0, Rows("  Z\x7F !"), ""s));
}

TEST(MapCli, ShowFailsOnFilesWithoutAMap) {
  TempDir dir;
  test::WriteBytes(dir.File("NOTES.TXT"), "ZONE MAP\r\n" + std::string(768, 'A'));
  const auto notMap = RunCli({"map", "show", dir.File("NOTES.TXT")});
  EXPECT_EQ(std::tuple(notMap.exitCode, notMap.out, notMap.err),
            std::tuple(1, ""s, "The file selected is not a valid zone map.\n"s));
  // A relative name is made absolute before use and named in the message.
  EXPECT_EQ(RunCli({"map", "show", "NOWHERE.MAP"}, dir.Path()).err,
            "The file " + dir.File("NOWHERE.MAP") + " does not exist.\n");
}

TEST(MapCli, ImportPadsShortLinesWhateverTheLineEnds) {
  TempDir dir;
  for (const std::string name : {"lf", "crlf"}) {
    test::WriteBytes(dir.File(name + ".txt"), name == "lf" ? "AB\nC\n" : "AB\r\nC");
    const auto made = RunCli({"map", "import", name + ".txt", "-o", name + ".MAP"}, dir.Path());
    EXPECT_EQ(std::tuple(made.exitCode, made.out), std::tuple(0, ""s)) << made.err;
    EXPECT_EQ(test::ReadBytes(dir.File(name + ".MAP")),
              "\xFC\xAA" "AB" + std::string(30, ' ') + "C" + std::string(735, ' '));
  }
}

TEST(MapCli, ImportRefusesTextThatIsNotAMapAndWritesNothing) {
  TempDir dir;
  std::string manyLines;
  for (int i = 0; i < 25; ++i) manyLines += "A\n";
  for (const std::string& text :
       {manyLines, std::string(33, 'A'), std::string("A\tB"), std::string("\xC3\xA9"), std::string("AB\nx;"),
        std::string("\"")}) {
    test::WriteBytes(dir.File("bad.txt"), text);
    const auto result = RunCli({"map", "import", dir.File("bad.txt"), "-o", dir.File("B.MAP")});
    EXPECT_EQ(std::tuple(result.exitCode, result.out), std::tuple(1, ""s)) << text;
    EXPECT_NE(result.err.find("bad.txt"), std::string::npos);
    EXPECT_FALSE(test::PathExists(dir.File("B.MAP")));
  }
  // A separator of the results files cannot be a zone: the line, column and reason are named.
  test::WriteBytes(dir.File("bad.txt"), "AB\nCD\nE ,");
  EXPECT_EQ(RunCli({"map", "import", dir.File("bad.txt"), "-o", dir.File("B.MAP")}).err,
            "Line 3 of " + dir.File("bad.txt") + ", column 3: \",\" cannot be a zone: results and export files use , ; "
            "and \" to separate and quote their fields.\n");
  EXPECT_EQ(RunCli({"map", "import", dir.File("bad.txt")}).exitCode, 2);
}

TEST(SetupCli, PrintsOrWritesTheCorrectedFileAndFailuresSayWhichFile) {
  test::TempDir dir;
  test::WriteBytes(dir.File("in.EXP"), "save data = yes\nData File = \"" + dir.File("Rat 1.DAT") +
                                           "\"\nSession Length = 13\nCalibrate Scale = 0\n"
                                           "Calibrate Reference = 12.5\nMeasurement Units = feet\nSample Rate = 12\njunk\n");
  const test::CliResult r = test::RunCli({"setup", "show", dir.File("in.EXP")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string expected =
      "Save Data = False\r\nData File = \"" + dir.File("Rat 1.DAT") + "\"\r\nSession Length = 15\r\n"
      "Number of Sessions = 1\r\nInitial Delay = 0\r\nMaximum Distance = 0\r\n"
      "Ambulatory Threshold = 0\r\nStereotypic Threshold = 0\r\nCalibrate Scale = 1\r\n"
      "Calibrate Reference = 12.5\r\nMeasurement Units = \"Feet\"\r\nSample Rate = 30\r\n";
  EXPECT_EQ(r.out, expected);
  // Relative paths, PAL, and an output file instead of standard output.
  const test::CliResult pal = test::RunCli({"setup", "show", "in.EXP", "--video", "PAL", "-o", "out.EXP"}, dir.Path());
  EXPECT_EQ(std::tuple(pal.exitCode, pal.out), std::tuple(0, std::string())) << pal.err;
  EXPECT_EQ(test::ReadBytes(dir.File("out.EXP")), expected.substr(0, expected.size() - 4) + "25\r\n");

  const test::CliResult missing = test::RunCli({"setup", "show", dir.File("none.EXP")});
  EXPECT_EQ(std::tuple(missing.exitCode, missing.out), std::tuple(1, std::string()));
  EXPECT_NE(missing.err.find(dir.File("none.EXP")), std::string::npos) << missing.err;
  const test::CliResult cannotWrite = test::RunCli({"setup", "show", dir.File("in.EXP"), "-o", dir.File("no/out.EXP")});
  EXPECT_EQ(cannotWrite.exitCode, 1);
  EXPECT_NE(cannotWrite.err.find(dir.File("no/out.EXP")), std::string::npos) << cannotWrite.err;
  EXPECT_EQ(test::RunCli({"setup", "show", dir.File("in.EXP"), "--video", "secam"}).exitCode, 2);
}

// "setup new" refuses a data file the run could not create, naming it, and writes nothing.
TEST(SetupCli, NewRefusesADataFileTheRunCouldNotCreate) {
  test::TempDir dir;
  const std::string longName = dir.File(std::string(300, 'X') + ".DAT");
  const struct { std::string dataFile, says; } cases[] = {
      {dir.File("gone/A.DAT"), "The file " + dir.File("gone/A.DAT") + " cannot be created: No such file or directory."},
      {"/proc/A.DAT", "The file /proc/A.DAT cannot be created: "},
      {longName, "cannot be created: File name too long."},
      {dir.File("tab\there.DAT"), "holds a control character"},
  };
  for (const auto& c : cases) {
    const auto r = RunCli({"setup", "new", dir.File("A.EXP"), "--data-file", c.dataFile});
    EXPECT_EQ(std::tuple(r.exitCode, r.out), std::tuple(1, ""s)) << c.dataFile;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_FALSE(test::PathExists(dir.File("A.EXP")));
  }
  ASSERT_EQ(RunCli({"setup", "new", dir.File("A.EXP"), "--data-file", dir.File("A.DAT")}).exitCode, 0);
  EXPECT_FALSE(test::PathExists(dir.File("A.DAT")));  // checked, not created
}

}  // namespace
}  // namespace tlx
