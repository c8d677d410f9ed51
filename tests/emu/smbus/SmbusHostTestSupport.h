// Drives an Intel SMBus host through the machine's port accesses, the way
// a driver does, and waits on the machine's virtual clock.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "emu/EmulatedMachine.h"

namespace smbustest {

// Status bits without INUSE_STS, which every read sets.
inline constexpr uint8_t kStatusMask = 0xBF;

class HostDriver {
 public:
  HostDriver(emu::EmulatedMachine& m, uint16_t base) : m_(m), base_(base) {}

  void Out(uint8_t reg, uint8_t value);
  uint8_t In(uint8_t reg);
  // Reads HST_STS every 100 us until `done` holds or `limitMs` pass; the
  // last status read, without INUSE_STS.
  uint8_t Poll(const std::function<bool(uint8_t)>& done, int limitMs = 50);
  uint8_t WaitIdle(int limitMs = 50) {
    return Poll([](uint8_t s) { return !(s & 0x01); }, limitMs);
  }
  // Clears the status, programs address, command and protocol, starts and
  // waits until the host is idle. Returns the final status.
  uint8_t Run(uint8_t addressByte, uint8_t command, uint8_t protocol);

  // Block transfers with the BYTE_DONE handshake, in the order the Linux
  // i801 driver uses (LAST_BYTE written before the last byte is released).
  // The read cuts an announced count to 32.
  std::vector<uint8_t> ReadBlockByteByByte(uint8_t slave, uint8_t command, uint8_t* finalStatus);
  uint8_t WriteBlockByteByByte(uint8_t slave, uint8_t command, const std::vector<uint8_t>& data);

 private:
  emu::EmulatedMachine& m_;
  uint16_t base_;
};

}  // namespace smbustest
