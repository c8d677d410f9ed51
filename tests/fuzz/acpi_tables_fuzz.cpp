// The ACPI table handlers on arbitrary bytes: the FADT (power-management
// timer), the HPET table and the vendor table, each at any length, and the
// operating system's table directory with a root table and all three.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/Machine.h"
#include "platform/host/HostMachine.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/systables/CACPIInterface.h"

namespace {

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
}

// A private table directory, made once per process.
const std::string& TableDir() {
  static const std::string dir = [] {
    char tmpl[] = "/tmp/torvik-acpi-fuzz-XXXXXX";
    return std::string(mkdtemp(tmpl) ? tmpl : "/nonexistent");
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = [] {
    // The host machine without the kernel's facilities: tables come only from
    // the directory below, hardware access fails.
    plat::HostAccessOptions options;
    options.root = TableDir() + "/root";
    plat::SetCurrentMachine(std::make_shared<plat::HostMachine>(options));
    CACPIInterface::TableDirectory() = TableDir();
    return true;
  }();
  (void)ready;
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
        // The table directory: the input split into a root table, a FADT, a
        // vendor table and an HPET table.
        const size_t quarter = bytes.size() / 4;
        const char* names[] = {"RSDT", "FACP", "TAMG", "HPET"};
        for (int i = 0; i < 4; ++i) {
          const size_t from = quarter * static_cast<size_t>(i), to = i == 3 ? bytes.size() : from + quarter;
          WriteFile(TableDir() + "/" + names[i], bytes.data() + from, to - from);
        }
        acpi.Init();
        break;
      }
    }
  }
  QUARNSDK::ReleaseInstance();
  return 0;
}
