// The SMBIOS (DMI) structure reader: fetches the raw structure table once,
// decodes the structure types the program uses, and finds the BIOS maker.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "sdk/core/CInterface.h"
#include "sdk/core/CTList.h"
#include "sdk/systables/DmiTable.h"

class CDMIStructure;

struct DmiEntryPoint {
  uint16_t tableLength = 0;
  uint32_t tableAddress = 0;
  uint16_t structureCount = 0;
  uint8_t revision = 0;  // BCD
};

class CDMIInterface : public CInterface {
 public:
  CDMIInterface();
  ~CDMIInterface() override;
  int Init() override { return 1; }
  void Close() override {}

  // Finds and decodes the table: the entry point in the firmware area
  // (0xF0000-0xFFFFF) through the driver channel, else (on the host) the
  // table the kernel exports. Nonzero when a table was found.
  int Load();
  // Decodes a table that is already in memory (a dump, a test fixture).
  int LoadTable(const uint8_t* bytes, size_t length);
  // Decodes a file saved by `dmidecode --dump-bin`: the entry point at
  // offset 0 ("_SM3_", "_SM_" or "_DMI_"), the table at the offset its
  // address field gives. Nonzero on success.
  int LoadDump(const uint8_t* file, size_t size);
  CDMIStructure* FindStructure(int32_t type) const;
  const char* GetBiosMaker() const { return biosMaker; }
  // Where the table came from: "firmware", "sysfs", "dump" or "".
  const char* Source() const { return source_; }

  // The maker whose identification string is at a 16-byte boundary of the
  // firmware image, lowest first; "" when none.
  static const char* FindBiosMaker(const uint8_t* image, size_t length);
  // Parses a legacy "_DMI_" entry point (or an "_SM_" one that contains it).
  static bool ParseEntryPoint(const uint8_t* p, size_t available, DmiEntryPoint* entry);

  CTList<CDMIStructure>* structures;
  uint8_t table[dmi::kMaxTable] = {};
  DmiEntryPoint entry;
  char biosMaker[256] = {};

 private:
  bool LoadFromFirmware();
  bool LoadFromSysfs();
  void Decode();

  size_t tableLength_ = 0;
  const char* source_ = "";
};
