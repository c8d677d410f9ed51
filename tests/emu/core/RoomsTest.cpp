// The machine's rooms on their own: how physical memory cuts an access
// between RAM and a memory-mapped chip, the bounds of a driver mapping, and
// configuration mechanism #1 in front of the PCI bus.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "emu/PciBus.h"
#include "emu/PhysicalMemory.h"
#include "emu/PortBus.h"

namespace {

// A memory-mapped chip that logs each piece it is handed and echoes the
// offset in every byte it reads.
class PieceLog : public emu::MmioDevice {
 public:
  bool MmioRead(uint64_t offset, int width, uint32_t* value) override {
    pieces.push_back({offset, width});
    *value = 0x01010101u * static_cast<uint32_t>(0xA0 + offset);
    return true;
  }
  bool MmioWrite(uint64_t offset, int width, uint32_t value) override {
    pieces.push_back({offset, width});
    return true;
  }
  std::vector<std::pair<uint64_t, int>> pieces;
};

TEST(PhysicalMemoryRoom, AccessesSplitIntoAlignedPiecesBetweenRamAndAChip) {
  std::recursive_mutex lock;
  emu::PhysicalMemory memory(lock);
  auto chip = std::make_shared<PieceLog>();
  memory.AddRam(0x1000, 0x1000);
  memory.AddMmio(0x2000, 0x10, chip);

  const uint8_t seven[7] = {1, 2, 3, 4, 5, 6, 7};
  ASSERT_TRUE(memory.Write(0x2001, seven, 7));
  EXPECT_EQ(chip->pieces, (std::vector<std::pair<uint64_t, int>>{{1, 1}, {2, 2}, {4, 4}}));

  // Four bytes of RAM, then one dword of the chip.
  chip->pieces.clear();
  const uint8_t ram[4] = {0x11, 0x22, 0x33, 0x44};
  ASSERT_TRUE(memory.Write(0x1FFC, ram, 4));
  uint8_t out[8] = {};
  ASSERT_TRUE(memory.Read(0x1FFC, out, 8));
  EXPECT_EQ(std::memcmp(out, ram, 4), 0);
  EXPECT_EQ(out[4], 0xA0);
  EXPECT_EQ(chip->pieces, (std::vector<std::pair<uint64_t, int>>{{0, 4}}));

  // Unwritten RAM reads zero; an address nothing backs floats high and
  // keeps nothing, also when loaded.
  uint32_t v = 0x12345678;
  ASSERT_TRUE(memory.Read(0x1800, &v, 4));
  EXPECT_EQ(v, 0u);
  memory.Load(0x9000, ram, 4);
  ASSERT_TRUE(memory.Read(0x9000, &v, 4));
  EXPECT_EQ(v, 0xFFFFFFFFu);
}

TEST(PhysicalMemoryRoom, MappingsResolveOnlyInsideTheirRange) {
  std::recursive_mutex lock;
  emu::PhysicalMemory memory(lock);
  const uint64_t handle = memory.Map(0x7000, 0x100);
  EXPECT_EQ(memory.OpenMappings(), 1u);
  struct Case {
    uint32_t offset, length;
    bool inside;
  } cases[] = {
      {0, 0x100, true}, {0xF0, 0x10, true}, {0xF0, 0x11, false}, {0x101, 0, false}, {0xFFFFFFF0u, 0x20, false},
  };
  for (const Case& c : cases) {
    uint64_t address = 0;
    EXPECT_EQ(memory.Resolve(handle, c.offset, c.length, &address), c.inside) << c.offset << "+" << c.length;
    if (c.inside) {
      EXPECT_EQ(address, 0x7000u + c.offset);
    }
  }
  uint64_t address = 0;
  EXPECT_FALSE(memory.Resolve(handle + 1, 0, 1, &address)) << "no such handle";
  memory.Unmap(handle);
  EXPECT_FALSE(memory.Resolve(handle, 0, 1, &address));
  EXPECT_EQ(memory.OpenMappings(), 0u);
}

TEST(PciBusRoom, ConfigurationMechanismOnThePortBus) {
  std::recursive_mutex lock;
  emu::PciBus pci(lock);
  emu::PortBus ports(lock, pci);
  auto& lpc = pci.Add(std::make_unique<emu::PciFunction>(0, 0x1F, 3, 0x8086, 0x3A30, 0x0C050000));
  lpc.Set32(0x40, 0x11223344);
  const uint32_t enable = 0x80000000u, function = 0x1Fu << 11 | 3u << 8;
  struct Case {
    const char* name;
    uint32_t address;
    uint16_t port;
    int width;
    uint32_t expected;
  } cases[] = {
      {"dword", enable | function | 0x40, 0xCFC, 4, 0x11223344},
      {"byte of the window", enable | function | 0x40, 0xCFE, 1, 0x22},
      {"word of the window", enable | function | 0x40, 0xCFE, 2, 0x1122},
      {"enable bit clear", function | 0x40, 0xCFC, 4, 0xFFFFFFFF},
      {"no such function", enable | 0x1Fu << 11 | 5u << 8 | 0x40, 0xCFC, 4, 0xFFFFFFFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    uint32_t address = c.address;
    ASSERT_TRUE(ports.Access(0xCF8, 4, &address, true));
    uint32_t v = 0;
    ASSERT_TRUE(ports.Access(c.port, c.width, &v, false));
    EXPECT_EQ(v, c.expected);
  }
  // A byte write to 0xCF8 is ordinary I/O: the latch keeps its address.
  uint32_t latch = enable | function | 0x40, stray = 0, back = 0;
  ASSERT_TRUE(ports.Access(0xCF8, 4, &latch, true));
  ASSERT_TRUE(ports.Access(0xCF8, 1, &stray, true));
  ASSERT_TRUE(ports.Access(0xCF8, 4, &back, false));
  EXPECT_EQ(back, latch);
  // Writes through the window reach the function.
  uint32_t byte = 0x5A;
  ASSERT_TRUE(ports.Access(0xCFD, 1, &byte, true));
  EXPECT_EQ(pci.Read(0, 0x1F, 3, 0x41, 1), 0x5Au);
}

}  // namespace
