#include "sdk/access/CSMBusInterface.h"

#include "platform/NamedMutex.h"
#include "sdk/access/Asus_ASB100_SMBusMultiplexer_Type_2.h"
#include "sdk/access/Asus_P5M2_SMBusMultiplexer.h"
#include "sdk/access/Asus_P5W_SMBusMultiplexer.h"
#include "sdk/access/Brenmor_ICH10R_SMBusMultiplexer.h"
#include "sdk/access/CCommand.h"
#include "sdk/access/CLPCRegisterSpace.h"
#include "sdk/access/CPCIDevice.h"
#include "sdk/access/CPCIHeader.h"
#include "sdk/access/CPCIInterface.h"
#include "sdk/access/CPortIOSpace.h"
#include "sdk/access/CSMBusDevice.h"
#include "sdk/access/CSMBusRegisterSpace.h"
#include "sdk/access/Intel_82801FB_SMBusControllerStatus.h"
#include "sdk/access/Intel_82801_SMBusControllerStatus.h"
#include "sdk/access/Intel_LPC_ThermalControllerStatus.h"
#include "sdk/access/Intel_S5500BC_SMBusMultiplexer.h"
#include "sdk/access/SiS_96x_SMBusControllerStatus.h"
#include "sdk/access/Winbond_LPCIO_ConfigMode.h"
#include "boardid/BoardVendor.h"
#include "sdk/core/QUARNSDK.h"

namespace {

// Controllers the firmware may hide, and the command that shows them.
enum class Unhide { Ich2, Ich6, Thermal, SiS };
struct HiddenController {
  uint16_t vendor;
  uint16_t device;
  Unhide command;
};
constexpr HiddenController kHiddenControllers[] = {
    {0x8086, 0x2410, Unhide::Ich2}, {0x8086, 0x2420, Unhide::Ich2}, {0x8086, 0x2440, Unhide::Ich2},
    {0x8086, 0x244C, Unhide::Ich2}, {0x8086, 0x2480, Unhide::Ich2}, {0x8086, 0x248C, Unhide::Ich2},
    {0x8086, 0x24C0, Unhide::Ich2}, {0x8086, 0x24CC, Unhide::Ich2}, {0x8086, 0x24D0, Unhide::Ich2},
    {0x8086, 0x25A1, Unhide::Ich2},
    {0x8086, 0x1C49, Unhide::Ich6}, {0x8086, 0x1C4F, Unhide::Ich6}, {0x8086, 0x2640, Unhide::Ich6},
    {0x8086, 0x2641, Unhide::Ich6}, {0x8086, 0x2670, Unhide::Ich6}, {0x8086, 0x27B0, Unhide::Ich6},
    {0x8086, 0x27B8, Unhide::Ich6}, {0x8086, 0x27B9, Unhide::Ich6}, {0x8086, 0x27BD, Unhide::Ich6},
    {0x8086, 0x2810, Unhide::Ich6}, {0x8086, 0x2811, Unhide::Ich6}, {0x8086, 0x2812, Unhide::Ich6},
    {0x8086, 0x2814, Unhide::Ich6}, {0x8086, 0x2815, Unhide::Ich6}, {0x8086, 0x2910, Unhide::Ich6},
    {0x8086, 0x2912, Unhide::Ich6}, {0x8086, 0x2914, Unhide::Ich6}, {0x8086, 0x2916, Unhide::Ich6},
    {0x8086, 0x2917, Unhide::Ich6}, {0x8086, 0x2918, Unhide::Ich6}, {0x8086, 0x2919, Unhide::Ich6},
    {0x8086, 0x3A14, Unhide::Ich6}, {0x8086, 0x3A16, Unhide::Ich6}, {0x8086, 0x3A18, Unhide::Ich6},
    {0x8086, 0x3A1A, Unhide::Ich6}, {0x8086, 0x3B07, Unhide::Ich6}, {0x8086, 0x3B09, Unhide::Ich6},
    {0x8086, 0x3B0A, Unhide::Ich6}, {0x8086, 0x3B0B, Unhide::Ich6},
    {0x8086, 0x1D40, Unhide::Thermal}, {0x8086, 0x1D41, Unhide::Thermal},
    {0x1039, 0x0008, Unhide::SiS}, {0x1039, 0x0961, Unhide::SiS}, {0x1039, 0x0962, Unhide::SiS},
    {0x1039, 0x0963, Unhide::SiS},
};

CCommand* MakeUnhideCommand(Unhide kind, CPCIDevice* d) {
  switch (kind) {
    case Unhide::Ich2: return new Intel_82801_SMBusControllerStatus(d);
    case Unhide::Ich6: return new Intel_82801FB_SMBusControllerStatus(d);
    case Unhide::Thermal: return new Intel_LPC_ThermalControllerStatus(d);
    case Unhide::SiS: return new SiS_96x_SMBusControllerStatus(d);
  }
  return nullptr;
}

bool HasSubsystem(CPCIDevice* d, uint16_t vendor, uint16_t device) {
  return d->header && d->header->GetSubsystemVendorId() == vendor && d->header->GetSubsystemId() == device;
}

// The GPIO window of an Intel LPC bridge (GPIOBASE at 0x48, enable bit 4 of
// 0x4C), found or made and registered; null when GPIO decoding is off.
CIOSpace* GpioWindow(QUARNSDK& sdk, CPCIDevice* lpc, uint32_t size) {
  uint32_t base = 0, control = 0;
  if (!lpc->ReadConfig(0x48, &base) || !lpc->ReadConfig(0x4C, &control) || !(control & 0x10)) return nullptr;
  base &= 0xFFC0;
  if (!base) return nullptr;
  if (CIOSpace* s = sdk.FindIOSpace(0, base, IOSPACE_PORT)) return s;
  auto* window = new CPortIOSpace(base, size);
  sdk.AddIOSpace(window);
  return window;
}

}  // namespace

