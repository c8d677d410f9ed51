// torviktune's command line: the help table that --help prints and that the
// manual page torviktune(1) is generated from. Free of Qt, so the generator
// needs no display.
#pragma once

#include "help/ProgramHelp.h"

const help::ProgramHelp& TorviktuneHelp();
