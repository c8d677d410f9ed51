// Registers behind an index/data pair of PCI configuration registers: the
// register number goes to the index register, the value comes from the
// data register. Read-only.
#pragma once

#include "sdk/access/CRegisterSpace.h"

class CPCIRequest;

class CIndirectRegisterSpace : public CRegisterSpace {
 public:
  // `pciSpace` is not owned; the space keeps its own copy of `request`
  // (bus, device and function of the function that holds the pair).
  CIndirectRegisterSpace(CRegisterSpace* pciSpace, const CPCIRequest& request, uint8_t indexReg, uint8_t dataReg);
  ~CIndirectRegisterSpace() override;
  virtual int Read(uint32_t reg, uint32_t* value);

  CRegisterSpace* pciSpace;
  CPCIRequest* request;  // owned
  uint8_t indexReg;
  uint8_t dataReg;

 protected:
  CIndirectRegisterSpace(uint32_t kind, CRegisterSpace* pciSpace, const CPCIRequest& request, uint8_t indexReg,
                         uint8_t dataReg);
  int WriteIndexed(uint32_t reg, uint32_t index, uint32_t value);
};
