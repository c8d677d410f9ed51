#include "sdk/memory/CSPDInterface.h"

#include <cstdio>
#include <cstring>

#include "sdk/access/CMultiplexer.h"
#include "sdk/access/CSMBusDevice.h"
#include "sdk/access/CSMBusInterface.h"
#include "sdk/access/CSMBusRegisterSpace.h"
#include "sdk/core/CDevice.h"
#include "sdk/core/CSensor.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/memory/SpdDecoder.h"
#include "sdk/monitor/CHardwareMonitorInterface.h"
#include "sdk/monitor/CMemoryModuleHardwareMonitor.h"

namespace {

// The monitoring refresh reads the module's temperature from then on.
void AddThermalMonitor(CSMBusDevice* device, CTemperatureSensor* t, CMemoryModule* module) {
  if (CHardwareMonitorInterface* monitors = QUARNSDK::GetInstance()->hardwareMonitorInterface)
    monitors->monitors->Append(new CMemoryModuleHardwareMonitor(device, t, module));
}

// Boards whose bus switch puts several modules behind one address.
bool SharesSpdAddresses(int32_t boardHash) {
  return static_cast<uint32_t>(boardHash) == 0x031CDB24u || static_cast<uint32_t>(boardHash) == 0x4FC5613Eu;
}

// JEDEC JC-42.4 temperature sensors: manufacturer ids of register 6.
constexpr uint16_t kThermalMakers[] = {0x004D, 0x0054, 0x00B3, 0x104A, 0x1131, 0x11D4, 0x1B09};

// Memory controllers with SPD buses of their own and their channel count.
struct ControllerBus {
  uint32_t controllerId;
  int channels;
};
constexpr ControllerBus kControllerBuses[] = {
    {0x808625F5, 4}, {0x808625F6, 4}, {0x80862621, 8}, {0x80864035, 8},
    {0x80864036, 8}, {0x8086360F, 8}, {0x80863610, 8},
};

// All 256 SPD bytes in one hold of the channel; a byte that does not read
// keeps its preset.
void ReadSpdBytes(CSMBusDevice* d, uint8_t* buffer) {
  if (d->multiplexer) d->multiplexer->Select(d->channel);
  for (int i = 0; i < CModuleInfo::kDataSize; ++i) {
    uint8_t v = 0xFF;
    if (d->smbusSpace->LockedReadByte(d->slave, static_cast<uint8_t>(i), &v)) buffer[i] = v;
  }
  if (d->multiplexer) d->multiplexer->Restore();
}

}  // namespace

CSPDInterface::CSPDInterface() : devices(new CTList<CDevice>()) {}

CSPDInterface::~CSPDInterface() {
  // The devices outlive this interface when the facade still holds them:
  // they must not keep pointing into the records.
  if (QUARNSDK::HasInstance()) {
    const CTList<CDevice>* all = QUARNSDK::GetInstance()->GetDevices();
    for (CDevice* d : Items(devices))
      if (all && all->Contains(d)) static_cast<CMemoryModule*>(d)->moduleRecord = nullptr;
  }
  delete devices;
  // Never handed to the facade: still this interface's.
  for (const Held& h : held_) {
    delete h.temperature;
    delete h.module;
  }
}

CMemoryModule* CSPDInterface::Record(CSMBusDevice* device, uint8_t fill) {
  if (count >= kMaxModules) return nullptr;
  CModuleInfo& m = modules[count];
  m.space = device->smbusSpace;
  m.address = device->slave;
  m.index = count;
  m.dataSize = CModuleInfo::kDataSize;
  delete[] m.data;
  m.data = new uint8_t[CModuleInfo::kDataSize];
  std::memset(m.data, fill, CModuleInfo::kDataSize);
  ReadSpdBytes(device, m.data);
  auto* module = new CMemoryModule("Memory Module");
  module->moduleRecord = &m;
  if (holdBack)
    held_.push_back({module});
  else
    Share({module});
  devices->Append(module);
  ++count;
  return module;
}

void CSPDInterface::AttachThermalSensor(CMemoryModule* module, CSMBusDevice* eeprom, int slot) {
  auto* smbus = QUARNSDK::GetInstance()->smbusInterface;
  CTList<CSMBusDevice> found;
  if (!smbus || !smbus->FindSMBusDevices(static_cast<uint8_t>(0x18 | (slot & 7)), &found, 0)) return;
  // The sensor on the module's own host and switch channel.
  CSMBusDevice* sensor = nullptr;
  for (CSMBusDevice* d : Items(&found))
    if (d->smbusSpace == eeprom->smbusSpace && d->multiplexer == eeprom->multiplexer && d->channel == eeprom->channel) {
      sensor = d;
      break;
    }
  using Thermal = CMemoryModuleHardwareMonitor;
  uint16_t maker = 0, value = 0;
  if (!sensor || !Thermal::ReadRegister(sensor, Thermal::kManufacturerRegister, &maker)) return;
  bool known = false;
  for (uint16_t id : kThermalMakers) known |= id == maker;
  if (!known || !Thermal::ReadRegister(sensor, Thermal::kAmbientRegister, &value)) return;
  auto* t = new CTemperatureSensor(0);
  std::snprintf(t->name, sizeof(t->name), "core");
  Thermal::Store(t, value);
  module->AddSensor(t);
  module->temperatureSensor = t;
  module->thermalDevice = sensor;
  module->AddChild(sensor);
  for (Held& h : held_)
    if (h.module == module) {
      h.temperature = t;
      h.thermalDevice = sensor;
      return;
    }
  QUARNSDK::GetInstance()->AddSensor(t);
  AddThermalMonitor(sensor, t, module);
}

