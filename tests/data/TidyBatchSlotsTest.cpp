// The tidy batch holds a few files' rows at a time (four per worker) and reuses each holder for a
// later file: with many more files than holders, every file's rows still come once, whole and in
// order, and a failed file's reason never sticks to the file that reuses its holder.
#include "DataFileBuilder.h"
#include "data/TidyBatch.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace tlx {
namespace {

std::string Tidy(const std::vector<std::string>& paths, unsigned jobs, bool header, TidyBatchReport& report) {
  std::string text;
  report = RunTidyBatch({.DataPaths = paths, .Overrides = {}, .Header = header, .Jobs = jobs}, [&text](std::string_view s) {
    text += s;
    return true;
  });
  return text;
}

TEST(TidyBatchSlots, ManyMoreFilesThanSlotsGiveEachFilesRowsOnceInOrder) {
  test::TempDir dir;
  std::vector<std::string> paths;
  std::string expected;
  TidyBatchReport report;
  for (int i = 0; i < 27; ++i) {
    paths.push_back(dir.File("R" + std::to_string(i) + ".DAT"));
    if (i % 5 == 2) continue;  // missing: its slot is reused by a good file later
    test::WriteBytes(paths.back(), test::DataFileBuilder{}.Walk(static_cast<unsigned>(i), 20 + 7 * i).Bytes());
    expected += Tidy({paths.back()}, 1, false, report);
  }
  for (unsigned jobs : {1u, 2u, 3u}) {  // 4, 8 and 12 slots for 27 files
    const std::string text = Tidy(paths, jobs, false, report);
    EXPECT_EQ(text, expected) << jobs;
    EXPECT_EQ(report.Analysed, 22u);
    ASSERT_EQ(report.Failures.size(), 5u);
    for (std::size_t f = 0; f < report.Failures.size(); ++f) EXPECT_EQ(report.Failures[f].DataPath, paths[2 + 5 * f]);
  }
}

}  // namespace
}  // namespace tlx
