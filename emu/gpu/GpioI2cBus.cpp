#include "emu/gpu/GpioI2cBus.h"

namespace emu {

SmbusSlave* GpioI2cBus::Device(uint8_t address) const {
  auto it = devices_.find(address);
  return it == devices_.end() ? nullptr : it->second.get();
}

void GpioI2cBus::Drive(bool scl, bool sda) {
  const bool oldScl = masterScl_;
  const bool oldSda = Sda();
  masterScl_ = scl;
  masterSda_ = sda;
  const bool newSda = Sda();
  if (oldScl && scl) {
    // SDA moving while SCL stays high: START or STOP.
    if (oldSda && !newSda) {
      wire_.clear();
      state_ = State::Address;
      bits_ = 0;
      shift_ = 0;
      deviceSda_ = true;
    } else if (!oldSda && newSda) {
      if (sawAddress_) ++transactions_;
      sawAddress_ = false;
      state_ = State::Idle;
      deviceSda_ = true;
      pointerSet_ = false;
    }
    return;
  }
  if (!oldScl && scl) Rising();
  else if (oldScl && !scl) Falling();
}

// The clock rises: the receiver samples SDA.
void GpioI2cBus::Rising() {
  const bool sda = Sda();
  switch (state_) {
    case State::Address:
    case State::WriteByte:
      if (bits_ < 8) {
        shift_ = static_cast<uint8_t>(shift_ << 1 | (sda ? 1 : 0));
        ++bits_;
      }
      break;
    case State::ReadAck:
      masterAcked_ = !sda;
      break;
    default:
      break;
  }
}

void GpioI2cBus::LoadReadByte() {
  uint8_t v = 0xFF;
  if (!selected_ || !selected_->ReadByteData(pointer_, &v)) v = 0xFF;
  ++pointer_;
  wire_.push_back(v);
  all_.push_back(v);
  shift_ = v;
  bits_ = 0;
  deviceSda_ = (shift_ & 0x80) != 0;
}

// The clock falls: the transmitter may change SDA.
void GpioI2cBus::Falling() {
  switch (state_) {
    case State::Address:
      if (bits_ == 8) {
        wire_.push_back(shift_);
        all_.push_back(shift_);
        const uint8_t address = shift_ >> 1;
        SmbusSlave* device = (shift_ & 0xF8) != 0xF0 ? Device(address) : nullptr;
        if (device) {
          selected_ = device;
          reading_ = shift_ & 1;
          sawAddress_ = true;
          deviceSda_ = false;  // acknowledge
          state_ = State::AddressAck;
        } else {
          state_ = State::Ignore;  // not acknowledged: wait for STOP or START
        }
      }
      break;
    case State::AddressAck:
      deviceSda_ = true;
      if (reading_) {
        state_ = State::ReadByte;
        LoadReadByte();
      } else {
        state_ = State::WriteByte;
        pointerSet_ = false;
        bits_ = 0;
        shift_ = 0;
      }
      break;
    case State::WriteByte:
      if (bits_ == 8) {
        wire_.push_back(shift_);
        all_.push_back(shift_);
        bool ack = true;
        if (!pointerSet_) {
          pointer_ = shift_;
          pointerSet_ = true;
          ack = selected_ && selected_->SendByte(shift_);
        } else {
          ack = selected_ && selected_->WriteByteData(pointer_, shift_);
          ++pointer_;
        }
        deviceSda_ = !ack;
        state_ = ack ? State::WriteAck : State::Ignore;
        if (!ack) deviceSda_ = true;
      }
      break;
    case State::WriteAck:
      deviceSda_ = true;
      state_ = State::WriteByte;
      bits_ = 0;
      shift_ = 0;
      break;
    case State::ReadByte:
      ++bits_;
      if (bits_ < 8) {
        shift_ = static_cast<uint8_t>(shift_ << 1);
        deviceSda_ = (shift_ & 0x80) != 0;
      } else {
        deviceSda_ = true;  // the master acknowledges
        state_ = State::ReadAck;
        masterAcked_ = false;
      }
      break;
    case State::ReadAck:
      if (masterAcked_) {
        state_ = State::ReadByte;
        LoadReadByte();
      } else {
        state_ = State::Ignore;
      }
      break;
    default:
      break;
  }
}

}  // namespace emu
