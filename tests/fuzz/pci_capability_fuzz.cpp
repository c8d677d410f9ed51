// The PCI capability list (from the capabilities pointer) and the extended
// capability list (from 0x100) of one function whose 4 KiB configuration
// space is the input: loops, pointers into the header, truncated entries and
// unknown ids must all end the walk cleanly.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "sdk/access/CPCIConfigSpace.h"
#include "sdk/access/CPCIDevice.h"
#include "sdk/access/CRegisterSpace.h"
#include "sdk/core/QUARNSDK.h"

namespace {

// Configuration space of bus 0, device 0, function 0 read from a buffer;
// every other function and every offset past 4 KiB reads as all ones.
class BufferConfigSpace : public CPCIConfigSpace {
 public:
  BufferConfigSpace(uint32_t kind, std::vector<uint8_t> bytes) : CPCIConfigSpace(kind, nullptr), bytes_(std::move(bytes)) {}
  int ReadConfig32(uint32_t bus, uint32_t device, uint32_t function, uint32_t reg, uint32_t* value) override {
    *value = 0xFFFFFFFF;
    if (bus || device || function || reg % 4 || reg + 4 > 4096) return 0;
    uint8_t b[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    for (uint32_t i = 0; i < 4; ++i)
      if (reg + i < bytes_.size()) b[i] = bytes_[reg + i];
    std::memcpy(value, b, 4);
    return 1;
  }
  int WriteConfig32(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) override { return 0; }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + (size < 4096 ? size : 4096));
  BufferConfigSpace conventional(REGSPACE_PCI, bytes);
  BufferConfigSpace express(REGSPACE_PCI_EXPRESS, bytes);
  {
    CPCIDevice device(&conventional, 0, 0, 0);
    device.ReadAll(&express);
  }
  QUARNSDK::ReleaseInstance();
  return 0;
}
