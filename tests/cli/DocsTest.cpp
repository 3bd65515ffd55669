// The documents against the programs: the reference (the man pages' Markdown source) names every
// option of every command and no other, its tidy columns are the ones analyze writes, the built
// manual's links, anchors and pictures all resolve, and the statements a reader can check are
// true of the program.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace tlx {
namespace {

using test::RunCli;

std::string DocsFile(const std::string& name) { return test::ReadBytes(test::DataPath("../../docs/" + name)); }

// The section of a Markdown text under the heading line `heading`, up to the next heading of the
// same or a higher level.
std::string Section(const std::string& text, const std::string& heading) {
  const auto begin = text.find("\n" + heading + "\n");
  if (begin == std::string::npos) return {};
  const std::string level = heading.substr(0, heading.find(' '));
  std::string rest = text.substr(begin + heading.size() + 2);
  for (std::size_t at = 0; (at = rest.find("\n#", at)) != std::string::npos; ++at) {
    const std::size_t hashes = rest.find_first_not_of('#', at + 1) - (at + 1);
    if (hashes <= level.size()) return rest.substr(0, at);
  }
  return rest;
}

// The options a reference section describes: the bold names of its definition terms, the lines
// whose next text line starts a definition (":   ").
std::set<std::string> ReferenceOptions(const std::string& section) {
  std::set<std::string> options;
  std::vector<std::string> lines;
  std::stringstream in(section);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  const std::regex name(R"(\*\*\\?(-[a-z]|-[a-z-]+)\*\*)");
  for (std::size_t i = 0; i + 2 < lines.size(); ++i) {
    if (lines[i].rfind("**", 0) != 0 || lines[i + 2].rfind(":   ", 0) != 0) continue;
    for (std::sregex_iterator it(lines[i].begin(), lines[i].end(), name), end; it != end; ++it)
      options.insert((*it)[1]);
  }
  return options;
}

// The options a command's --help lists (help and version aside).
std::set<std::string> HelpOptions(const std::string& help) {
  std::set<std::string> options;
  const std::regex line(R"(\n  (-[a-z](?:,--[a-z-]+)?|--[a-z-]+))");
  for (std::sregex_iterator it(help.begin(), help.end(), line), end; it != end; ++it) {
    std::stringstream names((*it)[1]);
    for (std::string n; std::getline(names, n, ',');)
      if (n != "-h" && n != "--help" && n != "--version") options.insert(n);
  }
  return options;
}

std::string Joined(const std::set<std::string>& names) {
  std::string text;
  for (const auto& n : names) text += n + " ";
  return text;
}

// Every command --help lists (map and setup by their subcommands) has its section in the
// reference, with exactly the options the help lists; every help names the program, not a path,
// and ends with the exit status and the pointer to the man page.
TEST(Reference, EveryOptionOfEveryCommandIsDescribedAndNoOther) {
  const std::string page = DocsFile("man/tracelux-cli.1.md");
  ASSERT_FALSE(page.empty());
  std::vector<std::vector<std::string>> pending = {{}};
  std::size_t commands = 0;
  while (!pending.empty()) {
    std::vector<std::string> args = pending.back();
    pending.pop_back();
    std::string name;
    for (const auto& a : args) name += (name.empty() ? "" : " ") + a;
    args.push_back("--help");
    const auto help = RunCli(args);
    ASSERT_EQ(help.exitCode, 0) << name << ": " << help.err;
    args.pop_back();
    EXPECT_NE(help.out.find("Usage: tracelux-cli" + (name.empty() ? "" : " " + name) + " ["), std::string::npos)
        << help.out;
    EXPECT_NE(help.out.find("Exit status: 0 success"), std::string::npos) << name;
    EXPECT_NE(help.out.find("Full documentation: man tracelux-cli\n"), std::string::npos) << name;
    EXPECT_FALSE(std::regex_search(help.out, std::regex("\n  [-,A-Za-z]+ TEXT")))
        << name << ": a value typed TEXT\n" << help.out;
    const auto list = help.out.find("\nCommands:\n");
    if (list != std::string::npos) {
      const std::string block = help.out.substr(list, help.out.find("\n\n", list + 1) - list);
      const std::regex command("\n  ([a-z-]+) ");
      for (std::sregex_iterator it(block.begin(), block.end(), command), end; it != end; ++it) {
        pending.push_back(args);
        pending.back().push_back((*it)[1]);
      }
      continue;
    }
    ++commands;
    const std::string section = Section(page, "## " + name);
    ASSERT_FALSE(section.empty()) << "no section '## " << name << "'";
    EXPECT_EQ(Joined(ReferenceOptions(section)), Joined(HelpOptions(help.out))) << "options of " << name;
  }
  EXPECT_EQ(commands, 12u) << "ten commands, map and setup with two each";
}

// The reference's tidy columns are the header analyze writes, in its order.
TEST(Reference, TidyColumnsAreTheHeaderAnalyzeWrites) {
  const auto tidy = RunCli({"analyze", test::DataPath("worked_example.DAT"), "--format", "tidy"});
  ASSERT_EQ(tidy.exitCode, 0) << tidy.err;
  std::string header = tidy.out.substr(0, tidy.out.find_first_of("\r\n"));
  std::vector<std::string> written;
  std::stringstream in(header);
  for (std::string column; std::getline(in, column, ',');) written.push_back(column);

  const std::string table = Section(DocsFile("man/tracelux-cli.1.md"), "# TIDY TABLE");
  std::vector<std::string> documented;
  std::stringstream rows(table);
  for (std::string row; std::getline(rows, row);) {
    if (row.rfind("| ", 0) != 0 || row.rfind("| column", 0) == 0) continue;
    std::string column = row.substr(2, row.find(" |", 2) - 2);
    column = std::regex_replace(column, std::regex(R"(\\_\*UNIT\*)"), "_");
    documented.push_back(column);
  }
  ASSERT_EQ(documented.size(), written.size()) << header;
  for (std::size_t i = 0; i < written.size(); ++i) {
    if (documented[i] == "distance_")
      EXPECT_EQ(written[i].rfind("distance_", 0), 0u) << written[i];
    else
      EXPECT_EQ(documented[i], written[i]) << "column " << i + 1;
  }
}

// Words that are no command are refused with the commands and, for a near miss, the nearest;
// "help" is the help; ranges are said in plain numbers; the plot program names itself.
TEST(Reference, CommandLineConventions) {
  const auto bogus = RunCli({"bogus"});
  EXPECT_EQ(bogus.exitCode, 2);
  EXPECT_EQ(bogus.err.rfind("Unknown command 'bogus'. Commands: setup, map, analyze,", 0), 0u) << bogus.err;
  const auto nearMiss = RunCli({"anlyze", "X.DAT"});
  EXPECT_EQ(nearMiss.exitCode, 2);
  EXPECT_NE(nearMiss.err.find("Did you mean 'analyze'?"), std::string::npos) << nearMiss.err;
  const auto inner = RunCli({"map", "shwo", "X.MAP"});
  EXPECT_NE(inner.err.find("Unknown command 'shwo'. Did you mean 'show'? Commands: show, import."),
            std::string::npos) << inner.err;

  const auto help = RunCli({"help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.out, RunCli({"--help"}).out);

  const auto jobs = RunCli({"analyze", "X.DAT", "-j", "0"});
  EXPECT_EQ(jobs.exitCode, 2);
  EXPECT_EQ(jobs.err.rfind("-j: 0 is not from 1 to 256\n", 0), 0u) << jobs.err;
  const auto length = RunCli({"demo", "--length", "7"});
  EXPECT_EQ(length.exitCode, 2);
  EXPECT_NE(length.err.find("from 5 s to 3600 s"), std::string::npos) << length.err;

  const std::string plot = std::filesystem::path(TLX_CLI_PATH).parent_path() / "tracelux-plot";
  if (std::filesystem::exists(plot)) {
    FILE* version = ::popen((plot + " --version").c_str(), "r");
    ASSERT_NE(version, nullptr);
    char line[200] = {};
    ASSERT_NE(std::fgets(line, sizeof line, version), nullptr);
    ::pclose(version);
    EXPECT_EQ(std::string(line).rfind("tracelux-plot 3.", 0), 0u) << line;
  }
}

// demo without --dir leaves nothing behind in the temporary folder.
TEST(Reference, DemoRemovesTheTemporaryFolderItMade) {
  test::TempDir tmp;
  ::setenv("TMPDIR", tmp.Path().c_str(), 1);
  const auto demo = RunCli({"demo", "--sessions", "1", "--length", "5"});
  ::unsetenv("TMPDIR");
  ASSERT_EQ(demo.exitCode, 0) << demo.err;
  EXPECT_NE(demo.out.find("is removed now; give --dir DIR to keep the files."), std::string::npos) << demo.out;
  EXPECT_TRUE(std::filesystem::is_empty(tmp.Path()));
}

// Every page of the built manual: each link to a page of it, each #anchor and each picture
// resolves (a link to a heading that lost its id lands at the top of the page instead).
TEST(Manual, EveryLinkAnchorAndPictureOfTheBuiltManualResolves) {
  namespace fs = std::filesystem;
  const fs::path manual = fs::path(TLX_CLI_PATH).parent_path().parent_path().parent_path() / "docs/manual";
  if (!fs::exists(manual / "index.html")) GTEST_SKIP() << "the manual is not built (pandoc missing)";
  std::map<std::string, std::set<std::string>> ids;
  std::map<std::string, std::string> pages;
  for (const auto& entry : fs::directory_iterator(manual)) {
    if (entry.path().extension() != ".html") continue;
    const std::string html = test::ReadBytes(entry.path());
    pages[entry.path().filename()] = html;
    const std::regex id(R"x( id="([^"]+)")x");
    for (std::sregex_iterator it(html.begin(), html.end(), id), end; it != end; ++it)
      ids[entry.path().filename()].insert((*it)[1]);
  }
  EXPECT_EQ(pages.size(), 13u) << "eleven chapters and two reference pages";
  std::size_t anchors = 0, links = 0;
  const std::regex target(R"x((href|src)="([^"]*)")x");
  for (const auto& [name, html] : pages) {
    for (std::sregex_iterator it(html.begin(), html.end(), target), end; it != end; ++it) {
      const std::string to = (*it)[2];
      if (to.rfind("http", 0) == 0 || to.rfind("mailto:", 0) == 0) continue;
      const std::string file = to.substr(0, to.find('#'));
      const std::string anchor = to.find('#') == std::string::npos ? "" : to.substr(to.find('#') + 1);
      const std::string page = file.empty() ? name : file;
      ++links;
      EXPECT_TRUE(fs::exists(manual / page)) << name << " -> " << to;
      if (!anchor.empty()) {
        ++anchors;
        EXPECT_TRUE(ids[page].count(anchor)) << name << " -> " << to << ": no such heading";
      }
    }
  }
  EXPECT_GT(links, 150u);
  EXPECT_GE(anchors, 8u);
}

// Statements of the manual that follow from the program or from its own other pages.
TEST(Manual, CheckableStatementsAreTrue) {
  // The start-time example's bytes are the little-endian bytes of its count.
  const std::string formats = DocsFile("manual/file-formats.md");
  const std::uint32_t count = 3155785200u;
  char bytes[32];
  std::snprintf(bytes, sizeof bytes, "(bytes %02X %02X %02X %02X)", count & 0xFF, (count >> 8) & 0xFF,
                (count >> 16) & 0xFF, count >> 24);
  EXPECT_NE(formats.find("stored as 3,155,785,200 " + std::string(bytes)), std::string::npos) << bytes;

  // Every file of the program home that getting-started lists has its place in File formats.
  const std::string settings = Section(formats, "## Program settings");
  const std::string home = Section(DocsFile("manual/getting-started.md"), "## The program home");
  const std::regex row(R"(\n\| ([^|]+) \|)");
  std::size_t files = 0;
  for (std::sregex_iterator it(home.begin(), home.end(), row), end; it != end; ++it) {
    std::stringstream names((*it)[1]);
    for (std::string n; std::getline(names, n, ',');) {
      n.erase(0, n.find_first_not_of(' '));
      if (n == "file" || n.rfind("---", 0) == 0) continue;
      ++files;
      EXPECT_NE(settings.find(n), std::string::npos) << n << " is not in File formats";
    }
  }
  EXPECT_GE(files, 14u);

  // Every key of a menu item is in the Keys table, with its item's caption.
  const std::string window = test::ReadBytes(test::DataPath("../../src/app/MainWindow.cpp"));
  const std::string keys = Section(DocsFile("manual/getting-started.md"), "## Keys");
  const std::map<std::string, std::string> standard = {
      {"Open", "Ctrl+O"}, {"Save", "Ctrl+S"}, {"Print", "Ctrl+P"}, {"Undo", "Ctrl+Z"}};
  const std::regex item(R"re(add\([a-zA-Z_]+, "mnu[A-Za-z]+", QStringLiteral\("([^"]+)"\),\s*QKeySequence(?:::([A-Za-z]+)|\(([^)]*)\)))re");
  std::size_t shortcuts = 0;
  for (std::sregex_iterator it(window.begin(), window.end(), item), end; it != end; ++it) {
    std::string caption = std::regex_replace((*it)[1].str(), std::regex("&"), "");
    std::string key;
    if ((*it)[2].matched) {
      key = standard.at((*it)[2]);
    } else {
      const std::string spec = (*it)[3];
      if (spec.find("CTRL") != std::string::npos) key += "Ctrl+";
      if (spec.find("SHIFT") != std::string::npos) key += "Shift+";
      key += spec.substr(spec.rfind("Key_") + 4);
    }
    ++shortcuts;
    const auto at = keys.find("\n| " + key + " |");
    ASSERT_NE(at, std::string::npos) << key << " (" << caption << ") is not in the Keys table";
    EXPECT_NE(keys.substr(at, keys.find('\n', at + 1) - at).find("> " + caption), std::string::npos) << key;
  }
  EXPECT_GE(shortcuts, 15u);

  // Where the manual is installed, as the documents say it.
  for (const char* page : {"man/tracelux.1.md", "man/tracelux-cli.1.md"}) {
    const std::string text = DocsFile(page);
    EXPECT_NE(text.find("/usr/share/tracelux/manual/index.html"), std::string::npos) << page;
    EXPECT_EQ(text.find("share/doc/tracelux/manual"), std::string::npos) << page;
  }
}

}  // namespace
}  // namespace tlx
