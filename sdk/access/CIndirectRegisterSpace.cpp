#include "sdk/access/CIndirectRegisterSpace.h"

#include "sdk/access/CIORequest.h"

CIndirectRegisterSpace::CIndirectRegisterSpace(CRegisterSpace* space, const CPCIRequest& r, uint8_t index,
                                               uint8_t data)
    : CIndirectRegisterSpace(REGSPACE_INDIRECT, space, r, index, data) {}

CIndirectRegisterSpace::CIndirectRegisterSpace(uint32_t k, CRegisterSpace* space, const CPCIRequest& r,
                                               uint8_t index, uint8_t data)
    : CRegisterSpace(k, nullptr),
      pciSpace(space),
      request(new CPCIRequest(r.bus, r.device, r.function)),
      indexReg(index),
      dataReg(data) {}

CIndirectRegisterSpace::~CIndirectRegisterSpace() { delete request; }

int CIndirectRegisterSpace::Read(uint32_t reg, uint32_t* value) {
  if (!pciSpace) return 0;
  request->op = IOOP_DWORD | IOOP_WRITE;
  request->reg = indexReg;
  request->data = reg;
  if (!pciSpace->Execute(request)) return 0;
  request->op = IOOP_DWORD | IOOP_READ;
  request->reg = dataReg;
  if (!pciSpace->Execute(request)) return 0;
  *value = request->data;
  return 1;
}

int CIndirectRegisterSpace::WriteIndexed(uint32_t reg, uint32_t index, uint32_t value) {
  if (!pciSpace) return 0;
  request->op = IOOP_DWORD | IOOP_WRITE;
  request->reg = indexReg;
  request->data = index;
  if (!pciSpace->Execute(request)) return 0;
  request->reg = dataReg;
  request->data = value;
  return pciSpace->Execute(request);
}
