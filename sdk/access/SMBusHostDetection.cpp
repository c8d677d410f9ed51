// Finding the SMBus hosts from the PCI functions: one table row per
// (vendor, device) with how its I/O base is found and which host class
// drives it; then the SPD-only hosts in memory controllers.
#include <cstdint>

#include "platform/Machine.h"

#include "sdk/access/ALI_M1563_SMBusRegisterSpace.h"
#include "sdk/access/ALI_M7101_SMBusRegisterSpace.h"
#include "sdk/access/AMD_AM755_SMBusRegisterSpace.h"
#include "sdk/access/ATI_SB_SMBusRegisterSpace.h"
#include "sdk/access/CPCIConfigSpace.h"
#include "sdk/access/CPCIDevice.h"
#include "sdk/access/CPCIHeader.h"
#include "sdk/access/CPortIOSpace.h"
#include "sdk/access/CSMBusInterface.h"
#include "sdk/access/Intel_5000X_SMBusRegisterSpace.h"
#include "sdk/access/Intel_E8500_SMBusRegisterSpace.h"
#include "sdk/access/Intel_ICH1_SMBusRegisterSpace.h"
#include "sdk/access/Intel_ICH4_SMBusRegisterSpace.h"
#include "sdk/access/Intel_SCH_SMBusRegisterSpace.h"
#include "sdk/access/Intel_X79_SMBusRegisterSpace.h"
#include "sdk/access/Kernel_SMBusRegisterSpace.h"
#include "sdk/access/SdkDriver.h"
#include "sdk/access/SiS968_SMBusRegisterSpace.h"
#include "sdk/access/SiS_SMBusRegisterSpace.h"
#include "sdk/access/VIA_VT82_SMBusRegisterSpace.h"
#include "sdk/access/nVidia_SMBusRegisterSpace.h"
#include "sdk/core/QUARNSDK.h"

