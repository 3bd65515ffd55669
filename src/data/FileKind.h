// What kind of the program's files a file is, for a file dropped on the desktop program's window:
// a setup or map file by its extension, a data file by its tag whatever its name.
#pragma once

#include <string>

namespace tlx {

enum class FileKind { Unknown, Data, Map, Setup };

FileKind DetectFileKind(const std::string& path);

}  // namespace tlx
