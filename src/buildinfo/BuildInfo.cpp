#include "buildinfo/BuildInfo.h"

#include "run/Program.h"

#include <string_view>

// The package's version comes from the build files, the program's from its source; they may not
// drift apart.
static_assert(std::string_view(tlx::kVersionText) == TLX_PROJECT_VERSION,
              "kVersionText and the project VERSION in CMakeLists.txt differ");

namespace tlx {

std::string VersionWithBuild() {
#if TLX_LOCAL_BUILD
  // Built with the placeholder maintainer or home page: not a published package.
  return std::string(kVersionText) + " (local build " + BuildCommit() + ")";
#else
  return std::string(kVersionText) + " (build " + BuildCommit() + ")";
#endif
}

std::string VersionLine(const std::string& programName) {
  return programName + " " + VersionWithBuild();
}

}  // namespace tlx
