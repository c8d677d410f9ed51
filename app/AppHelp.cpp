#include "app/AppHelp.h"

const help::ProgramHelp& TorviktuneHelp() {
  static const help::ProgramHelp program = [] {
    help::ProgramHelp p;
    p.name = "torviktune";
    p.summary = "the Brenmor Torvik Tuning Utility's window";
    p.synopsis = "[--machine host|emulated[:BOARD]] [--startup-time]";
    p.options = {
        {"--machine", "host|emulated[:BOARD]",
         "The machine to work on: this computer (host, the default; root needed for I/O ports, MSRs and "
         "physical memory) or an emulated board ('torvikctl machines' lists them)."},
        {"--startup-time", "", "Show the window, print how long it took to appear and exit."},
        {"--help, -h", "", "Print this help and exit."},
    };
    p.before = {{"Description",
                 "torviktune shows what the processor, the memory, the graphics card and the board's sensors "
                 "are doing and changes the base clock, the PCI Express clock, turbo ratios and the board's "
                 "voltages at run time, in a window of eight pages: CPU, Memory, Monitoring, Overclocking, "
                 "Voltages, Graphics, Processes and Options.\n\n"
                 "On the host the window needs root for I/O ports, MSRs and physical memory. The desktop "
                 "launcher starts it through pkexec(1) with the polkit action "
                 "com.brenmor.torviktune.run, which asks for an administrator's password; started without "
                 "root, the window says which facility is missing and offers to restart elevated or to open "
                 "an emulated board.\n\n"
                 "Only one copy runs at a time; a second one ends without a window."}};
    p.after = {
        {"Exit status",
         "- 0: the window was closed, or another copy is already running.\n- 2: the machine given is unknown."},
        {"Environment",
         "- TORVIK_LCD_FILE: write the keyboard LCD's frames to this file (PNG when it ends in .png, PBM "
         "otherwise) instead of a G15-class keyboard.\n"
         "- DISPLAY, WAYLAND_DISPLAY, XAUTHORITY, XDG_RUNTIME_DIR: the display; the launcher passes them "
         "through pkexec."},
        {"Files",
         "- /usr/bin/torviktune-pkexec: the launcher that starts the window as root through pkexec.\n"
         "- /usr/share/polkit-1/actions/com.brenmor.torviktune.policy: the polkit action."},
        {"See also", "torvikctl(1), pkexec(1)"},
    };
    return p;
  }();
  return program;
}
