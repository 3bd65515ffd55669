// Which file a path names, known by the file system's identity and never by the path's spelling:
// "./d/K.DAT", "/x/d/K.DAT", "d/../d/K.DAT" and a path through a symbolic link name one file.
#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <vector>

namespace tlx {

// An existing file: its device and inode (links followed). A file not there yet: its folder's
// device and inode and its name in that folder.
struct FileIdentity {
  std::uint64_t Device = 0, Inode = 0;
  bool Exists = false;
  std::string Name;  // only for a file not there yet
  auto operator<=>(const FileIdentity&) const = default;
};

// False when neither the file nor its folder can be reached; `error` then holds the system's
// error number.
bool IdentifyFile(const std::string& path, FileIdentity& id, int* error = nullptr);

// True when both paths name one file. Two paths that cannot be identified are one file only when
// they are spelt alike.
bool SameFile(const std::string& a, const std::string& b);

// A set of files known by identity, for "is this one of the files being read".
class FileIdentitySet {
 public:
  FileIdentitySet() = default;
  explicit FileIdentitySet(const std::vector<std::string>& paths);
  void Add(const std::string& path);
  // The path of the member that `path` names, or empty text when none.
  std::string Find(const std::string& path) const;
  bool Contains(const std::string& path) const { return !Find(path).empty(); }

 private:
  std::vector<std::pair<FileIdentity, std::string>> members_;
  std::vector<std::string> unidentified_;
};

}  // namespace tlx
