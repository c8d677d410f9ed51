// One model-specific register of the logical processor the process is
// pinned to, with the value of its last read or write.
#pragma once

#include <cstdint>

class MSR_Register {
 public:
  explicit MSR_Register(uint32_t msr = 0xFFFFFFFFu) : index(msr) {}
  virtual ~MSR_Register() = default;

  // Reads the register into high/low; false on failure or without an index.
  bool Read();
  bool Write(uint32_t hi, uint32_t lo);
  // Read, set or clear one bit (0..63), write back.
  bool SetBit(int bit, bool on);
  bool TestBit(int bit, bool* on);
  uint64_t Value() const { return static_cast<uint64_t>(high) << 32 | low; }
  // Bits last..first of the value.
  uint32_t Bits(int last, int first) const {
    return static_cast<uint32_t>((Value() >> first) & ((last - first >= 63) ? ~0ull : ((1ull << (last - first + 1)) - 1)));
  }

  uint32_t index;
  uint32_t high = 0xFFFFFFFFu;
  uint32_t low = 0xFFFFFFFFu;
};
