// The process rule file comes from the user's directory and may have been
// edited by hand: any bytes must decode and parse without a crash, and the
// file written for what was accepted must read back as the same rules.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/Utf16Text.h"
#include "rules/ProcessRules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  CProcessRules rules;
  if (!rules.ParseRules(plat::DecodeUtf16Lines(bytes))) return 0;
  const std::string written = rules.FileBytes();
  CProcessRules again;
  if (!again.ParseRules(plat::DecodeUtf16Lines(written))) std::abort();
  if (again.Rules().size() != rules.Rules().size() || again.FileBytes() != written) std::abort();
  return 0;
}
