// One supply rail a voltage controller sets: its voltage now and where the
// board routes it (a monitoring chip's pin through its divider). Boards
// connect the sink; the controller calls Set whenever its output moves.
#pragma once

#include <functional>

namespace emu {

struct RailOutput {
  double volts = 0.0;
  std::function<void(double volts)> sink;

  void Set(double v) {
    volts = v;
    if (sink) sink(v);
  }
  void Connect(std::function<void(double)> s) {
    sink = std::move(s);
    if (sink) sink(volts);
  }
};

}  // namespace emu
