// The I2C buses of a graphics card, as register spaces of kind 4: one class
// per way of driving them (the chip's own I2C hardware, or a vendor SDK).
// `port` is the bus number on the card, `address` the 7-bit device address.
// Components use the Locked* operations: each takes the space's machine-wide
// mutex for one transaction (at most 1000 ms), so that other programs using
// the same mutex name stay off the bus meanwhile.
#pragma once

#include <cstdint>

#include "sdk/access/CRegisterSpace.h"

class CI2CRegisterSpace : public CRegisterSpace {
 public:
  static constexpr uint32_t kLockTimeoutMs = 1000;

  CI2CRegisterSpace(CIOSpace* window, int engine, const char* mutexName);
  // Releases the mutex (whether held or not) and closes it.
  ~CI2CRegisterSpace() override;

  // Byte (0x10), word (0x20) and two-byte-register (0x200) requests of a
  // CI2CRequest; anything else answers 0.
  int Execute(CIORequest* request) override;

  virtual int ReadByte(int /*port*/, int /*address*/, uint8_t /*reg*/, uint8_t* /*value*/) { return 0; }
  virtual int WriteByte(int /*port*/, int /*address*/, uint8_t /*reg*/, uint8_t /*value*/) { return 0; }
  virtual int ReadWord(int /*port*/, int /*address*/, uint8_t /*reg*/, uint16_t* /*value*/) { return 0; }
  virtual int WriteWord(int /*port*/, int /*address*/, uint8_t /*reg*/, uint16_t /*value*/) { return 0; }
  virtual int ReadWide(int /*port*/, int /*address*/, uint8_t /*high*/, uint8_t /*low*/, uint8_t* /*first*/,
                       uint8_t* /*second*/) {
    return 0;
  }
  virtual int WriteWide(int /*port*/, int /*address*/, uint8_t /*high*/, uint8_t /*low*/, uint8_t /*value*/,
                        int /*flag*/) {
    return 0;
  }
  virtual int SetupClock() { return 0; }
  // 0 opens the chip's I2C access, 1 closes it; other classes ignore it.
  virtual int SetAccessMode(int /*mode*/) { return 0; }

  int LockedReadByte(int port, int address, uint8_t reg, uint8_t* value);
  int LockedWriteByte(int port, int address, uint8_t reg, uint8_t value);
  int LockedReadWord(int port, int address, uint8_t reg, uint16_t* value);
  int LockedWriteWord(int port, int address, uint8_t reg, uint16_t value);
  int LockedReadWide(int port, int address, uint8_t high, uint8_t low, uint8_t* first, uint8_t* second);
  int LockedWriteWide(int port, int address, uint8_t high, uint8_t low, uint8_t value, int flag);

  int engineCode;

 private:
  bool Acquire();
  void Release();
};
