// The decoded record of one memory module's SPD data. The SPD decoder fills
// it; the device model reads its index, type code and serial number.
#pragma once

class CModuleInfo {
 public:
  virtual ~CModuleInfo() = default;

  int index = -1;
  int typeCode = -1;  // 2 RDRAM, 3 EDO, 5 SDRAM, 6 DDR, 7 DDR2, 8 FB-DDR2, 9 DDR3
  char serialNumber[9] = {};  // eight hexadecimal digits
};
