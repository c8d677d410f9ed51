// An emulated machine in virtual time with the driver channel acquired and
// the facade attached: the setting every processor test runs in.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "driver/CKMDriver.h"
#include "emu/BoardDescription.h"
#include "emu/CpuModels.h"
#include "emu/EmulatedMachine.h"
#include "emu/chips/AcpiPmBlock.h"
#include "emu/firmware/AcpiTables.h"
#include "platform/Machine.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/core/SdkStartup.h"

class CpuTestBench {
 public:
  // A bare machine with `cpu`, the PM timer block and the ACPI tables.
  explicit CpuTestBench(const emu::CpuDescription& cpu, const emu::AcpiFirmware& firmware = {}) {
    machine = std::make_shared<emu::EmulatedMachine>(emu::TimeBase::Mode::Virtual, "cpu-bench");
    machine->AddRam(0x00000000, 0x000A0000);
    machine->AddRam(0x000E0000, 0x00020000);
    machine->AddPortDevice(firmware.pmBase, emu::AcpiPmBlock::kSize,
                           std::make_shared<emu::AcpiPmBlock>(machine->Time()));
    emu::InstallAcpiFirmware(*machine, firmware);
    emu::AddProcessors(*machine, cpu);
    Start();
  }
  // A machine the test prepared (its processors already added).
  explicit CpuTestBench(std::shared_ptr<emu::EmulatedMachine> prepared) : machine(std::move(prepared)) { Start(); }
  // One of the catalogue's boards.
  explicit CpuTestBench(const std::string& board) {
    std::string error;
    machine = emu::BuildBoard(board, emu::TimeBase::Mode::Virtual, &error);
    EXPECT_TRUE(machine) << error;
    Start();
  }
  ~CpuTestBench() {
    driver.Release();
    QUARNSDK::ReleaseInstance();
    driver.Close(true, true);
    plat::SetCurrentMachine(nullptr);
  }

  QUARNSDK& Sdk() { return *QUARNSDK::GetInstance(); }

  std::shared_ptr<emu::EmulatedMachine> machine;
  CKMDriver driver;

 private:
  void Start() {
    plat::SetCurrentMachine(machine);
    uint32_t error = 0, version = 0;
    EXPECT_EQ(StartDriverChannel(driver, "/tmp", &error, &version), DriverStartResult::Ok) << error;
    EXPECT_TRUE(driver.Acquire(&error, 2000)) << error;
    QUARNSDK::GetInstance()->SetDriver(&driver);
  }
};
