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

// What each maker's probe accepts; the keys open only their own chips, and
// the preliminary steps have locked every chip left open, so a register
// that answers belongs to the maker whose key was written.
bool IdentifyNs(CConfigMode& mode, Identity* id) {
  int chip = Reg(mode, 0x20);
  if (chip < 0 || chip == 0x00 || chip == 0xFF) return false;
  *id = {LPCIO_NS, chip, Reg(mode, 0x27)};
  return true;
}

bool IdentifySmsc(CConfigMode& mode, Identity* id) {
  int chip = Reg(mode, 0x20);
  if (chip < 0 || chip == 0x00 || chip == 0xFF) return false;
  *id = {LPCIO_SMSC, chip, -1};
  return true;
}

bool IdentifyFintek(CConfigMode& mode, Identity* id) {
  if (Reg(mode, 0x23) != 0x19 || Reg(mode, 0x24) != 0x34) return false;
  int hi = Reg(mode, 0x20), lo = Reg(mode, 0x21);
  if (hi < 0 || lo < 0) return false;
  *id = {LPCIO_FINTEK, hi << 8 | lo, -1};
  return true;
}

// Winbond, Nuvoton and VIA share the key 0x87 0x87.
bool IdentifyWinbond(CConfigMode& mode, Identity* id) {
  int chip = Reg(mode, 0x20), rev = Reg(mode, 0x21);
  if (chip < 0 || chip == 0x00 || chip == 0xFF) return false;
  *id = {chip == 0x3C ? LPCIO_VIA : LPCIO_WINBOND, chip, rev};
  return true;
}

bool IdentifyIte(CConfigMode& mode, Identity* id) {
  int hi = Reg(mode, 0x20), lo = Reg(mode, 0x21);
  if (hi < 0 || lo < 0 || hi == 0xFF || lo == 0xFF || (hi == 0 && lo == 0)) return false;
  int rev = Reg(mode, 0x22);
  *id = {LPCIO_ITE, hi << 8 | lo, rev < 0 ? -1 : rev & 0x0F};
  return true;
}

// Locks a chip whose configuration mode firmware (or a crashed tool) left
// open, before any key is written: 0xAA ends the Winbond, Fintek and SMSC
// modes, bit 1 of register 0x02 the ITE one. Register 0x02 is only written
// back when it was read from a chip that answered, and never with bit 0
// (which resets every logical device of an ITE chip).
void CloseOpenConfigMode(CLPCRegisterSpace* space) {
  space->WriteByte(0, 0xAA);
  uint8_t v = 0xFF;
  if (!space->WriteByte(0, 0x02) || !space->ReadByte(1, &v) || v == 0xFF) return;
  if (space->WriteByte(0, 0x02)) space->WriteByte(1, static_cast<uint8_t>((v & ~0x01) | 0x02));
}

// The maker's address mask, port offsets and "none" marker of the monitor block.
struct MonitorLayout {
  uint16_t mask;
  int32_t index, data;
};
MonitorLayout LayoutOf(int32_t vendor, int32_t chip) {
  if (vendor == LPCIO_SMSC) {
    bool atBase = chip == 0x6F || chip == 0x81 || chip == 0x85 || chip == 0x8C;
    return {0xFF80, atBase ? 0 : 5, atBase ? 1 : 6};
  }
  return {0xFFF8, 5, 6};
}

// Which of the chip's spaces logical device `ldn` holds, or -1. The
// PC87366 (NS 0xE9) spreads its monitor over three logical devices; other
// NS chips have none this program drives.
int MonitorSlot(const CLPCIO& chip, const CConfigMode& mode, uint8_t ldn) {
  if (chip.vendorCode == LPCIO_NS) {
    if (chip.chipCode != 0xE9) return -1;
    return ldn == 0x09 ? 0 : ldn == 0x0D ? 1 : ldn == 0x0E ? 2 : -1;
  }
  return ldn == mode.monitorDevice ? 0 : -1;
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
    int slot = MonitorSlot(chip, mode, ldn);
    if (slot < 0 || !(act & 1)) continue;
    MonitorLayout layout = LayoutOf(chip.vendorCode, chip.chipCode);
    uint16_t monitorBase = base & layout.mask;
    if (monitorBase) chip.monitorSpaces[slot] = FindOrCreateLPCSpace(sdk, monitorBase, layout.index, layout.data);
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

CLPCIO* DetectSuperIOChip(QUARNSDK& sdk, uint16_t port, bool fintekOnly) {
  const bool existed = sdk.FindRegisterSpace(0, port, REGSPACE_LPC) != nullptr;
  CLPCRegisterSpace* space = FindOrCreateLPCSpace(sdk, port, 0, 1);
  CloseOpenConfigMode(space);
  Identity id;
  std::unique_ptr<CConfigMode> mode;
  if (!fintekOnly) mode = Try<NS_LPCIO_ConfigMode>(space, IdentifyNs, &id);
  if (!mode && !fintekOnly) mode = Try<SMSC_LPCIO_ConfigMode>(space, IdentifySmsc, &id);
  if (!mode) mode = Try<Fintek_LPCIO_ConfigMode>(space, IdentifyFintek, &id);
  if (!mode && !fintekOnly) mode = Try<Winbond_LPCIO_ConfigMode>(space, IdentifyWinbond, &id);
  if (!mode && !fintekOnly && port == 0x2E) mode = Try<ITE_LPCIO_ConfigMode>(space, IdentifyIte, &id);
  if (!mode && !fintekOnly && port == 0x4E) mode = Try<ITE_LPCIO_ConfigMode_2>(space, IdentifyIte, &id);
  if (!mode) {
    if (!existed) sdk.DestroyRegisterSpace(space);
    return nullptr;
  }
  // The F8000 family keeps its environment controller in logical device 2.
  if (id.vendor == LPCIO_FINTEK && (id.chip == 0x0507 || id.chip == 0x0903)) mode->monitorDevice = 0x02;

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
