// The configuration mode of one Super I/O chip: how its configuration
// registers are unlocked (the maker's key written to the index port) and
// locked again. The base class knows no key.
#pragma once

#include <cstdint>

class CLPCRegisterSpace;

class CConfigMode {
 public:
  explicit CConfigMode(CLPCRegisterSpace* configSpace = nullptr, uint8_t monitorLdn = 0)
      : space(configSpace), monitorDevice(monitorLdn) {}
  virtual ~CConfigMode() = default;
  virtual int ReadConfigRegister(uint8_t reg, uint8_t* value) {
    *value = 0xFF;
    return 0;
  }
  virtual int WriteConfigRegister(uint8_t, uint8_t) { return 0; }
  virtual int EnterConfigMode() { return 1; }
  virtual void ExitConfigMode() {}
  virtual void Hook(void*) {}
  virtual const char* MakerName() const { return ""; }

  CLPCRegisterSpace* space;  // not owned
  uint8_t monitorDevice;

 protected:
  // The space's protocol, for the makers' classes.
  int ReadThroughSpace(uint8_t reg, uint8_t* value);
  int WriteThroughSpace(uint8_t reg, uint8_t value);
  // Writes the key bytes to the index port (no mutex); 0 at once when the
  // first cannot be written, else the result of the last.
  int WriteKey(const uint8_t* bytes, int count);
};
