// Where the SMBIOS reader finds the table on the machine: the entry point in
// the firmware area through the driver channel, else the copy the operating
// system exports. Apart from the decoding (CDMIInterface.cpp), which a saved
// table needs without any machine.
#include <cstdio>
#include <cstring>
#include <vector>

#include "driver/CKMDriver.h"
#include "platform/Machine.h"
#include "sdk/access/SdkDriver.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/systables/CDMIInterface.h"

namespace {

constexpr uint32_t kFirmwareBase = 0xF0000;
constexpr uint32_t kFirmwareSize = 0x10000;

}  // namespace

int QUARNSDK::CreateDMIInterface() {
  auto* dmi = new CDMIInterface();
  int ok = AdoptInterface(dmi, dmi->Load());
  if (ok) dmiInterface = dmi;
  return ok;
}

bool CDMIInterface::LoadFromFirmware() {
  CKMDriver* d = SdkDriver();
  if (!d) return false;
  std::vector<uint8_t> image(kFirmwareSize);
  if (!d->ReadPhysical(0, kFirmwareBase, kFirmwareSize, image.data())) return false;
  for (size_t at = 0; at + 16 <= image.size(); at += 16) {
    if (std::memcmp(&image[at], "_DMI", 4) != 0) continue;
    if (!ParseEntryPoint(&image[at], image.size() - at, &entry)) return false;
    if (entry.tableLength == 0) return false;
    // The whole buffer is read; where the range beyond the table is not
    // readable, the table's own length is enough.
    size_t length = entry.tableLength < dmi::kMaxTable ? entry.tableLength : dmi::kMaxTable;
    if (!d->ReadPhysical(0, entry.tableAddress, dmi::kMaxTable, table) &&
        !d->ReadPhysical(0, entry.tableAddress, static_cast<uint32_t>(length), table))
      return false;
    tableLength_ = length;
    source_ = "firmware";
    return true;
  }
  return false;
}

bool CDMIInterface::LoadFromSysfs() {
  std::vector<uint8_t> bytes, e;
  if (!plat::CurrentMachine().SmbiosTables(dmi::kMaxTable, &e, &bytes) || bytes.empty()) return false;
  size_t length = bytes.size() < dmi::kMaxTable ? bytes.size() : dmi::kMaxTable;
  std::memcpy(table, bytes.data(), length);
  tableLength_ = length;
  entry.tableLength = static_cast<uint16_t>(length);
  if (!e.empty()) {
    DmiEntryPoint parsed;
    if (ParseEntryPoint(e.data(), e.size(), &parsed)) {
      entry.tableAddress = parsed.tableAddress;
      entry.structureCount = parsed.structureCount;
      entry.revision = parsed.revision;
    } else if (e.size() >= 9 && std::memcmp(e.data(), "_SM3_", 5) == 0) {
      entry.revision = static_cast<uint8_t>(e[7] << 4 | (e[8] & 0xF));
    }
  }
  source_ = "sysfs";
  return true;
}

int CDMIInterface::Load() {
  tableLength_ = 0;
  if (!LoadFromFirmware()) {
    tableLength_ = 0;
    // The operating system's copy of the same bytes, where the firmware area
    // is not readable (a host without physical-memory access).
    LoadFromSysfs();
  }
  if (tableLength_ == 0) return 0;
  Decode();

  biosMaker[0] = 0;
  if (CKMDriver* d = SdkDriver()) {
    std::vector<uint8_t> image(kFirmwareSize);
    if (d->ReadPhysical(0, kFirmwareBase, kFirmwareSize, image.data()))
      std::snprintf(biosMaker, sizeof(biosMaker), "%s", FindBiosMaker(image.data(), image.size()));
  }
  return 1;
}
