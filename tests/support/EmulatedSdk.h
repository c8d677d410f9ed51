// A test's view of an emulated machine through the SDK: the machine is the
// current one, the driver channel is acquired and the facade uses it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "driver/CKMDriver.h"
#include "emu/BoardDescription.h"
#include "emu/EmulatedMachine.h"
#include "platform/Machine.h"
#include "sdk/core/QUARNSDK.h"

namespace testsupport {

class EmulatedSdk {
 public:
  // A bare machine (nothing but what the test adds), or a catalogue board.
  explicit EmulatedSdk(const std::string& board = "") {
    if (board.empty()) {
      machine = std::make_shared<emu::EmulatedMachine>(emu::TimeBase::Mode::Virtual);
    } else {
      std::string err;
      machine = emu::BuildBoard(board, emu::TimeBase::Mode::Virtual, &err);
      EXPECT_TRUE(machine) << err;
    }
    plat::SetCurrentMachine(machine);
  }
  ~EmulatedSdk() {
    QUARNSDK::ReleaseInstance();
    if (acquired) driver.Release();
    driver.Close(true, true);
    plat::SetCurrentMachine(nullptr);
  }
  // Opens and acquires the channel and hands it to the facade.
  bool Start() {
    uint32_t error = 0;
    if (!driver.Open("/tmp", &error, true) || !driver.Acquire(&error, 2000)) return false;
    acquired = true;
    QUARNSDK::GetInstance()->SetDriver(&driver);
    return true;
  }
  QUARNSDK& Sdk() { return *QUARNSDK::GetInstance(); }

  std::shared_ptr<emu::EmulatedMachine> machine;
  CKMDriver driver;
  bool acquired = false;
};

}  // namespace testsupport
