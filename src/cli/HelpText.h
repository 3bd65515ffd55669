// How the command line's help reads: plain range checks, the footer every command ends with, and
// the top-level command dispatch's answer to a word that is not a command.
#pragma once

#include <CLI/CLI.hpp>

#include <cstdint>
#include <string>

namespace tlx::cli {

// A whole number from lo to hi, refused in those words ("0 is not from 1 to 64"). Its description
// is empty, so the help shows the option's type name alone and says the range in its text.
inline CLI::Validator Between(std::int64_t lo, std::int64_t hi) {
  return CLI::Validator(
      [lo, hi](std::string& text) {
        std::int64_t value = 0;
        if (!CLI::detail::lexical_cast(text, value)) return "'" + text + "' is not a whole number";
        if (value < lo || value > hi)
          return text + " is not from " + std::to_string(lo) + " to " + std::to_string(hi);
        return std::string();
      },
      "");
}

// Choices checked as CLI::IsMember does, listed in the option's text instead of its type.
inline CLI::Validator OneOf(std::vector<std::string> choices) {
  return CLI::IsMember(std::move(choices)).description("");
}

// The last lines of every command's help.
inline const std::string kExitStatusFooter =
    "Exit status: 0 success, 1 the work failed (standard error says which file and why),\n"
    "2 a usage error, 3 (run) the run ended before its last session.\n"
    "Full documentation: man tracelux-cli";

// The answer to `tracelux-cli WORD` when WORD is none of the commands of app: the commands, and
// the nearest one when WORD is a near miss. Empty when WORD is a command.
std::string UnknownCommandMessage(const CLI::App& app, const std::string& word);

}  // namespace tlx::cli
