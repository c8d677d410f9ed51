// The Intel ICH SMBus host (ICH datasheets, "SMBus I/O Registers"): host
// status 0, control 2, command 3, slave address 4, data 5/6, block data 7,
// auxiliary control 0x0D. The reference protocol of the SMBus hosts; the
// later Intel hosts and several other makers' hosts derive from it.
#pragma once

#include "sdk/access/CSMBusRegisterSpace.h"

class Intel_ICH1_SMBusRegisterSpace : public CSMBusRegisterSpace {
 public:
  enum : uint8_t {
    kStatus = 0, kControl = 2, kCommand = 3, kAddress = 4, kData0 = 5, kData1 = 6, kBlockData = 7, kAuxControl = 0x0D,
  };
  enum : uint8_t {
    kBusy = 0x01, kIntr = 0x02, kDevErr = 0x04, kBusErr = 0x08, kFailed = 0x10, kByteDone = 0x80,
  };
  enum : uint8_t { kProtoByteData = 0x08, kProtoWordData = 0x0C, kProtoBlock = 0x14, kLastByte = 0x20, kStart = 0x40 };

  explicit Intel_ICH1_SMBusRegisterSpace(CIOSpace* window, uint32_t controller = 0xFFFFFFFF, int32_t polls = 1000)
      : CSMBusRegisterSpace(window, controller, polls) {}

  int ReadByte(uint8_t slave, uint8_t command, uint8_t* value) override;
  int ReadWord(uint8_t slave, uint8_t command, uint8_t* low, uint8_t* high) override;
  int ReadBlock(uint8_t slave, uint8_t command, uint8_t* buffer) override;
  int WriteByte(uint8_t slave, uint8_t command, uint8_t value) override;
  int WriteWord(uint8_t slave, uint8_t command, uint8_t low, uint8_t high) override;
  int WriteBlock(uint8_t slave, uint8_t command, const uint8_t* buffer, int count) override;
  const char* ClassName() const override { return "Intel_ICH1_SMBusRegisterSpace"; }

 protected:
  // The register sequences without the driver path, with explicit poll
  // limits (the ICH4 host runs them with its own).
  int ReadByteRegisters(uint8_t slave, uint8_t command, uint8_t* value);
  int ReadWordRegisters(uint8_t slave, uint8_t command, uint8_t* low, uint8_t* high, int polls);
  int WriteRegisters(uint8_t slave, uint8_t command, uint8_t low, uint8_t high, uint8_t protocol, int polls);
  // Byte-by-byte block transfers with the byte-done handshake. `stopOnError`
  // ends a transfer as soon as a byte completes with an error bit (ICH4);
  // `writeLastStatus` writes the final status back at the end of a write.
  int ReadBlockBytes(uint8_t slave, uint8_t command, uint8_t* buffer, bool stopOnError);
  int WriteBlockBytes(uint8_t slave, uint8_t command, const uint8_t* buffer, int count, bool stopOnError,
                      bool writeLastStatus);
  // Clears the bits of `mask` that are set in the status; returns the
  // status read afterwards.
  uint8_t ClearStatus(uint8_t mask);
  // Polls up to `polls` times for `bit` set (byte done) with 1 ms waits;
  // false at once when the host stopped with an error instead.
  bool WaitFor(uint8_t bit, int polls, uint8_t* status);
  // A transaction that ended well: the interrupt bit without an error bit.
  // Hosts that do not raise the interrupt bit for a write clear
  // `writeNeedsIntr`, and then only the error bits decide.
  bool Completed(uint8_t status) const {
    return status != 0xFF && (!writeNeedsIntr || (status & kIntr)) && !(status & (kDevErr | kBusErr | kFailed));
  }
  bool writeNeedsIntr = true;
};
