#include "emu/firmware/SmbiosTable.h"

#include <cstring>

#include "emu/BoardDescription.h"
#include "emu/EmulatedMachine.h"

namespace emu {

namespace {

// One structure: the formatted area and its strings.
class Structure {
 public:
  Structure(uint8_t type, uint8_t length, uint16_t handle) : bytes_(length, 0) {
    bytes_[0] = type;
    bytes_[1] = length;
    Word(2, handle);
  }
  void Byte(size_t at, uint8_t v) { bytes_[at] = v; }
  void Word(size_t at, uint16_t v) {
    bytes_[at] = static_cast<uint8_t>(v);
    bytes_[at + 1] = static_cast<uint8_t>(v >> 8);
  }
  void Dword(size_t at, uint32_t v) {
    Word(at, static_cast<uint16_t>(v));
    Word(at + 2, static_cast<uint16_t>(v >> 16));
  }
  // Stores the number of `text` in the string set (0 for an empty string).
  void String(size_t at, const std::string& text) {
    if (text.empty()) return;
    strings_.push_back(text);
    bytes_[at] = static_cast<uint8_t>(strings_.size());
  }
  void AppendTo(std::vector<uint8_t>& out) const {
    out.insert(out.end(), bytes_.begin(), bytes_.end());
    if (strings_.empty()) {
      out.push_back(0);
    } else {
      for (const auto& s : strings_) {
        out.insert(out.end(), s.begin(), s.end());
        out.push_back(0);
      }
    }
    out.push_back(0);
  }

