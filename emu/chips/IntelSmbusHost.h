// The host interface of the Intel ICH/PCH SMBus controller at SMB_BASE
// (ICH10 datasheet 17.2, "SMBus I/O Registers"; 5-series PCH datasheet
// 18.2 has the same layout). One transaction at a time runs on the
// machine's time base at 100 kHz: about 90 us per byte on the wire, and
// until it ends HST_STS shows HOST_BUSY.
//
//   0x00 HST_STS   bit 0 HOST_BUSY (RO), 1 INTR, 2 DEV_ERR, 3 BUS_ERR,
//                  4 FAILED, 5 SMBALERT_STS, 7 BYTE_DONE_STS: write 1 to
//                  clear; bit 6 INUSE_STS reads as it was, then sets itself;
//                  writing 1 clears it.
//   0x02 HST_CNT   bit 1 KILL, bits 4:2 SMB_CMD (0 quick, 1 byte, 2 byte
//                  data, 3 word data, 5 block), bit 5 LAST_BYTE, bit 6 START
//                  (write only), bit 7 PEC_EN. Reading it resets the 32-byte
//                  buffer pointer.
//   0x03 HST_CMD, 0x04 XMIT_SLVA (bit 0 = read), 0x05 HST_D0 (block
//   count), 0x06 HST_D1, 0x07 HOST_BLOCK_DB, 0x08 PEC,
//   0x0C AUX_STS, 0x0D AUX_CTL (bit 1 E32B: block bytes go through the
//   32-byte buffer), 0x0F SMBUS_PIN_CTL (reads 0x07: both lines high).
//
// Block transfers without E32B use the BYTE_DONE handshake: on a read the
// count arrives in HST_D0 and each byte in HOST_BLOCK_DB with BYTE_DONE
// set; clearing BYTE_DONE lets the next byte in; the byte that completes
// with LAST_BYTE set (or the last one the slave announced) ends the
// transaction when its BYTE_DONE is cleared. On a write the count is in
// HST_D0 and the first byte in HOST_BLOCK_DB before START; after each byte
// BYTE_DONE is set, software puts the next byte in HOST_BLOCK_DB and clears
// BYTE_DONE. INTR is set only when a transaction ends without error. KILL
// ends a running transaction with FAILED and blocks START until cleared.
//
// Host enable (HOSTC.HST_EN of the PCI function) off: START does nothing.
// Injected faults (AccessKind::Smbus, address = 7-bit slave or any) fire
// once per START, chosen by tag: "nak" (DEV_ERR), "collision" (BUS_ERR),
// "failed" (FAILED), "busy" (HOST_BUSY stays set until KILL), "nobytedone"
// (a byte-by-byte block transfer hangs busy without BYTE_DONE) and
// "disabled" (START does nothing). Another tag acts as "nak".
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "emu/Devices.h"

namespace emu {

class EmulatedMachine;
class IntelSmbusFunction;
class SmbusBus;
class SmbusSlave;

class IntelSmbusHost : public PortDevice {
 public:
  static constexpr uint16_t kSize = 32;
  static constexpr uint64_t kByteNs = 90'000;  // 9 clocks at 100 kHz

  enum Status : uint8_t {
    kBusy = 0x01, kIntr = 0x02, kDevErr = 0x04, kBusErr = 0x08,
    kFailed = 0x10, kAlert = 0x20, kInUse = 0x40, kByteDone = 0x80,
  };
  enum Control : uint8_t { kKill = 0x02, kProtocolMask = 0x1C, kLastByte = 0x20, kStart = 0x40 };
  enum Protocol : uint8_t { kQuick = 0, kByte = 1, kByteData = 2, kWordData = 3, kBlock = 5 };
  static constexpr uint8_t kAuxE32b = 0x02;

  // `function` is the controller's PCI function (HOSTC, hide state, I/O
  // decode); null makes a host that is always decoded and enabled.
  IntelSmbusHost(EmulatedMachine& machine, std::shared_ptr<SmbusBus> bus, IntelSmbusFunction* function,
                 uint16_t base);

  SmbusBus& Bus() { return *bus_; }

  bool PortRead(uint16_t offset, int width, uint32_t* value) override;
  bool PortWrite(uint16_t offset, int width, uint32_t value) override;

 private:
  enum class Phase { Idle, Running, NextByte, ByteDone, Stuck };

  uint8_t ReadRegister(uint8_t reg);
  void WriteRegister(uint8_t reg, uint8_t value);
  void Update();
  bool Enabled() const;
  void Start();
  void Finish(uint8_t statusBits);
  void RunSimple(SmbusSlave& slave, bool read, uint8_t protocol, uint64_t startNs);
  void RunBlock(SmbusSlave& slave, bool read, uint64_t startNs, bool noByteDone);
  void ByteDoneCleared();
  void ScheduleEnd(uint64_t atNs, uint8_t statusBits) {
    phase_ = Phase::Running;
    endNs_ = atNs;
    endStatus_ = statusBits;
  }

  EmulatedMachine& machine_;
  std::shared_ptr<SmbusBus> bus_;
  IntelSmbusFunction* function_;
  uint16_t base_;

  uint8_t status_ = 0, control_ = 0, command_ = 0, address_ = 0, data0_ = 0, data1_ = 0, blockData_ = 0;
  uint8_t pec_ = 0, auxStatus_ = 0, auxControl_ = 0;
  uint8_t buffer_[32] = {};
  unsigned bufferIndex_ = 0;

  Phase phase_ = Phase::Idle;
  uint64_t endNs_ = 0;
  uint8_t endStatus_ = 0;
  // Values that land in HST_D0/HST_D1 when a transaction ends.
  uint8_t endData0_ = 0, endData1_ = 0;
  bool endLoadsData_ = false;

  // Byte-by-byte block transfer in progress.
  bool blockRead_ = false;
  bool lastByte_ = false;
  SmbusSlave* blockSlave_ = nullptr;
  std::vector<uint8_t> stream_;  // read: bytes from the slave, count first
  size_t streamPos_ = 0;
  unsigned announced_ = 0;
  std::vector<uint8_t> sent_;  // write: data bytes sent so far
};

}  // namespace emu
