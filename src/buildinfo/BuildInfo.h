// The programs' version and the commit they were built from, as --version and the About box show
// them.
#pragma once

#include <string>

namespace tlx {

// "git describe --always --dirty" of the source tree at build time ("50937c5", "50937c5-dirty",
// a tag), or "unknown" for a tree without git.
const char* BuildCommit();

// "3.20 (build 50937c5)": the version text and the build's commit; "3.20 (build 50937c5, local
// build)" when built with the placeholder maintainer or home page (cmake/Packaging.cmake).
std::string VersionWithBuild();

// One line for --version: the program's name, a blank and VersionWithBuild().
std::string VersionLine(const std::string& programName);

}  // namespace tlx
