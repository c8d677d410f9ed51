// The driver device's request decoding and its compound operations.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "driver/DriverProtocol.h"
#include "driver/KmioDevice.h"
#include "emu/BoardDescription.h"
#include "emu/EmulatedMachine.h"

using namespace drv;

namespace {

std::shared_ptr<emu::EmulatedMachine> Board() {
  std::string err;
  return emu::BuildBoard("brenmor-x58", emu::TimeBase::Mode::Virtual, &err);
}

uint32_t Call(KmioDevice& dev, uint32_t function, const void* in, uint32_t inSize, void* out, uint32_t outSize,
              UserBuffer user = {}) {
  uint32_t returned = 0;
  return dev.IoControl(ControlCode(function), in, inSize, out, outSize, &returned, user);
}

TEST(KmioDeviceTest, ShortBuffersAndUnknownFunctionsAreInvalidParameters) {
  auto m = Board();
  KmioDevice dev(*m);
  uint8_t in[64] = {}, out[64] = {};
  for (const RequestSize& r : kRequestSizes) {
    SCOPED_TRACE(r.function);
    if (r.input) {
      EXPECT_EQ(Call(dev, r.function, in, r.input - 1, out, sizeof(out)), kErrorInvalidParameter);
      EXPECT_EQ(Call(dev, r.function, nullptr, r.input, out, sizeof(out)), kErrorInvalidParameter);
    }
    if (r.output) {
      EXPECT_EQ(Call(dev, r.function, in, sizeof(in), out, r.output - 1), kErrorInvalidParameter);
    }
  }
  for (uint32_t f : {0x8FFu, 0x907u, 0x90Au, 0x90Fu, 0x91Bu, 0x941u, 0x943u})
    EXPECT_EQ(Call(dev, f, in, sizeof(in), out, sizeof(out)), kErrorInvalidParameter) << f;
  uint32_t returned = 0;
  EXPECT_EQ(dev.IoControl(0x12340000 | kGetVersion << 2, in, 0, out, 4, &returned, {}), kErrorInvalidParameter)
      << "wrong device type";
}

TEST(KmioDeviceTest, VersionAndNotAvailableFunctions) {
  auto m = Board();
  KmioDevice dev(*m);
  uint32_t out[11] = {};
  ASSERT_EQ(Call(dev, kGetVersion, nullptr, 0, out, 4), kErrorSuccess);
  EXPECT_EQ(out[0], 0x135u);
  uint8_t in[32] = {};
  for (uint32_t f : {kIa64IdRegisters, kIa64FirmwareCall, kAcpiRoot, kAcpiChild, kAcpiEvaluate, kAcpiGlobalLock})
    EXPECT_EQ(Call(dev, f, in, sizeof(in), out, sizeof(out)), kErrorNotSupported) << f;
}

TEST(KmioDeviceTest, BufferPointersMustLieInsideTheCallersBuffer) {
  auto m = Board();
  KmioDevice dev(*m);
  uint8_t data[16] = {};
  uint32_t out[2] = {};
  auto request = [&](void* p, uint32_t length) {
    uint32_t in[5] = {0, 0xF0000, length, PointerHigh(p), PointerLow(p)};
    return Call(dev, kReadPhysicalBlock, in, sizeof(in), out, sizeof(out), {data, sizeof(data)});
  };
  EXPECT_EQ(request(data, 16), kErrorSuccess);
  EXPECT_EQ(request(data + 8, 8), kErrorSuccess);
  EXPECT_EQ(request(data + 8, 9), kErrorInvalidParameter);
  EXPECT_EQ(request(data, 0), kErrorInvalidParameter);
  EXPECT_EQ(request(reinterpret_cast<void*>(0x1000), 4), kErrorInvalidParameter);
  uint32_t pci[7] = {0, 0, 0, 0, 4, PointerHigh(data), PointerLow(data)};
  uint32_t count = 0;
  EXPECT_EQ(Call(dev, kReadPciConfig, pci, sizeof(pci), &count, 4, {}), kErrorInvalidParameter);
  EXPECT_EQ(Call(dev, kReadPciConfig, pci, sizeof(pci), &count, 4, {data, sizeof(data)}), kErrorSuccess);
  EXPECT_EQ(count, 4u);
  uint32_t id;
  std::memcpy(&id, data, 4);
  EXPECT_EQ(id, 0x34058086u);
}

TEST(KmioDeviceTest, KeptMappingsTableHoldsSixteenAndReusesCoveringRanges) {
  auto m = Board();
  KmioDevice dev(*m);
  auto map = [&](uint64_t address, uint32_t length) {
    uint32_t in[3] = {static_cast<uint32_t>(address >> 32), static_cast<uint32_t>(address), length}, out[2] = {};
    EXPECT_EQ(Call(dev, kMapPhysical, in, sizeof(in), out, sizeof(out)), kErrorSuccess);
    return static_cast<uint64_t>(out[1]) << 32 | out[0];
  };
  uint64_t first = map(0x10000, 0x1000);
  ASSERT_NE(first, 0u);
  EXPECT_EQ(map(0x10100, 0x10), first) << "a range inside a kept one answers its handle";
  for (int i = 1; i < 16; ++i) EXPECT_NE(map(0x100000 + i * 0x10000, 0x1000), 0u);
  EXPECT_EQ(dev.KeptMappingCount(), 16);
  EXPECT_EQ(map(0x900000, 0x1000), 0u) << "table full: handle 0, no entry";
  EXPECT_EQ(dev.KeptMappingCount(), 16);
  // Reads through a kept mapping and past it give the same bytes.
  uint8_t pattern[4] = {1, 2, 3, 4}, a[4] = {}, b[4] = {};
  m->LoadPhysical(0x10200, pattern, 4);
  m->LoadPhysical(0x900200, pattern, 4);
  for (auto [address, buf] : {std::pair<uint64_t, uint8_t*>{0x10200, a}, {0x900200, b}}) {
    uint32_t in[5] = {0, static_cast<uint32_t>(address), 4, PointerHigh(buf), PointerLow(buf)}, out[2];
    EXPECT_EQ(Call(dev, kReadPhysicalBlock, in, sizeof(in), out, sizeof(out), {buf, 4}), kErrorSuccess);
  }
  EXPECT_EQ(std::memcmp(a, pattern, 4), 0);
  EXPECT_EQ(std::memcmp(b, pattern, 4), 0);
  uint32_t un[3] = {0, 0x10000, 0x1000}, out[2];
  EXPECT_EQ(Call(dev, kUnmapPhysical, un, sizeof(un), out, sizeof(out)), kErrorSuccess);
  EXPECT_EQ(dev.KeptMappingCount(), 15);
  EXPECT_EQ(Call(dev, kUnmapPhysical, un, sizeof(un), out, sizeof(out)), kErrorInvalidParameter);
}

TEST(KmioDeviceTest, CounterRateAgainstThePowerManagementTimer) {
  auto m = Board();
  KmioDevice dev(*m);
  uint32_t in[2] = {0x408, 0x10}, out[2] = {};
  ASSERT_EQ(Call(dev, kMsrRate, in, sizeof(in), out, sizeof(out)), kErrorSuccess);
  float mhz;
  std::memcpy(&mhz, &out[1], 4);
  EXPECT_NEAR(mhz, 133.33 * 20, 1.0);
  m->SetBclkMHz(150.0);
  ASSERT_EQ(Call(dev, kMsrRate, in, sizeof(in), out, sizeof(out)), kErrorSuccess);
  std::memcpy(&mhz, &out[1], 4);
  EXPECT_NEAR(mhz, 3000.0, 1.0);
  // A port where no timer runs never advances: the request gives up.
  uint32_t dead[2] = {0x1234, 0x10};
  m->cost.portNs = 0;
  EXPECT_EQ(Call(dev, kMsrRate, dead, sizeof(dead), out, sizeof(out)), kErrorIo);
}

// A port that changes only every 64 readings, like the upper half of a
// timer: no run of equal readings is long, yet the wait would take minutes.
class SlowCounter : public emu::PortDevice {
 public:
  bool PortRead(uint16_t, int, uint32_t* v) override {
    *v = static_cast<uint32_t>(++reads / 64);
    return true;
  }
  bool PortWrite(uint16_t, int, uint32_t) override { return true; }
  long reads = 0;
};

TEST(KmioDeviceTest, CounterRateGivesUpOnASlowPortWithinItsBounds) {
  auto m = Board();
  auto slow = std::make_shared<SlowCounter>();
  m->AddPortDevice(0x1240, 4, slow);
  m->cost.portNs = 0;
  KmioDevice dev(*m);
  uint32_t in[2] = {0x1240, 0x10}, out[2] = {};
  EXPECT_EQ(Call(dev, kMsrRate, in, sizeof(in), out, sizeof(out)), kErrorIo);
  EXPECT_LE(slow->reads, KmioDevice::kMaxRateReadings + 1);
}

// An Intel-style SMBus host register fake: one slave at 0x50 answering
// register n with n ^ 0x5A, everything else NAKs.
class IntelSmbusFake : public emu::PortDevice {
 public:
  bool PortRead(uint16_t offset, int, uint32_t* v) override {
    *v = offset == 0 ? status : offset == 5 ? data : regs[offset & 0xF];
    return true;
  }
  bool PortWrite(uint16_t offset, int, uint32_t v) override {
    if (offset == 0) {
      status &= ~v;
      statusWrites.push_back(v);
    } else if (offset == 2 && (v & 0x40)) {
      if ((regs[4] >> 1) == 0x50) {
        data = regs[3] ^ 0x5A;
        status |= 0x02;
      } else {
        status |= 0x04;
      }
    } else {
      regs[offset & 0xF] = v;
    }
    return true;
  }
  uint32_t status = 0, data = 0, regs[16] = {};
  std::vector<uint32_t> statusWrites;
};

TEST(KmioDeviceTest, IntelSmbusByteRead) {
  auto m = Board();
  auto host = std::make_shared<IntelSmbusFake>();
  m->AddPortDevice(0xE000, 0x20, host);
  KmioDevice dev(*m);
  uint32_t in[3] = {0xE000, 0x50, 0x12}, out[4] = {};
  ASSERT_EQ(Call(dev, kSmbusReadByteIntel, in, sizeof(in), out, sizeof(out)), kErrorSuccess);
  EXPECT_EQ(out[0], 1u);
  EXPECT_EQ(out[1], 0x12u ^ 0x5A);
  EXPECT_EQ(out[2], 0u);
  EXPECT_EQ(host->regs[2] & 0x0C, 0x08u) << "byte-data protocol";
  EXPECT_EQ(host->statusWrites.front(), 0xFFu);
  uint32_t absent[3] = {0xE000, 0x51, 0x12};
  ASSERT_EQ(Call(dev, kSmbusReadByteIntel, absent, sizeof(absent), out, sizeof(out)), kErrorSuccess);
  EXPECT_EQ(out[0], 0u) << "device error bit";
  EXPECT_EQ(out[3] & 0x04, 0x04u);
  // A busy bit that never clears: time-out marker 0xEE.
  host->status = 0x01;
  host->regs[4] = 0;
  auto stuck = std::make_shared<IntelSmbusFake>();
  stuck->status = 0x01;
  m->AddPortDevice(0xE100, 0x20, stuck);
  struct Stuck : emu::PortDevice {
    bool PortRead(uint16_t o, int, uint32_t* v) override { return *v = o == 0 ? 0x01 : 0, true; }
    bool PortWrite(uint16_t, int, uint32_t) override { return true; }
  };
  m->AddPortDevice(0xE200, 0x20, std::make_shared<Stuck>());
  uint32_t busy[3] = {0xE200, 0x50, 0};
  ASSERT_EQ(Call(dev, kSmbusReadByteIntel, busy, sizeof(busy), out, sizeof(out)), kErrorSuccess);
  EXPECT_EQ(out[0], 0u);
  EXPECT_EQ(out[2], 0xEEu);
  // A host that never runs the transaction shows neither busy nor an error
  // bit, and its data register holds an older byte: that is no success.
  struct Idle : emu::PortDevice {
    bool PortRead(uint16_t o, int, uint32_t* v) override { return *v = o == 5 ? 0x42 : 0, true; }
    bool PortWrite(uint16_t, int, uint32_t) override { return true; }
  };
  m->AddPortDevice(0xE300, 0x20, std::make_shared<Idle>());
  uint32_t idle[3] = {0xE300, 0x50, 0};
  ASSERT_EQ(Call(dev, kSmbusReadByteIntel, idle, sizeof(idle), out, sizeof(out)), kErrorSuccess);
  EXPECT_EQ(out[0], 0u);
}

TEST(KmioDeviceTest, SmiRoundTripsTheRegisters) {
  auto m = Board();
  m->SetSmiHandler([](uint32_t r[4]) {
    r[1] = 0xB0A7;
    return true;
  });
  KmioDevice dev(*m);
  uint32_t in[4] = {0x1234, 1, 2, 3}, out[4] = {};
  ASSERT_EQ(Call(dev, kCallSmi, in, sizeof(in), out, sizeof(out)), kErrorSuccess);
  EXPECT_EQ(out[0], 0x1234u);
  EXPECT_EQ(out[1], 0xB0A7u);
}

}  // namespace
