// Path and file-name handling over plain texts; "/" and "\" both separate directories.
#include "common/Paths.h"

#include "common/Texts.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace tlx {

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

std::size_t LastSeparator(const std::string& path) {
  return path.find_last_of("/\\");
}

bool HasDriveLetter(const std::string& path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

bool IsRegularOrOther(const std::string& path) {
  return path.find('\0') == std::string::npos && ::access(path.c_str(), F_OK) == 0;
}

}  // namespace

std::string JoinPath(const std::string& directory, const std::string& name) {
  if (!directory.empty() && IsSeparator(directory.back())) return directory + name;
  return directory + "/" + name;
}

std::string ChangeExtension(const std::string& path, const std::string& extension) {
  if (path.empty()) return {};
  const std::string ext = Trim(extension);
  std::string base = path;
  const std::size_t found = path.find_last_of("/\\.");
  if (found != std::string::npos && path[found] == '.' && found + 1 < path.size()) {
    base = path.substr(0, found);
  }
  if (ext.empty()) return base;
  return base + "." + ext;
}

std::string FileNamePart(const std::string& path) {
  std::size_t found = LastSeparator(path);
  // A drive letter of another system ('C:A.DAT') ends at its colon. Anywhere else a colon is an
  // ordinary character of a name here ('RAT 12:30.DAT'), so it does not cut the name.
  if (found == std::string::npos && HasDriveLetter(path)) found = 1;
  if (found == std::string::npos) return {};
  return path.substr(found + 1);
}

std::string DirectoryPart(const std::string& path) {
  std::string text = path;
  if (!text.empty() && IsSeparator(text.back())) text.pop_back();
  const std::size_t found = LastSeparator(text);
  if (found == std::string::npos) return text;
  return text.substr(0, found);
}

std::string ExtensionPart(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot + 1 == path.size()) return {};
  return ToUpper(path.substr(dot + 1));
}

std::string AbsolutePath(const std::string& path) {
  if (!path.empty() && path.front() == '/') return path;
  std::vector<char> buffer(4096);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE || buffer.size() >= (1u << 20)) return path;
    buffer.resize(buffer.size() * 2);
  }
  return JoinPath(std::string(buffer.data()), path);
}

std::string FindCompanionFile(const std::string& path) {
  if (path.empty()) return {};
  if (IsRegularOrOther(path)) return path;
  // The same name with the extension in another case, in the same directory.
  const std::size_t slash = path.rfind('/');
  const std::string directory = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos || directory.find('\0') != std::string::npos) return {};
  const std::string stem = name.substr(0, dot + 1);
  const std::string extension = ToUpper(name.substr(dot + 1));

  std::vector<std::string> candidates;
  if (DIR* dir = ::opendir(directory.c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      const std::string entryName = entry->d_name;
      if (entryName.size() == name.size() && entryName.compare(0, stem.size(), stem) == 0 &&
          ToUpper(entryName.substr(stem.size())) == extension) {
        candidates.push_back(entryName);
      }
    }
    ::closedir(dir);
  }
  if (candidates.empty()) return {};
  std::sort(candidates.begin(), candidates.end());  // the same answer whatever the listing order
  return slash == std::string::npos ? candidates.front() : directory + candidates.front();
}

}  // namespace tlx
