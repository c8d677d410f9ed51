#include "sdk/graphics/GpuRegulators.h"

#include <cmath>

#include "sdk/graphics/CDisplayAdapter.h"
#include "sdk/graphics/CI2CRegisterSpace.h"

const GpuRailDesc kGpuRails[GPU_RAIL_COUNT] = {
    {"NV VDD (3D)", "nvvdd", 0x30, 0xC8, 0xC9, 0.95f, 1.3f, 0.00625f, 100, 56},
    {"PEX VDD", "pexvdd", 0x31, 0x01, -1, 1.046f, 1.221f, 0.035f, 0, 5},
    {"FB VDD", "fbvdd", 0x32, 0x01, -1, 1.595f, 1.905f, 0.01f, 0, 31},
};

namespace {

// The table's values as the decimal numbers they are meant to be.
double Base(int rail) { return std::round(static_cast<double>(kGpuRails[rail].base) * 1e6) / 1e6; }
double Step(int rail) { return std::round(static_cast<double>(kGpuRails[rail].step) * 1e6) / 1e6; }
double Maximum(int rail) { return std::round(static_cast<double>(kGpuRails[rail].maximum) * 1e6) / 1e6; }

bool ValidRail(int rail) { return rail >= 0 && rail < GPU_RAIL_COUNT; }

// Opens the chip's I2C access for the duration of one batch.
class AccessWindow {
 public:
  explicit AccessWindow(CI2CRegisterSpace* s) : space_(s) { space_->SetAccessMode(0); }
  ~AccessWindow() { space_->SetAccessMode(1); }
  AccessWindow(const AccessWindow&) = delete;
  AccessWindow& operator=(const AccessWindow&) = delete;

 private:
  CI2CRegisterSpace* space_;
};

}  // namespace

bool HasGpuRegulators(const CDisplayAdapter* a) {
  if (!a || !a->directI2C) return false;
  const uint32_t f = static_cast<uint32_t>(a->familyCode);
  return a->familyCode >= 0 && f >= 0x01060000u && f <= 0x01060FFFu;
}

int GpuRailCode(int rail, double volts) {
  if (!ValidRail(rail)) return -1;
  // A small allowance keeps 1.0 V from landing just below a half step.
  return static_cast<int>(std::floor((volts - Base(rail)) / Step(rail) + 0.5 + 1e-9));
}

double GpuRailVolts(int rail, int code) {
  if (!ValidRail(rail)) return -1;
  return Base(rail) + code * Step(rail);
}

double ReadGpuRail(CDisplayAdapter* a, int rail) {
  if (!ValidRail(rail) || !HasGpuRegulators(a)) return -1;
  const GpuRailDesc& r = kGpuRails[rail];
  uint8_t byte = 0xFF;
  int ok = 0;
  {
    AccessWindow window(a->directI2C);
    ok = a->directI2C->LockedReadByte(kGpuRegulatorPort, r.address, r.reg, &byte);
  }
  if (!ok) return -1;
  return GpuRailVolts(rail, static_cast<int>(byte) - r.codeOffset);
}

bool WriteGpuRail(CDisplayAdapter* a, int rail, double volts) {
  if (!ValidRail(rail) || !HasGpuRegulators(a) || !std::isfinite(volts)) return false;
  const GpuRailDesc& r = kGpuRails[rail];
  if (volts < Base(rail) - 1e-9 || volts > Maximum(rail) + 1e-9) return false;
  const int code = GpuRailCode(rail, volts);
  const int stored = code + r.codeOffset;
  if (code < 0 || stored > 0xFF) return false;
  AccessWindow window(a->directI2C);
  uint8_t current = 0xFF;
  if (!a->directI2C->LockedReadByte(kGpuRegulatorPort, r.address, r.reg, &current)) return false;
  bool ok = a->directI2C->LockedWriteByte(kGpuRegulatorPort, r.address, r.reg, static_cast<uint8_t>(stored)) != 0;
  if (ok && r.secondReg >= 0)
    ok = a->directI2C->LockedWriteByte(kGpuRegulatorPort, r.address, static_cast<uint8_t>(r.secondReg),
                                       static_cast<uint8_t>(stored)) != 0;
  return ok;
}
