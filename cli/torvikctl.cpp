// torvikctl: every capability of the tuning utility without a window.
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/Verbs.h"
#include "emu/chips/DumpTargets.h"

namespace cli {

namespace {

const std::vector<const std::vector<Verb>*>& VerbTables() {
  static const std::vector<const std::vector<Verb>*> tables = {&StatusVerbs(), &LowLevelVerbs(), &DmiVerbs(), &PciVerbs(), &CpuVerbs(), &SmbusVerbs(), &SuperioVerbs(), &MonitorVerbs(), &SensorVerbs(), &ClockVerbs()};
  return tables;
}

void PrintHelp(FILE* out) {
  std::fprintf(out,
               "usage: torvikctl [--machine host|emulated[:BOARD]] [--load-dump CHIP=FILE] [--json] [--yes] <command> [arguments]\n\n"
               "commands:\n");
  for (const auto* table : VerbTables())
    for (const auto& v : *table) std::fprintf(out, "  %-8s %-34s %s\n", v.name, v.usage, v.help);
}

}  // namespace

const Verb* FindVerb(const std::string& name) {
  for (const auto* table : VerbTables())
    for (const auto& v : *table)
      if (name == v.name) return &v;
  return nullptr;
}

int Usage(const Verb& verb) {
  std::fprintf(stderr, "usage: torvikctl %s %s\n", verb.name, verb.usage);
  return kExitUsage;
}

int Main(int argc, char** argv) {
  GlobalOptions options;
  Args rest;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--machine" || a == "-m") {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "usage: torvikctl --machine host|emulated[:BOARD] <command>\n");
        return kExitUsage;
      }
      options.machine = argv[++i];
    } else if (a.rfind("--machine=", 0) == 0) {
      options.machine = a.substr(10);
    } else if (a == "--load-dump") {
      std::string error;
      if (i + 1 >= argc || !emu::RequestDumpLoad(argv[++i], &error)) {
        std::fprintf(stderr, "torvikctl: %s\n", error.empty() ? "--load-dump takes CHIP=FILE" : error.c_str());
        return kExitUsage;
      }
    } else if (a == "--json") {
      options.json = true;
    } else if (a == "--yes" || a == "-y") {
      options.yes = true;
    } else if (a == "--virtual-time") {
      options.virtualTime = true;
    } else if (a == "--help" || a == "-h") {
      PrintHelp(stdout);
      return kExitOk;
    } else {
      rest.push_back(a);
    }
  }
  if (rest.empty()) {
    PrintHelp(stderr);
    return kExitUsage;
  }
  const Verb* verb = FindVerb(rest[0]);
  if (!verb) {
    std::fprintf(stderr, "torvikctl: unknown command '%s'\n", rest[0].c_str());
    PrintHelp(stderr);
    return kExitUsage;
  }
  Args args(rest.begin() + 1, rest.end());
  // Verbs check their arguments first and then ask the session for what
  // they need, so that a bad argument never touches the hardware.
  Session session(options);
  return verb->run(session, args);
}

}  // namespace cli

int main(int argc, char** argv) { return cli::Main(argc, argv); }
