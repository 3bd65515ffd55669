#include "setup/ProgramSettingsFile.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace tlx {
namespace {

using namespace std::string_literals;

// Sets an environment variable for the life of the object, then puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) ::setenv(name, value, 1); else ::unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_) ::setenv(name_, old_->c_str(), 1); else ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

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
  test::TempDir dir;
};

TEST_F(ProgramSettingsFileTest, WrittenFilesReadBackUnchanged) {
  const std::string config = dir.File("My Config");
  ASSERT_EQ(::mkdir(config.c_str(), 0755), 0);
  ProgramSettings out;
  out.ConfigDir = config;
  out.DataDir = dir.Path();
  out.ComPort = 3;
  out.DrawTrace = true;
  out.ObjectFilter = true;
  out.DelayType = 1;
  out.VideoType = 1;
  out.OpenDir = "/Some/Open Dir";
  ASSERT_TRUE(WriteProgramSettings(Ini(), out));
  EXPECT_EQ(test::ReadBytes(Ini()), "Config Dir = \"" + config + "\"\r\nData Dir = \"" + dir.Path() +
                                        "\"\r\nCom Port = 3\r\nDraw Trace = Enabled\r\n");
  EXPECT_EQ(test::ReadBytes(Set()),
            "Object Filter = Enabled\r\nDelay Type = TIMEOFDAY\r\nVideo Type = PAL\r\n"
            "Open Dir = \"/Some/Open Dir\"\r\n");

  ProgramSettings in;
  EXPECT_TRUE(ReadProgramSettings(Ini(), in));
  EXPECT_EQ(in.ConfigDir, config);
  EXPECT_EQ(in.DataDir, dir.Path());
  EXPECT_EQ(in.ComPort, 3);
  EXPECT_TRUE(in.DrawTrace);
  EXPECT_TRUE(in.ObjectFilter);
  EXPECT_EQ(in.DelayType, 1);
  EXPECT_EQ(in.VideoType, 1);
  EXPECT_EQ(in.OpenDir, "/Some/Open Dir");

  ProgramSettings plain;
  ASSERT_TRUE(WriteProgramSettings(Ini(), plain));
  EXPECT_EQ(test::ReadBytes(Set()), "Object Filter = Disabled\r\nDelay Type = DELAY\r\n"
                                    "Video Type = NTSC\r\nOpen Dir = \"\"\r\n");
  EXPECT_EQ(test::ReadBytes(Ini()), "Config Dir = \"\"\r\nData Dir = \"\"\r\nCom Port = 0\r\n"
                                    "Draw Trace = Disabled\r\n");
}

TEST_F(ProgramSettingsFileTest, ValuesAreReadWithTheirRules) {
  const ProgramSettings a = ReadBack("Com Port = 12\r\nDraw Trace = Yes\r\n",
                                     "Object Filter = on\r\nDelay Type = timeofday\r\n"
                                     "Video Type = SECAM\r\n");
  EXPECT_EQ(a.ComPort, 8);
  EXPECT_FALSE(a.DrawTrace);
  EXPECT_TRUE(a.ObjectFilter);
  EXPECT_EQ(a.DelayType, 1);
  EXPECT_EQ(a.VideoType, 1);  // SECAM is used as PAL...
  ASSERT_TRUE(WriteProgramSettings(Ini(), a));
  EXPECT_NE(test::ReadBytes(Set()).find("Video Type = PAL\r\n"), std::string::npos);  // ...and kept so

  const ProgramSettings b = ReadBack("com port=0\r\ndraw trace = on\r\n",
                                     "Delay Type = Later\r\nVideo Type = \"pal\"\r\n");
  EXPECT_EQ(b.ComPort, 1);
  EXPECT_TRUE(b.DrawTrace);
  EXPECT_EQ(b.DelayType, 0);
  EXPECT_EQ(b.VideoType, 1);

  const ProgramSettings c = ReadBack("Com Port = COM3\r\nCom Port = 1e999\r\n", "");
  EXPECT_EQ(c.ComPort, 8);  // the last line wins, beyond every range
  EXPECT_EQ(ReadBack("Com Port = -1e999\n", "").ComPort, 1);
  EXPECT_EQ(ReadBack("Com Port = COM3\r", "").ComPort, 1);
  EXPECT_EQ(ReadBack("Com Port = 4.5\r\nCom Port = 6 7\r\n", "").ComPort, 4);
}

TEST_F(ProgramSettingsFileTest, DirectoriesKeepTheirCaseAndMustBeUsable) {
  const std::string mixed = dir.File("Mixed Case");
  const std::string bare = dir.File("BareMixed");
  ASSERT_EQ(::mkdir(mixed.c_str(), 0755), 0);
  ASSERT_EQ(::mkdir(bare.c_str(), 0755), 0);
  ProgramSettings settings;
  settings.ConfigDir = "/previous/config";
  settings.DataDir = "/previous/data";
  test::WriteBytes(Ini(), "Config Dir = " + mixed + "\r\nData Dir = " + bare + "\r\n");
  ReadProgramSettings(Ini(), settings);
  EXPECT_EQ(settings.ConfigDir, "/previous/config");  // a bare directory with a blank: ignored
  EXPECT_EQ(settings.DataDir, bare);                  // bare, and its case kept

  test::WriteBytes(Ini(), "Config Dir = \"" + mixed + "\"\r\nData Dir = \"" +
                              dir.File("no/such/dir") + "\"\r\n");
  ReadProgramSettings(Ini(), settings);
  EXPECT_EQ(settings.ConfigDir, mixed);
  EXPECT_EQ(settings.DataDir, bare);  // unusable: the field keeps its value

  test::WriteBytes(Set(), "Open Dir = /Bare/Open\r\n");
  ReadProgramSettings(Ini(), settings);
  EXPECT_EQ(settings.OpenDir, "/Bare/Open");
  test::WriteBytes(Set(), "Open Dir = \"\"\r\n");
  ReadProgramSettings(Ini(), settings);
  EXPECT_EQ(settings.OpenDir, "");
}

