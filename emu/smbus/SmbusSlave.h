// A device on an emulated SMBus segment, seen at the protocol level: each
// operation is one SMBus transaction after the slave acknowledged its
// address (SMBus 2.0 section 5.5). Returning false means the slave did not
// acknowledge a byte of it; the host reports that as a device error.
//
// The defaults make a byte-register device: words are two consecutive byte
// registers (low first), receive/send byte use a register pointer, and the
// block protocols are not acknowledged.
#pragma once

#include <cstdint>
#include <vector>

namespace emu {

class SmbusSlave {
 public:
  virtual ~SmbusSlave() = default;

  // Quick command: only the address and the read/write bit.
  virtual bool Quick(bool /*read*/) { return true; }
  // Receive byte (no command): the byte at the slave's pointer.
  virtual bool ReceiveByte(uint8_t* value);
  // Send byte: the single byte sets the slave's pointer.
  virtual bool SendByte(uint8_t value);

  virtual bool ReadByteData(uint8_t command, uint8_t* value) = 0;
  virtual bool WriteByteData(uint8_t command, uint8_t value) = 0;
  virtual bool ReadWordData(uint8_t command, uint16_t* value);
  virtual bool WriteWordData(uint8_t command, uint16_t value);

  // Block read: the bytes the slave sends after the repeated start, the
  // first being its byte count as it announces it (which may exceed 32 or
  // disagree with what follows; the host decides how many it takes).
  virtual bool ReadBlockData(uint8_t /*command*/, std::vector<uint8_t>* /*bytes*/) { return false; }
  // Block write: `data` without the count byte.
  virtual bool WriteBlockData(uint8_t /*command*/, const std::vector<uint8_t>& /*data*/) { return false; }

 protected:
  uint8_t pointer_ = 0;
};

}  // namespace emu
