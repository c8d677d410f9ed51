// Writes the manual page of torvikctl or torviktune from the help table the
// program prints with --help.
//
//   torvik_mangen torvikctl|torviktune VERSION DATE OUTPUT
#include <cstdio>
#include <cstring>
#include <fstream>

#include "cli/CliHelp.h"
#ifdef TORVIK_MAN_TORVIKTUNE
#include "app/AppHelp.h"
#endif

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: torvik_mangen torvikctl|torviktune VERSION DATE OUTPUT\n");
    return 2;
  }
  const help::ProgramHelp* program = nullptr;
  if (std::strcmp(argv[1], "torvikctl") == 0) program = &cli::TorvikctlHelp();
#ifdef TORVIK_MAN_TORVIKTUNE
  if (std::strcmp(argv[1], "torviktune") == 0) program = &TorviktuneHelp();
#endif
  if (!program) {
    std::fprintf(stderr, "torvik_mangen: no help table for '%s'\n", argv[1]);
    return 2;
  }
  std::ofstream out(argv[4], std::ios::binary | std::ios::trunc);
  out << help::ManPage(*program, argv[2], argv[3]);
  out.close();
  if (!out) {
    std::fprintf(stderr, "torvik_mangen: cannot write %s\n", argv[4]);
    return 1;
  }
  return 0;
}
