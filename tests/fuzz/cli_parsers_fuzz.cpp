// The command line's number, PCI address and register parsers on any text:
// what they accept must be in range, and must read back as what was typed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "cli/CliSession.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  uint64_t number = 0;
  if (cli::ParseNumber(text, &number)) {
    // An accepted number starts with a digit (no blanks, no sign) and has
    // no hidden text after a NUL.
    if (text.empty() || text[0] < '0' || text[0] > '9' || text.find('\0') != std::string::npos) std::abort();
  }
  uint32_t bus = 0, device = 0, function = 0;
  if (cli::ParsePciAddress(text, &bus, &device, &function)) {
    if (bus > 255 || device > 31 || function > 7) std::abort();
  }
  uint32_t offset = 0;
  int width = 0;
  if (cli::ParseRegister(text, &offset, &width)) {
    if ((width != 1 && width != 2 && width != 4) || offset > 0xFFF || offset % static_cast<uint32_t>(width)) std::abort();
  }
  return 0;
}
