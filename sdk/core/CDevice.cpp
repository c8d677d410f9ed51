#include "sdk/core/CDevice.h"

#include <cstdio>

#include "sdk/memory/CModuleInfo.h"

CMainboard::CMainboard(const char* boardName) : CCompositeDevice(DEVICE_MAINBOARD) {
  std::snprintf(name, sizeof(name), "%s", boardName ? boardName : "");
}

CMemoryModule::CMemoryModule(const char* moduleName) : CCompositeDevice(DEVICE_MEMORY_MODULE) {
  std::snprintf(name, sizeof(name), "%s", moduleName ? moduleName : "");
}

const char* CMemoryModule::GetSerialNumber() { return moduleRecord ? moduleRecord->serialText : nullptr; }

CPowerSupplyUnit::CPowerSupplyUnit(const char* unitName) : CCompositeDevice(DEVICE_POWER_SUPPLY) {
  std::snprintf(name, sizeof(name), "%s", unitName ? unitName : "");
}
