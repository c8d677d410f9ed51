#include "sdk/monitor/CHardwareMonitorInterface.h"

#include <cstring>
#include <set>
#include <tuple>

#include "driver/CKMDriver.h"
#include "sdk/access/CIORequest.h"
#include "sdk/access/CLPCIO.h"
#include "sdk/access/CLPCRegisterSpace.h"
#include "sdk/access/CPortIOSpace.h"
#include "sdk/access/CSMBusDevice.h"
#include "sdk/access/CSMBusInterface.h"
#include "sdk/access/CSMBusRegisterSpace.h"
#include "sdk/access/SuperIODetection.h"
#include "sdk/core/CDevice.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/monitor/CHardwareMonitor.h"
#include "sdk/monitor/CSMBusChannelSpace.h"
#include "sdk/monitor/ChipProbes.h"
#include "sdk/monitor/MonitorFactory.h"
#include "sdk/monitor/PlatformMonitorDetectors.h"
#include "sdk/systables/CDMIInterface.h"
#include "sdk/systables/CDMIStructure.h"
#include "sdk/voltage/CBoardControl.h"

namespace {

CHardwareMonitorInterface::ControllerAssemblyFactory gControllerFactory = &CreateBoardControl;

template <size_t N>
bool Listed(const uint32_t (&list)[N], uint32_t value) {
  for (uint32_t v : list)
    if (v == value) return true;
  return false;
}

// Machines without monitoring (system product names, serial number).
constexpr uint32_t kNoMonitoringProducts[] = {0xCA9CD788, 0xF3C54BCD};
constexpr uint32_t kNoMonitoringSerials[] = {0x004B6E71};
// Super I/O discovery is skipped on these boards and system products.
constexpr uint32_t kNoSuperIOBoards[] = {0x004EA8A5, 0x0060A938};
constexpr uint32_t kNoSuperIOProducts[] = {0x7DA251C0, 0x996F7000, 0xB44A5478};
// Boards with a second Fintek chip on port 0x4E.
constexpr uint32_t kSecondFintekBoards[] = {0x031CDB24, 0x4FC5613E};
constexpr uint32_t kNoISA290Products[] = {0xB44A5478, 0x7DA251C0};
// The SMBus scan is skipped on these boards and system products.
constexpr uint32_t kNoSMBusScanBoards[] = {0x0002F310, 0x005F0EB2, 0x004B76A0, 0x009EF27C, 0x2D219469, 0x005ECE80,
                                           0x00003EC8, 0x00022A00, 0x00002D88, 0x9A995D00, 0xFB73D580};
constexpr uint32_t kNoSMBusScanProducts[] = {0xDA24FA10, 0xDA2F1580, 0xDA2F1600};
// Boards whose firmware carries the "D4" marker but still get the scan.
constexpr uint32_t kFirmwareMarkerExempt[] = {0x90C2F294, 0xB4B7D952};

enum class Probe { WinbondFamily, SMSC, AnalogDevices, VIA, Maxim, National, Andigilog, NuvotonBanked, ITE };

// The SMBus addresses of monitoring chips in scan order, the probes tried
// at each, and the boards on which the scan ends after the address.
struct ScanStep {
  uint8_t address;
  Probe probes[7];
  int probeCount;
  uint32_t stopBoards[5];
  int stopCount;
};
constexpr ScanStep kScanSteps[] = {
    {0x2C, {Probe::WinbondFamily, Probe::SMSC, Probe::AnalogDevices, Probe::VIA, Probe::Maxim, Probe::National}, 6,
     {0x00024680, 0x00024480, 0xEA734C70, 0x00B3F086, 0x000004D0}, 5},
    {0x2E,
     {Probe::SMSC, Probe::WinbondFamily, Probe::AnalogDevices, Probe::Andigilog, Probe::NuvotonBanked, Probe::Maxim,
      Probe::National},
     7, {0x00020960, 0x00657FD3}, 2},
    {0x2F, {Probe::WinbondFamily, Probe::NuvotonBanked, Probe::Maxim}, 3, {0x000306C0}, 1},
    {0x2D, {Probe::WinbondFamily, Probe::ITE, Probe::SMSC, Probe::AnalogDevices, Probe::Maxim, Probe::NuvotonBanked},
     6, {}, 0},
    {0x18, {Probe::Maxim}, 1, {}, 0},
    {0x1A, {Probe::AnalogDevices}, 1, {}, 0},
    {0x20, {Probe::AnalogDevices}, 1, {}, 0},
    {0x2B, {Probe::AnalogDevices}, 1, {}, 0},
    {0x28, {Probe::NuvotonBanked}, 1, {0x0060A938, 0x00A09194, 0x00504898, 0x004CEB53, 0x004FC898}, 5},
    {0x4C, {Probe::AnalogDevices, Probe::Maxim, Probe::National}, 3, {}, 0},
    {0x4D, {Probe::Maxim}, 1, {}, 0},
    {0x50, {Probe::AnalogDevices}, 1, {}, 0},
};

// Up to two chips (the SMSC probe can find two); how many were found.
int RunProbe(Probe p, CRegisterSpace* s, CIORequest* r, ProbeResult out[2]) {
  switch (p) {
    case Probe::WinbondFamily: return ProbeWinbondFamily(s, r, 0, out);
    case Probe::SMSC: return ProbeSMSC(s, r, out);
    case Probe::AnalogDevices: return ProbeAnalogDevices(s, r, out);
    case Probe::VIA: return ProbeVIA(s, r, out);
    case Probe::Maxim: return ProbeMaxim(s, r, out);
    case Probe::National: return ProbeNational(s, r, out);
    case Probe::Andigilog: return ProbeAndigilog(s, r, out);
    case Probe::NuvotonBanked: return ProbeNuvotonBanked(s, r, out);
    case Probe::ITE: return ProbeITE(s, r, 0, out);
  }
  return 0;
}

const CDMI_System* SystemRecord(QUARNSDK& sdk) {
  return sdk.dmiInterface ? static_cast<const CDMI_System*>(sdk.dmiInterface->FindStructure(1)) : nullptr;
}
// BoardHash of the system product name; 0 without one.
uint32_t SystemProductHash(QUARNSDK& sdk) {
  const CDMI_System* s = SystemRecord(sdk);
  return s && s->productName[0] ? QUARNSDK::BoardHash(s->productName) : 0;
}
const char* BaseboardMaker(QUARNSDK& sdk) {
  auto* b = sdk.dmiInterface ? static_cast<const CDMI_Baseboard*>(sdk.dmiInterface->FindStructure(2)) : nullptr;
  return b ? b->manufacturer : "";
}

// The firmware marker of boards whose SMBus must not be scanned: at
// 0xFEC70 a length byte 11..49, two ASCII digits, and "D4" in the string.
bool FirmwareForbidsScan(QUARNSDK& sdk) {
  CKMDriver* d = sdk.GetDriver();
  uint8_t image[64] = {};
  if (!d || !d->ReadPhysical(0, 0xFEC70, sizeof(image), image)) return false;
  uint8_t length = image[0];
  if (length < 11 || length > 49) return false;
  auto digit = [](uint8_t c) { return c >= '0' && c <= '9'; };
  if (!digit(image[1]) || !digit(image[2])) return false;
  for (int i = 0; i + 1 < length; ++i)
    if (image[i] == 'D' && image[i + 1] == '4') return true;
  return false;
}

// A chip the facade already holds for `port`, or a new detection there.
CLPCIO* SuperIOOnPort(QUARNSDK& sdk, uint16_t port, bool fintekOnly = false) {
  for (CDevice* d : Items(sdk.GetDevices()))
    if ((d->type & DEVICE_LPCIO) && static_cast<CLPCIO*>(d)->configPort == port) return static_cast<CLPCIO*>(d);
  return DetectSuperIOChip(sdk, port, fintekOnly);
}

}  // namespace

