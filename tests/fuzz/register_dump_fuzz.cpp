// Register dumps come from files the user names: the parser must take any
// bytes without crashing and, when it accepts them, give bytes 0-255 only.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "emu/DumpLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  emu::RegisterDump dump;
  std::string error;
  if (emu::ParseRegisterDump(std::string_view(reinterpret_cast<const char*>(data), size), &dump, &error)) {
    for (int v : dump.values)
      if (v < -1 || v > 255) std::abort();
  } else if (error.rfind("line ", 0) != 0) {
    std::abort();
  }
  return 0;
}
