// The supply regulators of the board vendor's own NVIDIA Fermi cards, on
// port 3 of the card's own I2C bus (`directI2C`): GPU core "NV VDD (3D)",
// PCI Express "PEX VDD" and frame buffer "FB VDD". Each holds one byte
// code; volts = base + code × step (the core rail stores code + 100 in two
// registers). Callers hold the hardware lock; each access brackets its
// transactions with the space's SetAccessMode(0) and (1).
#pragma once

#include <cstdint>

class CDisplayAdapter;

enum GpuRail : int { GPU_RAIL_NVVDD = 0, GPU_RAIL_PEXVDD = 1, GPU_RAIL_FBVDD = 2, GPU_RAIL_COUNT = 3 };

struct GpuRailDesc {
  const char* name;  // as the page and torvikctl show it
  const char* key;   // torvikctl's argument
  uint8_t address;
  uint8_t reg;
  int secondReg;     // also written, -1 when none
  float base, maximum, step;
  int codeOffset;    // stored byte = code + codeOffset
  int positions;     // slider positions 0 .. positions
};
extern const GpuRailDesc kGpuRails[GPU_RAIL_COUNT];

inline constexpr int kGpuRegulatorPort = 3;

// The card carries the regulators: an NVIDIA Fermi family code
// (0x01060000 .. 0x01060FFF) and its own I2C space.
bool HasGpuRegulators(const CDisplayAdapter* adapter);

// Code for a voltage, halves rounding up; volts for a code.
int GpuRailCode(int rail, double volts);
double GpuRailVolts(int rail, int code);

// The rail's voltage, or -1 when the card has no such regulator or the read
// fails.
double ReadGpuRail(CDisplayAdapter* adapter, int rail);

// Sets the rail. Refused (false, nothing written) for a card without
// regulators, a voltage outside base .. maximum, or a regulator whose
// current setting cannot be read. True when every byte was acknowledged.
bool WriteGpuRail(CDisplayAdapter* adapter, int rail, double volts);
