#include "help/ProgramHelp.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace help {

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// A line that roff would take for a request gets a zero-width start.
std::string RoffLine(const std::string& text) {
  std::string escaped = RoffEscape(text);
  if (!escaped.empty() && (escaped[0] == '.' || escaped[0] == '\'')) escaped = "\\&" + escaped;
  return escaped + "\n";
}

std::string Bold(const std::string& s) { return "\\fB" + RoffEscape(s) + "\\fR"; }
std::string Italic(const std::string& s) { return "\\fI" + RoffEscape(s) + "\\fR"; }

void AppendSection(std::string& out, const Section& section) {
  out += ".SH " + Upper(section.title) + "\n";
  bool inExample = false, paragraphOpen = false;
  for (const std::string& line : Lines(section.text)) {
    const bool example = line.rfind("  ", 0) == 0;
    if (example != inExample) {
      out += example ? ".PP\n.EX\n" : ".EE\n";
      inExample = example;
      paragraphOpen = false;
    }
    if (example) {
      out += RoffLine(line.substr(2));
    } else if (line.empty()) {
      paragraphOpen = false;
    } else if (line.rfind("- ", 0) == 0) {
      out += ".IP \\(bu 2\n" + RoffLine(line.substr(2));
      paragraphOpen = true;
    } else {
      if (!paragraphOpen) out += ".PP\n";
      out += RoffLine(line);
      paragraphOpen = true;
    }
  }
  if (inExample) out += ".EE\n";
}

}  // namespace

std::string RoffEscape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const char before = i ? text[i - 1] : ' ';
    if (c == '\\') out += "\\e";
    else if (c == '-' && (before == ' ' || before == '-' || before == '[' || before == '(' || before == '|' ||
                          before == '\''))
      out += "\\-";
    else out += c;
  }
  return out;
}

std::string UsageLine(const ProgramHelp& program) { return "usage: " + program.name + " " + program.synopsis; }

std::string HelpText(const ProgramHelp& program) {
  std::string out = UsageLine(program) + "\n" + program.summary + "\n";
  // Rows of 100 columns: the description wraps under itself.
  constexpr size_t kColumns = 100;
  auto row = [&](const std::string& left, const std::string& text, size_t width) {
    std::string line = "  " + left;
    if (line.size() < width) line.resize(width, ' ');
    else line += "\n" + std::string(width, ' ');
    size_t column = width;
    std::istringstream words(text);
    for (std::string word; words >> word;) {
      if (column > width && column + 1 + word.size() > kColumns) {
        line += "\n" + std::string(width, ' ');
        column = width;
      }
      line += " " + word;
      column += 1 + word.size();
    }
    out += line + "\n";
  };
  if (!program.options.empty()) {
    out += "\noptions:\n";
    for (const Option& o : program.options) row(o.flags + (o.arg.empty() ? "" : " " + o.arg), o.text, 34);
  }
  if (!program.commands.empty()) {
    out += "\ncommands:\n";
    for (const Command& c : program.commands) {
      std::string name = c.name;
      name.resize(std::max<size_t>(name.size(), 8), ' ');
      row(name + " " + c.usage, c.text, 44);
    }
  }
  return out;
}

std::string ManPage(const ProgramHelp& program, const std::string& version, const std::string& date) {
  std::string out = ".\\\" Generated from the program's own help table; do not edit.\n";
  out += ".TH " + Upper(program.name) + " 1 \"" + date + "\" \"" + program.name + " " + version +
         "\" \"User Commands\"\n";
  out += ".SH NAME\n" + program.name + " \\- " + RoffEscape(program.summary) + "\n";
  out += ".SH SYNOPSIS\n.B " + program.name + "\n" + RoffLine(program.synopsis);
  for (const Section& s : program.before) AppendSection(out, s);
  if (!program.options.empty()) {
    out += ".SH OPTIONS\n";
    for (const Option& o : program.options) {
      std::string head;
      std::istringstream flags(o.flags);
      for (std::string flag; std::getline(flags, flag, ',');) {
        flag.erase(0, flag.find_first_not_of(' '));
        head += (head.empty() ? "" : ", ") + Bold(flag);
      }
      if (!o.arg.empty()) head += " " + Italic(o.arg);
      out += ".TP\n" + head + "\n" + RoffLine(o.text);
    }
  }
  if (!program.commands.empty()) {
    out += ".SH COMMANDS\n";
    for (const Command& c : program.commands)
      out += ".TP\n" + Bold(c.name) + (c.usage.empty() ? "" : " " + Italic(c.usage)) + "\n" + RoffLine(c.text);
  }
  for (const Section& s : program.after) AppendSection(out, s);
  return out;
}

}  // namespace help
