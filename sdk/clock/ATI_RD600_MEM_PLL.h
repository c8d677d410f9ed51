// The memory clock synthesiser of the AMD RD600 north bridge, reached
// through its memory-controller register space. Its fields are not
// modelled: the PLL is listed but reports no frequency and refuses changes.
#pragma once

#include "sdk/clock/CPLL.h"

class ATI_RD600_MEM_PLL : public CPLL {
 public:
  explicit ATI_RD600_MEM_PLL(CRegisterSpace* memoryController);
};
