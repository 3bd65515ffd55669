// Reading and writing "TRACELUX.INI" and "TRACELUX.SET", and finding the program home.
#include "setup/ProgramSettingsFile.h"

#include "common/AtomicFile.h"
#include "common/FileChecks.h"
#include "common/Numbers.h"
#include "common/Paths.h"
#include "common/SettingsLine.h"
#include "common/Texts.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace tlx {

namespace {

// Settings files are a few lines long; anything far bigger is not one of ours.
constexpr std::size_t kLargestSettingsFile = std::size_t(64) << 20;

bool ReadLines(const std::string& path, std::vector<std::string>& lines) {
  std::string content;
  if (!ReadWholeFile(path, content, kLargestSettingsFile)) return false;
  lines = SplitLines(content);
  return true;
}

void ReadIniLine(const std::string& line, ProgramSettings& settings) {
  if (LineMatches(line, "Config Dir = %s")) {
    std::string directory = LineDirectoryValue(line);
    if (!directory.empty()) settings.ConfigDir = std::move(directory);
  } else if (LineMatches(line, "Data Dir = %s")) {
    std::string directory = LineDirectoryValue(line);
    if (!directory.empty()) settings.DataDir = std::move(directory);
  } else if (LineMatches(line, "Com Port = %s")) {
    settings.ComPort = ClampInteger(TextToInteger(LineValue(line)), 1, 8);
  } else if (LineMatches(line, "Draw Trace = %s")) {
    settings.DrawTrace = IsTrueText(LineValue(line));
  }
}

void ReadSetLine(const std::string& line, ProgramSettings& settings) {
  if (LineMatches(line, "Object Filter = %s")) {
    settings.ObjectFilter = IsTrueText(LineValue(line));
  } else if (LineMatches(line, "Delay Type = %s")) {
    settings.DelayType = SameText(LineValue(line), "TIMEOFDAY") ? 1 : 0;
  } else if (LineMatches(line, "Video Type = %s")) {
    const std::string value = LineValue(line);
    settings.VideoType = SameText(value, "PAL") ? 1 : SameText(value, "SECAM") ? 2 : 0;
  } else if (LineMatches(line, "Open Dir = %s")) {
    settings.OpenDir = LineValueKeepCase(line);
  }
}

std::string VideoTypeText(std::int16_t type) {
  if (type == 1) return "PAL";
  if (type == 2) return "SECAM";
  return "NTSC";
}

// Creates the directory and any missing parents.
bool MakeDirectories(const std::string& path) {
  if (DirectoryExists(path)) return true;
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    const std::string parent = path.substr(0, slash);
    if (!DirectoryExists(parent) && ::mkdir(parent.c_str(), 0777) != 0 && errno != EEXIST) {
      return false;
    }
  }
  return ::mkdir(path.c_str(), 0777) == 0 || DirectoryExists(path);
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

std::string UserHomeDirectory() {
  std::string home = Environment("HOME");
  if (!home.empty()) return home;
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir) {
    return found->pw_dir;
  }
  return ".";
}

// The user's configuration folder: an absolute $XDG_CONFIG_HOME, else ~/.config.
std::string UserConfigDirectory() {
  std::string config = Environment("XDG_CONFIG_HOME");
  if (config.empty() || config.front() != '/') config = JoinPath(UserHomeDirectory(), ".config");
  return config;
}

// Whether both paths name one existing directory (the same device and inode).
bool SameDirectory(const std::string& a, const std::string& b) {
  struct stat first {}, second {};
  return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
         S_ISDIR(first.st_mode) && first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

// The user's documents folder as the XDG user directories name it (user-dirs.dirs, whose values
// are "$HOME/..." or absolute), when it exists; empty when none is named, when it is the home
// folder itself (the user has turned it off), or when it is missing.
std::string UserDocumentsDirectory() {
  std::vector<std::string> lines;
  if (!ReadLines(JoinPath(UserConfigDirectory(), "user-dirs.dirs"), lines)) return "";
  const std::string key = "XDG_DOCUMENTS_DIR=\"", userHome = UserHomeDirectory();
  std::string documents;
  for (const std::string& line : lines) {
    if (line.rfind(key, 0) != 0 || line.size() < key.size() + 1 || line.back() != '"') continue;
    std::string value = line.substr(key.size(), line.size() - key.size() - 1);
    if (value.rfind("$HOME", 0) == 0) {
      value = userHome + value.substr(5);
    } else if (value.empty() || value.front() != '/') {
      continue;
    }
    documents = value;
  }
  if (documents.empty() || SameDirectory(documents, userHome) || !DirectoryExists(documents)) return "";
  return documents;
}

}  // namespace

bool ReadProgramSettings(const std::string& iniPath, ProgramSettings& settings) {
  std::vector<std::string> lines;
  const bool iniRead = ReadLines(iniPath, lines);
  if (iniRead) {
    for (const std::string& line : lines) ReadIniLine(line, settings);
  }
  lines.clear();
  if (ReadLines(ChangeExtension(iniPath, "SET"), lines)) {
    for (const std::string& line : lines) ReadSetLine(line, settings);
  }
  // A stored SECAM is used as PAL.
  ClampIntegerInPlace(settings.DelayType, 0, 1);
  ClampIntegerInPlace(settings.VideoType, 0, 1);
  return iniRead;
}

std::string ProgramIniText(const ProgramSettings& settings) {
  // Directories are quoted so that they keep their blanks and their case.
  return "Config Dir = " + Quote(settings.ConfigDir) + "\r\n" +
         "Data Dir = " + Quote(settings.DataDir) + "\r\n" +
         "Com Port = " + std::to_string(settings.ComPort) + "\r\n" +
         "Draw Trace = " + EnabledText(settings.DrawTrace) + "\r\n";
}

std::string ProgramSetText(const ProgramSettings& settings) {
  return "Object Filter = " + EnabledText(settings.ObjectFilter) + "\r\n" +
         "Delay Type = " + (settings.DelayType == 1 ? "TIMEOFDAY" : "DELAY") + "\r\n" +
         "Video Type = " + VideoTypeText(settings.VideoType) + "\r\n" +
         "Open Dir = " + Quote(settings.OpenDir) + "\r\n";
}

bool WriteProgramIniFile(const std::string& iniPath, const ProgramSettings& settings) {
  return WriteFileAtomically(iniPath, ProgramIniText(settings));
}

bool WriteProgramSetFile(const std::string& iniPath, const ProgramSettings& settings) {
  return WriteFileAtomically(ChangeExtension(iniPath, "SET"), ProgramSetText(settings));
}

std::string ResolveProgramHome(const std::string& optionHome) {
  std::string home = optionHome;
  if (home.empty()) home = Environment("TRACELUX_HOME");
  if (home.empty()) home = JoinPath(UserConfigDirectory(), "tracelux");
  home = AbsolutePath(home);
  MakeDirectories(home);
  return home;
}

std::string DefaultDataDirectory(const std::string& home) {
  const std::string inHome = JoinPath(home, "DATA");
  if (DirectoryExists(inHome) || !SameDirectory(home, JoinPath(UserConfigDirectory(), "tracelux"))) {
    return inHome;
  }
  const std::string documents = UserDocumentsDirectory();
  return JoinPath(documents.empty() ? UserHomeDirectory() : documents, "Tracelux");
}

}  // namespace tlx
