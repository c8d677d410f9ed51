#include "emu/chips/SuperIoChip.h"

namespace emu {

namespace {

constexpr uint8_t kExitKey = 0xAA;
constexpr uint8_t kIteConfigControl = 0x02;
constexpr uint8_t kIteReturnToWaitForKey = 0x02;

std::vector<uint8_t> EntryKey(SuperIoMaker maker, uint16_t port) {
  switch (maker) {
    case SuperIoMaker::Winbond:
    case SuperIoMaker::Fintek: return {0x87, 0x87};
    case SuperIoMaker::Ite: return {0x87, 0x01, 0x55, static_cast<uint8_t>(port == 0x4E ? 0xAA : 0x55)};
    case SuperIoMaker::Smsc: return {0x55};
    case SuperIoMaker::NationalSemi: return {};
  }
  return {};
}

}  // namespace

SuperIoChip::SuperIoChip(SuperIoMaker maker, uint16_t configPort)
    : maker_(maker), configPort_(configPort), key_(EntryKey(maker, configPort)), unlocked_(key_.empty()) {}

void SuperIoChip::AddLogicalDevice(uint8_t ldn, uint16_t base, uint8_t irq, bool active) {
  auto& d = Device(ldn);
  d[kActivate] = active ? 1 : 0;
  d[kBaseHigh] = static_cast<uint8_t>(base >> 8);
  d[kBaseLow] = static_cast<uint8_t>(base);
  d[kIrq] = irq;
}

std::vector<uint8_t>& SuperIoChip::Device(uint8_t ldn) {
  auto& d = devices_[ldn];
  if (d.empty()) d.assign(256, 0);
  return d;
}

uint8_t SuperIoChip::DeviceRegister(uint8_t ldn, uint8_t reg) const {
  auto it = devices_.find(ldn);
  return it == devices_.end() ? 0 : it->second[reg];
}

uint16_t SuperIoChip::DeviceBase(uint8_t ldn) const {
  return static_cast<uint16_t>(DeviceRegister(ldn, kBaseHigh) << 8 | DeviceRegister(ldn, kBaseLow));
}

void SuperIoChip::IndexWrite(uint8_t value) {
  if (unlocked_) {
    const bool exitByte = maker_ == SuperIoMaker::Winbond || maker_ == SuperIoMaker::Fintek || maker_ == SuperIoMaker::Smsc;
    if (exitByte && value == kExitKey)
      unlocked_ = false;
    else
      index_ = value;
    return;
  }
  // Any byte out of sequence starts the key over (it may itself begin it).
  if (value == key_[keyProgress_]) {
    if (++keyProgress_ == key_.size()) {
      unlocked_ = true;
      keyProgress_ = 0;
    }
  } else {
    keyProgress_ = value == key_[0] ? 1 : 0;
  }
}

uint8_t SuperIoChip::ReadConfig(uint8_t reg) const {
  if (reg == kLdnSelect) return ldn_;
  if (reg < 0x30) return maker_ == SuperIoMaker::Ite && reg == kIteConfigControl ? 0 : global_[reg];
  return DeviceRegister(ldn_, reg);
}

void SuperIoChip::WriteConfig(uint8_t reg, uint8_t value) {
  if (reg == kLdnSelect) {
    ldn_ = value;
  } else if (maker_ == SuperIoMaker::Ite && reg == kIteConfigControl) {
    if (value & kIteReturnToWaitForKey) unlocked_ = false;
  } else if (reg < 0x20) {
    global_[reg] = value;
  } else if (reg >= 0x30) {
    auto it = devices_.find(ldn_);
    if (it != devices_.end()) it->second[reg] = value;
  }
}

bool SuperIoChip::PortRead(uint16_t offset, int width, uint32_t* value) {
  uint8_t v = 0xFF;
  if (unlocked_) v = offset == 0 ? index_ : ReadConfig(index_);
  *value = width == 1 ? v : width == 2 ? 0xFF00u | v : 0xFFFFFF00u | v;
  return true;
}

bool SuperIoChip::PortWrite(uint16_t offset, int /*width*/, uint32_t value) {
  const auto b = static_cast<uint8_t>(value);
  if (offset == 0)
    IndexWrite(b);
  else if (unlocked_)
    WriteConfig(index_, b);
  return true;
}

}  // namespace emu
