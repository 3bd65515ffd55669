// Tables of cases for the tests: each row's input goes through one function and the result is
// compared with the row's expected value; a failure names the input that caused it.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

namespace tlx::test {

template <class In, class Out, class F>
void ExpectEach(F function, std::initializer_list<std::pair<In, Out>> rows) {
  for (const auto& [in, want] : rows) {
    EXPECT_EQ(function(in), want) << "input " << testing::PrintToString(in);
  }
}

}  // namespace tlx::test
