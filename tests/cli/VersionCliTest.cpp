// tracelux-cli --version: one line with the version and the build's commit, before any command.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <regex>

namespace tlx {
namespace {

TEST(CliVersion, OneLineWithVersionAndCommitAndSuccess) {
  const std::regex line(R"(tracelux-cli 3\.20 \(build [0-9A-Za-z._/+-]+\)\n)");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--version"}, {"--version", "analyze"}}) {
    const auto out = test::RunCli(args);
    EXPECT_EQ(out.exitCode, 0) << out.err;
    EXPECT_TRUE(std::regex_match(out.out, line)) << out.out;
  }
  // Without a command it is still a usage error.
  EXPECT_EQ(test::RunCli({}).exitCode, 2);
}

}  // namespace
}  // namespace tlx
