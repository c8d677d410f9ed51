// A bare machine with the ICH10R south bridge and one register slave at
// 0x2A, brought up through the SDK's SMBus interface.
#pragma once

#include <memory>

#include "emu/EmulatedMachine.h"
#include "emu/chips/Ich10r.h"
#include "emu/smbus/SmbusRegisterSlave.h"
#include "tests/sdk/smbus/SmbusTestSupport.h"

namespace smbustest {

inline constexpr uint8_t kSlave = 0x2A;

class IchBench : public SmbusBoard {
 public:
  explicit IchBench(const emu::Ich10rOptions& options = {}) : SmbusBoard("") {
    ich = emu::AddIch10rSouthBridge(*env.machine, options);
    slave = std::make_shared<emu::SmbusRegisterSlave>();
    ich.smbus->Attach(kSlave, slave);
  }
  void Fault(const char* tag, int count = 1, uint64_t address = kSlave, bool reads = true, bool writes = true) {
    env.machine->Faults().Add({emu::AccessKind::Smbus, address, reads, writes, emu::FaultRule::Action::Fail, 0,
                               count, tag});
  }

  emu::Ich10rSouthBridge ich;
  std::shared_ptr<emu::SmbusRegisterSlave> slave;
};

}  // namespace smbustest
