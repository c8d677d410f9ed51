// What a board's monitoring chips measure: rail voltages, temperatures and
// fan speeds as functions of the machine's time. Values drift slowly around
// a set point (a slow sine, so readings move like a real board's without
// random jumps); fans may be stopped during set windows.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

namespace emu {

struct Waveform {
  double base = 0.0;       // set point (volts, degrees C or rpm)
  double amplitude = 0.0;  // peak deviation
  double periodS = 60.0;
  double phase = 0.0;  // radians
  bool connected = false;  // a default waveform is an open pin

  static Waveform Open() { return {0, 0, 60, 0, false}; }
  static Waveform Steady(double v) { return {v, 0, 60, 0, true}; }
  static Waveform Drift(double v, double amp, double periodS, double phase = 0) { return {v, amp, periodS, phase, true}; }

  double At(uint64_t ns) const {
    if (!connected) return 0.0;
    double t = static_cast<double>(ns) / 1e9;
    return base + amplitude * std::sin(2.0 * M_PI * t / periodS + phase);
  }
};

struct FanWaveform {
  Waveform rpm = Waveform::Open();
  // Stopped (0 rpm) whenever offFromS <= t < offUntilS; a negative
  // offUntilS stops it for good from offFromS on.
  struct Window {
    double offFromS, offUntilS;
  };
  std::vector<Window> stopped;

  double At(uint64_t ns) const {
    double t = static_cast<double>(ns) / 1e9;
    for (const Window& w : stopped)
      if (t >= w.offFromS && (w.offUntilS < 0 || t < w.offUntilS)) return 0.0;
    return rpm.At(ns);
  }
};

}  // namespace emu