TEST_F(ProgramSettingsFileTest, MissingFilesLeaveValuesButClampStillApplies) {
  ProgramSettings settings;
  settings.ComPort = 5;
  settings.DrawTrace = true;
  settings.OpenDir = "/kept";
  settings.DelayType = 7;
  settings.VideoType = 2;
  EXPECT_FALSE(ReadProgramSettings(Ini(), settings));
  EXPECT_EQ(settings.ComPort, 5);
  EXPECT_TRUE(settings.DrawTrace);
  EXPECT_EQ(settings.OpenDir, "/kept");
  EXPECT_EQ(settings.DelayType, 1);
  EXPECT_EQ(settings.VideoType, 1);

  // The SET file is read even without the INI file beside it.
  test::WriteBytes(Set(), "Object Filter = Enabled\r\n");
  EXPECT_FALSE(ReadProgramSettings(Ini(), settings));
  EXPECT_TRUE(settings.ObjectFilter);
  // A directory where the file should be counts as missing.
  ASSERT_EQ(::mkdir(Ini().c_str(), 0755), 0);
  EXPECT_FALSE(ReadProgramSettings(Ini(), settings));
  EXPECT_FALSE(WriteProgramSettings(Ini(), settings));
  EXPECT_FALSE(WriteProgramSettings(dir.File("missing/TRACELUX.INI"), settings));
  // Each file alone: the SET file is written although the INI file cannot be.
  ::unlink(Set().c_str());
  EXPECT_FALSE(WriteProgramIniFile(Ini(), settings));
  EXPECT_TRUE(WriteProgramSetFile(Ini(), settings));
  EXPECT_EQ(test::ReadBytes(Set()), ProgramSetText(settings));
}

TEST_F(ProgramSettingsFileTest, AnyBytesAreSurvived) {
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 7919) & 0xff);
  const std::string hugeLine = "Com Port = " + std::string(1 << 20, '7') + "\r\n";
  const ProgramSettings a = ReadBack(junk + "\r\nCom Port = 2\r\n" + junk,
                                     "Open Dir = \"C:\\unterminated\r\nDelay Type = \0TIMEOFDAY\r\n"s
                                     "Video Type = PAL\0\r\n"s);
  EXPECT_EQ(a.ComPort, 2);
  EXPECT_EQ(a.OpenDir, "\"C:\\unterminated");  // taken as written, its quote included
  EXPECT_EQ(a.DelayType, 0);         // a NUL is a character like any other
  EXPECT_EQ(a.VideoType, 0);

  const ProgramSettings b = ReadBack(hugeLine + "Draw Trace = " + std::string(1 << 20, 'x') + "ON",
                                     std::string(1 << 20, '"') + "\r\n" + std::string(1 << 20, '='));
  EXPECT_EQ(b.ComPort, 8);
  EXPECT_TRUE(b.DrawTrace);
  const ProgramSettings c = ReadBack(std::string(1 << 20, '\0'), std::string(1 << 20, '\n'));
  EXPECT_EQ(c.ComPort, 0);
}

TEST(ProgramHome, OptionThenEnvironmentThenConfigDirectory) {
  test::TempDir dir;
  ScopedEnv home("HOME", dir.Path().c_str());
  ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
  ScopedEnv own("TRACELUX_HOME", nullptr);

  EXPECT_EQ(ResolveProgramHome(""), dir.File(".config/tracelux"));
  EXPECT_TRUE(test::PathExists(dir.File(".config/tracelux")));
  {
    ScopedEnv relative("XDG_CONFIG_HOME", "relative/config");  // not absolute: ignored
    EXPECT_EQ(ResolveProgramHome(""), dir.File(".config/tracelux"));
  }
  {
    ScopedEnv config("XDG_CONFIG_HOME", dir.File("xdg").c_str());
    EXPECT_EQ(ResolveProgramHome(""), dir.File("xdg/tracelux"));
    ScopedEnv explicitHome("TRACELUX_HOME", dir.File("env home").c_str());
    EXPECT_EQ(ResolveProgramHome(""), dir.File("env home"));
    EXPECT_EQ(ResolveProgramHome(dir.File("a/b/c")), dir.File("a/b/c"));
    EXPECT_TRUE(test::PathExists(dir.File("a/b/c")));
  }
  char cwd[4096];
  ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
  ASSERT_EQ(::chdir(dir.Path().c_str()), 0);
  const std::string relative = ResolveProgramHome("rel/home");
  ASSERT_EQ(::chdir(cwd), 0);
  EXPECT_EQ(relative, dir.Path() + "/rel/home");
  EXPECT_TRUE(test::PathExists(dir.File("rel/home")));
}

}  // namespace
}  // namespace tlx
