// The Intel ICH SMBus host (ICH datasheets, "SMBus I/O Registers"): host
// status 0, control 2, command 3, slave address 4, data 5/6, block data 7,
// auxiliary control 0x0D. The reference protocol of the SMBus hosts; the
// later Intel hosts and several other makers' hosts run it with their own
// settings (Variant).
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
  // Status polls of a byte read, and of word reads and of writes.
  static constexpr int kByteReadPolls = 500;
  static constexpr int kByteWordPolls = 1000;

  explicit Intel_ICH1_SMBusRegisterSpace(CIOSpace* window, uint32_t controller = 0xFFFFFFFF, int32_t polls = 1000)
      : CSMBusRegisterSpace(window, controller, polls) {}

  const char* ClassName() const override { return "Intel_ICH1_SMBusRegisterSpace"; }

 protected:
  // How a host of this register set runs its transactions.
  enum class Blocks {
    kByteByByte,     // byte-done handshake per byte (ICH1 to ICH3)
    kByteByByteAux,  // the same with the 32-byte buffer off in the auxiliary control, stopping at an error (ICH4 on)
    kBuffered,       // the whole block through the 32-byte buffer in one transaction (VIA, ATI/AMD)
  };
  struct Variant {
    Blocks blocks = Blocks::kByteByByte;
    uint8_t statusClear = 0xFF;       // written to the status before a read
    bool needsIntr = true;            // success needs the interrupt bit, not only the absence of errors
    bool releaseAfterByteRead = true; // a byte read ends by clearing the status and the in-use bit
    bool kernelByteRead = true;       // byte reads on a port window go through the driver's in-kernel read
    int wordReadPolls = kByteWordPolls;
  };
  Intel_ICH1_SMBusRegisterSpace(CIOSpace* window, uint32_t controller, int32_t polls, const Variant& v)
      : CSMBusRegisterSpace(window, controller, polls), variant_(v) {}

  bool Transfer(SMBusTransfer& t) override;

 private:
  bool ReadRegisters(SMBusTransfer& t);
  bool WriteRegisters(const SMBusTransfer& t);
  // Byte-by-byte block transfers with the byte-done handshake. `stopOnError`
  // ends a transfer as soon as a byte completes with an error bit;
  // `writeLastStatus` writes the final status back at the end of a write.
  bool ReadBlockBytes(SMBusTransfer& t, bool stopOnError);
  bool WriteBlockBytes(SMBusTransfer& t, bool stopOnError, bool writeLastStatus);
  // A block through the 32-byte buffer: the bytes move through register 7
  // before the start (write) or after the end (read).
  bool BufferedBlock(SMBusTransfer& t);
  // Clears the bits of `mask` that are set in the status; returns the
  // status read afterwards.
  uint8_t ClearStatus(uint8_t mask);
  // Polls up to `polls` times for `bit` set (byte done) with 1 ms waits;
  // false at once when the host stopped with an error instead.
  bool WaitFor(uint8_t bit, int polls, uint8_t* status);
  // A transaction that ended well: no error bit, and the interrupt bit
  // where the host raises it.
  bool Completed(uint8_t status) const {
    return status != 0xFF && (!variant_.needsIntr || (status & kIntr)) && !(status & (kDevErr | kBusErr | kFailed));
  }

  Variant variant_;
};
