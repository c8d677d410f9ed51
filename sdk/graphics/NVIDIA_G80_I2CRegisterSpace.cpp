#include "sdk/graphics/NVIDIA_G80_I2CRegisterSpace.h"

#include "platform/Machine.h"
#include "sdk/access/CIOSpace.h"

namespace {
constexpr uint32_t kBothLow = 4, kSclHigh = 5, kSdaHigh = 6, kBothHigh = 7;
constexpr uint32_t kCrtcIndex = 0x6013D4, kCrtcData = 0x6013D5;
}  // namespace

NVIDIA_G80_I2CRegisterSpace::NVIDIA_G80_I2CRegisterSpace(CIOSpace* window)
    : CI2CRegisterSpace(window, 0x1050000, "Access_NV_I2C") {}

bool NVIDIA_G80_I2CRegisterSpace::Lines(uint32_t* value) {
  *value = 0xFFFFFFFF;
  return io && io->Read32(line_, value);
}

// Every line change reads the register first, then writes the new levels.
void NVIDIA_G80_I2CRegisterSpace::Drive(uint32_t value) {
  uint32_t unused = 0;
  Lines(&unused);
  if (io) io->Write32(line_, value);
}

void NVIDIA_G80_I2CRegisterSpace::Delay(int units) {
  plat::Machine& m = plat::CurrentMachine();
  for (int i = 0; i < units; ++i) m.Cpuid(0, 0);
}

bool NVIDIA_G80_I2CRegisterSpace::RaiseClock(int sda, int polls) {
  Drive(sda ? kBothHigh : kSclHigh);
  Delay(kShortDelay);
  for (int i = 0; i < polls; ++i) {
    uint32_t v = 0;
    if (Lines(&v) && (v & 1)) return true;
    Delay(kShortDelay);
  }
  return false;
}

bool NVIDIA_G80_I2CRegisterSpace::Start() {
  if (!RaiseClock(1, 550)) return false;
  Drive(kSclHigh);  // SDA falls while SCL is high
  Delay(kLongDelay);
  Drive(kBothLow);
  Delay(kLongDelay);
  return true;
}

void NVIDIA_G80_I2CRegisterSpace::Stop() {
  Drive(kBothLow);
  Delay(kShortDelay);
  Drive(kSclHigh);
  Delay(kLongDelay);
  Drive(kBothHigh);  // SDA rises while SCL is high
  Delay(kLongDelay);
}

void NVIDIA_G80_I2CRegisterSpace::SendBit(int bit) {
  const uint32_t low = kBothLow + 2 * (bit ? 1 : 0);
  Drive(low);
  Delay(kShortDelay);
  RaiseClock(bit, 40);  // a clock held low by the slave does not fail the bit
  Delay(kLongDelay);
  Drive(low);
  Delay(kLongDelay);
}

int NVIDIA_G80_I2CRegisterSpace::ReadBit() {
  RaiseClock(1, 40);
  Delay(kLongDelay);
  uint32_t v = 0;
  const int bit = Lines(&v) ? static_cast<int>((v >> 1) & 1) : 0;
  Drive(kSdaHigh);
  Delay(kLongDelay);
  return bit;
}

bool NVIDIA_G80_I2CRegisterSpace::SendByte(uint8_t value) {
  for (int b = 7; b >= 0; --b) SendBit((value >> b) & 1);
  Drive(kSdaHigh);  // release SDA for the acknowledge
  Delay(kShortDelay);
  bool acked = false;
  if (RaiseClock(1, 5)) {
    for (int i = 0; i < 8 && !acked; ++i) {
      Delay(kLongDelay);
      uint32_t v = 0;
      if (Lines(&v) && !(v & 2)) acked = true;
    }
  }
  Drive(kSdaHigh);
  Delay(kLongDelay);
  return acked;
}

uint8_t NVIDIA_G80_I2CRegisterSpace::ReceiveByte(bool last) {
  Drive(kSdaHigh);
  Delay(kShortDelay);
  uint8_t value = 0;
  for (int b = 0; b < 8; ++b) value = static_cast<uint8_t>(value << 1 | ReadBit());
  SendBit(last ? 1 : 0);
  return value;
}

