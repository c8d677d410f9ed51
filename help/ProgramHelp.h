// A program's command-line help as data: its options, its commands and the
// prose of its manual page. `--help` and the manual page are both printed
// from it, so the two always agree.
#pragma once

#include <string>
#include <vector>

namespace help {

struct Option {
  std::string flags;  // "--machine", or "--yes, -y"
  std::string arg;    // "host|emulated[:BOARD]" or empty
  std::string text;
};

struct Command {
  std::string name;
  std::string usage;  // arguments after the command
  std::string text;
};

// A manual page section. Paragraphs are separated by blank lines; a line
// indented by two blanks is an example, set verbatim; a line starting with
// "- " is a list item.
struct Section {
  std::string title;
  std::string text;
};

struct ProgramHelp {
  std::string name;      // "torvikctl"
  std::string summary;   // one line, for NAME and the top of --help
  std::string synopsis;  // arguments after the program name
  std::vector<Option> options;
  std::vector<Command> commands;
  std::vector<Section> before;  // sections before OPTIONS (DESCRIPTION)
  std::vector<Section> after;   // sections after COMMANDS (EXIT STATUS, FILES, ...)
};

// "usage: NAME SYNOPSIS"
std::string UsageLine(const ProgramHelp& program);
// What --help prints: the usage line, the options and the commands.
std::string HelpText(const ProgramHelp& program);
// The manual page in man(7) markup, section 1.
std::string ManPage(const ProgramHelp& program, const std::string& version, const std::string& date);
// Text escaped for roff: backslashes, a leading dot or quote, and the
// hyphens that are minus signs (at the start of a word).
std::string RoffEscape(const std::string& text);

}  // namespace help
