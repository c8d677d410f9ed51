// Devices: everything the SDK finds in the machine, typed by one bit.
#pragma once

#include <cstdint>

#include "sdk/core/CTList.h"

class CSensor;
class CModuleInfo;
class CSMBusDevice;

enum DeviceType : uint32_t {
  DEVICE_PCI = 0x1,
  DEVICE_SMBUS = 0x2,
  DEVICE_PROCESSOR = 0x4,
  DEVICE_LPCIO = 0x8,
  DEVICE_DISPLAY_ADAPTER = 0x20,
  DEVICE_BATTERY = 0x80,
  DEVICE_ZUNDO = 0x100,
  DEVICE_MAINBOARD = 0x400,
  DEVICE_MEMORY_MODULE = 0x800,
  DEVICE_POWER_SUPPLY = 0x1000,
  DEVICE_BOARD_CONTROL = 0x2000,
  DEVICE_COMPOSITE = 0x80000000u,
};

class CDevice {
 public:
  explicit CDevice(uint32_t t = 0) : type(t) {}
  virtual ~CDevice() = default;
  virtual void Hook(void*) {}
  virtual const char* GetName() { return nullptr; }
  virtual const char* GetSerialNumber() { return nullptr; }

  uint32_t type;
};

class CCompositeDevice : public CDevice {
 public:
  explicit CCompositeDevice(uint32_t typeBit) : CDevice(typeBit | DEVICE_COMPOSITE) {}
  ~CCompositeDevice() override {
    delete children;
    delete sensors;
  }
  // Both lists are made on first use and never own their elements.
  virtual void AddChild(CDevice* child) {
    if (!children) children = new CTList<CDevice>();
    children->Append(child);
  }
  virtual void AddSensor(CSensor* sensor) {
    if (!sensors) sensors = new CTList<CSensor>();
    sensors->Append(sensor);
  }

  CTList<CDevice>* children = nullptr;
  CTList<CSensor>* sensors = nullptr;
};

class CMainboard : public CCompositeDevice {
 public:
  explicit CMainboard(const char* boardName);
  const char* GetName() override { return name; }

  char name[256] = {};
  int32_t boardHash = -1;
  int32_t boardSum = -1;
};

class CMemoryModule : public CCompositeDevice {
 public:
  explicit CMemoryModule(const char* moduleName);
  const char* GetName() override { return name; }
  const char* GetSerialNumber() override;

  char name[256] = {};
  CModuleInfo* moduleRecord = nullptr;      // not owned
  CSensor* temperatureSensor = nullptr;     // not owned
  CSMBusDevice* thermalDevice = nullptr;    // not owned; also a child
};

class CPowerSupplyUnit : public CCompositeDevice {
 public:
  explicit CPowerSupplyUnit(const char* unitName);
  const char* GetName() override { return name; }

  char name[256] = {};
};
