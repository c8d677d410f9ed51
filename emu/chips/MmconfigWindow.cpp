#include "emu/chips/MmconfigWindow.h"

#include "emu/EmulatedMachine.h"

namespace emu {

bool MmconfigWindow::MmioRead(uint64_t offset, int width, uint32_t* value) {
  *value = machine_.RawPciRead(static_cast<uint32_t>(offset >> 20) & 0xFF, static_cast<uint32_t>(offset >> 15) & 0x1F,
                               static_cast<uint32_t>(offset >> 12) & 7, static_cast<uint32_t>(offset) & 0xFFF, width);
  return true;
}

bool MmconfigWindow::MmioWrite(uint64_t offset, int width, uint32_t value) {
  machine_.RawPciWrite(static_cast<uint32_t>(offset >> 20) & 0xFF, static_cast<uint32_t>(offset >> 15) & 0x1F,
                       static_cast<uint32_t>(offset >> 12) & 7, static_cast<uint32_t>(offset) & 0xFFF, width, value);
  return true;
}

}  // namespace emu
