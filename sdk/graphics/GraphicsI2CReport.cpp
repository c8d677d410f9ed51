#include "sdk/graphics/GraphicsI2CReport.h"

#include <cstdint>
#include <cstdio>

#include "sdk/graphics/CDisplayAdapter.h"
#include "sdk/graphics/CI2CRegisterSpace.h"

namespace {

constexpr int kBuses = 4, kAddresses = 128;

void Append(std::string* out, const char* format, unsigned a, unsigned b = 0, unsigned c = 0) {
  char line[96];
  std::snprintf(line, sizeof(line), format, a, b, c);
  out->append(line);
}

}  // namespace

void WriteGraphicsI2CReport(const std::vector<CDisplayAdapter*>& adapters, std::string* out) {
  out->append("\nGraphics I2C\n");
  for (CDisplayAdapter* a : adapters) {
    CI2CRegisterSpace* space = a->apiI2C ? a->apiI2C : a->directI2C;
    if (!space || (static_cast<uint32_t>(a->familyCode) & 0xFFFF0000u) != 0x01060000u) continue;
    space->SetAccessMode(0);
    for (int bus = 0; bus < kBuses; ++bus)
      for (int device = 0; device < kAddresses; ++device) {
        uint8_t v = 0xFF;
        if (!space->LockedReadByte(bus, device, 0x00, &v) || !space->LockedReadByte(bus, device, 0x20, &v)) continue;
        Append(out, "I2C device found at I/O = 0x%X, bus 0x%X, device 0x%X\n", space->GetBaseLow(),
               static_cast<unsigned>(bus), static_cast<unsigned>(device));
        for (int row = 0; row < 16; ++row) {
          Append(out, "\t%02X", static_cast<unsigned>(row * 16));
          for (int col = 0; col < 16; ++col) {
            if (space->LockedReadByte(bus, device, static_cast<uint8_t>(row * 16 + col), &v))
              Append(out, "%02X ", v);
            else
              out->append("ER ");
          }
          out->append("\n");
        }
      }
    space->SetAccessMode(1);
  }
}
