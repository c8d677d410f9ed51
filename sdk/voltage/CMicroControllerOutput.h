// One adjustable channel of a voltage controller: its current raw code and
// the description rows bound to it (static, not owned).
#pragma once

#include "sdk/core/CTList.h"
#include "sdk/voltage/MicroControllerDesc.h"

class CMicroControllerOutput {
 public:
  explicit CMicroControllerOutput(int outputNumber);
  virtual ~CMicroControllerOutput() { delete rows; }
  CMicroControllerOutput(const CMicroControllerOutput&) = delete;
  CMicroControllerOutput& operator=(const CMicroControllerOutput&) = delete;

  void Bind(_stMicroControllerOutputDesc* row);

  char name[512] = {};  // "OUT0" .. "OUT3"
  int number;
  int code = -1;       // raw setting, -1 until read
  int direction = 0;   // 1: the code counts below the row's base
  int secondFlag = 0;  // a further control bit where the chip has one
  CTList<_stMicroControllerOutputDesc>* rows = nullptr;  // made on first bind
};
