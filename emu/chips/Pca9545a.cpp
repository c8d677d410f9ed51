#include "emu/chips/Pca9545a.h"

#include "emu/smbus/SmbusBus.h"

namespace emu {

bool Pca9545a::ReceiveByte(uint8_t* value) {
  *value = control_;
  return true;
}

bool Pca9545a::SendByte(uint8_t value) {
  control_ = value & 0x0F;
  return true;
}

bool Pca9545a::ReadByteData(uint8_t command, uint8_t* value) {
  control_ = command & 0x0F;
  *value = control_;
  return true;
}

bool Pca9545a::WriteByteData(uint8_t, uint8_t value) {
  control_ = value & 0x0F;
  return true;
}

int Pca9545a::ConnectedChannel() const {
  for (int i = 0; i < 4; ++i)
    if (control_ & (1 << i)) return i;
  return -1;
}

void Pca9545a::Drive(SmbusBus& bus, const std::shared_ptr<Pca9545a>& sw) {
  std::weak_ptr<Pca9545a> weak = sw;
  bus.SetSegmentSelector([weak] {
    auto s = weak.lock();
    int c = s ? s->ConnectedChannel() : -1;
    return c < 0 ? SmbusBus::kNoSegment : c;
  });
}

}  // namespace emu
