// SPD contents of a DDR3 unbuffered module (JEDEC Standard No. 21-C,
// Annex K), for the EEPROMs the emulated boards put at 0x50-0x57.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace emu {

struct Ddr3SpdModule {
  unsigned sizeMiB = 2048;       // 1024, 2048 or 4096 (x8 devices of 1 or 2 Gbit, one or two ranks)
  unsigned dataRateMT = 1333;    // 1066, 1333 or 1600
  std::string partNumber = "TVK3U1333C9-2G";
  uint32_t serial = 0x00010203;
  // JEP106 maker: continuation codes before the code (bank - 1), code with parity.
  uint8_t makerBank = 0;
  uint8_t makerCode = 0x2C;
  // Registered ECC module (server boards) instead of an unbuffered one.
  bool registered = false;
  // An Intel XMP block with one DDR3-1600 9-9-9-24 1.65 V profile; the
  // second profile is left empty (cycle time 0), as on single-profile kits.
  bool xmp = false;
  // A JC-42.4 temperature sensor on the module (byte 32 bit 7), answering
  // at 0x18 | slot beside the EEPROM.
  bool thermalSensor = true;
};

// 256 bytes with the CRC over bytes 0-116 in bytes 126-127.
std::vector<uint8_t> Ddr3SpdImage(const Ddr3SpdModule& module);
// JEDEC SPD CRC-16 (polynomial 0x1021, initial value 0).
uint16_t SpdCrc16(const uint8_t* data, size_t length);

}  // namespace emu
