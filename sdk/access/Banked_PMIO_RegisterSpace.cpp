#include "sdk/access/Banked_PMIO_RegisterSpace.h"

int Banked_PMIO_RegisterSpace::SelectBank(uint32_t bank) {
  if (bank == kCurrentBank) return 1;
  if (!io) return 0;
  uint8_t select = 0;
  if (!io->Read8(bankReg, &select)) return 0;
  return io->Write8(bankReg, static_cast<uint8_t>((select & 0xF0) | (bank & 0x0F)));
}

int Banked_PMIO_RegisterSpace::Read(uint32_t bank, uint32_t reg, uint8_t* value) {
  if (!io || !SelectBank(bank)) return 0;
  return io->Read8(reg, value);
}

int Banked_PMIO_RegisterSpace::Write(uint32_t bank, uint32_t reg, uint8_t value) {
  if (!io || !SelectBank(bank)) return 0;
  return io->Write8(reg, value);
}
