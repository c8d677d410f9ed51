// The NVIDIA graphics I2C bus driven bit by bit through an emulated card's
// GPIO line registers, with devices that follow the bus at bit level; the
// request interface of the graphics spaces; the CRTC unlock; the SDK space.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "emu/gpu/NvidiaGpu.h"
#include "emu/smbus/SmbusRegisterSlave.h"
#include "platform/GlobalMutex.h"
#include "sdk/access/CIORequest.h"
#include "sdk/graphics/CDisplayAPI.h"
#include "sdk/graphics/CDisplayAdapter.h"
#include "sdk/graphics/CDisplayInterface.h"
#include "sdk/graphics/CI2CRegisterSpace.h"
#include "sdk/graphics/DisplayAPI_I2CRegisterSpace.h"
#include "sdk/graphics/GraphicsI2CReport.h"
#include "tests/sdk/graphics/GraphicsTestMachine.h"

namespace {

using graphicstest::GraphicsSdk;

// A register device that refuses some register numbers (their pointer byte
// is not acknowledged) and counts its reads.
class PickyDevice : public emu::SmbusRegisterSlave {
 public:
  bool SendByte(uint8_t value) override { return value != refused && SmbusRegisterSlave::SendByte(value); }
  bool ReadByteData(uint8_t command, uint8_t* value) override {
    ++reads;
    return SmbusRegisterSlave::ReadByteData(command, value);
  }
  uint8_t refused = 0x55;
  int reads = 0;
};

class NvidiaBus : public testing::Test {
 protected:
  void SetUp() override {
    gpu = emu::NvidiaGpu::Install(*env.machine, {1, 0, 0x06C0, 0xA3, 0x1B4F, 0x2480, 0xF0000000});
    device = std::make_shared<PickyDevice>();
    device->SetReadOnly(0x66);
    gpu->I2cBus(2).Attach(0x48, device);
    generalCall = std::make_shared<emu::SmbusRegisterSlave>();
    gpu->I2cBus(0).Attach(0x00, generalCall);
    ASSERT_TRUE(env.Start());
    ASSERT_TRUE(env.Sdk().CreateDisplayInterface(0));
    auto* display = static_cast<CDisplayInterface*>(env.Sdk().FindInterface(INTERFACE_DISPLAY));
    adapter = display->AdapterAt(0);
    space = adapter->directI2C;
    ASSERT_NE(space, nullptr);
    ASSERT_EQ(space->engineCode, 0x1050000);
  }
  const std::vector<uint8_t>& Wire(int port) { return gpu->I2cBus(port).WireBytes(); }

