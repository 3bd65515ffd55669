// The program's own settings files: TRACELUX.INI and TRACELUX.SET with the program home they live
// in, and the zone colour table.
#include "setup/Colours.h"
#include "setup/ProgramSettingsFile.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <tuple>
#include <string>

namespace tlx {
namespace {

using namespace std::string_literals;

// Sets an environment variable for the life of the object, then puts the old value back.
struct ScopedEnv {
  ScopedEnv(const char* name, const char* value) : name(name) {
    if (const char* was = std::getenv(name)) old = was;
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~ScopedEnv() { old ? ::setenv(name, old->c_str(), 1) : ::unsetenv(name); }
  const char* name;
  std::optional<std::string> old;
};

// The flags and numbers of the settings as one value, so a test compares them all at once.
auto Fields(const ProgramSettings& s) {
  return std::make_tuple(int(s.ComPort), s.DrawTrace, s.ObjectFilter, int(s.DelayType), int(s.VideoType));
}

class ProgramSettingsFileTest : public ::testing::Test {
 protected:
  std::string Ini() const { return dir.File("TRACELUX.INI"); }
  std::string Set() const { return dir.File("TRACELUX.SET"); }
  ProgramSettings ReadBack(const std::string& ini, const std::string& set) {
    test::WriteBytes(Ini(), ini);
    test::WriteBytes(Set(), set);
    ProgramSettings settings;
    ReadProgramSettings(Ini(), settings);
    return settings;
  }
  bool Write(const ProgramSettings& s) const {
    return WriteProgramSetFile(Ini(), s) && WriteProgramIniFile(Ini(), s);
  }
  test::TempDir dir;
};

TEST_F(ProgramSettingsFileTest, WrittenFilesReadBackUnchanged) {
  const std::string config = dir.File("My Config");
  ASSERT_EQ(::mkdir(config.c_str(), 0755), 0);
  const ProgramSettings out{config, dir.Path(), 3, true, true, 1, 1, "/Some/Open Dir"};
  ASSERT_TRUE(Write(out));
  EXPECT_EQ(test::ReadBytes(Ini()), "Config Dir = \"" + config + "\"\r\nData Dir = \"" + dir.Path() +
                                        "\"\r\nCom Port = 3\r\nDraw Trace = Enabled\r\n");
  EXPECT_EQ(test::ReadBytes(Set()),
            "Object Filter = Enabled\r\nDelay Type = TIMEOFDAY\r\nVideo Type = PAL\r\n"
            "Open Dir = \"/Some/Open Dir\"\r\n");
  ProgramSettings in;
  EXPECT_TRUE(ReadProgramSettings(Ini(), in));
  EXPECT_EQ(Fields(in), Fields(out));
  EXPECT_EQ(in.ConfigDir + "|" + in.DataDir + "|" + in.OpenDir,
            config + "|" + dir.Path() + "|/Some/Open Dir");

  ASSERT_TRUE(Write(ProgramSettings()));
  EXPECT_EQ(test::ReadBytes(Set()), "Object Filter = Disabled\r\nDelay Type = DELAY\r\n"
                                    "Video Type = NTSC\r\nOpen Dir = \"\"\r\n");
}

TEST_F(ProgramSettingsFileTest, ValuesAreReadWithTheirRulesFromAnyBytes) {
  // The port is limited to 1..8; only "ON", "TRUE" or "ENABLED" is true; SECAM is used as PAL...
  const ProgramSettings a = ReadBack("Com Port = 12\r\nDraw Trace = Yes\r\n",
                                     "Object Filter = on\r\nDelay Type = timeofday\r\n"
                                     "Video Type = SECAM\r\n");
  EXPECT_EQ(Fields(a), std::make_tuple(8, false, true, 1, 1));
  ASSERT_TRUE(Write(a));
  EXPECT_NE(test::ReadBytes(Set()).find("Video Type = PAL\r\n"), std::string::npos);  // ...and kept so
  const ProgramSettings b = ReadBack("com port=0\r\ndraw trace = on\r\n",
                                     "Delay Type = Later\r\nVideo Type = \"pal\"\r\n");
  EXPECT_EQ(Fields(b), std::make_tuple(1, true, false, 0, 1));
  // The last well-formed line wins, and a half goes to the even number.
  EXPECT_EQ(ReadBack("Com Port = 1e999\r\nCom Port = 4.5\r\nCom Port = 6 7\r\n", "").ComPort, 4);
  // Any bytes are survived: an unterminated quote is taken as written, a NUL is a character.
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 7919) & 0xff);
  const ProgramSettings c = ReadBack(junk + "\r\nCom Port = 2\r\n" + junk,
                                     "Open Dir = \"C:\\unterminated\r\nDelay Type = \0TIMEOFDAY\r\n"s
                                     "Video Type = PAL\0\r\n"s);
  EXPECT_EQ(Fields(c), std::make_tuple(2, false, false, 0, 0));
  EXPECT_EQ(c.OpenDir, "\"C:\\unterminated");
}

TEST_F(ProgramSettingsFileTest, DirectoriesKeepTheirCaseAndMustBeUsable) {
  const std::string mixed = dir.File("Mixed Case");
  const std::string bare = dir.File("BareMixed");
  ASSERT_EQ(::mkdir(mixed.c_str(), 0755), 0);
  ASSERT_EQ(::mkdir(bare.c_str(), 0755), 0);
  ProgramSettings settings{"/previous/config", "/previous/data", 0, false, false, 0, 0, ""};
  test::WriteBytes(Ini(), "Config Dir = " + mixed + "\r\nData Dir = " + bare + "\r\n");
  ReadProgramSettings(Ini(), settings);
  EXPECT_EQ(settings.ConfigDir, "/previous/config");  // a bare directory with a blank: ignored
  EXPECT_EQ(settings.DataDir, bare);                  // bare, and its case kept

  test::WriteBytes(Ini(), "Config Dir = \"" + mixed + "\"\r\nData Dir = \"" +
                              dir.File("no/such/dir") + "\"\r\n");
  ReadProgramSettings(Ini(), settings);
  EXPECT_EQ(settings.ConfigDir, mixed);
  EXPECT_EQ(settings.DataDir, bare);  // unusable: the field keeps its value
}

TEST_F(ProgramSettingsFileTest, MissingFilesLeaveValuesButClampStillApplies) {
  ProgramSettings settings{"", "", 5, true, false, 7, 2, "/kept"};
  EXPECT_FALSE(ReadProgramSettings(Ini(), settings));
  EXPECT_EQ(Fields(settings), std::make_tuple(5, true, false, 1, 1));
  EXPECT_EQ(settings.OpenDir, "/kept");
  // The SET file is read even without the INI file beside it.
  test::WriteBytes(Set(), "Object Filter = Enabled\r\n");
  EXPECT_FALSE(ReadProgramSettings(Ini(), settings));
  EXPECT_TRUE(settings.ObjectFilter);
  // A directory where the file should be counts as missing.
  ASSERT_EQ(::mkdir(Ini().c_str(), 0755), 0);
  EXPECT_FALSE(ReadProgramSettings(Ini(), settings));
  // Each file alone: the SET file is written although the INI file cannot be.
  ::unlink(Set().c_str());
  EXPECT_FALSE(WriteProgramIniFile(Ini(), settings));
  EXPECT_TRUE(WriteProgramSetFile(Ini(), settings));
  EXPECT_EQ(test::ReadBytes(Set()), ProgramSetText(settings));
}

TEST(ProgramHome, OptionThenEnvironmentThenConfigDirectory) {
  test::TempDir dir;
  ScopedEnv home("HOME", dir.Path().c_str());
  ScopedEnv xdg("XDG_CONFIG_HOME", "relative/config");  // not absolute: ignored
  ScopedEnv own("TRACELUX_HOME", nullptr);

  EXPECT_EQ(ResolveProgramHome(""), dir.File(".config/tracelux"));
  EXPECT_TRUE(test::PathExists(dir.File(".config/tracelux")));
  {
    ScopedEnv config("XDG_CONFIG_HOME", dir.File("xdg").c_str());
    EXPECT_EQ(ResolveProgramHome(""), dir.File("xdg/tracelux"));
    ScopedEnv explicitHome("TRACELUX_HOME", dir.File("env home").c_str());
    EXPECT_EQ(ResolveProgramHome(""), dir.File("env home"));
    EXPECT_EQ(ResolveProgramHome(dir.File("a/b/c")), dir.File("a/b/c"));
    EXPECT_TRUE(test::PathExists(dir.File("a/b/c")));
  }
}

TEST(ProgramHome, ANewUserHomeKeepsItsDataInAVisibleFolderAndOlderOrChosenHomesInside) {
  test::TempDir dir;
  ScopedEnv home("HOME", dir.Path().c_str());
  ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
  ScopedEnv own("TRACELUX_HOME", nullptr);
  const std::string userHome = ResolveProgramHome("");
  // No XDG user directories: the home folder's "Tracelux".
  EXPECT_EQ(DefaultDataDirectory(userHome), dir.File("Tracelux"));
  // The documents folder they name, when it exists; one that is the home folder means none.
  const std::string dirs = dir.File(".config/user-dirs.dirs");
  test::WriteBytes(dirs, "# written by xdg-user-dirs-update\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
  EXPECT_EQ(DefaultDataDirectory(userHome), dir.File("Tracelux"));  // not made yet
  ASSERT_EQ(::mkdir(dir.File("Dokumente").c_str(), 0755), 0);
  EXPECT_EQ(DefaultDataDirectory(userHome), dir.File("Dokumente/Tracelux"));
  test::WriteBytes(dirs, "XDG_DOCUMENTS_DIR=\"" + dir.File("Dokumente") + "\"\n");
  EXPECT_EQ(DefaultDataDirectory(userHome), dir.File("Dokumente/Tracelux"));
  test::WriteBytes(dirs, "XDG_DOCUMENTS_DIR=\"$HOME/\"\n");
  EXPECT_EQ(DefaultDataDirectory(userHome), dir.File("Tracelux"));
  // A home chosen elsewhere is self-contained, and a home that already has its DATA keeps it.
  const std::string chosen = ResolveProgramHome(dir.File("lab"));
  EXPECT_EQ(DefaultDataDirectory(chosen), dir.File("lab/DATA"));
  ASSERT_EQ(::mkdir(dir.File(".config/tracelux/DATA").c_str(), 0755), 0);
  EXPECT_EQ(DefaultDataDirectory(userHome), dir.File(".config/tracelux/DATA"));
}

constexpr std::int32_t kRed = 255, kOrange = 33023, kGreen = 65280;

TEST(ColoursFile, OnlyWellFormedLinesChangeTheTableAndWritesAreAlwaysNinetySixLines) {
  const ColourTable defaults = DefaultColourTable();
  EXPECT_EQ(std::tuple(defaults.Of('A'), defaults.Of('B'), defaults.Of('a'), defaults.Of(' ')),
            std::tuple(kRed, kOrange, kRed, 0));
  test::TempDir dir;
  test::WriteBytes(dir.File("COLORS.INI"),
                   "Color 300 = 1\r\nColor -1 = 1\r\ncolor 97=16776960\r\nColor 66 = 65280 \r\n"
                   "Colour 67 = 1\r\nColor 68 = 1 2\r\nColor 0 = 7\nnonsense\r\n");
  ColourTable table = defaults;
  ASSERT_TRUE(ReadColours(dir.File("COLORS.INI"), table));
  ColourTable expected = defaults;
  expected.entries['a'] = 16776960;
  expected.entries['B'] = kGreen;
  expected.entries[0] = 7;
  EXPECT_EQ(table.entries, expected.entries);

  EXPECT_FALSE(ReadColours(dir.File("MISSING.INI"), table) || ReadColours(dir.Path(), table));
  EXPECT_EQ(table.entries, expected.entries);

  // Writing: always the ninety-six lines of the printable codes, and they read back.
  table = DefaultColourTable();
  table.entries['A'] = kGreen;
  table.entries[200] = 5;  // not saved
  std::string written;
  for (int code = 32; code <= 127; ++code) {
    written += "Color " + std::to_string(code) + " = " +
                std::to_string(code == 'A' ? kGreen : DefaultColourTable().entries[code]) + "\r\n";
  }
  test::WriteBytes(dir.File("COLORS.INI"), std::string(9000, '#'));
  ASSERT_TRUE(WriteColours(dir.File("COLORS.INI"), table));
  ASSERT_EQ(test::ReadBytes(dir.File("COLORS.INI")), written);

  ColourTable back = DefaultColourTable();
  ASSERT_TRUE(ReadColours(dir.File("COLORS.INI"), back));
  EXPECT_EQ(back.Of('A'), kGreen);
  EXPECT_FALSE(WriteColours(dir.File("NO_DIR/COLORS.INI"), table));
}

}  // namespace
}  // namespace tlx
