# Run as a script at every build: writes the source tree's commit ("git describe --always --dirty")
# into OUTPUT as a one-function source file. The file is rewritten only when the text changes, so a
# build without a new commit recompiles nothing, and a new commit recompiles only this file.
# A source tree without git is built as the commit its file ".build-commit" names (./dev writes it
# into the copy it builds the Debian package from), else as "unknown" (an unpacked tarball).
#   cmake -DSOURCE_DIR=... -DOUTPUT=... -P BuildCommit.cmake
set(commit "unknown")
find_package(Git QUIET)
# Only the tree's own .git counts: a tarball unpacked inside another repository is not that commit.
if(GIT_FOUND AND EXISTS "${SOURCE_DIR}/.git")
  execute_process(COMMAND "${GIT_EXECUTABLE}" -C "${SOURCE_DIR}" describe --always --dirty
                  OUTPUT_VARIABLE described RESULT_VARIABLE result
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(result EQUAL 0 AND NOT described STREQUAL "")
    set(commit "${described}")
  endif()
endif()
if(commit STREQUAL "unknown" AND EXISTS "${SOURCE_DIR}/.build-commit")
  file(STRINGS "${SOURCE_DIR}/.build-commit" named LIMIT_COUNT 1)
  if(NOT named STREQUAL "")
    set(commit "${named}")
  endif()
endif()
string(REPLACE "\\" "\\\\" commit "${commit}")
string(REPLACE "\"" "\\\"" commit "${commit}")

set(text "// Written at build time from the source tree's git state; not kept in the repository.
#include \"buildinfo/BuildInfo.h\"

const char* tlx::BuildCommit() { return \"${commit}\"; }
")
set(old "")
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
endif()
if(NOT old STREQUAL text)
  file(WRITE "${OUTPUT}" "${text}")
endif()
