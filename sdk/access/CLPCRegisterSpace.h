// An index/data port pair (kind 1): Super I/O configuration ports, a
// hardware-monitor block's address/data ports, chipset index pairs. One
// register access (index write, data read or write) holds the machine-wide
// "Access_ISABUS.HTP.Method" mutex.
#pragma once

#include <cstdint>

#include "sdk/access/CRegisterSpace.h"

class CLPCRegisterSpace : public CRegisterSpace {
 public:
  static constexpr uint32_t kWaitMs = 1000;

  CLPCRegisterSpace(CIOSpace* window, int32_t index, int32_t data);
  ~CLPCRegisterSpace() override;

  int Execute(CIORequest* request) override;
  // `value` is untouched when the mutex cannot be had, 0xFF when a port
  // access fails.
  int Read(uint8_t reg, uint8_t* value);
  int Write(uint8_t reg, uint8_t value);

  int32_t indexOffset;
  int32_t dataOffset;

 private:
  bool Acquire();
  void Release();
};

// The kind-1 space at `base` from the facade, or a new one on a new port
// window (both registered with the facade).
class QUARNSDK;
CLPCRegisterSpace* FindOrCreateLPCSpace(QUARNSDK& sdk, uint32_t base, int32_t index, int32_t data);
