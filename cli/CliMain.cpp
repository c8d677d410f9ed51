// torvikctl's commands: the global options, then the command's verb.
#include "cli/CliMain.h"

#include <cstdio>
#include <string>

#include "cli/CliHelp.h"
#include "cli/Exit.h"
#include "cli/Verbs.h"
#include "emu/BoardDescription.h"
#include "emu/chips/DumpTargets.h"
#include "machines/MachineSelect.h"

namespace cli {

namespace {

void PrintHelp(FILE* out) { std::fputs(help::HelpText(TorvikctlHelp()).c_str(), out); }

// A machine name is an argument like any other: a misspelt one is a usage
// error, found before a command starts.
bool KnownMachine(const std::string& name) {
  if (name == "host" || name == "emulated") return true;
  const std::string prefix = "emulated:";
  return name.rfind(prefix, 0) == 0 && emu::FindBoard(name.substr(prefix.size())) != nullptr;
}

}  // namespace

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
      if (i + 1 >= argc) {
        std::fprintf(stderr, "usage: torvikctl --load-dump CHIP=FILE <command>\n");
        return kExitUsage;
      }
      const std::string spec = argv[++i];
      const size_t eq = spec.find('=');
      const bool wellFormed = eq != std::string::npos && eq > 0 && eq + 1 < spec.size();
      std::string error;
      if (!emu::RequestDumpLoad(spec, &error)) {
        // A malformed argument is a usage error; a file that cannot be read
        // or parsed is a refused operation.
        std::fprintf(stderr, "torvikctl: %s\n", error.c_str());
        if (wellFormed) return kExitFailed;
        std::fprintf(stderr, "usage: torvikctl --load-dump CHIP=FILE <command>\n");
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
      return FinishOutput(kExitOk);
    } else {
      rest.push_back(a);
    }
  }
  if (emu::HasRequestedDumps() && options.machine.rfind("emulated", 0) != 0) {
    // A dump only ever replaces an emulated chip's registers.
    std::fprintf(stderr, "torvikctl: --load-dump needs --machine emulated[:BOARD], not '%s'\n",
                 options.machine.c_str());
    return kExitUsage;
  }
  if (rest.empty()) {
    PrintHelp(stderr);
    return kExitUsage;
  }
  std::string machineError;
  if (!machines::MachineSpecValid(options.machine, &machineError)) {
    std::fprintf(stderr, "torvikctl: %s\nusage: torvikctl --machine host|emulated[:BOARD] <command>\n",
                 machineError.c_str());
    return kExitUsage;
  }
  const Verb* verb = FindVerb(rest[0]);
  if (!verb) {
    std::fprintf(stderr, "torvikctl: unknown command '%s'\n", rest[0].c_str());
    PrintHelp(stderr);
    return kExitUsage;
  }
  if (!KnownMachine(options.machine)) {
    std::fprintf(stderr, "torvikctl: unknown machine '%s' (see 'torvikctl machines')\n", options.machine.c_str());
    std::fprintf(stderr, "usage: torvikctl --machine host|emulated[:BOARD] <command>\n");
    return kExitUsage;
  }
  Args args(rest.begin() + 1, rest.end());
  // Verbs check their arguments first and then ask the session for what
  // they need, so that a bad argument never touches the hardware.
  Session session(options);
  return FinishOutput(verb->run(session, args));
}

}  // namespace cli
