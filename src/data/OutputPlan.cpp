#include "data/OutputPlan.h"

#include "common/Texts.h"
#include "data/DataFile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tlx {
namespace {

// Longest suffix AtomicFileWriter adds for its temporary file: ".tmp~<pid>-<16 hex digits>".
constexpr std::size_t kTemporarySuffix = 5 + 10 + 1 + 16;

struct PathParts {
  std::string folder, name, stem, extension;  // extension upper-case, without the dot
};

PathParts Split(const std::string& path) {
  PathParts p;
  const std::size_t slash = path.rfind('/');
  p.folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  p.name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = p.name.rfind('.');
  p.stem = dot == std::string::npos ? p.name : p.name.substr(0, dot);
  p.extension = dot == std::string::npos ? std::string() : ToUpper(p.name.substr(dot + 1));
  return p;
}

// The file the path leads to when it is a symbolic link (the file a writer replaces).
std::string Resolved(const std::string& path) {
  struct stat link{};
  if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
  char* real = ::realpath(path.c_str(), nullptr);
  if (!real) return path;
  std::string out = real;
  std::free(real);
  return out;
}

// A data file of any version (tags 0xAAFF, 0xAAFE, 0xAAFD); 0xAAFC is the map file's tag.
bool IsTaggedDataFile(const std::string& path) {
  struct stat st{};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  const int version = DataFileVersion(path);
  return version >= 1 && version <= 3;
}

bool Exists(const std::string& path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0;
}

// The recording a file belongs to: its data file (or raw file, when no data file stands yet) and
// what the file is to it; nothing when it belongs to none.
struct RecordingPart {
  std::string Recording;
  std::string What;
};

RecordingPart PartOfRecording(const std::string& given) {
  const std::string path = Resolved(given);
  if (IsTaggedDataFile(path)) return {path, "a data file (a recording)"};
  const PathParts p = Split(path);
  if (p.extension == "JOURNAL" && Exists(path)) return {path, "the journal of a run"};
  const char* what = p.extension == "RAW"   ? "the raw file"
                     : p.extension == "MAP" ? "the zone map"
                     : p.extension == "PRN" ? "the results file"
                     : p.extension == "DAT" ? "a data file"
                                            : nullptr;
  if (!what) return {};
  // The recording's files beside it, their extensions in any case.
  std::string dataFile, rawFile;
  if (DIR* dir = ::opendir(p.folder.c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      const PathParts e = Split(entry->d_name);
      if (e.stem != p.stem || e.name == p.name || (e.extension != "DAT" && e.extension != "RAW")) continue;
      const std::string sibling = p.folder + "/" + e.name;
      if (e.extension == "DAT" && IsTaggedDataFile(sibling)) dataFile = sibling;
      if (e.extension == "RAW" && Exists(sibling)) rawFile = sibling;
    }
    ::closedir(dir);
  }
  if (p.extension == "RAW" && Exists(path) && rawFile.empty()) rawFile = path;
  const std::string recording = !dataFile.empty() ? dataFile : rawFile;
  if (recording.empty()) return {};
  return {recording, std::string(what) + " of the recording " + recording};
}

// True when both name one recording: the same folder and the same name before the extension.
bool SameRecordingName(const std::string& a, const std::string& b) {
  const PathParts pa = Split(Resolved(a)), pb = Split(Resolved(b));
  return pa.stem == pb.stem && SameFile(pa.folder, pb.folder);
}

std::string CannotWrite(const std::string& path, const std::string& why) {
  return "The file " + path + " cannot be written: " + why + ".";
}

}  // namespace

bool HasControlCharacter(const std::string& path) {
  for (const char c : path)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
  return false;
}

std::string ControlCharacterText(const std::string& path) {
  return "The file name \"" + PrintableName(path) +
         "\" holds a control character (such as a line break); a file of that name is not written.";
}

std::string PrintableName(const std::string& path) {
  std::string out;
  for (const char c : path) {
    const auto code = static_cast<unsigned char>(c);
    if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else if (c == '\t') out += "\\t";
    else if (code < 0x20 || code == 0x7F) {
      static const char* const kHex = "0123456789ABCDEF";
      out += "\\x";
      out += kHex[code >> 4];
      out += kHex[code & 15];
    } else {
      out += c;
    }
  }
  return out;
}

std::string OutputFailureText(const std::string& path, int error) {
  if (error == 0) return "The file " + path + " cannot be written.";
  return CannotWrite(path, std::strerror(error));
}

