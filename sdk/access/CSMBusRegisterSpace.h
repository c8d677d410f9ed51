// An SMBus host controller seen as a register space (kind 5): byte, word
// and block transactions addressed by 7-bit slave and command. A host class
// carries out one transaction (Transfer); the byte, word and block
// operations, their argument checks and the bus mutex are here, once.
#pragma once

#include <cstdint>

#include "sdk/access/CRegisterSpace.h"

// One SMBus transaction as the host runs it. For a write `data` holds the
// bytes to send; a read leaves the bytes there. `count` is 1 for byte data,
// 2 for word data (low byte first) and 1..32 for a block (a block read
// sets it to the bytes it took).
struct SMBusTransfer {
  enum Protocol : uint8_t { kByteData, kWordData, kBlockData };
  static constexpr int kMaxBlock = 32;

  uint8_t slave;
  uint8_t command;
  bool read;
  Protocol protocol;
  int count;
  uint8_t data[kMaxBlock] = {};

  // The address byte on the wire: the slave and the read bit.
  uint8_t Address() const { return static_cast<uint8_t>(slave << 1 | (read ? 1 : 0)); }
};

class CSMBusRegisterSpace : public CRegisterSpace {
 public:
  static constexpr int kMaxBlock = SMBusTransfer::kMaxBlock;

  CSMBusRegisterSpace(CIOSpace* window, uint32_t controller, int32_t polls)
      : CRegisterSpace(REGSPACE_SMBUS, window), controllerId(controller), pollLimit(polls) {}

  // One transaction each, without the bus mutex: 1 or 0 (a failed read
  // leaves 0 in its outputs). The block operations return the bytes
  // moved, or -1.
  int ReadByte(uint8_t slave, uint8_t command, uint8_t* value);
  int ReadWord(uint8_t slave, uint8_t command, uint8_t* low, uint8_t* high);
  int ReadBlock(uint8_t slave, uint8_t command, uint8_t* buffer);
  int WriteByte(uint8_t slave, uint8_t command, uint8_t value);
  int WriteWord(uint8_t slave, uint8_t command, uint8_t low, uint8_t high);
  int WriteBlock(uint8_t slave, uint8_t command, const uint8_t* buffer, int count);

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
  // The host's transaction. False when it failed, timed out or is a
  // protocol the host does not run; then a read's bytes are not used.
  virtual bool Transfer(SMBusTransfer& t) { return false; }

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
  // The wait before status read number `round` (from 0) of a poll whose
  // interval is `ms`. A byte takes 90 us on a 100 kHz bus and a byte-data
  // transaction about 0.4 ms, far less than the interval: the first four
  // waits are a quarter of it, so that a finished transaction is seen soon
  // after it ends rather than a whole interval later, and the fifth makes
  // up what they saved. A poll that runs out therefore reads the status as
  // often, and gives up after as long, as one with equal waits.
  static void WaitRound(int round, uint32_t ms);
  // The status poll of a transaction: up to `reads` rounds of `ready()`
  // (which reads the status and says whether the host is where it should
  // be), WaitRound apart and, with `waitFirst`, also before the first.
  // False when the rounds ran out.
  template <typename Ready>
  static bool Poll(int reads, uint32_t waitMs, bool waitFirst, Ready ready) {
    for (int n = 0; n < reads; ++n) {
      if (n || waitFirst) WaitRound(waitFirst ? n : n - 1, waitMs);
      if (ready()) return true;
    }
    return false;
  }
  // The host is a port window (the driver's in-kernel byte reads apply).
  bool OnPortWindow() const { return io && io->kind == IOSPACE_PORT; }

 private:
  template <typename F>
  int Locked(int failed, F body);
};
