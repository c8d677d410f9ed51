#include "sdk/clock/CPLLInterface.h"

#include "platform/ChipsetClock.h"
#include "platform/Machine.h"
#include "sdk/access/CIORequest.h"
#include "sdk/access/CPCIDevice.h"
#include "sdk/access/CPCIInterface.h"
#include "sdk/access/CSMBusDevice.h"
#include "sdk/access/CSMBusInterface.h"
#include "sdk/access/CSMBusRegisterSpace.h"
#include "sdk/clock/ATI_RD600_MEM_PLL.h"
#include "sdk/clock/CPLL.h"
#include "sdk/clock/CPLLOutput.h"
#include "sdk/clock/ClockBoardTable.h"
#include "sdk/clock/GeneratorFamily.h"
#include "sdk/clock/INTEL_P67_CPU_PLL.h"
#include "sdk/clock/INTEL_P77_PLL.h"
#include "sdk/core/CDevice.h"
#include "sdk/core/QUARNSDK.h"

namespace {

constexpr uint8_t kGeneratorAddress = 0x69;
constexpr uint8_t kStrapAddress = 0x6D;
constexpr uint8_t kStrapRegister = 0x80;
// The abit board whose generator sits behind the uGuru port.
constexpr uint32_t kUGuruGeneratorBoard = 0x59ACBEC0;

bool IsAny(uint16_t id, std::initializer_list<uint16_t> ids) {
  for (uint16_t i : ids)
    if (i == id) return true;
  return false;
}

// The processor-clock strap of the X79 platform: register 0x80 of the
// SMBus device at 0x6D.
float StrapMultiplier(uint8_t code) {
  switch (code) {
    case 0xA1: return 1.667f;
    case 0xA6: return 1.25f;
    case 0xA9: return 2.5f;
    default: return 1.0f;
  }
}

}  // namespace

int QUARNSDK::CreatePLLInterface(int32_t boardHash) {
  auto* plls = new CPLLInterface(boardHash);
  return AdoptInterface(plls, plls->Init());
}

CPLLInterface::CPLLInterface(int32_t board) : CInterface(INTERFACE_PLL), boardId(board) {}

CPLLInterface::~CPLLInterface() { Close(); }

int CPLLInterface::Init() {
  plat::Machine& machine = plat::CurrentMachine();
  library_ = machine.LoadIntegratedClockLibrary();
  component_ = machine.CreateClockControlComponent();
  if (component_) {
    uint32_t error = 0;
    if (component_->Initialize(&error) < 0 || error) component_.reset();
  }
  FindSMBusGenerator();
  FindUGuruGenerator();
  FindChipsetClocks();
  return 1;
}

void CPLLInterface::Close() {
  if (QUARNSDK::HasInstance())
    for (CPLL* pll : Items(QUARNSDK::GetInstance()->GetPLLs())) {
      if (auto* p67 = dynamic_cast<INTEL_P67_CPU_PLL*>(pll)) p67->Detach();
      if (auto* p77 = dynamic_cast<INTEL_P77_PLL*>(pll)) p77->Detach();
    }
  component_.reset();
  library_.reset();
}

void CPLLInterface::Adopt(CPLL* pll) {
  pll->Read();
  QUARNSDK::GetInstance()->AddPLL(pll);
}

void CPLLInterface::FindSMBusGenerator() {
  QUARNSDK& sdk = *QUARNSDK::GetInstance();
  if (!sdk.smbusInterface) return;
  std::vector<PLLFactory> classes = SMBusGeneratorFor(static_cast<uint32_t>(boardId));
  if (classes.empty()) return;
  CSMBusDevice* device = sdk.smbusInterface->FindSMBusDevice(kGeneratorAddress, nullptr);
  if (!device) return;
  for (PLLFactory make : classes) {
    CPLL* pll = make();
    pll->SetAccess(device->smbusSpace, new CSMBusRequest(device->channel, kGeneratorAddress));
    Adopt(pll);
  }
}

void CPLLInterface::FindUGuruGenerator() {
  if (static_cast<uint32_t>(boardId) != kUGuruGeneratorBoard) return;
  QUARNSDK& sdk = *QUARNSDK::GetInstance();
  CTList<CRegisterSpace> spaces;
  if (!sdk.FindRegisterSpaces(REGSPACE_UGURU, &spaces)) return;
  for (const char* name : {"ICS_954127_CPU_PLL", "ICS_954127_PCIE_PLL"}) {
    CPLL* pll = new CGeneratorFamilyPLL(*FindGeneratorFamily(name));
    pll->SetAccess(spaces.head->item, new CSMBusRequest(0, kGeneratorAddress));
    Adopt(pll);
  }
}

