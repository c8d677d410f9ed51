// torvikctl's help table, shared by --help and the manual page generator.
#pragma once

#include "help/ProgramHelp.h"

namespace cli {

const help::ProgramHelp& TorvikctlHelp();

}  // namespace cli
