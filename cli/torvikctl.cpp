// torvikctl: every capability of the tuning utility without a window.
//
// The program is started often, and many of its runs last milliseconds. Its
// commands, with every chip, board and processor table they carry, live in a
// library of their own that is loaded only when a command needs it: loading
// means relocating those tables, which costs more than decoding a saved
// SMBIOS table, the one command answered here.
#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/DmiListing.h"
#include "cli/Exit.h"

namespace {

// `dmi --from-dump FILE`, with --json anywhere, as the full command line
// reads it. Anything else, a path that looks like an option included, goes
// to the command library, which checks the whole line.
bool SavedDmiTable(int argc, char** argv, std::string* path, bool* json) {
  std::vector<const char*> rest;
  *json = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--json") == 0)
      *json = true;
    else
      rest.push_back(argv[i]);
  }
  if (rest.size() != 3 || std::strcmp(rest[0], "dmi") != 0 || std::strcmp(rest[1], "--from-dump") != 0 ||
      rest[2][0] == '-')
    return false;
  *path = rest[2];
  return true;
}

// The library lies at a fixed place relative to the program, in the build
// tree as where the package installs both; never relative to the working
// directory, so "" when the program's own path is unknown.
std::string CommandLibraryPath() {
  char self[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof(self));
  if (n <= 0 || static_cast<size_t>(n) >= sizeof(self) || self[0] != '/') return "";
  std::string path(self, static_cast<size_t>(n));
  path.erase(path.rfind('/') + 1);
  return path + TORVIK_COMMAND_LIBRARY;
}

}  // namespace

int main(int argc, char** argv) {
  std::string path;
  bool json = false;
  if (SavedDmiTable(argc, argv, &path, &json)) return cli::FinishOutput(cli::PrintDmiDump(path, json));

  const std::string library = CommandLibraryPath();
  if (library.empty()) {
    std::fprintf(stderr, "torvikctl: cannot find its commands: /proc/self/exe does not name the program\n");
    return cli::kExitFailed;
  }
  void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  using Entry = int (*)(int, char**);
  Entry entry = handle ? reinterpret_cast<Entry>(dlsym(handle, "torvikctl_main")) : nullptr;
  if (!entry) {
    const char* why = dlerror();
    std::fprintf(stderr, "torvikctl: cannot load its commands from %s: %s\n", library.c_str(),
                 why ? why : "no entry point");
    return cli::kExitFailed;
  }
  return entry(argc, argv);
}