MessageRequest OutputRefusalMessage(const std::string& caption, const OutputCheck& check) {
  std::string text = check.Text();
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2)) text.replace(at, 1, "\r\n");
  return {caption, text, MsgIcon::Exclamation, MsgButtons::Ok};
}

std::string OutputCheck::Text() const {
  std::string text;
  for (const OutputRefusal& r : Refusals) text += (text.empty() ? "" : "\n") + r.Text;
  return text;
}

OutputPlan& OutputPlan::Input(const std::string& path, const std::string& role) {
  inputs_.emplace_back(path, role);
  return *this;
}

OutputPlan& OutputPlan::Inputs(const std::vector<std::string>& paths, const std::string& role) {
  for (const std::string& path : paths) Input(path, role);
  return *this;
}

OutputPlan& OutputPlan::Output(const std::string& path) {
  outputs_.push_back(path);
  return *this;
}

OutputPlan& OutputPlan::OwnRecording(const std::string& dataFile) {
  owned_.push_back(dataFile);
  return *this;
}

OutputPlan& OutputPlan::Records(const std::string& dataFile) {
  recorded_.push_back(dataFile);
  return *this;
}

OutputCheck OutputPlan::Check() const {
  OutputCheck check;
  for (const std::string& path : outputs_) {
    auto refuse = [&](OutputProblem problem, const std::string& text) {
      check.Refusals.push_back({path, problem, text});
    };
    if (HasControlCharacter(path)) {
      refuse(OutputProblem::ControlCharacter, ControlCharacterText(path));
      continue;
    }
    const auto input = std::find_if(inputs_.begin(), inputs_.end(),
                                    [&path](const auto& in) { return SameFile(in.first, path); });
    if (input != inputs_.end()) {
      refuse(OutputProblem::IsInput, CannotWrite(path, "it is " + input->second));
      continue;
    }
    const std::string extension = Split(path).extension;
    const bool recordingFile = extension == "DAT" || extension == "RAW" || extension == "MAP" || extension == "PRN";
    const auto recorded = std::find_if(recorded_.begin(), recorded_.end(), [&](const std::string& dataFile) {
      return recordingFile && SameRecordingName(dataFile, path);
    });
    if (recorded != recorded_.end()) {
      refuse(OutputProblem::IsRecording, CannotWrite(path, "it is part of the recording into " + *recorded + " that this run makes"));
      continue;
    }
    const RecordingPart part = PartOfRecording(path);
    if (!part.Recording.empty()) {
      const bool own = std::any_of(owned_.begin(), owned_.end(), [&part](const std::string& owner) {
        return SameRecordingName(owner, part.Recording);
      });
      if (!own) {
        refuse(OutputProblem::IsRecording, CannotWrite(path, "it is " + part.What));
        continue;
      }
    }
    const std::string target = Resolved(path);
    struct stat st{};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode))) {
      // Written in place: the device or the FIFO itself must take writing.
      if (::access(target.c_str(), W_OK) != 0) refuse(OutputProblem::NotWritable, CannotWrite(path, std::strerror(errno)));
      continue;
    }
    if (exists && !S_ISREG(st.st_mode)) {
      refuse(OutputProblem::NotAFile,
             CannotWrite(path, S_ISDIR(st.st_mode) ? std::strerror(EISDIR) : "it is not a file that can be written"));
      continue;
    }
    // A regular file is replaced through a temporary file in its folder.
    const PathParts p = Split(target);
    if (::access(p.folder.c_str(), W_OK | X_OK) != 0) {
      refuse(OutputProblem::NotWritable, CannotWrite(path, std::strerror(errno)));
      continue;
    }
    if (exists && ::access(target.c_str(), W_OK) != 0) {
      refuse(OutputProblem::NotWritable, CannotWrite(path, std::strerror(errno)));
      continue;
    }
    const long nameMax = ::pathconf(p.folder.c_str(), _PC_NAME_MAX);
    if (p.name.size() + kTemporarySuffix > static_cast<std::size_t>(nameMax > 0 ? nameMax : NAME_MAX)) {
      refuse(OutputProblem::NotWritable, CannotWrite(path, std::strerror(ENAMETOOLONG)));
    }
  }
  return check;
}

OutputCheck CheckOutput(const std::string& output, const std::vector<std::string>& inputs, const std::string& role) {
  OutputPlan plan;
  plan.Inputs(inputs, role).Output(output);
  return plan.Check();
}

}  // namespace tlx
