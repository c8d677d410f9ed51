#include "emu/smbus/SmbusPlacement.h"

#include <memory>

#include "emu/smbus/Jc42ThermalSensor.h"
#include "emu/smbus/SmbusEepromSlave.h"
#include "emu/smbus/SmbusRegisterSlave.h"

namespace emu {

namespace {

void AttachTo(SmbusBus& bus, int segment, uint8_t address, std::shared_ptr<SmbusSlave> slave) {
  if (segment == SmbusBus::kNoSegment)
    bus.Attach(address, std::move(slave));
  else
    bus.AttachToSegment(segment, address, std::move(slave));
}

}  // namespace

void PlaceSmbusSlaves(SmbusBus& bus, std::span<const SmbusPlacement> slaves) {
  for (const auto& p : slaves) {
    std::shared_ptr<SmbusSlave> slave;
    if (p.kind == SmbusPlacement::Kind::Ddr3Spd) {
      slave = std::make_shared<SmbusEepromSlave>(Ddr3SpdImage(p.module));
      if (p.module.thermalSensor)
        AttachTo(bus, p.segment, static_cast<uint8_t>(0x18 | (p.address & 7)), std::make_shared<Jc42ThermalSensor>());
    } else if (p.kind == SmbusPlacement::Kind::Ddr2Spd) {
      slave = std::make_shared<SmbusEepromSlave>(Ddr2SpdImage(p.ddr2));
    } else {
      auto regs = std::make_shared<SmbusRegisterSlave>();
      for (auto [reg, value] : p.registers) regs->Set(reg, value);
      slave = regs;
    }
    AttachTo(bus, p.segment, p.address, std::move(slave));
  }
}

}  // namespace emu
