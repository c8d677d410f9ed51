#include "emu/firmware/AcpiTables.h"

#include <cstring>
#include <memory>
#include <vector>

#include "emu/EmulatedMachine.h"
#include "emu/chips/Hpet.h"

namespace emu {

namespace {

using Bytes = std::vector<uint8_t>;

void Put(Bytes& b, size_t at, uint64_t v, int size) {
  for (int i = 0; i < size; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

uint8_t Checksum(const uint8_t* p, size_t n) {
  uint8_t sum = 0;
  for (size_t i = 0; i < n; ++i) sum = static_cast<uint8_t>(sum + p[i]);
  return static_cast<uint8_t>(-sum);
}

// A table with the 36-byte description header filled and checksummed last.
Bytes Table(const char* signature, size_t length, uint8_t revision) {
  Bytes t(length, 0);
  std::memcpy(t.data(), signature, 4);
  Put(t, 4, length, 4);
  t[8] = revision;
  std::memcpy(t.data() + 10, "BRNMOR", 6);
  std::memcpy(t.data() + 16, "TORVIK  ", 8);
  Put(t, 24, 1, 4);
  std::memcpy(t.data() + 28, "BRMR", 4);
  Put(t, 32, 0x20090624, 4);
  return t;
}

void Seal(Bytes& t) {
  t[9] = 0;
  t[9] = Checksum(t.data(), t.size());
}

}  // namespace

void InstallAcpiFirmware(EmulatedMachine& m, const AcpiFirmware& f) {
  m.AddRam(kAcpiRegionBase, kAcpiRegionSize);
  const uint64_t rsdtAt = kAcpiRegionBase, xsdtAt = rsdtAt + 0x100, fadtAt = rsdtAt + 0x200,
                 hpetAt = rsdtAt + 0x400, facsAt = rsdtAt + 0x500, dsdtAt = rsdtAt + 0x600;

  // FADT, ACPI 3.0 layout (revision 4, 244 bytes).
  Bytes fadt = Table("FACP", 244, 4);
  Put(fadt, 36, facsAt, 4);
  Put(fadt, 40, dsdtAt, 4);
  Put(fadt, 46, 0x9, 2);         // SCI interrupt
  Put(fadt, 48, 0xB2, 4);        // SMI command port
  Put(fadt, 56, f.pmBase, 4);    // PM1a event block
  Put(fadt, 64, f.pmBase + 4, 4);  // PM1a control block
  Put(fadt, 76, f.pmTimer ? f.pmBase + 8u : 0u, 4);
  fadt[88] = 4;   // PM1 event length
  fadt[89] = 2;   // PM1 control length
  fadt[91] = f.pmTimer ? 4 : 0;  // PM timer length
  Put(fadt, 112, 0x000084A5, 4);  // flags, including TMR_VAL_EXT clear (24-bit timer)
  Put(fadt, 132, facsAt, 8);
  Put(fadt, 140, dsdtAt, 8);
  Seal(fadt);

  Bytes hpet = Table("HPET", 56, 1);
  Put(hpet, 36, 0x8086A201, 4);
  hpet[40] = f.hpetInIoSpace ? 1 : 0;
  hpet[41] = 64;
  Put(hpet, 44, Hpet::kBase, 8);
  Put(hpet, 53, 0x80, 2);
  Seal(hpet);

  Bytes dsdt = Table("DSDT", 36, 2);
  Seal(dsdt);
  Bytes facs(64, 0);
  std::memcpy(facs.data(), "FACS", 4);
  Put(facs, 4, 64, 4);

  std::vector<uint64_t> entries = {fadtAt};
  if (f.hpet) entries.push_back(hpetAt);
  Bytes rsdt = Table("RSDT", 36 + 4 * entries.size(), 1);
  Bytes xsdt = Table("XSDT", 36 + 8 * entries.size(), 1);
  for (size_t i = 0; i < entries.size(); ++i) {
    Put(rsdt, 36 + 4 * i, entries[i], 4);
    Put(xsdt, 36 + 8 * i, entries[i], 8);
  }
  Seal(rsdt);
  Seal(xsdt);

  Bytes rsdp(36, 0);
  std::memcpy(rsdp.data(), "RSD PTR ", 8);
  std::memcpy(rsdp.data() + 9, "BRNMOR", 6);
  rsdp[15] = 2;
  Put(rsdp, 16, rsdtAt, 4);
  Put(rsdp, 20, 36, 4);
  Put(rsdp, 24, xsdtAt, 8);
  rsdp[8] = Checksum(rsdp.data(), 20);
  rsdp[32] = Checksum(rsdp.data(), 36);

  m.LoadPhysical(kAcpiRootPointer, rsdp.data(), rsdp.size());
  m.LoadPhysical(rsdtAt, rsdt.data(), rsdt.size());
  m.LoadPhysical(xsdtAt, xsdt.data(), xsdt.size());
  m.LoadPhysical(fadtAt, fadt.data(), fadt.size());
  m.LoadPhysical(hpetAt, hpet.data(), hpet.size());
  m.LoadPhysical(facsAt, facs.data(), facs.size());
  m.LoadPhysical(dsdtAt, dsdt.data(), dsdt.size());
  if (f.hpet) m.AddMmio(Hpet::kBase, Hpet::kSize, std::make_shared<Hpet>(m.Time()));
}

}  // namespace emu
