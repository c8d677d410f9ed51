// The ACPI root walk through physical memory, as the SDK runs it where the
// operating system offers no copy of the tables: the root pointer found by
// its signature and checksum in the BIOS area, the root table it names, and
// every table the root lists (FADT, HPET, vendor table), all of it from the
// input. The first byte picks the pointer's place in the area and whether
// its checksum holds; the rest lies in memory at 0x1000, where the pointer
// sends the walk, so that the root's entries can point back into it.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <algorithm>
#include <memory>
#include <vector>

#include "driver/CKMDriver.h"
#include "emu/EmulatedMachine.h"
#include "platform/Machine.h"
#include "platform/NamedMutex.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/core/SdkStartup.h"
#include "sdk/systables/CACPIInterface.h"

namespace {

constexpr uint64_t kBiosArea = 0xE0000, kBiosAreaSize = 0x20000;
constexpr uint64_t kTables = 0x1000, kTablesSize = 0x10000;

struct Bench {
  std::shared_ptr<emu::EmulatedMachine> machine;
  CKMDriver driver;
  bool ok = false;
  Bench() {
    plat::SetLockNamespace("torvik-fuzz-acpi-walk");
    machine = std::make_shared<emu::EmulatedMachine>(emu::TimeBase::Mode::Virtual, "fuzz-acpi-walk");
    machine->AddRam(0, 0xA0000);
    machine->AddRam(kBiosArea, kBiosAreaSize);
    plat::SetCurrentMachine(machine);
    uint32_t error = 0, version = 0;
    ok = StartDriverChannel(driver, "/tmp", &error, &version) == DriverStartResult::Ok &&
         driver.Acquire(&error, 2000);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Kept to the end of the process: the channel outlives every input.
  static Bench& bench = *new Bench;
  if (!bench.ok || size < 1) return 0;
  static const std::vector<uint8_t> zeros(kBiosAreaSize, 0);
  bench.machine->LoadPhysical(kBiosArea, zeros.data(), kBiosAreaSize);
  bench.machine->LoadPhysical(kTables, zeros.data(), kTablesSize);

  // The root pointer (ACPI 1.0, 20 bytes) on a 16-byte boundary.
  uint8_t rsdp[20] = {'R', 'S', 'D', ' ', 'P', 'T', 'R', ' '};
  const uint32_t root = static_cast<uint32_t>(kTables);
  std::memcpy(rsdp + 16, &root, 4);
  uint8_t sum = 0;
  for (uint8_t b : rsdp) sum = static_cast<uint8_t>(sum + b);
  rsdp[8] = static_cast<uint8_t>(-sum + ((data[0] & 0x80) ? 1 : 0));  // bit 7: a bad checksum
  bench.machine->LoadPhysical(kBiosArea + 16u * (data[0] & 0x7F), rsdp, sizeof(rsdp));

  const size_t length = std::min<size_t>(size - 1, kTablesSize);
  bench.machine->LoadPhysical(kTables, data + 1, length);
  {
    QUARNSDK* sdk = QUARNSDK::GetInstance();
    sdk->SetDriver(&bench.driver);
    CACPIInterface acpi(0, 0, 0x7FFFFFFF);
    acpi.Init();
  }
  QUARNSDK::ReleaseInstance();
  return 0;
}