void CSPDInterface::Share(const Held& held) {
  QUARNSDK& sdk = *QUARNSDK::GetInstance();
  sdk.AddDevice(held.module);
  if (!held.temperature) return;
  sdk.AddSensor(held.temperature);
  AddThermalMonitor(held.thermalDevice, held.temperature, held.module);
}

void CSPDInterface::Publish() {
  if (!QUARNSDK::HasInstance()) return;
  std::vector<Held> held;
  held.swap(held_);
  for (const Held& h : held) Share(h);
}

bool CSPDInterface::Detect(const Progress& progress) {
  QUARNSDK& sdk = *QUARNSDK::GetInstance();
  CSMBusInterface* smbus = sdk.smbusInterface;
  int first = 0;
  switch (boardHash) {
    case 8408: slotCount = 4; break;
    case 11455588: first = 2; break;
    case 74994656:
    case 111432816:
    case 142103536:
    case 1757341355:
    case -780284436:
    case -780284432: slotCount = 7; break;
    default: break;
  }
  int memoryType = -1;
  for (int slot = first; smbus && slot < slotCount; ++slot) {
    if (progress) progress();
    const uint8_t address = static_cast<uint8_t>(0x50 | slot);
    CTList<CSMBusDevice> found;
    smbus->FindSMBusDevices(address, &found, 0);
    for (CSMBusDevice* d : Items(&found)) {
      uint8_t b1 = 0xFF, type = 0xFF, b3 = 0xFF, b8 = 0xFF;
      if (!d->ReadByte(2, &type) || !d->ReadByte(1, &b1) || !d->ReadByte(3, &b3) || !d->ReadByte(8, &b8)) continue;
      if (!AcceptSpdType(type, b1, b3, b8)) continue;
      if (memoryType >= 0 && type != memoryType) continue;
      if (FindModule(address) && !SharesSpdAddresses(boardHash)) continue;
      CMemoryModule* module = Record(d, 0xAB);
      if (!module) break;
      if (memoryType < 0) memoryType = type;
      AttachThermalSensor(module, d, slot);
    }
  }
  DetectControllerBuses(progress);
  return count > 0;
}

void CSPDInterface::DetectControllerBuses(const Progress& progress) {
  QUARNSDK& sdk = *QUARNSDK::GetInstance();
  CSMBusInterface* smbus = sdk.smbusInterface;
  if (!smbus) return;
  for (const ControllerBus& bus : kControllerBuses) {
    CTList<CSMBusRegisterSpace> spaces;
    smbus->FindSMBusSpaces(bus.controllerId, &spaces);
    for (CSMBusRegisterSpace* space : Items(&spaces)) {
      if (progress) progress();
      for (int channel = 0; channel < bus.channels; ++channel) {
        CTList<CSMBusDevice> found;
        smbus->ProbeAddress(space, static_cast<uint8_t>(channel), &found);
        for (CSMBusDevice* d : Items(&found)) {
          uint8_t type = 0xFF;
          if (!d->ReadByte(2, &type) || type < 1 || type > 11 || type == 3) continue;
          if (!Record(d, 0x00)) return;
        }
      }
    }
  }
}

void CSPDInterface::Decode(const Progress& progress) {
  int i = 0;
  for (CDevice* d : Items(devices)) {
    if (i >= count) break;
    if (progress) progress();
    CModuleInfo& m = modules[i++];
    DecodeModule(m);
    auto* module = static_cast<CMemoryModule*>(d);
    std::snprintf(module->name, sizeof(module->name), "%.200s %.31s", m.makerName, m.speedName);
  }
}

CModuleInfo* CSPDInterface::FindModule(uint8_t address) {
  for (int i = 0; i < count; ++i)
    if (modules[i].address == address) return &modules[i];
  return nullptr;
}

int CSPDInterface::TotalSizeMB() const {
  int total = 0;
  for (int i = 0; i < count; ++i)
    if (modules[i].sizeMB > 0) total += modules[i].sizeMB;
  return total;
}

int SystemMemoryMB(uint64_t bytes) {
  const double mb = static_cast<double>(bytes) / (1024.0 * 1024.0);
  int result = static_cast<int>(mb + 0.95);
  if (result & 1) ++result;
  return result;
}

int InstalledMemoryMB(int systemMB, const CSPDInterface* spd) {
  if (!spd || spd->count <= 0) return systemMB;
  const int modules = spd->TotalSizeMB();
  return modules > systemMB ? modules : systemMB;
}
