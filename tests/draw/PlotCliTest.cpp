// tracelux-cli plot run as a separate process: the files it writes, its exit codes and messages.
#include "../data/DataFileBuilder.h"
#include "PdfPage.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace tlx {
namespace {

using test::RunCli;

TEST(CliPlot, WritesEachKindAndTheWidthSetsTheSize) {
  test::TempDir dir;
  test::WriteBytes(dir.File("RAT1.DAT"), test::DataFileBuilder{}.Repeat(30, 30, 50).Repeat(200, 150, 40).Bytes());
  for (const char* out : {"trace.png", "heatmap.svg", "timeline.pdf"}) {
    const std::string kind = std::string(out).substr(0, std::string(out).find('.'));
    const auto r = RunCli({"plot", "RAT1.DAT", "--kind", kind, "--session", "all", "-o", out}, dir.Path());
    EXPECT_EQ(r.exitCode, 0) << out << ": " << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "");
  }
  EXPECT_EQ(test::ReadBytes(dir.File("trace.png")).substr(1, 3), "PNG");
  EXPECT_NE(test::ReadBytes(dir.File("heatmap.svg")).find("<svg"), std::string::npos);
  EXPECT_EQ(test::ReadBytes(dir.File("timeline.pdf")).substr(0, 5), "%PDF-");
  // --width in pixels at 96 per inch (a PDF page in points), --size at a journal's column width.
  ASSERT_EQ(RunCli({"plot", "RAT1.DAT", "--kind", "trace", "--width", "400", "-o", "w.pdf"}, dir.Path()).exitCode, 0);
  EXPECT_EQ(test::PdfPageSize(test::ReadBytes(dir.File("w.pdf"))).width(), 300);
  const auto column = RunCli({"plot", "RAT1.DAT", "--kind", "heatmap", "--size", "85x60mm", "--style", "bench", "-o", "c.pdf"}, dir.Path());
  ASSERT_EQ(column.exitCode, 0) << column.err;
  const QSizeF page = test::PdfPageSize(test::ReadBytes(dir.File("c.pdf")));
  EXPECT_NEAR(page.width(), 85 / 25.4 * 72, 0.5);
  EXPECT_NEAR(page.height(), 60 / 25.4 * 72, 0.5);
}

TEST(CliPlot, BadFilesFailWithOneLineAndUsageErrorsExitWithTwo) {
  test::TempDir dir;
  test::WriteBytes(dir.File("RAT1.DAT"), test::DataFileBuilder{}.Repeat(30, 30, 90).Bytes());  // 2 sessions of 60 s
  test::WriteBytes(dir.File("BAD.DAT"), std::string(100, 'x'));
  const auto bad = RunCli({"plot", "BAD.DAT", "--kind", "trace", "-o", "a.png"}, dir.Path());
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_EQ(bad.err, "The file BAD.DAT is not a valid Tracelux data file.\n");
  EXPECT_FALSE(test::PathExists(dir.File("a.png")));
  const auto missing = RunCli({"plot", "NONE.DAT", "--kind", "trace", "-o", "a.png"}, dir.Path());
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.err, "The file " + dir.File("NONE.DAT") + " does not exist.\n");
  const auto past = RunCli({"plot", "RAT1.DAT", "--kind", "heatmap", "--session", "3", "-o", "a.png"}, dir.Path());
  EXPECT_EQ(past.exitCode, 1);
  EXPECT_EQ(past.err, "The file " + dir.File("RAT1.DAT") + " has no session 3.\n");
  EXPECT_EQ(RunCli({"plot", "RAT1.DAT", "--kind", "heatmap", "--session", "2", "-o", "a.png"}, dir.Path()).exitCode, 0);
  const auto unwritable = RunCli({"plot", "RAT1.DAT", "--kind", "trace", "-o", "no/a.png"}, dir.Path());
  EXPECT_EQ(unwritable.exitCode, 1);
  EXPECT_EQ(unwritable.err, "The file " + dir.File("no/a.png") + " cannot be written.\n");

  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"plot", "RAT1.DAT", "--kind", "bars", "-o", "a.png"},
        {"plot", "RAT1.DAT", "--kind", "trace", "-o", "a.bmp"},
        {"plot", "RAT1.DAT", "--kind", "trace"},
        {"plot", "RAT1.DAT", "-o", "a.png"},
        {"plot", "RAT1.DAT", "--kind", "trace", "--session", "0", "-o", "a.png"},
        {"plot", "RAT1.DAT", "--kind", "trace", "--session", "two", "-o", "a.png"},
        {"plot", "RAT1.DAT", "--kind", "heatmap", "--cell", "0", "-o", "a.png"},
        {"plot", "RAT1.DAT", "--kind", "heatmap", "--size", "85x60", "-o", "a.pdf"},
        {"plot", "RAT1.DAT", "--kind", "heatmap", "--size", "85x60mm", "--width", "400", "-o", "a.pdf"},
        {"plot", "RAT1.DAT", "--kind", "trace", "--style", "neon", "-o", "a.png"}}) {
    const auto r = RunCli(args, dir.Path());
    EXPECT_EQ(r.exitCode, 2) << args[2] << " " << args.back();
    EXPECT_EQ(r.out, "");
  }
}

}  // namespace
}  // namespace tlx
