// Profile files come from the user's directory and may have been carried
// from another machine or edited by hand: any bytes must decode and parse
// without a crash, and whatever is accepted must write back into a file
// that reads as the same profile.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/Utf16Text.h"
#include "profile/CProfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  CProfile profile;
  if (!ParseProfileLines(plat::DecodeUtf16Lines(bytes), &profile)) return 0;
  const std::string written = EncodeProfile(profile);
  CProfile again;
  if (!ParseProfileLines(plat::DecodeUtf16Lines(written), &again)) std::abort();
  if (EncodeProfile(again) != written) std::abort();
  return 0;
}
