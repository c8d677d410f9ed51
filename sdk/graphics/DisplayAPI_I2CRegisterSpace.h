// A graphics card's I2C buses reached through a vendor SDK: byte reads only
// (one-byte register address, one data byte), through the API's I2CRead.
#pragma once

#include "sdk/graphics/CI2CRegisterSpace.h"

class CDisplayAPI;
class CDisplayAdapter;

class DisplayAPI_I2CRegisterSpace : public CI2CRegisterSpace {
 public:
  DisplayAPI_I2CRegisterSpace(CDisplayAPI* displayApi, CDisplayAdapter* displayAdapter);
  int ReadByte(int port, int address, uint8_t reg, uint8_t* value) override;

  CDisplayAPI* api;          // not owned
  CDisplayAdapter* adapter;  // not owned
};
