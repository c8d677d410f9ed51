// An SMBus host controller seen as a register space (kind 5): byte, word
// and block transactions addressed by 7-bit slave and command. Each host
// class overrides the transfers; the helpers below reach its registers.
#pragma once

#include <cstdint>

#include "sdk/access/CRegisterSpace.h"

class CSMBusRegisterSpace : public CRegisterSpace {
 public:
  static constexpr int kMaxBlock = 32;

  CSMBusRegisterSpace(CIOSpace* window, uint32_t controller, int32_t polls)
      : CRegisterSpace(REGSPACE_SMBUS, window), controllerId(controller), pollLimit(polls) {}

  virtual int ReadByte(uint8_t slave, uint8_t command, uint8_t* value) { return 0; }
  virtual int ReadWord(uint8_t slave, uint8_t command, uint8_t* low, uint8_t* high) { return 0; }
  // Returns the bytes read, or -1.
  virtual int ReadBlock(uint8_t slave, uint8_t command, uint8_t* buffer) { return -1; }
  virtual int WriteByte(uint8_t slave, uint8_t command, uint8_t value) { return 0; }
  virtual int WriteWord(uint8_t slave, uint8_t command, uint8_t low, uint8_t high) { return 0; }
  // Returns the bytes written, or -1.
  virtual int WriteBlock(uint8_t slave, uint8_t command, const uint8_t* buffer, int count) { return -1; }

  // The same under the machine-wide "Access_SMBUS.HTP.Method" mutex (up to
  // 1000 ms): what chip drivers call. Without the mutex: 0, or -1 for the
  // block operations.
  int LockedReadByte(uint8_t slave, uint8_t command, uint8_t* value);
  int LockedReadWord(uint8_t slave, uint8_t command, uint8_t* low, uint8_t* high);
  int LockedReadBlock(uint8_t slave, uint8_t command, uint8_t* buffer);
  int LockedWriteByte(uint8_t slave, uint8_t command, uint8_t value);
  int LockedWriteWord(uint8_t slave, uint8_t command, uint8_t low, uint8_t high);
  int LockedWriteBlock(uint8_t slave, uint8_t command, const uint8_t* buffer, int count);
  // ReadByte of commands command .. command + count - 1 (wrapping at 0xFF)
  // under one hold of the mutex; how many succeeded, -1 without the mutex.
  int LockedReadBytes(uint8_t slave, uint8_t command, uint8_t* buffer, int count);
  // A CSMBusRequest: op 0x11/0x12 byte, 0x21/0x22 word, 0x101/0x102 block.
  int Execute(CIORequest* request) override;

  // Short name of the host class for listings.
  virtual const char* ClassName() const { return "CSMBusRegisterSpace"; }

  uint32_t controllerId;  // PCI vendor << 16 | device, 0xFFFFFFFF when not recorded
  int32_t pollLimit;

 protected:
  using CRegisterSpace::ReadByte;
  using CRegisterSpace::WriteByte;
  // Register access by offset from the host's I/O base; a failed read
  // leaves 0xFF.
  uint8_t In(uint32_t reg) {
    uint8_t v = 0xFF;
    if (!io || !io->Read8(reg, &v)) v = 0xFF;
    return v;
  }
  bool Out(uint32_t reg, uint8_t v) { return io && io->Write8(reg, v); }
  // A read whose failure matters: a register that did not answer is never
  // the base of a value written back.
  bool Get(uint32_t reg, uint8_t* v) {
    *v = 0xFF;
    return io && io->Read8(reg, v);
  }
  bool Get16(uint32_t reg, uint16_t* v) {
    *v = 0xFFFF;
    return io && io->Read16(reg, v);
  }
  uint16_t In16(uint32_t reg) {
    uint16_t v = 0xFFFF;
    if (!io || !io->Read16(reg, &v)) v = 0xFFFF;
    return v;
  }
  bool Out16(uint32_t reg, uint16_t v) { return io && io->Write16(reg, v); }
  static void Wait(uint32_t ms);
  template <typename F>
  int Locked(int failed, F body);
  // The host is a port window (the driver's in-kernel byte reads apply).
  bool OnPortWindow() const { return io && io->kind == IOSPACE_PORT; }
};