void CPLLInterface::FindChipsetClocks() {
  QUARNSDK& sdk = *QUARNSDK::GetInstance();
  CTList<CPCIDevice> pciDevices;
  for (CDevice* d : Items(sdk.GetDevices()))
    if (d->type & DEVICE_PCI) pciDevices.Append(static_cast<CPCIDevice*>(d));
  for (CPCIDevice* dev : Items(&pciDevices)) {
    const uint16_t vendor = dev->VendorId(), id = dev->DeviceId();
    if (vendor == 0x1002 && IsAny(id, {0x7930, 0x7931})) {
      // Bit 0 of 0x4C opens the memory-controller window for the check.
      uint32_t reg4c = 0;
      if (!dev->ReadConfig(0x4C, &reg4c)) continue;
      const bool wasClear = !(reg4c & 1);
      if (wasClear && !dev->WriteConfig(0x4C, reg4c | 1)) continue;
      uint32_t reg58 = 0;
      if (sdk.pciInterface && sdk.pciInterface->ReadConfig(0, 0, 1, 0x58, &reg58) && (reg58 & 4)) {
        CTList<CRegisterSpace> mc;
        sdk.FindRegisterSpaces(REGSPACE_ATI_RS600_MC, &mc);
        Adopt(new ATI_RD600_MEM_PLL(mc.head ? mc.head->item : nullptr));
      }
      if (wasClear) dev->WriteConfig(0x4C, reg4c);
    } else if (vendor == 0x8086 && IsAny(id, {0x1C46, 0x1C49, 0x1C4F, 0x1C53})) {
      int clock = INTEL_P67_CPU_PLL::ChooseClock(library_.get());
      if (clock >= 0) Adopt(new INTEL_P67_CPU_PLL(library_.get(), clock));
    } else if (vendor == 0x8086 && id == 0x1E44) {
      if (!component_) continue;
      Adopt(new INTEL_P77_CPU_PLL(component_.get()));
      Adopt(new INTEL_P77_PCIE_PLL(component_.get()));
    } else if (vendor == 0x8086 && IsAny(id, {0x1D40, 0x1D41})) {
      if (!sdk.smbusInterface) continue;
      CSMBusDevice* strap = sdk.smbusInterface->FindSMBusDevice(kStrapAddress, nullptr);
      uint8_t code = 0xFF;
      if (!strap || !strap->ReadByte(kStrapRegister, &code)) continue;
      const float factor = StrapMultiplier(code);
      for (CPLL* pll : Items(sdk.GetPLLs())) {
        bool found = false;
        for (CPLLOutput* o : Items(pll->GetOutputs()))
          if (o->key == PLL_OUTPUT_CPU) {
            found = true;
            break;
          }
        if (found) {
          pll->SetStrapMultiplier(factor);
          break;
        }
      }
    }
  }
}

// The graphics adapters' clock objects share the facade's PLL list (the
// display interface is created before this one) but are not the board's
// clock sources: the board index counts only the others, so that a
// profile's or a page's PLL number means the same with or without a card.
bool IsBoardPLL(const CPLL* pll) {
  return pll && !(pll->GetKind() & (PLL_KIND_GPU_CORE | PLL_KIND_GPU_MEMORY | PLL_KIND_GPU_SHADER));
}

int PLLCount() {
  if (!QUARNSDK::HasInstance()) return 0;
  int n = 0;
  for (CPLL* pll : Items(QUARNSDK::GetInstance()->GetPLLs()))
    if (IsBoardPLL(pll)) ++n;
  return n;
}

CPLL* PLLAt(int index) {
  if (!QUARNSDK::HasInstance() || index < 0) return nullptr;
  for (CPLL* pll : Items(QUARNSDK::GetInstance()->GetPLLs()))
    if (IsBoardPLL(pll) && index-- == 0) return pll;
  return nullptr;
}

int FindPLL(uint32_t kind) {
  for (int i = 0; i < PLLCount(); ++i)
    if (PLLAt(i)->HasKind(kind)) return i;
  return -1;
}

bool PLLTargetRange(int index, float* low, float* high) {
  CPLL* pll = PLLAt(index);
  if (!pll || !(pll->GetFrequency() > 0)) return false;
  if (pll->GetMinimum() > 0 && pll->GetMaximum() > 0) {
    *low = pll->GetMinimum();
    *high = pll->GetMaximum();
  } else {
    *low = pll->GetFrequency() / 2;
    *high = pll->GetFrequency() * 2;
  }
  return true;
}

int SetPLLFrequency(int index, float mhz, float step, const std::function<void(float)>& applied) {
  CPLL* pll = PLLAt(index);
  if (!pll || !(step > 0)) return 0;
  pll->Read();
  float low = 0, high = 0;
  // Refused before anything is written: no valid frequency, or a target
  // beyond the chip's limits.
  if (!PLLTargetRange(index, &low, &high) || !(mhz >= low && mhz <= high)) return 0;
  plat::Machine& machine = plat::CurrentMachine();
  machine.Sleep(250);
  int ramped = pll->RampTo(mhz, step, applied);
  machine.Sleep(250);
  int read = pll->Read();
  return ramped ? read : 0;
}
