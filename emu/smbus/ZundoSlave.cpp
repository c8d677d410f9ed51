#include "emu/smbus/ZundoSlave.h"

#include <cstdio>

#include "emu/EmulatedMachine.h"
#include "emu/TimeBase.h"
#include "emu/chips/DumpTargets.h"
#include "emu/smbus/SmbusBus.h"

namespace emu {

ZundoSlave::ZundoSlave(const TimeBase* time) : time_(time) {
  regs_[0] = 'Z';
  regs_[1] = 'U';
}

std::shared_ptr<ZundoSlave> ZundoSlave::Plug(EmulatedMachine& m, SmbusBus& bus, uint8_t address) {
  auto z = std::make_shared<ZundoSlave>(&m.Time());
  bus.Attach(address, z);
  char name[24];
  std::snprintf(name, sizeof(name), "zundo@0x%02x", address);
  RegisterDumpTarget(m, name, z, nullptr);
  return z;
}

bool ZundoSlave::ReadByteData(uint8_t command, uint8_t* value) {
  pointer_ = command;
  *value = regs_[command];
  return true;
}

bool ZundoSlave::WriteByteData(uint8_t command, uint8_t value) {
  pointer_ = command;
  if (command < 2) return false;  // the signature is fixed
  regs_[command] = value;
  log_.push_back({time_ ? time_->NowNs() : 0, command, value});
  return true;
}

int ZundoSlave::ValueSets() const {
  int n = 0;
  for (const Received& r : log_) n += r.reg == 2;
  return n;
}

}  // namespace emu
