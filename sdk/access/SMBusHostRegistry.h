// SMBus host classes as data. Each host class declares, in its own .cpp
// next to the class, the PCI functions it drives, how each function's I/O
// base is found and how the class is made:
//
//   extern const SMBusHostClass kSMBusHostName = {"Name", kIds, &Make};
//
// The build collects every such definition into a generated list
// (SMBusHostList.inc, see sdk/CMakeLists.txt) that DetectSMBusHosts walks,
// so adding a host class touches no other file. (A self-registering static
// would be dropped by the linker from the static SDK library.)
#pragma once

#include <cstdint>
#include <span>

class CIOSpace;
class CPCIDevice;
class CSMBusRegisterSpace;
class QUARNSDK;

// A configuration read that failed or met no device.
inline bool Answered(uint32_t v) { return v != 0xFFFFFFFF; }

// Configuration access of one PCI function while its base is found: dword
// reads and writes, bytes cut from their dword. A failed read yields all
// ones (never taken as a base).
struct SMBusHostFunction {
  QUARNSDK& sdk;
  CPCIDevice* d;
  uint32_t R(uint32_t reg);
  uint8_t B(uint32_t reg) { return static_cast<uint8_t>(R(reg)); }
  bool Ok(uint32_t reg, uint32_t* v);
  void W(uint32_t reg, uint32_t v);
  // I/O decoding on: the command register's I/O-space bit.
  void DecodeIo();
  // Sets bit 0 of byte 0xD2 through dword 0xD0 when it is clear (VIA and 440MX).
  bool EnsureD2();
};

// Up to two I/O bases of a function (0 = none); returns how many were
// looked for. A write that depends on a failed read is skipped.
using SMBusBaseRule = int (*)(SMBusHostFunction& f, uint32_t bases[2]);

struct SMBusHostId {
  uint16_t vendor, device;
  SMBusBaseRule bases;
  bool recordsController = false;  // the host keeps vendor << 16 | device as its controller id
};

struct SMBusHostClass {
  const char* name;
  std::span<const SMBusHostId> ids;
  CSMBusRegisterSpace* (*create)(CIOSpace* window, uint32_t controller);
};

// Every host class the build found.
std::span<const SMBusHostClass* const> SMBusHostClasses();

// The base behind the AMD/ATI power-management index/data ports 0xCD6/0xCD7.
uint32_t PmIoBase();
// The SDK's port window at `base`, made and registered on first use.
CIOSpace* SMBusPortWindow(QUARNSDK& sdk, uint32_t base);

// A host class's factory.
template <typename Host>
CSMBusRegisterSpace* MakeSMBusHost(CIOSpace* window, uint32_t controller) {
  return new Host(window, controller);
}
