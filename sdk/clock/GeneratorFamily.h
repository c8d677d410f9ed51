// Clock generators of other makers' boards and of older boards, known by
// name, clock kind, reference and option bit. Their synthesiser fields are
// not modelled: a PLL of this kind reads the chip's register image (and so
// its option bit) but reports no frequency and refuses every change, so no
// value is ever written into a layout that was not verified.
#pragma once

#include <cstdint>

#include "sdk/clock/CPLL.h"

struct GeneratorFamilyEntry {
  const char* className;
  const char* name;
  uint32_t kind;
  uint32_t pllId;
  float reference;   // MHz; -1 when the chip has none of its own
  int optionByte;    // -1: no option
  uint8_t optionMask;
};

// The family table; ends with a null className.
const GeneratorFamilyEntry* GeneratorFamily();
const GeneratorFamilyEntry* FindGeneratorFamily(const char* className);

class CGeneratorFamilyPLL : public CPLL {
 public:
  static constexpr int kBufferSize = 64;
  explicit CGeneratorFamilyPLL(const GeneratorFamilyEntry& entry);

  int Read() override;
  // The option field (shifted down) from the last block read.
  int GetOption(int* on) override;
  // Writes the option field with `on` (the field's lowest bits).
  int SetOption(int on) override;

  const GeneratorFamilyEntry& entry;

};