void CHardwareMonitorInterface::SetControllerAssemblyFactory(ControllerAssemblyFactory factory) {
  gControllerFactory = factory;
}

int QUARNSDK::CreateHardwareMonitorInterface(int32_t boardHash, int32_t boardSum, uint32_t mask) {
  auto* monitors = new CHardwareMonitorInterface(boardHash, boardSum, static_cast<int32_t>(mask));
  hardwareMonitorInterface = monitors;
  int ok = AdoptInterface(monitors, monitors->Init());
  if (!ok) hardwareMonitorInterface = nullptr;
  return ok;
}

CHardwareMonitorInterface::CHardwareMonitorInterface(int32_t, int32_t, int32_t detectionOptions)
    : CInterface(INTERFACE_HARDWARE_MONITOR), monitors(new CTList<CHardwareMonitor>()), options(detectionOptions) {
  if (QUARNSDK::HasInstance())
    if (CMainboard* board = QUARNSDK::GetInstance()->GetMainboard()) {
      boardId_ = board->boardHash;
      boardChecksum_ = board->boardSum;
    }
}

CHardwareMonitorInterface::~CHardwareMonitorInterface() {
  monitors->DeleteAll();
  delete monitors;
  delete controllers;
  if (QUARNSDK::HasInstance() && QUARNSDK::GetInstance()->hardwareMonitorInterface == this)
    QUARNSDK::GetInstance()->hardwareMonitorInterface = nullptr;
}

