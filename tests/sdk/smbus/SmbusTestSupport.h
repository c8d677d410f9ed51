// The vendor's X58 board (or a bare machine) brought up through the SDK as
// far as the SMBus interface, with helpers to reach its host.
#pragma once

#include <string>

#include "sdk/access/CPCIInterface.h"
#include "sdk/access/CSMBusInterface.h"
#include "sdk/access/CSMBusRegisterSpace.h"
#include "tests/support/EmulatedSdk.h"

namespace smbustest {

class SmbusBoard {
 public:
  explicit SmbusBoard(const std::string& board = "brenmor-x58") : env(board) {}

  // Channel, PCI scan and the SMBus interface; false when a step failed.
  bool Start() {
    if (!env.Start() || !env.Sdk().CreatePCIInterface()) return false;
    env.Sdk().pciInterface->ScanBus();
    return env.Sdk().CreateSMBusInterface() != 0;
  }
  CSMBusInterface& Smbus() { return *env.Sdk().smbusInterface; }
  CSMBusRegisterSpace* Host(uint32_t base = 0x500) {
    return static_cast<CSMBusRegisterSpace*>(env.Sdk().FindRegisterSpace(0, base, REGSPACE_SMBUS));
  }
  uint32_t Port32(uint16_t port) {
    uint32_t v = 0xFFFFFFFF;
    env.driver.ReadPort32(port, &v);
    return v;
  }

  testsupport::EmulatedSdk env;
};

}  // namespace smbustest
