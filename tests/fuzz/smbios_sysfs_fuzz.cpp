// The kernel-exported SMBIOS path: an entry point (either "_SM_" or the
// 64-bit "_SM3_" form, or anything else) and a structure table, as the
// kernel publishes them, both from the input.
#include <cstddef>
#include <cstdint>

#include "sdk/core/QUARNSDK.h"
#include "sdk/systables/CDMIInterface.h"
#include "tests/fuzz/FuzzMachine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // No physical memory on this host: the table comes from the kernel's copy.
  FuzzMachine& machine = FuzzMachine::Install();
  if (size < 1) return 0;
  // The first byte says how long the entry point is (the two real forms are
  // 24 and 31 bytes); the rest is the table.
  const size_t entryLength = data[0] % 40 < size - 1 ? data[0] % 40 : size - 1;
  machine.hasSmbios = true;
  machine.smbiosEntry.assign(data + 1, data + 1 + entryLength);
  machine.smbiosTable.assign(data + 1 + entryLength, data + size);
  {
    CDMIInterface dmi;
    dmi.Load();
    dmi.FindStructure(17);
  }
  QUARNSDK::ReleaseInstance();
  return 0;
}
