// The SMBIOS reader's decoding: entry points, the structure table and the BIOS
// maker. It needs no machine; finding the table on one is
// CDMIInterfaceMachine.cpp.
#include "sdk/systables/CDMIInterface.h"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <vector>

#include "sdk/systables/CDMIStructure.h"

namespace {

struct MakerRow {
  const char* pattern;
  const char* maker;
};
constexpr MakerRow kMakers[] = {
    {"American Megatrends", "American Megatrends"},
    {"$ASUSAMI$", "American Megatrends"},
    {"Phoenix", "Phoenix Technologies"},
    {"Award", "Award Software International"},
};

}  // namespace

CDMIInterface::CDMIInterface() : CInterface(INTERFACE_DMI), structures(new CTList<CDMIStructure>()) {}

CDMIInterface::~CDMIInterface() {
  structures->DeleteAll();
  delete structures;
}

bool CDMIInterface::ParseEntryPoint(const uint8_t* p, size_t available, DmiEntryPoint* e) {
  if (available >= 0x1F && std::memcmp(p, "_SM_", 4) == 0) {
    p += 0x10;
    available -= 0x10;
  }
  if (available < 15 || std::memcmp(p, "_DMI", 4) != 0) return false;
  e->tableLength = static_cast<uint16_t>(p[6] | p[7] << 8);
  e->tableAddress = static_cast<uint32_t>(p[8] | p[9] << 8 | p[10] << 16 | static_cast<uint32_t>(p[11]) << 24);
  e->structureCount = static_cast<uint16_t>(p[12] | p[13] << 8);
  e->revision = p[14];
  return true;
}

const char* CDMIInterface::FindBiosMaker(const uint8_t* image, size_t length) {
  for (size_t at = 0; at < length; at += 16)
    for (const auto& row : kMakers) {
      size_t n = std::strlen(row.pattern);
      if (at + n <= length && std::memcmp(image + at, row.pattern, n) == 0) return row.maker;
    }
  return "";
}

void CDMIInterface::Decode() {
  structures->DeleteAll();
  dmi::WalkTable(table, tableLength_, [this](const dmi::StructureView& s) {
    if (CDMIStructure* r = CDMIStructure::Decode(s)) structures->Append(r);
  });
}

int CDMIInterface::LoadTable(const uint8_t* bytes, size_t length) {
  if (!bytes || length == 0) return 0;
  if (length > dmi::kMaxTable) length = dmi::kMaxTable;
  std::memset(table, 0, sizeof(table));
  std::memcpy(table, bytes, length);
  tableLength_ = length;
  if (!entry.tableLength) entry.tableLength = static_cast<uint16_t>(length);
  source_ = "dump";
  Decode();
  return 1;
}

int CDMIInterface::LoadDump(const uint8_t* file, size_t size) {
  if (!file) return 0;
  uint64_t address = 0, length = 0;
  if (size >= 0x18 && std::memcmp(file, "_SM3_", 5) == 0) {
    length = static_cast<uint32_t>(file[0x0C] | file[0x0D] << 8 | file[0x0E] << 16 |
                                   static_cast<uint32_t>(file[0x0F]) << 24);
    for (int i = 7; i >= 0; --i) address = address << 8 | file[0x10 + i];
    entry.revision = static_cast<uint8_t>(file[7] << 4 | (file[8] & 0xF));
    entry.tableAddress = static_cast<uint32_t>(address);
  } else if (ParseEntryPoint(file, size, &entry)) {
    address = entry.tableAddress;
    length = entry.tableLength;
  } else {
    return 0;
  }
  if (address >= size || length == 0) return 0;
  if (length > size - address) length = size - address;
  entry.tableLength = static_cast<uint16_t>(length < dmi::kMaxTable ? length : dmi::kMaxTable);
  return LoadTable(file + address, static_cast<size_t>(length));
}

CDMIStructure* CDMIInterface::FindStructure(int32_t type) const {
  for (CDMIStructure* s : Items(structures))
    if (s->type == type) return s;
  return nullptr;
}
