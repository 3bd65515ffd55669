#include "data/FileKind.h"

#include "common/FileChecks.h"
#include "common/Paths.h"
#include "common/Texts.h"
#include "data/DataFile.h"

namespace tlx {

// A setup or map file goes by its extension first: the older binary setup file shares its tag
// with data files of the second version.
FileKind DetectFileKind(const std::string& path) {
  if (!FileExists(path)) return FileKind::Unknown;
  const std::string extension = ExtensionPart(path);
  if (SameText(extension, "EXP") || SameText(extension, "CFG")) return FileKind::Setup;
  if (SameText(extension, "MAP")) return FileKind::Map;
  if (DataFileVersion(path) != 0) return FileKind::Data;
  return FileKind::Unknown;
}

}  // namespace tlx
