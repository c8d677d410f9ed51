// torvikctl's command line: every capability of the tuning utility without
// a window.
#pragma once

namespace cli {

// Runs the command argv names and returns the exit status.
int Main(int argc, char** argv);

}  // namespace cli