  GraphicsSdk env;
  std::shared_ptr<emu::NvidiaGpu> gpu;
  std::shared_ptr<PickyDevice> device;
  std::shared_ptr<emu::SmbusRegisterSlave> generalCall;
  CDisplayAdapter* adapter = nullptr;
  CI2CRegisterSpace* space = nullptr;
};

TEST_F(NvidiaBus, ByteAndWordTransactionsOnTheWire) {
  EXPECT_EQ(space->LockedWriteByte(2, 0x48, 0x10, 0xA5), 1);
  EXPECT_EQ(device->Get(0x10), 0xA5);
  EXPECT_EQ(Wire(2), (std::vector<uint8_t>{0x90, 0x10, 0xA5}));

  uint8_t v = 0;
  EXPECT_EQ(space->LockedReadByte(2, 0x48, 0x10, &v), 1);
  EXPECT_EQ(v, 0xA5);
  // Register byte after the write address, then a repeated start with the read address.
  const auto& all = gpu->I2cBus(2).AllBytes();
  EXPECT_EQ(std::vector<uint8_t>(all.end() - 4, all.end()), (std::vector<uint8_t>{0x90, 0x10, 0x91, 0xA5}));

  EXPECT_EQ(space->LockedWriteWord(2, 0x48, 0x20, 0xBEEF), 1);
  EXPECT_EQ(device->Get(0x20), 0xEF);
  EXPECT_EQ(device->Get(0x21), 0xBE);
  uint16_t w = 0;
  EXPECT_EQ(space->LockedReadWord(2, 0x48, 0x20, &w), 1);
  EXPECT_EQ(w, 0xBEEF);
  // The same address on another port is another bus.
  EXPECT_EQ(space->LockedReadByte(1, 0x48, 0x10, &v), 0);
  EXPECT_EQ(v, 0xFF);
  EXPECT_EQ(gpu->I2cBus(2).Transactions(), 4);
}

TEST_F(NvidiaBus, UnacknowledgedBytesEndTheTransaction) {
  uint8_t v = 0;
  // Nobody at 0x49: the address is not acknowledged.
  EXPECT_EQ(space->LockedReadByte(2, 0x49, 0x10, &v), 0);
  EXPECT_EQ(v, 0xFF);
  EXPECT_EQ(space->LockedWriteByte(2, 0x49, 0x10, 1), 0);
  // A refused register byte: 0, and the read address is never sent.
  const size_t before = gpu->I2cBus(2).AllBytes().size();
  EXPECT_EQ(space->LockedReadByte(2, 0x48, 0x55, &v), 0);
  const auto& all = gpu->I2cBus(2).AllBytes();
  EXPECT_EQ(std::vector<uint8_t>(all.begin() + static_cast<long>(before), all.end()),
            (std::vector<uint8_t>{0x90, 0x55}));
  EXPECT_EQ(device->reads, 0);
  // A data byte the device refuses.
  EXPECT_EQ(space->LockedWriteByte(2, 0x48, 0x66, 7), 0);
  EXPECT_EQ(device->Get(0x66), 0);
  // The bus is usable again after every failure.
  EXPECT_EQ(space->LockedWriteByte(2, 0x48, 0x11, 0x3C), 1);
  EXPECT_EQ(device->Get(0x11), 0x3C);
}

TEST_F(NvidiaBus, GeneralCallTakesASecondZeroByte) {
  EXPECT_EQ(space->LockedWriteByte(0, 0x00, 0x12, 0x34), 1);
  EXPECT_EQ(Wire(0), (std::vector<uint8_t>{0x00, 0x00, 0x12, 0x34}));
}

TEST_F(NvidiaBus, RequestsByKind) {
  device->Set(0x30, 0xA5);
  device->Set(0x31, 0x5A);
  CI2CRequest r(2, 0x48);
  struct Case {
    uint32_t op, reg, dataIn;
    int result;
    uint32_t dataOut;
  } cases[] = {
      {0x11, 0x30, 0xABCDEF00, 1, 0xABCDEFA5},  // byte into the low byte only
      {0x21, 0x30, 0xABCD0000, 1, 0xABCD5AA5},  // word into the low 16 bits
      {0x12, 0x32, 0x12345677, 1, 0x12345677},  // byte write of the low byte
      {0x41, 0x30, 0x11111111, 0, 0x11111111},  // dwords are no graphics I2C access
      {0x13, 0x30, 0x22222222, 0, 0x22222222},  // no such direction
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.op);
    r.op = c.op;
    r.reg = c.reg;
    r.data = c.dataIn;
    EXPECT_EQ(space->Execute(&r), c.result);
    EXPECT_EQ(r.data, c.dataOut);
  }
  EXPECT_EQ(device->Get(0x32), 0x77);
}

TEST_F(NvidiaBus, AccessModeWritesOnlyTheCrtcBytes) {
  // Neighbours of the CRTC pair hold values of their own.
  gpu->MmioWrite(0x6013D6, 1, 0x5A);
  gpu->MmioWrite(0x6013D3, 1, 0xC3);
  EXPECT_EQ(space->SetAccessMode(0), 1);
  EXPECT_EQ(gpu->CrtcIndex(), 0x1F);
  EXPECT_EQ(gpu->Crtc(0x1F), 0x57);
  EXPECT_TRUE(gpu->ExtendedUnlocked());
  uint32_t v = 0;
  gpu->MmioRead(0x6013D6, 1, &v);
  EXPECT_EQ(v, 0x5Au);
  gpu->MmioRead(0x6013D3, 1, &v);
  EXPECT_EQ(v, 0xC3u);
  EXPECT_EQ(space->SetAccessMode(1), 1);
  EXPECT_EQ(gpu->Crtc(0x1F), 0x99);
  // Another mode writes nothing.
  gpu->MmioWrite(0x6013D4, 1, 0x11);
  EXPECT_EQ(space->SetAccessMode(2), 1);
  EXPECT_EQ(gpu->CrtcIndex(), 0x11);
  EXPECT_EQ(gpu->Crtc(0x1F), 0x99);
}

TEST_F(NvidiaBus, BusyMutexTouchesNothing) {
  std::mutex m;
  std::condition_variable cv;
  bool held = false, done = false;
  std::thread other([&] {
    plat::MutexHandle h = plat::CreateGlobalMutex(false, "Access_NV_I2C");
    ASSERT_NE(h, nullptr);
    plat::WaitForMutex(h, 5000);
    std::unique_lock<std::mutex> l(m);
    held = true;
    cv.notify_all();
    cv.wait(l, [&] { return done; });
    plat::ReleaseMutex(h);
    plat::CloseMutex(h);
  });
  {
    std::unique_lock<std::mutex> l(m);
    cv.wait(l, [&] { return held; });
  }
  const size_t before = gpu->I2cBus(2).AllBytes().size();
  EXPECT_EQ(space->LockedWriteByte(2, 0x48, 0x10, 0x99), 0);
  EXPECT_EQ(gpu->I2cBus(2).AllBytes().size(), before);
  {
    std::lock_guard<std::mutex> l(m);
    done = true;
  }
  cv.notify_all();
  other.join();
  EXPECT_EQ(space->LockedWriteByte(2, 0x48, 0x10, 0x99), 1);
}