namespace {

enum class Host { AtiSb, AmdAm755, SiS, SiS968, AliM1563, AliM7101, NVidia, Via, IntelIch1, IntelIch4, IntelSch };

// How the base is found; each rule is a function below.
enum class Rule {
  Ati, Amd74x, AmdPmIo, SiS0016, SiS0630, SiS0964, SiS0965, SiS0968, AliM1563, AliM7101, NVidia5054, NVidia1014,
  NVidia2024, Via3040, Via3050, Via3074, Serverworks, Ich2, Ich7113, Ich4, Sch,
};

struct HostRow {
  uint16_t vendor;
  uint16_t device;
  Rule rule;
  Host host;
};

constexpr HostRow kHosts[] = {
    {0x1002, 0x4353, Rule::Ati, Host::AtiSb},       {0x1002, 0x4372, Rule::Ati, Host::AtiSb},
    {0x1002, 0x4385, Rule::Ati, Host::AtiSb},       {0x1002, 0x4395, Rule::Ati, Host::AtiSb},
    {0x1022, 0x740B, Rule::Amd74x, Host::AmdAm755}, {0x1022, 0x7413, Rule::Amd74x, Host::AmdAm755},
    {0x1022, 0x7443, Rule::Amd74x, Host::AmdAm755}, {0x1022, 0x746B, Rule::Amd74x, Host::AmdAm755},
    {0x1022, 0x780B, Rule::AmdPmIo, Host::AtiSb},
    {0x1039, 0x0016, Rule::SiS0016, Host::SiS},     {0x1039, 0x0630, Rule::SiS0630, Host::SiS},
    {0x1039, 0x0964, Rule::SiS0964, Host::SiS},     {0x1039, 0x0965, Rule::SiS0965, Host::SiS},
    {0x1039, 0x0966, Rule::SiS0965, Host::SiS},     {0x1039, 0x0968, Rule::SiS0968, Host::SiS968},
    {0x10B9, 0x1563, Rule::AliM1563, Host::AliM1563}, {0x10B9, 0x1573, Rule::AliM1563, Host::AliM1563},
    {0x10B9, 0x1575, Rule::AliM1563, Host::AliM1563}, {0x10B9, 0x7101, Rule::AliM7101, Host::AliM7101},
    {0x10DE, 0x0034, Rule::NVidia5054, Host::NVidia}, {0x10DE, 0x0052, Rule::NVidia5054, Host::NVidia},
    {0x10DE, 0x0064, Rule::NVidia5054, Host::NVidia}, {0x10DE, 0x0084, Rule::NVidia5054, Host::NVidia},
    {0x10DE, 0x00D4, Rule::NVidia5054, Host::NVidia}, {0x10DE, 0x00E4, Rule::NVidia5054, Host::NVidia},
    {0x10DE, 0x01B4, Rule::NVidia1014, Host::NVidia},
    {0x10DE, 0x0264, Rule::NVidia2024, Host::NVidia}, {0x10DE, 0x0368, Rule::NVidia2024, Host::NVidia},
    {0x10DE, 0x03EB, Rule::NVidia2024, Host::NVidia}, {0x10DE, 0x0446, Rule::NVidia2024, Host::NVidia},
    {0x10DE, 0x0542, Rule::NVidia2024, Host::NVidia}, {0x10DE, 0x0752, Rule::NVidia2024, Host::NVidia},
    {0x10DE, 0x07D8, Rule::NVidia2024, Host::NVidia}, {0x10DE, 0x0AA2, Rule::NVidia2024, Host::NVidia},
    {0x10DE, 0x0D79, Rule::NVidia2024, Host::NVidia},
    {0x1106, 0x3040, Rule::Via3040, Host::Via},
    {0x1106, 0x3050, Rule::Via3050, Host::Via},     {0x1106, 0x3057, Rule::Via3050, Host::Via},
    {0x1106, 0x3086, Rule::Via3050, Host::Via},     {0x1106, 0x8235, Rule::Via3050, Host::Via},
    {0x1106, 0x3074, Rule::Via3074, Host::Via},     {0x1106, 0x3147, Rule::Via3074, Host::Via},
    {0x1106, 0x3177, Rule::Via3074, Host::Via},     {0x1106, 0x3227, Rule::Via3074, Host::Via},
    {0x1106, 0x3287, Rule::Via3074, Host::Via},     {0x1106, 0x3337, Rule::Via3074, Host::Via},
    {0x1106, 0x3372, Rule::Via3074, Host::Via},     {0x1106, 0x3402, Rule::Via3074, Host::Via},
    {0x1106, 0x345B, Rule::Via3074, Host::Via},     {0x1106, 0x8324, Rule::Via3074, Host::Via},
    {0x1106, 0x8353, Rule::Via3074, Host::Via},     {0x1106, 0x8409, Rule::Via3074, Host::Via},
    {0x1106, 0x8410, Rule::Via3074, Host::Via},
    {0x1166, 0x0200, Rule::Serverworks, Host::IntelIch1}, {0x1166, 0x0201, Rule::Serverworks, Host::IntelIch1},
    {0x1166, 0x0203, Rule::Serverworks, Host::IntelIch1},
    {0x8086, 0x2413, Rule::Ich2, Host::IntelIch1},  {0x8086, 0x2423, Rule::Ich2, Host::IntelIch1},
    {0x8086, 0x2443, Rule::Ich2, Host::IntelIch1},  {0x8086, 0x2483, Rule::Ich2, Host::IntelIch1},
    {0x8086, 0x7113, Rule::Ich7113, Host::IntelIch1},
    {0x8086, 0x1C22, Rule::Ich4, Host::IntelIch4},  {0x8086, 0x1D22, Rule::Ich4, Host::IntelIch4},
    {0x8086, 0x1E22, Rule::Ich4, Host::IntelIch4},  {0x8086, 0x24C3, Rule::Ich4, Host::IntelIch4},
    {0x8086, 0x24D3, Rule::Ich4, Host::IntelIch4},  {0x8086, 0x25A4, Rule::Ich4, Host::IntelIch4},
    {0x8086, 0x266A, Rule::Ich4, Host::IntelIch4},  {0x8086, 0x269B, Rule::Ich4, Host::IntelIch4},
    {0x8086, 0x27DA, Rule::Ich4, Host::IntelIch4},  {0x8086, 0x283E, Rule::Ich4, Host::IntelIch4},
    {0x8086, 0x2930, Rule::Ich4, Host::IntelIch4},  {0x8086, 0x3A30, Rule::Ich4, Host::IntelIch4},
    {0x8086, 0x3A60, Rule::Ich4, Host::IntelIch4},  {0x8086, 0x3B30, Rule::Ich4, Host::IntelIch4},
    {0x8086, 0x8C22, Rule::Ich4, Host::IntelIch4},
    {0x8086, 0x8119, Rule::Sch, Host::IntelSch},    {0x8086, 0x8186, Rule::Sch, Host::IntelSch},
};

// Configuration access of one function: dword reads and writes, bytes cut
// from their dword. A failed read yields all ones (never taken as a base).
struct Config {
  CPCIDevice* d;
  uint32_t R(uint32_t reg) {
    uint32_t v = 0xFFFFFFFF;
    if (!d->ReadConfig(reg & ~3u, &v)) return 0xFFFFFFFF;
    return v >> ((reg & 3) * 8);
  }
  uint8_t B(uint32_t reg) { return static_cast<uint8_t>(R(reg)); }
  bool Ok(uint32_t reg, uint32_t* v) { return d->ReadConfig(reg, v); }
  void W(uint32_t reg, uint32_t v) { d->WriteConfig(reg, v); }
  // I/O decoding on: the command register's I/O-space bit.
  void DecodeIo() {
    uint32_t v = 0;
    if (Ok(0x04, &v) && !(v & 1)) W(0x04, v | 1);
  }
  // Sets bit 0 of byte 0xD2 through dword 0xD0 when it is clear (VIA and 440MX).
  bool EnsureD2() {
    uint32_t v = 0;
    if (!Ok(0xD0, &v)) return false;
    if (!(v & 0x10000)) {
      W(0xD0, v | 0x10000);
      if (!Ok(0xD0, &v)) return false;
    }
    return v & 0x10000;
  }
};

// Base through the power-management index/data ports 0xCD6/0xCD7.
uint32_t PmIoBase() {
  CKMDriver* drv = SdkDriver();
  if (!drv) return 0;
  auto pm = [&](uint8_t index, uint8_t* v) { return drv->WritePort8(0xCD6, index) && drv->ReadPort8(0xCD7, v); };
  uint8_t hi = 0, lo = 0;
  if (!pm(0x2D, &hi) || !pm(0x2C, &lo)) return 0;
  uint32_t base = static_cast<uint32_t>(hi) << 8 | (lo & 0xE0);
  return base == 0xFFE0 ? 0 : base;
}

// Up to two bases of one function; 0 = none. A base of all ones (a failed
// read) is never used.
int BasesOf(Rule rule, Config c, uint32_t bases[2]) {
  bases[0] = bases[1] = 0;
  auto ok = [](uint32_t v) { return v != 0xFFFFFFFF; };
  switch (rule) {
    case Rule::Ati: {
      c.DecodeIo();
      uint32_t v = c.R(0x90);
      bases[0] = ok(v) ? v & 0xFFF0 : 0;
      if (!bases[0]) bases[0] = PmIoBase();
      return 1;
    }
    case Rule::AmdPmIo:
      bases[0] = PmIoBase();
      return 1;
    case Rule::Amd74x: {
      // Bit 7 of byte 0x41 (bit 15 of dword 0x40) enables the I/O space.
      uint32_t v = 0;
      if (!c.Ok(0x40, &v)) return 0;
      if (!(v & 0x8000)) {
        c.W(0x40, v | 0x8000);
        if (!c.Ok(0x40, &v) || !(v & 0x8000)) return 0;
      }
      v = c.R(0x58);
      if (ok(v)) bases[0] = (v & 0xFF00) | 0xE0;
      return 1;
    }
    case Rule::SiS0016: {
      c.DecodeIo();
      uint32_t v = c.R(0x20);
      if (ok(v)) bases[0] = v & 0xFFE0;
      return 1;
    }
    case Rule::SiS0630: {
      uint32_t v = c.R(0x68);
      if (ok(v) && (v & 1)) bases[0] = (v & 0xFFE0) + 0x80;
      return 1;
    }
    case Rule::SiS0964:
    case Rule::SiS0965: {
      uint32_t v = c.R(0x74);
      if (ok(v) && (v & 0xFFF0)) bases[0] = (v & 0xFFF0) + (rule == Rule::SiS0964 ? 0xE0 : 0xD0);
      return 1;
    }
    case Rule::SiS0968: {
      uint32_t v = c.R(0x9B);
      if (ok(v)) bases[0] = static_cast<uint32_t>(v & 0xFF) << 8;
      return 1;
    }
    case Rule::AliM1563: {
      c.DecodeIo();
      uint32_t v = 0;
      if (!c.Ok(0x80, &v)) return 0;
      if (!(v & 1)) {
        c.W(0x80, v | 7);
        if (!c.Ok(0x80, &v)) return 0;
      }
      bases[0] = v & 0xFFF0;
      return 1;
    }
    case Rule::AliM7101: {
      uint32_t v = 0;
      if (!(c.B(0xD1) & 0x04) && c.Ok(0xD0, &v)) c.W(0xD0, v | 0x400);
      if (c.Ok(0xF0, &v) && !(v & 1)) c.W(0xF0, v | 1);
      v = c.R(0xE2);
      if (ok(v)) bases[0] = v & 0xFFE0;
      return 1;
    }
    case Rule::NVidia5054:
    case Rule::NVidia1014:
    case Rule::NVidia2024: {
      c.DecodeIo();
      uint32_t r0 = rule == Rule::NVidia5054 ? 0x50 : rule == Rule::NVidia1014 ? 0x10 : 0x20;
      uint32_t a = c.R(r0), b = c.R(r0 + 4);
      if (ok(a)) bases[0] = a & 0xFFFC;
      if (ok(b)) bases[1] = b & 0xFFFC;
      return 2;
    }
    case Rule::Via3040: {
      // Revision 0 has no host here (its port window alone is recorded).
      uint32_t rev = c.R(0x08);
      if (!ok(rev) || (rev & 0xFF) == 0) return 0;
      uint32_t v = c.R(0x48);
      if (ok(v) && (v & 1)) bases[0] = v & 0xFF00;
      return 1;
    }
    case Rule::Via3050: {
      uint32_t v = c.R(0x90);
      if (ok(v) && (v & 1)) {
        if (c.EnsureD2()) bases[0] = v & 0xFFF0;
        return 1;
      }
      v = c.R(0x80);
      if (ok(v) && (v & 1)) {
        uint32_t e = 0;
        if (c.Ok(0x84, &e) && !(e & 1)) {
          c.W(0x84, e | 1);
          if (!c.Ok(0x84, &e)) return 0;
        }
        if (e & 1) bases[0] = v & 0xFFF0;
      }
      return 1;
    }
    case Rule::Via3074: {
      uint32_t v = c.R(0xD0);
      if (ok(v) && (v & 1) && c.EnsureD2()) bases[0] = c.R(0xD0) & 0xFFF0;
      return 1;
    }
    case Rule::Serverworks: {
      uint32_t v = c.R(0x90);
      if (ok(v)) bases[0] = v & 0xFFF0;
      return 1;
    }
    case Rule::Ich2: {
      c.DecodeIo();
      uint32_t v = 0;
      if (!c.Ok(0x40, &v)) return 0;
      if (!(v & 1)) {
        c.W(0x40, v | 3);
        if (!c.Ok(0x40, &v) || !(v & 1)) return 0;
      }
      v = c.R(0x20);
      if (ok(v)) bases[0] = v & 0xFFF0;
      return 1;
    }
    case Rule::Ich7113: {
      c.DecodeIo();
      uint32_t v = c.R(0x90);
      if (c.EnsureD2() && ok(v)) bases[0] = v & 0xFFF0;
      return 1;
    }
    case Rule::Ich4: {
      c.DecodeIo();
      uint32_t v = 0;
      // HOSTC: host enabled, SMI routing off; a write that depends on a
      // failed read is skipped.
      if (!c.Ok(0x40, &v)) return 0;
      c.W(0x40, (v & ~4u) | 1);
      if (!c.Ok(0x40, &v) || !(v & 1)) return 0;
      v = c.R(0x20);
      if (ok(v)) bases[0] = v & 0xFFF0;
      return 1;
    }
    case Rule::Sch: {
      uint32_t v = c.R(0x40);
      if (ok(v)) bases[0] = v & 0xFFC0;
      return 1;
    }
  }
  return 0;
}

CSMBusRegisterSpace* MakeHost(Host host, CIOSpace* io, uint32_t controller) {
  switch (host) {
    case Host::AtiSb: return new ATI_SB_SMBusRegisterSpace(io, controller);
    case Host::AmdAm755: return new AMD_AM755_SMBusRegisterSpace(io, controller);
    case Host::SiS: return new SiS_SMBusRegisterSpace(io, controller);
    case Host::SiS968: return new SiS968_SMBusRegisterSpace(io, controller);
    case Host::AliM1563: return new ALI_M1563_SMBusRegisterSpace(io, controller);
    case Host::AliM7101: return new ALI_M7101_SMBusRegisterSpace(io, controller);
    case Host::NVidia: return new nVidia_SMBusRegisterSpace(io, controller);
    case Host::Via: return new VIA_VT82_SMBusRegisterSpace(io, controller);
    case Host::IntelIch1: return new Intel_ICH1_SMBusRegisterSpace(io, controller);
    case Host::IntelIch4: return new Intel_ICH4_SMBusRegisterSpace(io, controller);
    case Host::IntelSch: return new Intel_SCH_SMBusRegisterSpace(io, controller);
  }
  return nullptr;
}

CIOSpace* PortWindow(QUARNSDK& sdk, uint32_t base) {
  if (CIOSpace* s = sdk.FindIOSpace(0, base, IOSPACE_PORT)) return s;
  auto* window = new CPortIOSpace(base, 0xFFFFFFFF);
  sdk.AddIOSpace(window);
  return window;
}

// SPD-only hosts: rows of (device, status register, command register).
struct SpdRow {
  uint16_t device;
  enum Kind { k5000X, kE8500, kX79 } kind;
  uint32_t status;
  uint32_t command;
  bool functionZeroOnly;
};
constexpr SpdRow kSpdHosts[] = {
    {0x25F5, SpdRow::k5000X, 0x74, 0x78, true}, {0x25F5, SpdRow::k5000X, 0x76, 0x7C, true},
    {0x25F6, SpdRow::k5000X, 0x74, 0x78, true}, {0x25F6, SpdRow::k5000X, 0x76, 0x7C, true},
    {0x360F, SpdRow::k5000X, 0x74, 0x78, true}, {0x360F, SpdRow::k5000X, 0x76, 0x7C, true},
    {0x3610, SpdRow::k5000X, 0x74, 0x78, true}, {0x3610, SpdRow::k5000X, 0x76, 0x7C, true},
    {0x4035, SpdRow::k5000X, 0x74, 0x78, true}, {0x4035, SpdRow::k5000X, 0x76, 0x7C, true},
    {0x4036, SpdRow::k5000X, 0x74, 0x78, true}, {0x4036, SpdRow::k5000X, 0x76, 0x7C, true},
    {0x2621, SpdRow::kE8500, 0x80, 0x84, false},
    {0x2B02, SpdRow::k5000X, 0x84, 0x80, false},
    {0x3CA8, SpdRow::kX79, 0x180, 0, false},    {0x3CA8, SpdRow::kX79, 0x190, 0, false},
};

}  // namespace

