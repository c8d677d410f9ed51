#include "sdk/systables/CACPIInterface.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "driver/CKMDriver.h"
#include "platform/Machine.h"
#include "sdk/access/SdkDriver.h"
#include "sdk/access/CMemoryIOSpace.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/cpu/Timers.h"

namespace {

constexpr uint32_t kTableBufferSize = 4096;
constexpr uint32_t kAllowPmTimer = 0x4000;

uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }

// Boards whose power-management timer is not to be trusted, and boards
// whose tables are not read at all.
bool NoPmTimerBoard(int32_t hash) {
  return static_cast<uint32_t>(hash) == 0x8014E67Au || static_cast<uint32_t>(hash) == 0xA758B28Au;
}
bool NoTablesBoard(int32_t hash) { return hash == 0x35580 || hash == 0x5685A0; }

bool ReadTable(const char* signature, std::vector<uint8_t>* out) {
  return plat::CurrentMachine().AcpiTable(signature, kTableBufferSize, out);
}

}  // namespace

CACPIInterface::CACPIInterface(int32_t hash, int32_t sum, int32_t detectionMask)
    : CInterface(INTERFACE_ACPI), boardHash(hash), boardSum(sum), mask(detectionMask) {}

CACPIInterface::~CACPIInterface() {
  delete[] rsdp;
  delete[] rsdt;
  delete[] vendorRecord;
}

int CACPIInterface::Init() {
  if (NoTablesBoard(boardHash)) return 1;
  if (!FirmwareTablePath()) PhysicalPath();
  return 1;
}

void CACPIInterface::HandleFadt(const uint8_t* t, uint32_t length, bool checkFirstReading) {
  if (length < 60) return;
  // Tables of revision 3 and later and long tables are left alone.
  if (t[8] >= 3 && length >= 300) return;
  uint32_t pmTimer = length >= 80 ? U32(t + 76) : 0;
  if (pmTimer != 0 && (static_cast<uint32_t>(mask) & kAllowPmTimer) && !NoPmTimerBoard(boardHash)) {
    auto* timer = new CACPITimer(pmTimer);
    if (!checkFirstReading || timer->Read() > 0) {
      QUARNSDK::GetInstance()->AddTimer(timer);
      acpiTimer = timer;
    } else {
      delete timer;
    }
  }
  facsAddress = static_cast<int32_t>(U32(t + 36));
  pm1aEventBlock = static_cast<int32_t>(U32(t + 56));
}

void CACPIInterface::HandleVendorTable(const uint8_t* t, uint32_t length) {
  for (uint32_t i = 0; i + 48 <= length; ++i)
    if (std::memcmp(t + i, "ESDT", 4) == 0) {
      delete[] vendorRecord;
      vendorRecord = new uint8_t[48];
      std::memcpy(vendorRecord, t + i, 48);
      return;
    }
}

void CACPIInterface::HandleHpet(const uint8_t* t, uint32_t length) {
  if (length < 52) return;
  // Generic address at offset 40: space id, then the 64-bit address at 44.
  if ((t[40] & 1) != 0 || U32(t + 44) == 0) return;
  QUARNSDK* sdk = QUARNSDK::GetInstance();
  auto* space = new CMemoryIOSpace(U32(t + 48), U32(t + 44), 0xFFFFFFFFu);
  auto* timer = new CHPETTimer(space);
  uint32_t capabilities = 0, period = 0;
  space->Read32(0, &capabilities);
  if (space->Read32(4, &period) && period != 0 && period != 0xFFFFFFFFu) timer->frequency = 1e15 / period;
  sdk->AddTimer(timer);
  sdk->AddIOSpace(space);
}

bool CACPIInterface::FirmwareTablePath() {
  // The operating system's copy of the tables, where it has one.
  std::vector<uint8_t> table;
  if (!ReadTable("FACP", &table) && !ReadTable("RSDT", &table) && !ReadTable("HPET", &table)) return false;
  if (ReadTable("RSDT", &table)) {
    rsdt = new uint8_t[104]();
    if (!table.empty()) std::memcpy(rsdt, table.data(), table.size() < 104 ? table.size() : 104);
  }
  if (ReadTable("FACP", &table)) HandleFadt(table.data(), static_cast<uint32_t>(table.size()), true);
  if (ReadTable("TAMG", &table)) HandleVendorTable(table.data(), static_cast<uint32_t>(table.size()));
  if (ReadTable("HPET", &table)) HandleHpet(table.data(), static_cast<uint32_t>(table.size()));
  return true;
}

void CACPIInterface::PhysicalPath() {
  CKMDriver* d = SdkDriver();
  if (!d) return;
  std::vector<uint8_t> area(0x20000);
  auto findPointer = [&](uint32_t base, uint32_t size) -> int {
    if (!d->ReadPhysical(0, base, size, area.data())) return -1;
    for (uint32_t off = 0; off + 20 <= size; off += 16) {
      if (std::memcmp(area.data() + off, "RSD PTR ", 8) != 0) continue;
      uint8_t sum = 0;
      for (int i = 0; i < 20; ++i) sum = static_cast<uint8_t>(sum + area[off + i]);
      if (sum == 0) return static_cast<int>(off);
    }
    return -1;
  };
  int at = findPointer(0, 1024);
  if (at < 0) at = findPointer(0xE0000, 0x20000);
  if (at < 0) return;
  rsdp = new uint8_t[20];
  std::memcpy(rsdp, area.data() + at, 20);
  uint32_t rootAddress = U32(rsdp + 16);
  rsdt = new uint8_t[104]();
  if (!d->ReadPhysical(0, rootAddress, 104, rsdt) || std::memcmp(rsdt, "RSDT", 4) != 0) return;
  uint32_t n = (U32(rsdt + 4) - 36) / 4;
  if (n > 17) n = 17;
  std::vector<uint8_t> table(kTableBufferSize);
  for (uint32_t i = 0; i < n; ++i) {
    uint32_t address = U32(rsdt + 36 + 4 * i);
    uint8_t header[36];
    if (!d->ReadPhysical(0, address, 36, header)) continue;
    uint32_t length = U32(header + 4);
    if (length < 1 || length > kTableBufferSize) continue;
    if (!d->ReadPhysical(0, address, length, table.data())) continue;
    if (std::memcmp(header, "FACP", 4) == 0) HandleFadt(table.data(), length, false);
    else if (std::memcmp(header, "TAMG", 4) == 0) HandleVendorTable(table.data(), length);
    else if (std::memcmp(header, "HPET", 4) == 0) HandleHpet(table.data(), length);
  }
}

int QUARNSDK::CreateACPIInterface(int32_t boardHash, int32_t boardSum, uint32_t mask) {
  auto* acpi = new CACPIInterface(boardHash, boardSum, static_cast<int32_t>(mask));
  int detected = acpi->Init();
  if (!AdoptInterface(acpi, detected)) return 0;
  acpiInterface = acpi;
  return detected;
}
