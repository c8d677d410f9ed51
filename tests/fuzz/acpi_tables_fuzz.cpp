// The ACPI table handlers on arbitrary bytes: the FADT (power-management
// timer), the HPET table and the vendor table, each at any length, and the
// operating system's copies of a root table and all three.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sdk/core/QUARNSDK.h"
#include "sdk/systables/CACPIInterface.h"
#include "tests/fuzz/FuzzMachine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzMachine& machine = FuzzMachine::Install();
  if (size < 1) return 0;
  const uint8_t selector = data[0];
  // Exact-size copies, so that a read past the end is caught.
  std::vector<uint8_t> bytes(data + 1, data + size);
  const uint32_t length = static_cast<uint32_t>(bytes.size());
  {
    CACPIInterface acpi(0, 0, 0x7FFFFFFF);
    switch (selector % 4) {
      case 0: acpi.HandleFadt(bytes.data(), length, selector & 0x10); break;
      case 1: acpi.HandleHpet(bytes.data(), length); break;
      case 2: acpi.HandleVendorTable(bytes.data(), length); break;
      default: {
        // The operating system's copies: the input split into a root table,
        // a FADT, a vendor table and an HPET table.
        const size_t quarter = bytes.size() / 4;
        const char* names[] = {"RSDT", "FACP", "TAMG", "HPET"};
        machine.acpi.clear();
        for (int i = 0; i < 4; ++i) {
          const size_t from = quarter * static_cast<size_t>(i), to = i == 3 ? bytes.size() : from + quarter;
          machine.acpi[names[i]].assign(bytes.begin() + static_cast<long>(from), bytes.begin() + static_cast<long>(to));
        }
        acpi.Init();
        break;
      }
    }
  }
  QUARNSDK::ReleaseInstance();
  return 0;
}
