// A host machine without any hardware access whose operating-system copies
// of the firmware tables (and, when asked, CPUID answers) come from the
// current fuzz input.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/host/HostMachine.h"

class FuzzMachine : public plat::HostMachine {
 public:
  FuzzMachine()
      : plat::HostMachine([] {
          plat::HostAccessOptions o;
          o.root = "/nonexistent-fuzz-root";
          o.useIopl = false;
          return o;
        }()) {}

  // Installs a machine once per process and returns it.
  static FuzzMachine& Install() {
    static std::shared_ptr<FuzzMachine> machine = [] {
      auto m = std::make_shared<FuzzMachine>();
      plat::SetCurrentMachine(m);
      return m;
    }();
    return *machine;
  }

  bool AcpiTable(const std::string& signature, size_t limit, std::vector<uint8_t>* out) override {
    auto it = acpi.find(signature);
    if (it == acpi.end()) return false;
    out->assign(it->second.begin(), it->second.begin() + static_cast<long>(std::min(limit, it->second.size())));
    return true;
  }
  bool SmbiosTables(size_t limit, std::vector<uint8_t>* entryPoint, std::vector<uint8_t>* table) override {
    if (!hasSmbios) return false;
    *entryPoint = smbiosEntry;
    table->assign(smbiosTable.begin(), smbiosTable.begin() + static_cast<long>(std::min(limit, smbiosTable.size())));
    return true;
  }
  plat::CpuidRegs Cpuid(uint32_t leaf, uint32_t subleaf) override {
    plat::CpuidRegs r{};
    if (cpuid.size() < 16) return r;
    // Each (leaf, subleaf) picks one 16-byte slot of the input.
    const size_t slots = cpuid.size() / 16;
    const size_t slot = (leaf * 2654435761u + subleaf * 40503u + (leaf >> 16)) % slots;
    std::memcpy(&r.eax, &cpuid[slot * 16], 4);
    std::memcpy(&r.ebx, &cpuid[slot * 16 + 4], 4);
    std::memcpy(&r.ecx, &cpuid[slot * 16 + 8], 4);
    std::memcpy(&r.edx, &cpuid[slot * 16 + 12], 4);
    return r;
  }

  std::map<std::string, std::vector<uint8_t>> acpi;
  bool hasSmbios = false;
  std::vector<uint8_t> smbiosEntry, smbiosTable;
  std::vector<uint8_t> cpuid;
};