 private:
  std::vector<uint8_t> bytes_;
  std::vector<std::string> strings_;
};

uint8_t Checksum(const uint8_t* p, size_t n) {
  uint8_t sum = 0;
  for (size_t i = 0; i < n; ++i) sum = static_cast<uint8_t>(sum + p[i]);
  return static_cast<uint8_t>(-sum);
}

}  // namespace

std::vector<uint8_t> BuildSmbiosStructures(const SmbiosContent& c, uint16_t* count) {
  std::vector<Structure> list;
  uint16_t handle = 0;

  Structure bios(0, 0x18, handle++);
  bios.String(4, c.biosVendor);
  bios.String(5, c.biosVersion);
  bios.Word(6, 0xF000);
  bios.String(8, c.biosDate);
  bios.Byte(9, c.romSizeCode);
  bios.Dword(0x0A, 0x4BD99E80);  // PCI, BIOS upgradeable, shadowing, boot from CD, EDD ...
  bios.Dword(0x0E, 0);
  bios.Byte(0x12, 0x03);  // ACPI, USB legacy
  bios.Byte(0x13, 0x0D);  // BIOS boot, targeted content distribution, UEFI-less
  bios.Byte(0x14, 8);
  bios.Byte(0x15, 15);
  bios.Byte(0x16, 0xFF);
  bios.Byte(0x17, 0xFF);
  list.push_back(bios);

  Structure system(1, 0x1B, handle++);
  system.String(4, c.systemMaker);
  system.String(5, c.systemProduct);
  system.String(6, c.systemVersion);
  system.String(7, c.systemSerial);
  for (int i = 0; i < 16; ++i) system.Byte(8 + i, c.uuid[i]);
  system.Byte(0x18, 6);  // wake-up: power switch
  system.String(0x19, "To be filled by O.E.M.");
  system.String(0x1A, "Desktop");
  list.push_back(system);

  Structure board(2, 0x0F, handle++);
  board.String(4, c.boardMaker);
  board.String(5, c.boardProduct);
  board.String(6, c.boardVersion);
  board.String(7, c.boardSerial);
  board.String(8, "To be filled by O.E.M.");
  board.Byte(9, 0x09);  // hosting board, replaceable
  board.String(0x0A, "To be filled by O.E.M.");
  board.Word(0x0B, 0xFFFF);
  board.Byte(0x0D, 0x0A);  // motherboard
  board.Byte(0x0E, 0);
  list.push_back(board);

  Structure cpu(4, 0x2A, handle++);
  cpu.String(4, c.cpuSocket);
  cpu.Byte(5, 3);  // central processor
  cpu.Byte(6, c.cpuFamily);
  cpu.String(7, c.cpuMaker);
  cpu.Dword(8, 0x000106A5);
  cpu.Dword(0x0C, 0xBFEBFBFF);
  cpu.String(0x10, c.cpuVersion);
  cpu.Byte(0x11, 0x8A);  // 1.0 V
  cpu.Word(0x12, c.externalClockMHz);
  cpu.Word(0x14, c.maxSpeedMHz);
  cpu.Word(0x16, c.currentSpeedMHz);
  cpu.Byte(0x18, 0x41);  // populated, enabled
  cpu.Byte(0x19, 0x19);  // LGA1366 upgrade code
  cpu.Word(0x1A, 0xFFFF);
  cpu.Word(0x1C, 0xFFFF);
  cpu.Word(0x1E, 0xFFFF);
  cpu.String(0x20, "To Be Filled By O.E.M.");
  cpu.Byte(0x23, c.cores);
  cpu.Byte(0x24, c.cores);
  cpu.Byte(0x25, c.threads);
  cpu.Word(0x26, 0x0004);  // 64-bit capable
  cpu.Word(0x28, c.cpuFamily);
  list.push_back(cpu);

  uint32_t totalKB = 0;
  for (const auto& d : c.dimms) totalKB += static_cast<uint32_t>(d.sizeMB) * 1024;
  const uint16_t arrayHandle = handle++;
  Structure array(16, 0x0F, arrayHandle);
  array.Byte(4, 3);  // system board
  array.Byte(5, 3);  // system memory
  array.Byte(6, 3);  // no error correction
  array.Dword(7, totalKB ? 24u * 1024 * 1024 : 0x80000000u);
  array.Word(0x0B, 0xFFFE);
  array.Word(0x0D, static_cast<uint16_t>(c.dimms.size()));
  list.push_back(array);

  for (const auto& d : c.dimms) {
    Structure dev(17, 0x1C, handle++);
    dev.Word(4, arrayHandle);
    dev.Word(6, 0xFFFE);
    dev.Word(8, d.sizeMB ? 64 : 0xFFFF);
    dev.Word(0x0A, d.sizeMB ? 64 : 0xFFFF);
    dev.Word(0x0C, d.sizeMB);
    dev.Byte(0x0E, 9);  // DIMM
    dev.String(0x10, d.locator);
    dev.String(0x11, "BANK" + d.locator.substr(d.locator.size() - 1));
    dev.Byte(0x12, 0x18);  // DDR3
    dev.Word(0x13, 0x0080);  // synchronous
    dev.Word(0x15, d.speedMHz);
    dev.String(0x17, d.sizeMB ? "Manufacturer00" : "");
    dev.String(0x18, d.sizeMB ? "SerNum00" : "");
    dev.String(0x1A, d.sizeMB ? "  'PartNum0'  " : "");
    dev.Byte(0x1B, d.sizeMB ? 2 : 0);
    list.push_back(dev);
  }

  list.emplace_back(127, 4, handle++);

  std::vector<uint8_t> out;
  for (const auto& s : list) s.AppendTo(out);
  if (count) *count = static_cast<uint16_t>(list.size());
  return out;
}

std::vector<uint8_t> BuildSmbiosEntryPoint(uint32_t tableAddress, uint16_t tableLength, uint16_t count) {
  std::vector<uint8_t> e(0x1F, 0);
  std::memcpy(&e[0], "_SM_", 4);
  e[5] = 0x1F;  // length
  e[6] = 2;     // version 2.6
  e[7] = 6;
  e[8] = 0x2A;  // largest structure
  std::memcpy(&e[0x10], "_DMI_", 5);
  e[0x16] = static_cast<uint8_t>(tableLength);
  e[0x17] = static_cast<uint8_t>(tableLength >> 8);
  for (int i = 0; i < 4; ++i) e[0x18 + i] = static_cast<uint8_t>(tableAddress >> (8 * i));
  e[0x1C] = static_cast<uint8_t>(count);
  e[0x1D] = static_cast<uint8_t>(count >> 8);
  e[0x1E] = 0x26;  // BCD revision
  e[0x15] = Checksum(&e[0x10], 0x0F);
  e[4] = Checksum(e.data(), 0x1F);
  return e;
}

std::vector<uint8_t> BuildSmbiosDump(const SmbiosContent& content) {
  uint16_t count = 0;
  std::vector<uint8_t> table = BuildSmbiosStructures(content, &count);
  std::vector<uint8_t> out = BuildSmbiosEntryPoint(0x20, static_cast<uint16_t>(table.size()), count);
  out.resize(0x20, 0);
  out.insert(out.end(), table.begin(), table.end());
  return out;
}

SmbiosContent BoardSmbios(const EmulatedMachine& m, const std::string& cpuVersion, uint16_t externalClockMHz,
                          uint16_t currentSpeedMHz, int dimmCount, uint16_t dimmSizeMB) {
  SmbiosContent c;
  const BoardDescription* b = m.Board();
  std::string maker = b ? b->maker : "Unknown", product = b ? b->product : "Unknown";
  c.systemMaker = maker;
  c.systemProduct = "\"" + product + "\"";  // quoted, as some firmware writes it
  c.boardMaker = maker + " ";
  c.boardProduct = "  " + product + "  ";  // padded with blanks
  c.cpuVersion = cpuVersion;
  c.externalClockMHz = externalClockMHz;
  c.currentSpeedMHz = currentSpeedMHz;
  for (int i = 0; i < dimmCount; ++i) {
    std::string locator = "DIMM_";
    locator += static_cast<char>('A' + i / 2);
    locator += static_cast<char>('1' + i % 2);
    c.dimms.push_back({locator, dimmSizeMB, 1333});
  }
  return c;
}

void InstallSmbios(EmulatedMachine& m, const SmbiosContent& content) {
  uint16_t count = 0;
  std::vector<uint8_t> table = BuildSmbiosStructures(content, &count);
  std::vector<uint8_t> entry = BuildSmbiosEntryPoint(kSmbiosTableAddress, static_cast<uint16_t>(table.size()), count);
  m.LoadPhysical(kSmbiosEntryAddress, entry.data(), entry.size());
  m.LoadPhysical(kSmbiosTableAddress, table.data(), table.size());
  std::string id = content.biosVendor + " BIOS " + content.biosVersion;
  m.LoadPhysical(kBiosIdAddress, id.c_str(), id.size() + 1);
}

}  // namespace emu
