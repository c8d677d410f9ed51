// The SPD host in the Intel 5000-series memory controller hub's
// configuration registers (5000X/5000P/5400/7300 MCH datasheets, "SPD
// registers"): one per memory channel pair, reaching only the SPD EEPROMs
// of its slots. `slave` is the slot index; the status word carries busy
// (bit 12), error (13), write done (14), read data valid (15) and the data.
#pragma once

#include "sdk/access/CSMBusRegisterSpace.h"

class CPCIConfigSpace;

class Intel_5000X_SMBusRegisterSpace : public CSMBusRegisterSpace {
 public:
  enum : uint32_t { kBusy = 1u << 12, kError = 1u << 13, kWriteDone = 1u << 14, kReadValid = 1u << 15 };

  Intel_5000X_SMBusRegisterSpace(CPCIConfigSpace* config, uint32_t bus, uint32_t device, uint32_t function,
                                 uint32_t status, uint32_t command, uint32_t controller);

  uint32_t GetBaseHigh() override { return 0; }
  uint32_t GetBaseLow() override { return address; }
  uint32_t GetSize() override { return 0xFFFFFFFF; }
  const char* ClassName() const override { return "Intel_5000X_SMBusRegisterSpace"; }

  CPCIConfigSpace* pciSpace;  // not owned
  uint32_t address;           // 0x80000000 | bus << 16 | device << 11 | function << 8 | statusReg
  uint32_t statusReg;
  uint32_t commandReg;

 protected:
  // Byte reads and writes of a slot's EEPROM.
  bool Transfer(SMBusTransfer& t) override;
  bool ReadStatus(uint32_t* status);
  bool ReadReg(uint32_t reg, uint32_t* value);
  bool WriteReg(uint32_t reg, uint32_t value);
  // The 5000X handshake; returns the final status, or false.
  virtual bool Handshake(uint32_t commandWord, bool write, uint32_t* status);
  virtual uint32_t SlotMask() const { return 3; }
  uint32_t bus_, device_, function_;
};
