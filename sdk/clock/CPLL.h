// One programmable clock synthesiser. The clock generator domain derives
// the chips from it.
#pragma once

class CPLL {
 public:
  virtual ~CPLL() = default;
};
