#include "sdk/cpu/LinkRatio.h"

#include "driver/CKMDriver.h"
#include "sdk/cpu/CpuDriver.h"

namespace {

constexpr uint32_t kIohDevice = 20, kIohFunction = 2;
constexpr uint32_t kIohId = 0x34238086;  // I/O hub control, status and RAS registers
constexpr uint32_t kQpiFreqSel = 0xD0;

constexpr uint32_t kNodeDevice = 0x18;
constexpr uint32_t kLinkCon = 1u << 0, kNonCoherent = 1u << 2;

bool DriverRead(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset, uint32_t* value) {
  CKMDriver* d = CpuDriver();
  return d && d->ReadPCIConfig(bus, device, function, offset, 4, value);
}

}  // namespace

int QpiLinkRatio(PciConfigReader read) {
  uint32_t id = 0, sel = 0;
  if (!read(0, kIohDevice, kIohFunction, 0, &id) || id != kIohId) return -1;
  if (!read(0, kIohDevice, kIohFunction, kQpiFreqSel, &sel)) return -1;
  switch (sel & 3) {
    case 0: return 18;  // 4.8 GT/s: 2400 MHz
    case 2: return 24;  // 6.4 GT/s: 3200 MHz
    default: return -1;
  }
}

int HyperTransportLinkRatio(PciConfigReader read, bool frequencyExtension) {
  uint32_t id = 0;
  if (!read(0, kNodeDevice, 0, 0, &id) || (id & 0xFFFF) != 0x1022) return -1;
  for (uint32_t link = 0; link < 4; ++link) {
    const uint32_t base = 0x20 * link;
    uint32_t type = 0, freq = 0, ext = 0;
    if (!read(0, kNodeDevice, 0, 0x98 + base, &type) || type == 0xFFFFFFFFu) continue;
    if ((type & (kLinkCon | kNonCoherent)) != (kLinkCon | kNonCoherent)) continue;
    if (!read(0, kNodeDevice, 0, 0x88 + base, &freq)) return -1;
    int code = static_cast<int>((freq >> 8) & 0xF);
    if (frequencyExtension && read(0, kNodeDevice, 0, 0x9C + base, &ext) && ext != 0xFFFFFFFFu && (ext & 1))
      code |= 0x10;
    // 200 MHz, then 400 MHz and up in steps of 200 MHz from code 2 (code 3
    // is reserved); the extension continues at 2800 MHz.
    if (code == 0) return 1;
    if (code == 2) return 2;
    if (code >= 4 && code <= 14) return code - 1;
    if (code >= 0x11 && code <= 0x13) return code - 0x11 + 14;
    return -1;
  }
  return -1;
}

int QpiLinkRatio() { return QpiLinkRatio(DriverRead); }
int HyperTransportLinkRatio(bool frequencyExtension) { return HyperTransportLinkRatio(DriverRead, frequencyExtension); }
