// tracelux-cli setup show: the setup file as the program reads it (the correcting rules are tested
// in the core), on standard output or in a file, and failures that name the file.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tlx {
namespace {

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

}  // namespace
}  // namespace tlx
