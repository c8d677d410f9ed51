#include "emu/smbus/SmbusPlacement.h"

#include <memory>

#include "emu/smbus/SmbusEepromSlave.h"
#include "emu/smbus/SmbusRegisterSlave.h"

namespace emu {

void PlaceSmbusSlaves(SmbusBus& bus, std::span<const SmbusPlacement> slaves) {
  for (const auto& p : slaves) {
    std::shared_ptr<SmbusSlave> slave;
    if (p.kind == SmbusPlacement::Kind::Ddr3Spd) {
      slave = std::make_shared<SmbusEepromSlave>(Ddr3SpdImage(p.module));
    } else {
      auto regs = std::make_shared<SmbusRegisterSlave>();
      for (auto [reg, value] : p.registers) regs->Set(reg, value);
      slave = regs;
    }
    if (p.segment == SmbusBus::kNoSegment)
      bus.Attach(p.address, slave);
    else
      bus.AttachToSegment(p.segment, p.address, slave);
  }
}

}  // namespace emu