plat::MutexHandle SMBusMutex() {
  if (QUARNSDK::HasInstance()) {
    CSMBusInterface* i = QUARNSDK::GetInstance()->smbusInterface;
    if (i && i->mutex) return i->mutex;
  }
  static plat::MutexHandle own = QUARNSDK::CreateGlobalMutex(false, "Access_SMBUS.HTP.Method");
  return own;
}

int QUARNSDK::CreateSMBusInterface() {
  auto* smbus = new CSMBusInterface();
  // Visible to the detection (its multiplexer probes take the interface's mutex).
  smbusInterface = smbus;
  int ok = AdoptInterface(smbus, smbus->Init());
  if (!ok) smbusInterface = nullptr;
  return ok;
}

CSMBusInterface::CSMBusInterface()
    : CInterface(INTERFACE_SMBUS), multiplexers(new CTList<CMultiplexer>()), commands(new CTList<CCommand>()) {
  mutex = QUARNSDK::CreateGlobalMutex(false, "Access_SMBUS.HTP.Method");
}

CSMBusInterface::~CSMBusInterface() {
  multiplexers->DeleteAll();
  delete multiplexers;
  commands->DeleteAll();
  delete commands;
  if (QUARNSDK::HasInstance() && QUARNSDK::GetInstance()->smbusInterface == this)
    QUARNSDK::GetInstance()->smbusInterface = nullptr;
  if (mutex) {
    plat::ReleaseMutex(mutex);
    plat::CloseMutex(mutex);
  }
}

int CSMBusInterface::Init() {
  QUARNSDK& sdk = *QUARNSDK::GetInstance();
  if (!sdk.pciInterface && !sdk.FindInterface(INTERFACE_PCI)) return 0;
  UnhideControllers(sdk);
  DetectSMBusHosts(sdk);
  DetectSPDHosts(sdk);
  DetectMultiplexers(sdk);
  return 1;
}

void CSMBusInterface::Close() {
  for (CCommand* c : Items(commands)) c->Restore();
}

void CSMBusInterface::UnhideControllers(QUARNSDK& sdk) {
  // The list changes under the walk (a rescan adds the revealed function):
  // take the bridges first.
  CTList<CCommand> made;
  for (CDevice* d : Items(sdk.GetDevices())) {
    if (!(d->type & DEVICE_PCI)) continue;
    auto* pci = static_cast<CPCIDevice*>(d);
    for (const HiddenController& h : kHiddenControllers)
      if (pci->VendorId() == h.vendor && pci->DeviceId() == h.device) {
        made.Append(MakeUnhideCommand(h.command, pci));
        break;
      }
  }
  for (CCommand* c : Items(&made)) {
    commands->Append(c);
    c->Save();
    c->Enable();
  }
}

