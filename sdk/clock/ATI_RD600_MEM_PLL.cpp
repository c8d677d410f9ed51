#include "sdk/clock/ATI_RD600_MEM_PLL.h"

ATI_RD600_MEM_PLL::ATI_RD600_MEM_PLL(CRegisterSpace* memoryController) : CPLL(0x10027930) {
  kind = PLL_KIND_CHIPSET_MEMORY;
  registerSpace = memoryController;
  SetName("ATI RD600 Memory PLL");
}
