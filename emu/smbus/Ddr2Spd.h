// SPD contents of a DDR2 unbuffered module (JEDEC Standard No. 21-C, DDR2
// SPD), optionally with NVIDIA Enhanced Performance Profiles (EPP 1.0) in
// bytes 99-127.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace emu {

struct Ddr2SpdModule {
  unsigned sizeMiB = 2048;    // 1024 or 2048: one or two ranks of 1 GB
  unsigned dataRateMT = 800;  // 667 or 800
  std::string partNumber = "TVK2U800C5-2G";
  uint32_t serial = 0x00010203;
  // JEP106 maker: bytes 64-71 get `makerBank` continuation codes, then the code.
  uint8_t makerBank = 0;
  uint8_t makerCode = 0xCE;
  // Full EPP with two profiles: DDR2-1066 5-5-5-15 2.1 V 2T and DDR2-800
  // 4-4-4-12 2.0 V 1T.
  bool epp = false;
};

// 256 bytes; byte 63 is the checksum of bytes 0-62.
std::vector<uint8_t> Ddr2SpdImage(const Ddr2SpdModule& module);

}  // namespace emu
