#include "sdk/graphics/DisplayAPI_I2CRegisterSpace.h"

#include "sdk/graphics/CDisplayAPI.h"

DisplayAPI_I2CRegisterSpace::DisplayAPI_I2CRegisterSpace(CDisplayAPI* displayApi, CDisplayAdapter* displayAdapter)
    : CI2CRegisterSpace(nullptr, -1, "Access_I2C"), api(displayApi), adapter(displayAdapter) {}

int DisplayAPI_I2CRegisterSpace::ReadByte(int port, int address, uint8_t reg, uint8_t* value) {
  *value = 0xFF;
  return api && api->I2CRead(adapter, port, address, reg, value) ? 1 : 0;
}
