// The kernel-exported SMBIOS path: an entry point (either "_SM_" or the
// 64-bit "_SM3_" form, or anything else) and a structure table, as the
// kernel publishes them under /sys/firmware/dmi/tables, both from the input.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/Machine.h"
#include "platform/host/HostMachine.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/systables/CDMIInterface.h"

namespace {

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
}

const std::string& TableDir() {
  static const std::string dir = [] {
    char tmpl[] = "/tmp/torvik-smbios-fuzz-XXXXXX";
    return std::string(mkdtemp(tmpl) ? tmpl : "/nonexistent");
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = [] {
    // No physical memory on this host: the table comes from the kernel's copy.
    plat::HostAccessOptions options;
    options.root = TableDir() + "/root";
    plat::SetCurrentMachine(std::make_shared<plat::HostMachine>(options));
    CDMIInterface::SetSysfsDirectory(TableDir());
    return true;
  }();
  (void)ready;
  if (size < 1) return 0;
  // The first byte says how long the entry point is (the two real forms are
  // 24 and 31 bytes); the rest is the table.
  const size_t entryLength = data[0] % 40 < size - 1 ? data[0] % 40 : size - 1;
  WriteFile(TableDir() + "/smbios_entry_point", data + 1, entryLength);
  WriteFile(TableDir() + "/DMI", data + 1 + entryLength, size - 1 - entryLength);
  {
    CDMIInterface dmi;
    dmi.Load();
    dmi.FindStructure(17);
  }
  QUARNSDK::ReleaseInstance();
  return 0;
}
