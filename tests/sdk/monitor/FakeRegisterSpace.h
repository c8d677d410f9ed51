// A register space that serves byte registers from arrays: eight banks of
// 256 registers, the bank chosen by register 0x4E bits 2:0 for offsets at or
// above 0x50 when `banked` (the Winbond layout). Records every write.
#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "sdk/access/CIORequest.h"
#include "sdk/access/CRegisterSpace.h"

class FakeRegisterSpace : public CRegisterSpace {
 public:
  FakeRegisterSpace() : CRegisterSpace(REGSPACE_LPC, nullptr) {
    for (auto& b : banks) b.fill(0);
  }
  int Execute(CIORequest* r) override {
    if (failAll) return 0;
    uint8_t reg = static_cast<uint8_t>(r->reg);
    auto& b = BankFor(reg);
    if (r->op & IOOP_WRITE) {
      writes.emplace_back(reg, static_cast<uint8_t>(r->data));
      b[reg] = static_cast<uint8_t>(r->data);
      return 1;
    }
    r->data = b[reg];
    return 1;
  }
  std::array<uint8_t, 256>& BankFor(uint8_t reg) {
    return banked && reg >= 0x50 && reg != 0x4E ? banks[banks[0][0x4E] & 7] : banks[0];
  }
  void Set(uint8_t reg, uint8_t v) { banks[0][reg] = v; }
  void SetBanked(uint16_t reg, uint8_t v) { banks[reg >> 8][reg & 0xFF] = v; }

  std::array<std::array<uint8_t, 256>, 8> banks;
  std::vector<std::pair<uint8_t, uint8_t>> writes;
  bool banked = false;
  bool failAll = false;
};
