#include "sdk/access/SuperIODetection.h"

#include <memory>
#include <type_traits>

#include "sdk/access/CLPCIO.h"
#include "sdk/access/CLPCRegisterSpace.h"
#include "sdk/access/Fintek_LPCIO_ConfigMode.h"
#include "sdk/access/ITE_LPCIO_ConfigMode.h"
#include "sdk/access/ITE_LPCIO_ConfigMode_2.h"
#include "sdk/access/NS_LPCIO_ConfigMode.h"
#include "sdk/access/SMSC_LPCIO_ConfigMode.h"
#include "sdk/access/Winbond_LPCIO_ConfigMode.h"
#include "sdk/core/QUARNSDK.h"

namespace {

constexpr uint8_t kLdnSelect = 0x07, kActivate = 0x30, kBaseHigh = 0x60, kBaseLow = 0x61;
constexpr uint8_t kLastLdn = 0x0F;

// A configuration register, or -1 when it cannot be read.
int Reg(CConfigMode& mode, uint8_t reg) {
  uint8_t v = 0xFF;
  return mode.ReadConfigRegister(reg, &v) ? v : -1;
}

// What a maker's probe recognised: maker, chip code and revision.
struct Identity {
  int32_t vendor = -1, chip = -1, revision = -1;
};

// Key 0x87 0x87 opens Winbond, Nuvoton, Fintek and VIA chips.
bool IdentifyWinbondFamily(CConfigMode& mode, Identity* id) {
  int hi = Reg(mode, 0x20), lo = Reg(mode, 0x21);
  if (hi < 0 || lo < 0 || hi == 0xFF || hi == 0x00) return false;
  if (Reg(mode, 0x23) == 0x19 && Reg(mode, 0x24) == 0x34) {
    *id = {LPCIO_FINTEK, hi << 8 | lo, -1};
    return true;
  }
  if (hi == 0x3C) {
    *id = {LPCIO_VIA, hi, lo};
    return true;
  }
  *id = {LPCIO_WINBOND, hi, lo};
  return true;
}

bool IdentifyIte(CConfigMode& mode, Identity* id) {
  int hi = Reg(mode, 0x20), lo = Reg(mode, 0x21);
  if (hi != 0x87 || lo < 0 || lo == 0xFF) return false;
  int rev = Reg(mode, 0x22);
  *id = {LPCIO_ITE, hi << 8 | lo, rev < 0 ? -1 : rev & 0x0F};
  return true;
}

bool IdentifySmsc(CConfigMode& mode, Identity* id) {
  int chip = Reg(mode, 0x20);
  // SMSC ids lie between 0x40 and 0x9F; a locked port reads 0xFF.
  if (chip < 0x40 || chip > 0x9F) return false;
  *id = {LPCIO_SMSC, chip, -1};
  return true;
}

bool IdentifyNs(CConfigMode& mode, Identity* id) {
  int chip = Reg(mode, 0x20);
  if (chip < 0xE0 || chip > 0xF2) return false;
  *id = {LPCIO_NS, chip, Reg(mode, 0x27)};
  return true;
}

// The maker's address mask, port offsets and "none" marker of the monitor block.
struct MonitorLayout {
  uint16_t mask;
  int32_t index, data;
};
MonitorLayout LayoutOf(int32_t vendor) {
  if (vendor == LPCIO_SMSC) return {0xFF80, 0, 1};
  return {0xFFF8, 5, 6};
}

// Records the logical devices and the monitor block's space; the caller has
// the chip in configuration mode. The selected logical device is put back.
void ReadLogicalDevices(QUARNSDK& sdk, CConfigMode& mode, CLPCIO& chip) {
  int kept = Reg(mode, kLdnSelect);
  for (uint8_t ldn = 0; ldn <= kLastLdn && chip.logicalDeviceCount < 16; ++ldn) {
    if (!mode.WriteConfigRegister(kLdnSelect, ldn)) break;
    int hi = Reg(mode, kBaseHigh), lo = Reg(mode, kBaseLow), act = Reg(mode, kActivate);
    if (hi < 0 || lo < 0 || act < 0) continue;
    uint16_t base = static_cast<uint16_t>(hi << 8 | lo);
    if (base == 0 || base == 0xFFFF) continue;
    chip.logicalDevices[chip.logicalDeviceCount++] = {ldn, base, (act & 1) != 0};
    if (ldn != mode.monitorDevice || !(act & 1)) continue;
    MonitorLayout layout = LayoutOf(chip.vendorCode);
    uint16_t monitorBase = base & layout.mask;
    if (monitorBase) chip.monitorSpaces[0] = FindOrCreateLPCSpace(sdk, monitorBase, layout.index, layout.data);
  }
  if (kept >= 0) mode.WriteConfigRegister(kLdnSelect, static_cast<uint8_t>(kept));
}

// One maker's probe: enter, identify, exit. Returns the mode on success.
template <typename Mode, typename Identify>
std::unique_ptr<CConfigMode> Try(CLPCRegisterSpace* space, Identify identify, Identity* id) {
  auto mode = std::make_unique<Mode>(space);
  if (!mode->EnterConfigMode()) return nullptr;
  if (!identify(*mode, id)) {
    // Only keys that have a plain exit byte are closed again; the ITE exit
    // writes a configuration register, which an unknown chip must not see.
    if constexpr (!std::is_base_of_v<ITE_LPCIO_ConfigMode, Mode>) mode->ExitConfigMode();
    return nullptr;
  }
  return mode;
}

}  // namespace

CLPCIO* DetectSuperIOChip(QUARNSDK& sdk, uint16_t port) {
  CLPCRegisterSpace* space = FindOrCreateLPCSpace(sdk, port, 0, 1);
  Identity id;
  std::unique_ptr<CConfigMode> mode = Try<Winbond_LPCIO_ConfigMode>(space, IdentifyWinbondFamily, &id);
  if (mode && id.vendor == LPCIO_FINTEK) mode = std::make_unique<Fintek_LPCIO_ConfigMode>(space);
  if (!mode && port == 0x2E) mode = Try<ITE_LPCIO_ConfigMode>(space, IdentifyIte, &id);
  if (!mode && port == 0x4E) mode = Try<ITE_LPCIO_ConfigMode_2>(space, IdentifyIte, &id);
  if (!mode) mode = Try<SMSC_LPCIO_ConfigMode>(space, IdentifySmsc, &id);
  if (!mode) mode = Try<NS_LPCIO_ConfigMode>(space, IdentifyNs, &id);
  if (!mode) return nullptr;

  auto* chip = new CLPCIO();
  chip->vendorCode = id.vendor;
  chip->chipCode = id.chip;
  chip->revision = id.revision;
  chip->configPort = port;
  chip->SetNames();
  sdk.AddDevice(chip);
  ReadLogicalDevices(sdk, *mode, *chip);
  mode->ExitConfigMode();
  chip->configMode = mode.release();
  return chip;
}

int DetectSuperIOChips(QUARNSDK& sdk, CTList<CLPCIO>* out) {
  int found = 0;
  for (uint16_t port : kSuperIOPorts) {
    CLPCIO* chip = nullptr;
    for (CDevice* d : Items(sdk.GetDevices()))
      if ((d->type & DEVICE_LPCIO) && static_cast<CLPCIO*>(d)->configPort == port) chip = static_cast<CLPCIO*>(d);
    if (!chip) chip = DetectSuperIOChip(sdk, port);
    if (!chip) continue;
    if (out) out->Append(chip);
    ++found;
  }
  return found;
}