void DetectSMBusHosts(QUARNSDK& sdk) {
  CTList<CPCIDevice> functions;
  for (CDevice* d : Items(sdk.GetDevices()))
    if (d->type & DEVICE_PCI) functions.Append(static_cast<CPCIDevice*>(d));
  for (CPCIDevice* d : Items(&functions)) {
    for (const HostRow& row : kHosts) {
      if (d->VendorId() != row.vendor || d->DeviceId() != row.device) continue;
      uint32_t controller = row.rule == Rule::NVidia2024 ? static_cast<uint32_t>(row.vendor) << 16 | row.device
                                                         : 0xFFFFFFFF;
      // A host the operating system's driver runs is reached through that
      // driver only: no base rule (they write configuration registers) and
      // no access to its ports.
      if (auto adapter = plat::CurrentMachine().KernelSmbusAdapter(d->bus, d->device, d->function)) {
        sdk.AddRegisterSpace(new Kernel_SMBusRegisterSpace(std::move(adapter), controller));
        break;
      }
      uint32_t bases[2];
      int n = BasesOf(row.rule, Config{d}, bases);
      if (row.rule == Rule::Via3040 && n == 0) {
        // Revision 0: only the port window is recorded.
        uint32_t v = Config{d}.R(0x20);
        if (v != 0xFFFFFFFF && (v & 0xFF00)) PortWindow(sdk, v & 0xFF00);
      }
      for (int i = 0; i < n; ++i) {
        if (!bases[i]) continue;
        sdk.AddRegisterSpace(MakeHost(row.host, PortWindow(sdk, bases[i]), controller));
      }
      break;
    }
  }
}

