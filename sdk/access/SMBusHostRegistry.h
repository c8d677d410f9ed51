// SMBus host classes as data. Each host class declares, in its own .cpp
// next to the class, the PCI functions it drives, how each function's I/O
// base is found and how the class is made:
//
//   extern const SMBusHostClass kSMBusHostName = {"Name", kIds, &Make};
//
// or, for a host inside a function's own configuration registers (the SPD
// hosts of memory controllers), the functions and the host's registers:
//
//   extern const SMBusHostClass kSMBusHostName = {"Name", {}, nullptr, kConfigIds, &Make};
//
// The build collects every such definition into a generated list
// (SMBusHostList.inc, see sdk/CMakeLists.txt) that DetectSMBusHosts walks,
// so adding a host class touches no other file. (A self-registering static
// would be dropped by the linker from the static SDK library.)
#pragma once

#include <cstdint>
#include <span>

class CIOSpace;
class CPCIConfigSpace;
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

// A host in a PCI function's configuration registers: its status and
// command registers there. Each row is one host (a function may carry
// several).
struct SMBusConfigHostId {
  uint16_t vendor, device;
  uint32_t status, command;
  // Only on function 0, and only where the status register answers (the
  // memory controller hubs repeat their ids on functions without a host).
  bool functionZeroOnly = false;
};

struct SMBusHostClass {
  const char* name;
  // Hosts behind an I/O base (ids with their base rules, and the factory).
  std::span<const SMBusHostId> ids;
  CSMBusRegisterSpace* (*create)(CIOSpace* window, uint32_t controller);
  // Hosts in configuration registers, made for a row on bus:device.function.
  std::span<const SMBusConfigHostId> configIds = {};
  CSMBusRegisterSpace* (*createInConfig)(CPCIConfigSpace* config, uint32_t bus, uint32_t device, uint32_t function,
                                         const SMBusConfigHostId& row, uint32_t controller) = nullptr;
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
// The factory of a host in configuration registers whose constructor takes
// the function, the status and command registers and the controller id.
template <typename Host>
CSMBusRegisterSpace* MakeConfigSMBusHost(CPCIConfigSpace* config, uint32_t bus, uint32_t device, uint32_t function,
                                         const SMBusConfigHostId& row, uint32_t controller) {
  return new Host(config, bus, device, function, row.status, row.command, controller);
}
