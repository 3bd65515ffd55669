// Path and file-name handling. Both "/" and "\" count as directory separators when a path is
// read, so names written on other systems still split; JoinPath inserts "/".
#pragma once

#include <string>

namespace tlx {

std::string JoinPath(const std::string& directory, const std::string& name);
std::string ChangeExtension(const std::string& path, const std::string& extension);
// The text after the last separator; a leading drive letter ('C:A.DAT') counts as one.
std::string FileNamePart(const std::string& path);
std::string DirectoryPart(const std::string& path);
std::string ExtensionPart(const std::string& path);
// The path made absolute against the current directory (no symlink resolution).
std::string AbsolutePath(const std::string& path);
// Finds a companion file: the exact name first, then the same name with its extension in any
// case (e.g. "RUN.map" for "RUN.MAP"). Empty text when neither exists.
std::string FindCompanionFile(const std::string& path);

}  // namespace tlx
