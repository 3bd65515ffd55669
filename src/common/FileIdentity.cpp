#include "common/FileIdentity.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

namespace tlx {

bool IdentifyFile(const std::string& path, FileIdentity& id, int* error) {
  id = FileIdentity{};
  if (path.empty() || path.find('\0') != std::string::npos) {
    if (error) *error = ENOENT;
    return false;
  }
  struct stat st{};
  if (::stat(path.c_str(), &st) == 0) {
    id.Device = st.st_dev;
    id.Inode = st.st_ino;
    id.Exists = true;
    return true;
  }
  if (errno != ENOENT) {
    if (error) *error = errno;
    return false;
  }
  // Not there yet: the folder it would be created in, and its name there. A name ending in "/"
  // names a folder, not a file in one.
  std::size_t end = path.size();
  while (end > 1 && path[end - 1] == '/') --end;
  const std::size_t slash = path.rfind('/', end - 1);
  const std::size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  std::string name = path.substr(nameAt, end - nameAt);
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    if (error) *error = S_ISDIR(st.st_mode) || st.st_mode == 0 ? errno : ENOTDIR;
    return false;
  }
  id.Device = st.st_dev;
  id.Inode = st.st_ino;
  id.Name = std::move(name);
  return true;
}

bool SameFile(const std::string& a, const std::string& b) {
  FileIdentity ia, ib;
  const bool knownA = IdentifyFile(a, ia), knownB = IdentifyFile(b, ib);
  if (knownA && knownB) return ia == ib;
  return !knownA && !knownB && a == b;
}

FileIdentitySet::FileIdentitySet(const std::vector<std::string>& paths) {
  for (const std::string& path : paths) Add(path);
}

void FileIdentitySet::Add(const std::string& path) {
  FileIdentity id;
  if (IdentifyFile(path, id)) members_.emplace_back(std::move(id), path);
  else unidentified_.push_back(path);
}

std::string FileIdentitySet::Find(const std::string& path) const {
  FileIdentity id;
  if (!IdentifyFile(path, id))
    return std::find(unidentified_.begin(), unidentified_.end(), path) != unidentified_.end() ? path : std::string();
  for (const auto& [member, memberPath] : members_)
    if (member == id) return memberPath;
  return {};
}

}  // namespace tlx
