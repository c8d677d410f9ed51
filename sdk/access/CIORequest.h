// A request record: an operation, a register and the data, executed by a
// register space of whatever kind.
#pragma once

#include <cstdint>

enum IORequestType : uint32_t {
  IOREQUEST_LPC = 1,
  IOREQUEST_PCI = 3,
  IOREQUEST_SMBUS = 5,
  IOREQUEST_UGURU = 6,
  IOREQUEST_I2C = 7,
};

// Operation word: direction in the low 4 bits, access kind in bits 4 to 15.
enum IORequestOp : uint32_t {
  IOOP_READ = 0x1,
  IOOP_WRITE = 0x2,
  IOOP_BYTE = 0x10,
  IOOP_WORD = 0x20,
  IOOP_DWORD = 0x40,
  IOOP_BLOCK = 0x100,
};

class CIORequest {
 public:
  explicit CIORequest(uint32_t t) : type(t) {}
  virtual ~CIORequest() = default;
  virtual void Hook(void*) {}

  uint32_t type;
  uint32_t op = 0xFFFFFFFF;
  uint32_t reg = 0xFFFFFFFF;
  uint32_t data = 0;
  uint8_t* buffer = nullptr;  // block operations; not owned
};

class CLPCRequest : public CIORequest {
 public:
  CLPCRequest() : CIORequest(IOREQUEST_LPC) {}
};

class CPCIRequest : public CIORequest {
 public:
  CPCIRequest() : CIORequest(IOREQUEST_PCI) {}
  CPCIRequest(uint32_t b, uint32_t d, uint32_t f) : CIORequest(IOREQUEST_PCI), bus(b), device(d), function(f) {}

  uint32_t bus = 0xFFFFFFFF;
  uint32_t device = 0xFFFFFFFF;
  uint32_t function = 0xFFFFFFFF;
};

class CSMBusRequest : public CIORequest {
 public:
  CSMBusRequest(uint8_t ch, uint8_t sl) : CIORequest(IOREQUEST_SMBUS), channel(ch), slave(sl) {}

  uint8_t channel;
  uint8_t slave;  // 7-bit address
};

class CI2CRequest : public CIORequest {
 public:
  CI2CRequest(uint8_t ch, uint8_t sl) : CIORequest(IOREQUEST_I2C), channel(ch), slave(sl) {}

  uint8_t channel;
  uint8_t slave;
};