void CSMBusInterface::DetectMultiplexers(QUARNSDK& sdk) {
  CPCIInterface* pci = sdk.pciInterface;
  if (!pci) return;
  CTList<CPCIDevice> list;
  auto each = [&](uint16_t vendor, uint16_t device, auto body) {
    list.Clear();
    pci->FindPCIDevicesByID(vendor, device, &list);
    for (CPCIDevice* d : Items(&list)) body(d);
  };
  auto keep = [&](CMultiplexer* m) {
    m->InitDefault();
    multiplexers->Append(m);
  };
  each(0x8086, 0x1130, [&](CPCIDevice* d) {
    if (!HasSubsystem(d, 0x1043, 0x8027)) return;
    CLPCRegisterSpace* sio = FindOrCreateLPCSpace(sdk, 0x2E, 0, 1);
    keep(new Asus_ASB100_SMBusMultiplexer_Type_2(new Winbond_LPCIO_ConfigMode(sio)));
  });
  each(0x8086, 0x27B8, [&](CPCIDevice* d) {
    CIOSpace* gpio = GpioWindow(sdk, d, 0x3C);
    if (!gpio) return;
    if (HasSubsystem(d, 0x1043, 0x8179)) keep(new Asus_P5W_SMBusMultiplexer(gpio));
    if (HasSubsystem(d, 0x1043, 0x8190)) keep(new Asus_P5M2_SMBusMultiplexer(gpio));
  });
  each(0x8086, 0x2810, [&](CPCIDevice* d) { GpioWindow(sdk, d, 0x40); });
  each(0x8086, 0x3A16, [&](CPCIDevice* d) {
    CIOSpace* gpio = GpioWindow(sdk, d, 0x40);
    if (!gpio) return;
    if (HasSubsystem(d, 0x8086, 0x34DA) || HasSubsystem(d, 0x8086, 0x34DC))
      keep(new Intel_S5500BC_SMBusMultiplexer(gpio));
    if (HasSubsystem(d, kBoardVendorPciSubsystemId, kBoardVendorIch10rMuxSubsystemDevice))
      keep(new Brenmor_ICH10R_SMBusMultiplexer(gpio));
  });
}

CSMBusDevice* CSMBusInterface::FindSMBusDeviceRecord(CSMBusRegisterSpace* space, CMultiplexer* mux, uint8_t channel,
                                                      uint8_t slave) {
  if (!QUARNSDK::HasInstance()) return nullptr;
  for (CDevice* d : Items(QUARNSDK::GetInstance()->GetDevices())) {
    if (!(d->type & DEVICE_SMBUS)) continue;
    auto* s = static_cast<CSMBusDevice*>(d);
    if (s->smbusSpace == space && s->multiplexer == mux && s->channel == channel && s->slave == slave) return s;
  }
  return nullptr;
}

bool CSMBusInterface::ProbeOne(CSMBusRegisterSpace* space, CMultiplexer* mux, uint8_t channel, uint8_t slave,
                               uint8_t command, CTList<CSMBusDevice>* list) {
  QUARNSDK& sdk = *QUARNSDK::GetInstance();
  uint8_t v = 0xFF;
  CSMBusDevice* record = FindSMBusDeviceRecord(space, mux, channel, slave);
  if (space->LockedReadByte(slave, command, &v)) {
    if (!record) {
      record = new CSMBusDevice(space, mux, channel, slave);
      sdk.AddDevice(record);
    }
    if (list) list->Append(record);
    return true;
  }
  if (record && sdk.RemoveDevice(record)) delete record;
  return false;
}

int CSMBusInterface::FindSMBusDevices(uint8_t slave, CTList<CSMBusDevice>* list, uint8_t command) {
  CTList<CRegisterSpace> spaces;
  QUARNSDK::GetInstance()->FindRegisterSpaces(REGSPACE_SMBUS, &spaces);
  int count = 0;
  for (CRegisterSpace* r : Items(&spaces)) {
    auto* space = static_cast<CSMBusRegisterSpace*>(r);
    if (!multiplexers->count) {
      count += ProbeOne(space, nullptr, 0, slave, command, list);
      continue;
    }
    for (CMultiplexer* m : Items(multiplexers))
      for (uint8_t c = 0; c < m->channelCount; ++c) {
        m->Select(c);
        count += ProbeOne(space, m, c, slave, command, list);
        m->Restore();
      }
  }
  return count;
}

CSMBusDevice* CSMBusInterface::FindSMBusDevice(uint8_t slave, int* count) {
  CTList<CSMBusDevice> list;
  int n = FindSMBusDevices(slave, &list, 0);
  if (count) *count = n;
  return list.head ? list.head->item : nullptr;
}

int CSMBusInterface::ProbeAddress(CSMBusRegisterSpace* space, uint8_t slave, CTList<CSMBusDevice>* list) {
  if (!space) return 0;
  if (!multiplexers->count) return ProbeOne(space, nullptr, 0, slave, 0, list);
  int count = 0;
  for (CMultiplexer* m : Items(multiplexers))
    for (uint8_t c = 0; c < m->channelCount; ++c) {
      m->Select(c);
      count += ProbeOne(space, m, c, slave, 0, list);
      m->Restore();
    }
  return count;
}

int CSMBusInterface::FindSMBusSpaces(uint32_t controllerId, CTList<CSMBusRegisterSpace>* list) {
  int count = 0;
  for (CRegisterSpace* r : Items(QUARNSDK::GetInstance()->GetRegisterSpaces())) {
    if (r->kind != REGSPACE_SMBUS || static_cast<CSMBusRegisterSpace*>(r)->controllerId != controllerId) continue;
    if (list) list->Append(static_cast<CSMBusRegisterSpace*>(r));
    ++count;
  }
  return count;
}