bool NVIDIA_G80_I2CRegisterSpace::SendAddress(uint8_t addressByte) {
  if (!Start()) return false;
  if (!SendByte(addressByte)) {
    Stop();
    return false;
  }
  // Ten-bit addresses (11110xxx) and the general call take a second byte.
  if ((addressByte & 0xF8) == 0xF0 || (addressByte & 0xFE) == 0) {
    if (!SendByte(0)) {
      Stop();
      return false;
    }
  }
  return true;
}

bool NVIDIA_G80_I2CRegisterSpace::Begin(int port, int address, const uint8_t* regs, int count) {
  if (port < 0 || port >= kPorts || address < 0 || address > 0x7F || !io) return false;
  line_ = kLineBase + portOffsets[port];
  if (!SendAddress(static_cast<uint8_t>(address << 1))) return false;
  for (int i = 0; i < count; ++i)
    if (!SendByte(regs[i])) {
      Stop();
      return false;
    }
  return true;
}

int NVIDIA_G80_I2CRegisterSpace::ReadByte(int port, int address, uint8_t reg, uint8_t* value) {
  *value = 0xFF;
  if (!Begin(port, address, &reg, 1)) return 0;
  if (!SendAddress(static_cast<uint8_t>(address << 1 | 1))) return 0;
  *value = ReceiveByte(true);
  Stop();
  return 1;
}

int NVIDIA_G80_I2CRegisterSpace::WriteByte(int port, int address, uint8_t reg, uint8_t value) {
  if (!Begin(port, address, &reg, 1)) return 0;
  const bool acked = SendByte(value);
  Stop();
  return acked ? 1 : 0;
}

int NVIDIA_G80_I2CRegisterSpace::ReadWord(int port, int address, uint8_t reg, uint16_t* value) {
  *value = 0xFFFF;
  if (!Begin(port, address, &reg, 1)) return 0;
  if (!SendAddress(static_cast<uint8_t>(address << 1 | 1))) return 0;
  const uint8_t low = ReceiveByte(false);
  const uint8_t high = ReceiveByte(true);
  Stop();
  *value = static_cast<uint16_t>(high << 8 | low);
  return 1;
}

int NVIDIA_G80_I2CRegisterSpace::WriteWord(int port, int address, uint8_t reg, uint16_t value) {
  if (!Begin(port, address, &reg, 1)) return 0;
  const bool acked = SendByte(static_cast<uint8_t>(value)) && SendByte(static_cast<uint8_t>(value >> 8));
  Stop();
  return acked ? 1 : 0;
}

int NVIDIA_G80_I2CRegisterSpace::ReadWide(int port, int address, uint8_t high, uint8_t low, uint8_t* first,
                                          uint8_t* second) {
  *first = *second = 0xFF;
  const uint8_t regs[2] = {high, low};
  if (!Begin(port, address, regs, 2)) return 0;
  if (!SendAddress(static_cast<uint8_t>(address << 1 | 1))) return 0;
  *first = ReceiveByte(false);
  *second = ReceiveByte(true);
  Stop();
  return 1;
}

int NVIDIA_G80_I2CRegisterSpace::WriteWide(int port, int address, uint8_t high, uint8_t low, uint8_t value,
                                           int /*flag*/) {
  const uint8_t regs[2] = {high, low};
  if (!Begin(port, address, regs, 2)) return 0;
  const bool acked = SendByte(value);
  Stop();
  return acked ? 1 : 0;
}

int NVIDIA_G80_I2CRegisterSpace::SetAccessMode(int mode) {
  if (!io || (mode != 0 && mode != 1)) return 1;
  // Byte writes: each touches only its own port of the CRTC pair.
  io->Write8(kCrtcIndex, 0x1F);
  io->Write8(kCrtcData, mode == 0 ? 0x57 : 0x99);
  return 1;
}
