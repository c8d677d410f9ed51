// A board's SMBIOS structure table and entry point, laid out in the
// firmware area of emulated physical memory: the entry point at 0xF0000,
// the structures at 0xF1000 and the BIOS maker's identification string
// near the top of the image.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace emu {

class EmulatedMachine;

struct SmbiosDimm {
  std::string locator;  // "DIMM_A1"
  uint16_t sizeMB;      // 0: empty slot
  uint16_t speedMHz;
};

struct SmbiosContent {
  std::string biosVendor = "American Megatrends Inc.";
  std::string biosVersion = "0801";
  std::string biosDate = "04/12/2010";
  uint8_t romSizeCode = 31;  // (code + 1) x 64 KB
  std::string systemMaker, systemProduct, systemVersion = "1.0", systemSerial = "System Serial Number";
  uint8_t uuid[16] = {0x00, 0x5C, 0x21, 0x80, 0x11, 0x52, 0xDF, 0x11, 0x80, 0x62, 0x00, 0x24, 0x8C, 0x6F, 0x2E, 0x1A};
  std::string boardMaker, boardProduct, boardVersion = "Rev 1.xx", boardSerial = "MT7012345678";
  std::string cpuSocket = "LGA1366", cpuMaker = "Intel", cpuVersion;
  uint8_t cpuFamily = 0xC6;  // Core i7
  uint16_t externalClockMHz = 133, maxSpeedMHz = 3800, currentSpeedMHz = 2666;
  uint8_t cores = 4, threads = 8;
  std::vector<SmbiosDimm> dimms;
};

// The structures (types 0, 1, 2, 4, 16, 17 and the end marker) as bytes.
std::vector<uint8_t> BuildSmbiosStructures(const SmbiosContent& content, uint16_t* count);
// A 2.x entry point ("_SM_" with the legacy "_DMI_" part at +0x10) for a
// table at `tableAddress`; both checksums filled in.
std::vector<uint8_t> BuildSmbiosEntryPoint(uint32_t tableAddress, uint16_t tableLength, uint16_t count);
// The same table as `dmidecode --dump-bin` saves it: entry point at 0 with
// the table address rewritten to 0x20, table at 0x20.
std::vector<uint8_t> BuildSmbiosDump(const SmbiosContent& content);

// The content of the board the machine is built for: its maker and product
// (written with the stray blanks and quotes real firmware has), the given
// processor and memory.
SmbiosContent BoardSmbios(const EmulatedMachine& machine, const std::string& cpuVersion, uint16_t externalClockMHz,
                          uint16_t currentSpeedMHz, int dimmCount, uint16_t dimmSizeMB);

inline constexpr uint32_t kSmbiosEntryAddress = 0xF0000;
inline constexpr uint32_t kSmbiosTableAddress = 0xF1000;
inline constexpr uint32_t kBiosIdAddress = 0xFFE00;

// Writes the entry point, the table and the BIOS identification into the
// machine's firmware area (which must be RAM).
void InstallSmbios(EmulatedMachine& machine, const SmbiosContent& content);

}  // namespace emu
