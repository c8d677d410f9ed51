// SPD images come from files the user names and from EEPROMs on modules:
// the dump parser must take any bytes, and every accepted image (any 256
// bytes) must decode without a crash, a division by zero turned into an
// integer, or an index past a table.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "sdk/memory/CModuleInfo.h"
#include "sdk/memory/SpdDecoder.h"
#include "sdk/memory/SpdImageFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> image;
  std::string error;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (ParseSpdImage(text, &image, &error)) {
    if (image.size() != 256) std::abort();
  } else if (error.empty()) {
    std::abort();
  }
  // The raw bytes themselves as an EEPROM's contents.
  if (size >= 256) image.assign(data, data + 256);
  if (image.size() != 256) return 0;
  CModuleInfo m;
  m.data = new uint8_t[CModuleInfo::kDataSize];
  for (int i = 0; i < CModuleInfo::kDataSize; ++i) m.data[i] = image[i];
  DecodeModule(m);
  for (CAS_Table* c : Items(m.casTable))
    if (std::isinf(c->maxClockMHz) || std::isnan(c->maxClockMHz)) std::abort();
  for (CXMP_Profile* x : Items(m.xmpProfiles))
    if (x->clockMHz < 1 || std::isinf(x->tCK)) std::abort();
  if (m.speedName[31] != '\0' || m.partNumber[18] != '\0') std::abort();
  return 0;
}
