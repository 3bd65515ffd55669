// The hand-made map files of the tests' data folder (tests/data/zonemap).
#pragma once

#include <string>

namespace tlx::test {

inline std::string Golden(const std::string& name) {
  return std::string(TLX_TEST_DATA) + "/zonemap/" + name;
}

}  // namespace tlx::test
