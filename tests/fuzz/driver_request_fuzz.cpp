// Feeds arbitrary control requests to the driver device of an emulated
// board: any function code, any buffer sizes, any buffer pointers. The
// device must answer with an error, never touch memory outside the caller's
// buffers, and never hang.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "driver/DriverProtocol.h"
#include "driver/KmioDevice.h"
#include "emu/BoardDescription.h"
#include "emu/EmulatedMachine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::shared_ptr<emu::EmulatedMachine> machine = [] {
    std::string err;
    auto m = emu::BuildBoard("brenmor-x58", emu::TimeBase::Mode::Virtual, &err);
    return m;
  }();
  static drv::KmioDevice device(*machine);
  if (size < 12) return 0;
  uint32_t code, inSize, outSize;
  std::memcpy(&code, data, 4);
  std::memcpy(&inSize, data + 4, 4);
  std::memcpy(&outSize, data + 8, 4);
  data += 12;
  size -= 12;
  // Most requests name one of the protocol's functions; the rest are raw codes.
  constexpr uint32_t kFunctions = sizeof(drv::kRequestSizes) / sizeof(drv::kRequestSizes[0]);
  if (!(code & 0x80000000u)) code = drv::ControlCode(drv::kRequestSizes[code % kFunctions].function);
  inSize %= 64;
  outSize %= 64;
  uint8_t in[64] = {}, out[64] = {};
  std::memcpy(in, data, size < sizeof(in) ? size : sizeof(in));
  // The caller's data buffer; requests may point anywhere, inside or not.
  uint8_t user[256] = {};
  if (size > 16 && (data[0] & 1)) {
    uint32_t hi = drv::PointerHigh(user), lo = drv::PointerLow(user) + (data[1] % 64);
    std::memcpy(in + 20, &hi, 4);  // PCI requests carry the pointer at words 5 and 6
    std::memcpy(in + 24, &lo, 4);
    std::memcpy(in + 12, &hi, 4);  // physical block reads at words 3 and 4
    std::memcpy(in + 16, &lo, 4);
  }
  uint32_t returned = 0;
  device.IoControl(code, in, inSize, out, outSize, &returned, {user, sizeof(user)});
  if (returned > outSize) __builtin_trap();
  return 0;
}