void DetectSPDHosts(QUARNSDK& sdk) {
  CTList<CPCIDevice> functions;
  for (CDevice* d : Items(sdk.GetDevices()))
    if (d->type & DEVICE_PCI) functions.Append(static_cast<CPCIDevice*>(d));
  for (CPCIDevice* d : Items(&functions)) {
    if (d->VendorId() != 0x8086 || !d->space) continue;
    auto* config = static_cast<CPCIConfigSpace*>(d->space);
    const uint32_t controller = 0x80860000u | d->DeviceId();
    for (const SpdRow& row : kSpdHosts) {
      if (row.device != d->DeviceId() || (row.functionZeroOnly && d->function != 0)) continue;
      CSMBusRegisterSpace* host = nullptr;
      if (row.kind == SpdRow::kX79) {
        host = new Intel_X79_SMBusRegisterSpace(config, d->bus, d->device, d->function, row.status, controller);
      } else {
        uint32_t v = 0xFFFFFFFF;
        if (row.functionZeroOnly &&
            (!d->ReadConfig(row.status & ~3u, &v) || ((v >> ((row.status & 3) * 8)) & 0xFFFF) == 0xFFFF))
          continue;
        if (row.kind == SpdRow::kE8500)
          host = new Intel_E8500_SMBusRegisterSpace(config, d->bus, d->device, d->function, row.status, row.command,
                                                    controller);
        else
          host = new Intel_5000X_SMBusRegisterSpace(config, d->bus, d->device, d->function, row.status, row.command,
                                                    controller);
      }
      sdk.AddRegisterSpace(host);
    }
  }
}
