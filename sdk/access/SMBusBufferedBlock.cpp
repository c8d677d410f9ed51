#include "sdk/access/SMBusBufferedBlock.h"

#include "platform/Machine.h"
#include "sdk/access/CIOSpace.h"

namespace {

uint8_t In(CIOSpace* io, uint32_t reg) {
  uint8_t v = 0xFF;
  if (!io->Read8(reg, &v)) v = 0xFF;
  return v;
}

// Polls while busy with 1 ms waits; false on time-out.
bool WaitIdle(CIOSpace* io, int polls, uint8_t* status) {
  for (int n = 0; n < polls; ++n) {
    plat::CurrentMachine().Sleep(1);
    *status = In(io, 0);
    if (!(*status & 0x01)) return true;
  }
  return false;
}

void ClearIfSet(CIOSpace* io) {
  uint8_t s = In(io, 0);
  if (s) io->Write8(0, s);
}

}  // namespace

int BufferedBlockRead(CIOSpace* io, int polls, uint8_t slave, uint8_t command, uint8_t* buffer) {
  if (!io) return -1;
  io->Write8(4, static_cast<uint8_t>(slave << 1 | 1));
  io->Write8(3, command);
  io->Write8(2, 0x14);
  ClearIfSet(io);
  io->Write8(2, 0x14 | 0x40);
  uint8_t status = 0xFF;
  if (!WaitIdle(io, polls, &status) || (status & 0x1C)) return -1;
  ClearIfSet(io);
  int count = In(io, 5);
  if (count > 32) count = 32;
  In(io, 2);  // resets the buffer index
  for (int i = 0; i < count; ++i) buffer[i] = In(io, 7);
  return count;
}

int BufferedBlockWrite(CIOSpace* io, int polls, uint8_t slave, uint8_t command, const uint8_t* buffer, int count) {
  if (!io || count < 0) return -1;
  if (count > 32) count = 32;
  io->Write8(4, static_cast<uint8_t>(slave << 1));
  io->Write8(3, command);
  io->Write8(5, static_cast<uint8_t>(count));
  In(io, 2);
  for (int i = 0; i < count; ++i) io->Write8(7, buffer[i]);
  io->Write8(2, 0x14);
  ClearIfSet(io);
  io->Write8(2, 0x14 | 0x40);
  uint8_t status = 0xFF;
  if (!WaitIdle(io, polls, &status) || (status & (0x10 | 0x08 | 0x04))) return -1;
  ClearIfSet(io);
  return count;
}
