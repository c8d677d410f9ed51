// The entry of torvikctl's command library, the one symbol it exports.
#include "cli/CliMain.h"

extern "C" __attribute__((visibility("default"))) int torvikctl_main(int argc, char** argv) {
  return cli::Main(argc, argv);
}