int CHardwareMonitorInterface::Init() {
  QUARNSDK& sdk = *QUARNSDK::GetInstance();
  if (const CDMI_System* s = SystemRecord(sdk); s && s->productName[0]) {
    if (Listed(kNoMonitoringProducts, QUARNSDK::BoardHash(s->productName))) return 0;
    if (s->serialNumber[0] && Listed(kNoMonitoringSerials, QUARNSDK::BoardHash(s->serialNumber))) return 0;
  }
  DiscoverSuperIO();
  ProbeLPCDevices();
  for (CHardwareMonitor* m : Items(monitors)) {
    m->CreateSensors();
    m->UpdateDivided(true);
  }
  if (gControllerFactory && (controllers = gControllerFactory(*this))) controllers->Assemble();
  return 1;
}

void CHardwareMonitorInterface::Close() {
  for (CHardwareMonitor* m : Items(monitors)) m->Close();
  if (controllers) controllers->Close();
}

void CHardwareMonitorInterface::Refresh() {
  for (CHardwareMonitor* m : Items(monitors)) m->UpdateDivided(false);
}

void CHardwareMonitorInterface::RefreshControllers() {
  if (controllers) controllers->Refresh();
}

CHardwareMonitor* CHardwareMonitorInterface::CreateMonitor(CDevice* device, uint32_t vendor, uint32_t chipCode,
                                                           CRegisterSpace* space, CIORequest* request) {
  int32_t key = -1, checksum = -1;
  if (device && (device->type & DEVICE_MAINBOARD)) {
    key = static_cast<CMainboard*>(device)->boardHash;
    checksum = static_cast<CMainboard*>(device)->boardSum;
  }
  // Graphics adapters key their tables on the adapter's PCI id; the
  // display domain passes its own key when it creates such monitors.
  int address = request && request->type == IOREQUEST_SMBUS ? static_cast<CSMBusRequest*>(request)->slave : -1;
  CHardwareMonitor* m = BuildMonitor(vendor, chipCode, key, checksum, address);
  m->SetAccess(space, request);
  monitors->Append(m);
  if (device) m->SetParent(device);
  return m;
}

int CHardwareMonitorInterface::DiscoverSuperIO() {
  QUARNSDK& sdk = *QUARNSDK::GetInstance();
  if (Listed(kNoSuperIOBoards, static_cast<uint32_t>(boardId_)) || Listed(kNoSuperIOProducts, SystemProductHash(sdk)))
    return 0;
  if (CLPCIO* first = SuperIOOnPort(sdk, 0x2E)) {
    (void)first;
    if (!Listed(kSecondFintekBoards, static_cast<uint32_t>(boardId_))) return 1;
    // These boards carry a second Fintek chip: only its probe runs there.
    CLPCIO* second = SuperIOOnPort(sdk, 0x4E, true);
    return second && second->vendorCode == LPCIO_FINTEK ? 2 : 1;
  }
  return SuperIOOnPort(sdk, 0x4E) ? 1 : 0;
}

bool CHardwareMonitorInterface::ProbeLPCDevice(CLPCIO* chip) {
  QUARNSDK& sdk = *QUARNSDK::GetInstance();
  CRegisterSpace* space = chip->monitorSpaces[0];
  CDevice* board = sdk.GetMainboard();
  auto* request = new CLPCRequest();
  ProbeResult found;
  bool ok = false;
  switch (chip->vendorCode) {
    case LPCIO_SMSC: ok = ProbeSMSCChipId(chip->chipCode, &found); break;
    case LPCIO_ITE: ok = ProbeITE(space, request, static_cast<uint32_t>(chip->chipCode), &found); break;
    case LPCIO_VIA: ok = ProbeVIA(space, request, &found); break;
    case LPCIO_FINTEK:
      found = {static_cast<uint32_t>(LPCIO_FINTEK), static_cast<uint32_t>(chip->chipCode)};
      ok = true;
      break;
    case LPCIO_WINBOND:
      ok = ProbeWinbondFamily(space, request, static_cast<uint32_t>(chip->chipCode), &found);
      break;
    case LPCIO_NS:
      // The PC87366 keeps its channels in three logical devices; it is listed by its id.
      found = {static_cast<uint32_t>(LPCIO_NS), static_cast<uint32_t>(chip->chipCode)};
      ok = chip->chipCode == 0xE9;
      break;
    default: break;
  }
  if (!ok) {
    delete request;
    return false;
  }
  CreateMonitor(board, found.vendor, found.chipCode, space, request);
  return true;
}

