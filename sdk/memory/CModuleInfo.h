// The decoded record of one memory module's SPD data, with the supported
// CAS latencies and the overclocking profiles (Intel XMP, NVIDIA EPP) the
// module carries. The SPD interface fills it; the device model reads its
// index, type code and serial number.
#pragma once

#include <cstdint>

#include "sdk/core/CTList.h"

class CRegisterSpace;

// One supported CAS latency and the highest clock it is valid at.
class CAS_Table {
 public:
  CAS_Table() = default;
  CAS_Table(float cl, float mhz) : latency(cl), maxClockMHz(mhz) {}
  virtual ~CAS_Table() = default;

  float latency = -1.0f;
  float maxClockMHz = -1.0f;
};

// An Intel Extreme Memory Profile (DDR3 bytes 176-254).
class CXMP_Profile {
 public:
  CXMP_Profile() : casTable(new CTList<CAS_Table>()) {}
  virtual ~CXMP_Profile() {
    casTable->DeleteAll();
    delete casTable;
  }
  CXMP_Profile(const CXMP_Profile&) = delete;
  CXMP_Profile& operator=(const CXMP_Profile&) = delete;

  float voltage = -1.0f;  // V
  float tCK = -1.0f;      // ns
  int clockMHz = -1;
  int rating = -1;
  char speedName[32] = {};
  CTList<CAS_Table>* casTable;  // owned
  float tAA = -1.0f, tRP = -1.0f, tRCD = -1.0f, tWR = -1.0f, tRAS = -1.0f, tRC = -1.0f, tRFC = -1.0f,
        tRTP = -1.0f, tRRD = -1.0f;
  int timing208 = -1;
};

// An NVIDIA Enhanced Performance Profile (DDR2 bytes 99-127).
class CEPP_Profile {
 public:
  static constexpr int kAbbreviated = 0xA1;
  static constexpr int kFull = 0xB1;

  explicit CEPP_Profile(int k) : kind(k) {}
  virtual ~CEPP_Profile() = default;

  int kind;
  float voltage = -1.0f;  // V
  int commandRate = -1;   // 1T or 2T
  float tCK = -1.0f, CL = -1.0f, tRCD = -1.0f, tRP = -1.0f, tRAS = -1.0f;
};

class CEPP_AbbreviatedProfile : public CEPP_Profile {
 public:
  CEPP_AbbreviatedProfile() : CEPP_Profile(kAbbreviated) {}
};

class CEPP_FullProfile : public CEPP_Profile {
 public:
  CEPP_FullProfile() : CEPP_Profile(kFull) {}

  // Address/command, chip select, clock, data and DQS drive strengths.
  float driveStrength[5] = {-1.0f, -1.0f, -1.0f, -1.0f, -1.0f};
  // Address/command fine delay and its setup time (0.5 or 1.0 clock), then
  // the same for chip select.
  int fineDelay[2] = {-1, -1};
  float setupClock[2] = {-1.0f, -1.0f};
  float tWR = -1.0f, tRC = -1.0f;
};

// Form factors (the high half tells DIMM from RIMM).
enum ModuleFormFactor : int {
  FORM_RDIMM = 0x20001,
  FORM_UDIMM = 0x20002,
  FORM_SODIMM = 0x20003,
  FORM_MICRO_DIMM = 0x20004,
  FORM_MINI_RDIMM = 0x20005,
  FORM_MINI_UDIMM = 0x20006,
  FORM_RIMM = 0x10001,
  FORM_SO_RIMM = 0x10002,
  FORM_EMBEDDED_RIMM = 0x10003,
  FORM_RIMM_32BIT = 0x10004,
};

// Memory type codes (also the chipset's).
enum MemoryTypeCode : int {
  MEMTYPE_RDRAM = 2,
  MEMTYPE_EDO = 3,
  MEMTYPE_SDRAM = 5,
  MEMTYPE_DDR = 6,
  MEMTYPE_DDR2 = 7,
  MEMTYPE_FB_DDR2 = 8,
  MEMTYPE_DDR3 = 9,
};

class CModuleInfo {
 public:
  static constexpr int kDataSize = 256;

  CModuleInfo();
  virtual ~CModuleInfo();
  CModuleInfo(const CModuleInfo&) = delete;
  CModuleInfo& operator=(const CModuleInfo&) = delete;

  CRegisterSpace* space = nullptr;  // not owned
  uint8_t address = 0;
  uint8_t* data = nullptr;  // kDataSize bytes; owned
  int dataSize = -1;
  int index = -1;
  int typeCode = -1;  // MemoryTypeCode, -1 for types without one
  char typeName[32] = {};
  char speedName[32] = {};
  uint8_t makerId[8] = {};
  char makerName[256] = {};
  char partNumber[19] = {};
  char serialText[32] = {};  // "%08X" of serialNumber
  int sizeMB = 0;
  uint32_t serialNumber = 0;
  char moduleTypeName[32] = {};
  int formFactor = -1;
  float lengthMM = -1.0f;
  int heightCode = -1;
  int configType = -1;
  int registered = -1;
  int buffered = -1;
  int banksOrRanks = -1;  // DDR3, FB-DDR2: banks; SDRAM, DDR, DDR2: ranks
  int dataWidth = -1;
  int rating = -1;    // the number in speedName
  int clockMHz = -1;  // at the fastest tCK
  int dataRate = -1;  // MT/s
  CTList<CAS_Table>* casTable;  // lowest latency first; owned
  float tRCD = -1.0f, tRRD = -1.0f, tRP = -1.0f, tRAS = -1.0f, tRC = -1.0f;  // ns
  float refreshUs = -1.0f;
  float maxCL = -1.0f;
  int selfRefresh = -1;
  int rdramSpeed = -1;
  uint8_t year = 0, week = 0;
  float voltage = -1.0f;
  int hasEPP = 0;
  int hasExtendedBlock = 0;
  CTList<CEPP_Profile>* eppProfiles;  // owned
  int hasXMP = 0;
  uint8_t xmpRevision = 255;
  int profileCount = 0;
  CTList<CXMP_Profile>* xmpProfiles;  // owned

  // Ranks of DDR3 and FB-DDR2 modules (banksOrRanks holds their banks);
  // -1 when not decoded.
  int ranks = -1;
};