class CountingAPI : public CDisplayAPI {
 public:
  bool I2CRead(CDisplayAdapter*, int port, int address, int reg, uint8_t* value) override {
    ++calls;
    *value = static_cast<uint8_t>(port + address + reg);
    return true;
  }
  int calls = 0;
};

// The SDK backend's "Graphics I2C" report: the Fermi card's buses scanned
// through the driver's I2C adapters, each device that answers registers
// 0x00 and 0x20 dumped; other families are not scanned.
TEST(GraphicsI2CReport, ScansTheFermiCardsBusesThroughTheLibrary) {
  GraphicsSdk env;
  auto fermi = emu::NvidiaGpu::Install(*env.machine, {3, 0, 0x06C0, 0xA3, 0x1B4F, 0x2480, 0xF0000000});
  auto gt200 = emu::NvidiaGpu::Install(*env.machine, {4, 0, 0x05E3, 0xA1, 0x10DE, 0x0000, 0xF1000000});
  auto thermal = std::make_shared<PickyDevice>();
  thermal->refused = 0x7F;  // one register that does not read
  thermal->Set(0x00, 0x12);
  thermal->Set(0x3E, 0x41);
  fermi->I2cBus(1).Attach(0x2E, thermal);
  auto noRegister20 = std::make_shared<PickyDevice>();
  noRegister20->refused = 0x20;
  fermi->I2cBus(2).Attach(0x48, noRegister20);
  gt200->I2cBus(1).Attach(0x2E, std::make_shared<emu::SmbusRegisterSlave>());
  env.machine->haveNvml = true;
  env.machine->nvmlGpus = {{3, 0x06C010DE}, {4, 0x05E310DE}};
  ASSERT_TRUE(env.Start());
  ASSERT_TRUE(env.Sdk().CreateDisplayInterface(1));
  auto* display = static_cast<CDisplayInterface*>(env.Sdk().FindInterface(INTERFACE_DISPLAY));
  CDisplayAPI* direct = display->apis->At(0);
  CDisplayAPI* sdk = display->apis->At(1);
  ASSERT_STREQ(sdk->name, "NVIDIA NVAPI");

  std::string text;
  sdk->Report(&text);
  ASSERT_EQ(text.rfind("\nGraphics I2C\n", 0), 0u) << text;
  EXPECT_NE(text.find("I2C device found at I/O = 0xFFFFFFFF, bus 0x1, device 0x2E\n\t0012 00 "), std::string::npos)
      << text;
  EXPECT_NE(text.find("\t3000 00 00 00 00 00 00 00 00 00 00 00 00 00 41 00 \n"), std::string::npos) << text;
  EXPECT_NE(text.find(" 00 ER \n"), std::string::npos) << "register 0x7F failed: " << text;
  size_t found = 0;
  for (size_t at = text.find("I2C device found"); at != std::string::npos; at = text.find("I2C device found", at + 1))
    ++found;
  EXPECT_EQ(found, 1u) << "neither the device without register 0x20 nor the GT200's: " << text;
  // Through the library's adapters, not the card's line registers.
  EXPECT_EQ(fermi->I2cBus(1).Transactions(), 0);
  // The direct backend leaves adapters the SDK backend serves to it.
  std::string own;
  direct->Report(&own);
  EXPECT_EQ(own, "");
}

TEST(DisplayApiI2C, ReadsThroughTheApiAndWritesNothing) {
  CountingAPI api;
  DisplayAPI_I2CRegisterSpace space(&api, nullptr);
  uint8_t v = 0;
  EXPECT_EQ(space.LockedReadByte(1, 0x2E, 0x3E, &v), 1);
  EXPECT_EQ(v, 1 + 0x2E + 0x3E);
  EXPECT_EQ(space.LockedWriteByte(1, 0x2E, 0x3E, 5), 0);
  uint16_t w = 0;
  EXPECT_EQ(space.LockedReadWord(1, 0x2E, 0x3E, &w), 0);
  EXPECT_EQ(api.calls, 1);
  EXPECT_EQ(space.engineCode, -1);
}

}  // namespace