int CHardwareMonitorInterface::ProbeLPCDevices() {
  QUARNSDK& sdk = *QUARNSDK::GetInstance();
  int found = 0;
  // The list grows under the walk only through other detectors: take the chips first.
  CTList<CLPCIO> chips;
  for (CDevice* d : Items(sdk.GetDevices()))
    if ((d->type & DEVICE_LPCIO) && static_cast<CLPCIO*>(d)->monitorSpaces[0]) chips.Append(static_cast<CLPCIO*>(d));
  for (CLPCIO* chip : Items(&chips)) found += ProbeLPCDevice(chip);
  found += ProbeISA290();
  found += ScanSMBusMonitors();
  found += RunPlatformDetectors(*this);
  return found;
}

int CHardwareMonitorInterface::ProbeISA290() {
  QUARNSDK& sdk = *QUARNSDK::GetInstance();
  if (Listed(kNoISA290Products, SystemProductHash(sdk))) return 0;
  CRegisterSpace* space = sdk.FindRegisterSpace(0, 0x290, REGSPACE_LPC);
  if (space)
    for (CHardwareMonitor* m : Items(monitors))
      if (m->category == MONITOR_CHIP && m->space == space) return 0;
  CPortIOSpace* window = nullptr;
  if (!space) {
    window = new CPortIOSpace(0x290, 0xFFFFFFFF);
    space = new CLPCRegisterSpace(window, 5, 6);
  }
  auto* request = new CLPCRequest();
  ProbeResult found[2];
  int n = ProbeWinbondFamily(space, request, 0, &found[0]) ? 1 : 0;
  if (!n) n = ProbeITE(space, request, 0, &found[0]) ? 1 : 0;
  if (!n) n = ProbeSMSC(space, request, found);
  if (!n) {
    delete request;
    if (window) {
      delete space;
      delete window;
    }
    return 0;
  }
  if (window) {
    sdk.AddIOSpace(window);
    sdk.AddRegisterSpace(space);
  }
  CDevice* board = sdk.GetMainboard();
  CreateMonitor(board, found[0].vendor, found[0].chipCode, space, request);
  for (int i = 1; i < n; ++i) CreateMonitor(board, found[i].vendor, found[i].chipCode, space, new CLPCRequest());
  return n;
}

int CHardwareMonitorInterface::ScanSMBusMonitors() {
  QUARNSDK& sdk = *QUARNSDK::GetInstance();
  const auto board = static_cast<uint32_t>(boardId_);
  if (options < 0 || Listed(kNoSMBusScanBoards, board)) return 0;
  if (std::strstr(BaseboardMaker(sdk), "DFI ")) return 0;
  if (Listed(kNoSMBusScanProducts, SystemProductHash(sdk))) return 0;
  if (!Listed(kFirmwareMarkerExempt, board) && FirmwareForbidsScan(sdk)) return 0;
  CSMBusInterface* smbus = sdk.smbusInterface;
  if (!smbus) return 0;

  CDevice* mainboard = sdk.GetMainboard();
  // A chip on the switch's common segment answers on every channel: one
  // monitor for it.
  std::set<std::tuple<CSMBusRegisterSpace*, uint8_t, uint32_t, uint32_t>> made;
  int found = 0;
  for (const ScanStep& step : kScanSteps) {
    CTList<CSMBusDevice> devices;
    smbus->FindSMBusDevices(step.address, &devices, 0);
    for (CSMBusDevice* d : Items(&devices)) {
      CRegisterSpace* space = d->smbusSpace;
      CSMBusChannelSpace* channelSpace = nullptr;
      if (d->multiplexer) space = channelSpace = new CSMBusChannelSpace(d->smbusSpace, d->multiplexer, d->channel);
      auto* request = new CSMBusRequest(d->channel, d->slave);
      ProbeResult results[2];
      int n = 0;
      for (int p = 0; p < step.probeCount && !n; ++p) n = RunProbe(step.probes[p], space, request, results);
      int kept = 0;
      for (int i = 0; i < n; ++i) {
        if (!made.insert({d->smbusSpace, d->slave, results[i].vendor, results[i].chipCode}).second) continue;
        CreateMonitor(mainboard, results[i].vendor, results[i].chipCode, space,
                      kept ? new CSMBusRequest(d->channel, d->slave) : request);
        ++kept;
      }
      if (!kept) {
        delete request;
        delete channelSpace;
        continue;
      }
      if (channelSpace) sdk.AddRegisterSpace(channelSpace);
      found += kept;
    }
    for (int s = 0; s < step.stopCount; ++s)
      if (step.stopBoards[s] == board) return found;
  }
  return found;
}
