// An addressable set of registers with its own access protocol. Most sit on
// an I/O space; every one executes requests.
#pragma once

#include <cstdint>

#include "sdk/access/CIOSpace.h"

class CIORequest;

enum RegisterSpaceKind : uint32_t {
  REGSPACE_LPC = 1,
  REGSPACE_PCI = 2,
  REGSPACE_PCI_EXPRESS = 3,
  REGSPACE_I2C = 4,
  REGSPACE_SMBUS = 5,
  REGSPACE_UGURU = 6,
  REGSPACE_UGURU2005 = 7,
  REGSPACE_ATI_RS600_MC = 16,
  REGSPACE_WIN32_HID = 17,
  REGSPACE_AMD_K10_ECS = 18,
  REGSPACE_VIA_686AB_HWM = 19,
  REGSPACE_APPLE_SMC = 20,
  REGSPACE_INTEL_HECI = 21,
  REGSPACE_EC = 22,
  REGSPACE_BANKED_PMIO = 23,
  REGSPACE_INDIRECT = 24,
};

class CRegisterSpace {
 public:
  CRegisterSpace(uint32_t k, CIOSpace* window) : kind(k), io(window) {}
  virtual ~CRegisterSpace() = default;
  virtual uint32_t GetBaseHigh() { return io ? io->GetBaseHigh() : 0xFFFFFFFF; }
  virtual uint32_t GetBaseLow() { return io ? io->GetBaseLow() : 0xFFFFFFFF; }
  virtual uint32_t GetSize() { return io ? io->GetSize() : 0xFFFFFFFF; }
  virtual int Execute(CIORequest*) { return 0; }
  virtual void Hook(void*) {}

  int ReadByte(uint32_t offset, uint8_t* value) { return io ? io->Read8(offset, value) : 0; }
  int WriteByte(uint32_t offset, uint8_t value) { return io ? io->Write8(offset, value) : 0; }

  uint32_t kind;
  CIOSpace* io;         // not owned
  void* lock = nullptr;  // the bus mutex of subclasses that have one
};
