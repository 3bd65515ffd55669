#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace tlx {
namespace {

using test::RunCli;
using test::TempDir;

std::string Golden(const std::string& name) {
  return std::string(TLX_TEST_DATA) + "/zonemap/" + name;
}

std::string Rows(const std::string& first, const std::string& second = "") {
  std::string out = first + std::string(32 - first.size(), ' ') + "\n";
  out += second + std::string(32 - second.size(), ' ') + "\n";
  for (int row = 2; row < 24; ++row) out += std::string(32, ' ') + "\n";
  return out;
}

TEST(MapCli, ShowPrintsRowsOfAMapFileOrSection) {
  const auto quadrants = RunCli({"map", "show", Golden("quadrants.map")});
  EXPECT_EQ(quadrants.exitCode, 0);
  EXPECT_EQ(quadrants.err, "");
  ASSERT_EQ(quadrants.out.size(), 24u * 33u);
  EXPECT_EQ(quadrants.out.substr(0, 33), std::string(16, 'A') + std::string(16, 'B') + "\n");
  EXPECT_EQ(quadrants.out.substr(23 * 33), std::string(16, 'C') + std::string(16, 'D') + "\n");

  const auto section = RunCli({"map", "show", Golden("notes_section.txt")});
  EXPECT_EQ(section.out, Rows("1" + std::string(30, ' ') + "2", "3").substr(0, 23 * 33) +
                             std::string(31, ' ') + "4\n");
}

TEST(MapCli, ShowBlanksCharactersThatAreNotZones) {
  TempDir dir;
  test::WriteBytes(dir.File("ODD.MAP"), std::string("\xFC\xAA\x01\xC8Z\x7F\0!", 8));
  EXPECT_EQ(RunCli({"map", "show", dir.File("ODD.MAP")}).out, Rows("  Z\x7F !"));
}

TEST(MapCli, ShowFailsOnFilesWithoutAMap) {
  TempDir dir;
  test::WriteBytes(dir.File("NOTES.TXT"), "ZONE MAP\r\n" + std::string(768, 'A'));
  const auto notMap = RunCli({"map", "show", dir.File("NOTES.TXT")});
  EXPECT_EQ(notMap.exitCode, 1);
  EXPECT_EQ(notMap.out, "");
  EXPECT_EQ(notMap.err, "The file selected is not a valid zone map.\n");
  const auto missing = RunCli({"map", "show", "NOWHERE.MAP"}, dir.Path());
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_NE(missing.err.find(dir.File("NOWHERE.MAP")), std::string::npos);
}

TEST(MapCli, ImportPadsShortLinesAndRoundTrips) {
  TempDir dir;
  test::WriteBytes(dir.File("lf.txt"), "AB\nC\n");
  test::WriteBytes(dir.File("crlf.txt"), "AB\r\nC");
  const auto made = RunCli({"map", "import", "lf.txt", "-o", "LF.MAP"}, dir.Path());
  ASSERT_EQ(made.exitCode, 0) << made.err;
  EXPECT_EQ(made.out, "");
  ASSERT_EQ(RunCli({"map", "import", "crlf.txt", "-o", "CRLF.MAP"}, dir.Path()).exitCode, 0);
  const std::string bytes = test::ReadBytes(dir.File("LF.MAP"));
  EXPECT_EQ(bytes, "\xFC\xAA" "AB" + std::string(30, ' ') + "C" + std::string(735, ' '));
  EXPECT_EQ(test::ReadBytes(dir.File("CRLF.MAP")), bytes);
  EXPECT_EQ(RunCli({"map", "show", dir.File("LF.MAP")}).out, Rows("AB", "C"));
}

TEST(MapCli, ImportRefusesTextThatIsNotAMapAndWritesNothing) {
  TempDir dir;
  std::string manyLines;
  for (int i = 0; i < 25; ++i) manyLines += "A\n";
  const std::string bad[] = {manyLines, std::string(33, 'A'), "A\tB", "\xC3\xA9"};
  for (const std::string& text : bad) {
    test::WriteBytes(dir.File("bad.txt"), text);
    const auto result = RunCli({"map", "import", dir.File("bad.txt"), "-o", dir.File("B.MAP")});
    EXPECT_EQ(result.exitCode, 1) << text;
    EXPECT_NE(result.err.find("bad.txt"), std::string::npos);
    EXPECT_EQ(result.out, "");
    EXPECT_FALSE(test::PathExists(dir.File("B.MAP")));
  }
  test::WriteBytes(dir.File("ok.txt"), "A");
  EXPECT_EQ(RunCli({"map", "import", dir.File("ok.txt")}).exitCode, 2);
  EXPECT_EQ(RunCli({"map", "import", dir.File("ok.txt"), "-o", dir.File("NO/B.MAP")}).exitCode, 1);
}

}  // namespace
}  // namespace tlx
