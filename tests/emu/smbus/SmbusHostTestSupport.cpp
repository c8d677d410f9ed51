#include "SmbusHostTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace smbustest {

void HostDriver::Out(uint8_t reg, uint8_t value) { EXPECT_TRUE(m_.PortWrite(base_ + reg, 1, value)); }

uint8_t HostDriver::In(uint8_t reg) {
  uint32_t v = 0;
  EXPECT_TRUE(m_.PortRead(base_ + reg, 1, &v));
  return static_cast<uint8_t>(v);
}

uint8_t HostDriver::Poll(const std::function<bool(uint8_t)>& done, int limitMs) {
  uint8_t s = 0;
  for (int i = 0; i <= limitMs * 10; ++i) {
    s = In(0x00) & kStatusMask;
    if (done(s)) break;
    m_.Time().Advance(100'000);
  }
  return s;
}

uint8_t HostDriver::Run(uint8_t addressByte, uint8_t command, uint8_t protocol) {
  Out(0x00, 0xFF);
  Out(0x04, addressByte);
  Out(0x03, command);
  Out(0x02, static_cast<uint8_t>(protocol << 2 | 0x40));
  return WaitIdle();
}

std::vector<uint8_t> HostDriver::ReadBlockByteByByte(uint8_t slave, uint8_t command, uint8_t* finalStatus) {
  std::vector<uint8_t> out;
  Out(0x0D, 0x00);
  Out(0x00, 0xFF);
  Out(0x04, static_cast<uint8_t>(slave << 1 | 1));
  Out(0x03, command);
  int count = 32;
  for (int i = 1; i <= count; ++i) {
    const uint8_t control = i == count ? 0x34 : 0x14;
    Out(0x02, control);
    if (i == 1) Out(0x02, control | 0x40);
    const uint8_t s = Poll([](uint8_t st) { return (st & 0x9C) != 0; });
    if (!(s & 0x80)) break;
    if (i == 1) count = std::min<int>(In(0x05), 32);
    out.push_back(In(0x07));
    Out(0x00, 0x80);
  }
  *finalStatus = WaitIdle();
  return out;
}

uint8_t HostDriver::WriteBlockByteByByte(uint8_t slave, uint8_t command, const std::vector<uint8_t>& data) {
  Out(0x0D, 0x00);
  Out(0x00, 0xFF);
  Out(0x04, static_cast<uint8_t>(slave << 1));
  Out(0x03, command);
  Out(0x05, static_cast<uint8_t>(data.size()));
  Out(0x07, data[0]);
  for (size_t i = 1; i <= data.size(); ++i) {
    Out(0x02, 0x14);
    if (i == 1) Out(0x02, 0x54);
    const uint8_t s = Poll([](uint8_t st) { return (st & 0x9C) != 0; });
    if (!(s & 0x80)) return s;
    if (i < data.size()) Out(0x07, data[i]);
    Out(0x00, 0x80);
  }
  return WaitIdle();
}

}  // namespace smbustest
