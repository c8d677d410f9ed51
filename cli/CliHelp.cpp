// The command table of torvikctl and its help: what --help prints and what
// the manual page torvikctl(1) is generated from.
#include "cli/CliHelp.h"

#include <cstdio>

#include "cli/Verbs.h"

namespace cli {

const std::vector<const std::vector<Verb>*>& VerbTables() {
  static const std::vector<const std::vector<Verb>*> tables = {
      &StatusVerbs(), &LowLevelVerbs(), &DmiVerbs(),  &PciVerbs(),  &CpuVerbs(),   &SmbusVerbs(),
      &SuperioVerbs(), &MonitorVerbs(), &SensorVerbs(), &VoltVerbs(), &ClockVerbs(), &MemoryVerbs(),
      &ProfileVerbs(), &RulesVerbs(), &ZundoVerbs(), &ValidateVerbs(), &GpuVerbs()};
  return tables;
}

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

const help::ProgramHelp& TorvikctlHelp() {
  static const help::ProgramHelp program = [] {
    help::ProgramHelp p;
    p.name = "torvikctl";
    p.summary = "every capability of the Brenmor Torvik Tuning Utility without a window";
    p.synopsis = "[--machine host|emulated[:BOARD]] [--load-dump CHIP=FILE] [--json] [--yes] <command> [arguments]";
    p.options = {
        {"--machine, -m", "host|emulated[:BOARD]",
         "The machine to work on: this computer through the kernel's facilities (host, the default; root needed "
         "for I/O ports, MSRs and physical memory), or an emulated board (see the machines command)."},
        {"--load-dump", "CHIP=FILE",
         "Replace every register of an emulated chip with a saved isadump or i2cdump output (emulated machines "
         "only; the chip names of a board are listed by 'machines --chips')."},
        {"--json", "", "Print listings as JSON (the same as --format json where a command takes --format)."},
        {"--yes, -y", "", "Allow commands that write registers; they print what they changed."},
        {"--virtual-time", "", "Run an emulated board on virtual time instead of the real clock."},
        {"--help, -h", "", "Print this help and exit."},
    };
    for (const auto* table : VerbTables())
      for (const auto& v : *table) p.commands.push_back({v.name, v.usage, v.help});
    p.before = {{"Description",
                 "torvikctl reads and tunes the processor, memory, clock generators, voltage controllers and "
                 "monitoring chips of a Brenmor board from the command line, through the same hardware SDK as "
                 "the window torviktune(1).\n\n"
                 "All hardware access goes through one driver channel. On the host it uses Linux's own "
                 "facilities: /dev/port or iopl for I/O ports, /dev/cpu/N/msr for model-specific registers, "
                 "/dev/mem for physical memory and sysfs for PCI configuration space. Run without root, "
                 "torvikctl names the facility that needs it; 'torvikctl --machine host status' lists each one.\n\n"
                 "Commands that change a register need --yes. Finding the hardware still opens and closes the "
                 "Super I/O configuration registers and sets up the performance counters, which are restored "
                 "afterwards."}};
    p.after = {
        {"Exit status",
         "- 0: the command succeeded.\n"
         "- 1: the operation was refused or failed, or its output could not be written.\n"
         "- 2: bad arguments; a usage line is printed."},
        {"Metrics",
         "'sensors --format prometheus' prints the monitoring chips' readings and the measured core clocks in "
         "the Prometheus text format, one family per kind (torvik_voltage_volts, torvik_temperature_celsius, "
         "torvik_fan_rpm, torvik_fan_duty_ratio, torvik_power_watts, torvik_current_amperes, "
         "torvik_core_clock_hertz), labelled chip, sensor, label and machine. 'monitor --format prometheus "
         "--textfile DIR' rewrites DIR/torvik.prom every cycle through a temporary file and a rename, for "
         "node_exporter's textfile collector; the package's torvik-textfile.timer runs it once a minute "
         "when enabled."},
        {"Environment",
         "- XDG_RUNTIME_DIR: the directory of the user's lock files (TMPDIR is used without it).\n"
         "- TMPDIR: the driver channel's working directory."},
        {"Files",
         "- /run/torvik: the lock files of root on the real machine.\n"
         "- $XDG_RUNTIME_DIR/torvik: the lock files of other users and of every emulated run."},
        {"Examples",
         "  torvikctl machines\n"
         "  torvikctl --machine emulated sensors\n"
         "  torvikctl --machine host sensors --format prometheus\n"
         "  torvikctl --machine emulated:brenmor-z68 --yes volt set 0:0 1.3\n"
         "  torvikctl --machine emulated:brenmor-x58 --load-dump f71882f=dump.txt sensors"},
        {"See also", "torviktune(1), sensors(1), lspci(8), dmidecode(8), i2cdump(8)"},
    };
    return p;
  }();
  return program;
}

}  // namespace cli
