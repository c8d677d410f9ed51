#include "sdk/voltage/CBoardControl.h"

#include <cstdio>
#include <initializer_list>

#include "sdk/access/CSMBusDevice.h"
#include "sdk/access/CSMBusInterface.h"
#include "sdk/access/CSMBusRegisterSpace.h"
#include "sdk/access/CIORequest.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/voltage/BoardRailTables.h"
#include "sdk/voltage/Brenmor_Tessel.h"
#include "sdk/voltage/CHIL_CHL8102_MicroController.h"
#include "sdk/voltage/CHIL_CHL8328_MicroController.h"
#include "sdk/voltage/Dallas_DS4402_DAC_MicroController.h"
#include "sdk/voltage/Dallas_DS4404_DAC_MicroController.h"
#include "sdk/voltage/Fintek_F72262_MicroController.h"
#include "sdk/voltage/ISL90727_MicroController.h"
#include "sdk/voltage/NXP_PCA9545A_MicroController.h"
#include "sdk/voltage/VT1186M_MicroController.h"
#include "sdk/voltage/uP6208_Buck_MicroController.h"
#include "sdk/voltage/uP6228_VR_MicroController.h"
#include "sdk/voltage/uP6262_DAC_MicroController.h"

using namespace railtables;

namespace {

enum class Chip { None, DS4402, DS4404, UP6208, UP6262, UP6228, VT1186M, ISL90727, PCA9545A, F72262, CHL8328, CHL8102 };

// Where a chip sits: the host, the board switch channel and the address.
struct Place {
  CSMBusRegisterSpace* space = nullptr;
  CMultiplexer* mux = nullptr;
  uint8_t channel = 0;
};

CMicroController* Make(Chip c, const Place& p, uint8_t address) {
  switch (c) {
    case Chip::DS4402: return new Dallas_DS4402_DAC_MicroController(p.space, p.mux, p.channel, address);
    case Chip::DS4404: return new Dallas_DS4404_DAC_MicroController(p.space, p.mux, p.channel, address);
    case Chip::UP6208: return new uP6208_Buck_MicroController(p.space, p.mux, p.channel, address);
    case Chip::UP6262: return new uP6262_DAC_MicroController(p.space, p.mux, p.channel, address);
    case Chip::UP6228: return new uP6228_VR_MicroController(p.space, p.mux, p.channel, address);
    case Chip::VT1186M: return new VT1186M_MicroController(p.space, p.mux, p.channel, address);
    case Chip::ISL90727: return new ISL90727_MicroController(p.space, p.mux, p.channel, address);
    case Chip::PCA9545A: return new NXP_PCA9545A_MicroController(p.space, p.mux, p.channel, address);
    case Chip::F72262: return new Fintek_F72262_MicroController(p.space, p.mux, p.channel, address);
    case Chip::CHL8328: return new CHIL_CHL8328_MicroController(p.space, p.mux, p.channel, address);
    case Chip::CHL8102: return new CHIL_CHL8102_MicroController(p.space, p.mux, p.channel, address);
    case Chip::None: break;
  }
  return nullptr;
}

using Boards = std::initializer_list<uint32_t>;
bool In(Boards list, uint32_t board) {
  for (uint32_t b : list)
    if (b == board) return true;
  return false;
}

// Step 1: controllers at fixed hosts (the host's I/O base) by board.
struct FixedController {
  Boards boards;
  Chip chip;
  uint16_t hostBase;
  uint8_t address;
  _stMicroControllerOutputDesc* table;
};
const FixedController kFixed[] = {
    {{0x0B469DC0, 0x0B469DD0, 0x0B469DF0, 0x07C551D0, 0x5093A6F8, 0xD1B3A250, 0x9F899DA0, 0xDEF0A6E8, 0xE4C8A25A},
     Chip::UP6208, 0x400, 0x46, T1},
    {{0x07785400, 0x980BF460}, Chip::UP6208, 0x500, 0x46, T2},
    {{0x047853E0, 0x06A45470, 0x087853F0}, Chip::UP6208, 0x500, 0x46, T3},
    {{0x549C53D2}, Chip::VT1186M, 0x400, 0x70, T4},
    {{0x8A2BB490, 0x938A7FD8, 0xD17DCDEC, 0xD17DCDF0, 0x68BEE680, 0x68BEE6AB}, Chip::VT1186M, 0x500, 0x70, T4},
};
constexpr Boards kGaugeBoards = {0x031CC930, 0x031CC938, 0x031CC93C, 0x031CC944, 0x031CC94C, 0x031CC954};
constexpr Boards kDualProcessorBoards = {0x031CDB24, 0x4FC5613E};

// Steps 3, 4 and 6 to 9: one chip class at a list of addresses.
struct AddressStep {
  Boards boards;
  Chip chip;
  struct {
    uint8_t address;
    _stMicroControllerOutputDesc* table;  // null: created without rows
  } at[8];
  int count;
};

// Step 5: per board group the chip and table at 0x30..0x36 (indexed by
// address - 0x30), visited in the order below.
constexpr uint8_t kStep5Order[] = {0x30, 0x32, 0x33, 0x34, 0x35, 0x31, 0x36};
struct Slot {
  Chip chip;
  _stMicroControllerOutputDesc* table;
};
constexpr Slot kNone = {Chip::None, nullptr};
Slot F(_stMicroControllerOutputDesc* t = nullptr) { return {Chip::F72262, t}; }
Slot U(_stMicroControllerOutputDesc* t = nullptr) { return {Chip::UP6262, t}; }
Slot C(_stMicroControllerOutputDesc* t = nullptr) { return {Chip::CHL8328, t}; }
struct GroupRow {
  Boards boards;
  Slot slots[7];  // 0x30 .. 0x36
};
const GroupRow kStep5[] = {
    {{0x031CDB24, 0x4FC5613E}, {F(T11), F(T12), F(T13), F(), F(T14), F(T15), F()}},
    {{0x031CC91C, 0x031CC924}, {U(T16), U(), U(T17), U(), U(), U(), U()}},
    {{0xE4C8A25A}, {U(T18), U(T19), U(T20), U(T21), U(), U(T22), U()}},
    {{0xD1B3A250, 0xDEF0A6E8, 0x9F899DA0, 0x5093A6F8, 0x0B469DC0}, {U(), U(), U(T20), U(T21), U(), U(T22), U()}},
    {{0x0B469DD0, 0x0B469DF0, 0x07C551D0}, {U(T18), U(), U(T20), U(T21), U(), U(T22), U()}},
    {{0x549C53D2}, {U(T23), U(T19), U(T20), U(T21), U(), U(T22), U()}},
    {{0x8A2BB490, 0x938A7FD8, 0xD17DCDEC, 0xD17DCDF0, 0x68BEE680, 0x68BEE6AB},
     {U(T23), U(T19), U(T24), U(T25), U(T26), U(T27), U()}},
    {{0x047853E0, 0x06A45470, 0x087853F0}, {kNone, U(T19), U(T24), U(T28), U(T29), U(T27), U()}},
    {{0x031CC930, 0x031CC938}, {C(T30), kNone, C(T31), kNone, F(T32), kNone, kNone}},
    {{0x031CC93C, 0x031CC944}, {C(T30), kNone, C(T31), kNone, F(T33), kNone, kNone}},
    {{0x031CC94C, 0x031CC954}, {kNone, F(T34), C(T31), F(T35), F(T33), kNone, kNone}},
    {{0x0AAB5410}, {C(T36), kNone, C(T37), F(T38), kNone, F(T39), C(T40)}},
    {{0x07FCD4D0, 0x0AFCD4F0, 0x0AFCD510}, {C(T41), F(T42), C(T43), kNone, C(T44), F(T45), C(T40)}},
};

CSMBusRegisterSpace* HostAt(QUARNSDK& sdk, uint16_t base) {
  for (CRegisterSpace* s : Items(sdk.GetRegisterSpaces()))
    if (s->kind == REGSPACE_SMBUS && s->GetBaseLow() == base) return static_cast<CSMBusRegisterSpace*>(s);
  return nullptr;
}

// The first device the probe finds at `address`; false when none answers.
bool Answering(CSMBusInterface* smbus, uint8_t address, Place* where) {
  if (!smbus) return false;
  CTList<CSMBusDevice> found;
  if (smbus->FindSMBusDevices(address, &found, 0) < 1) return false;
  CSMBusDevice* d = found.At(0);
  *where = {d->smbusSpace, d->multiplexer, d->channel};
  return d->smbusSpace != nullptr;
}

bool IsBoost(const char* label) {
  return label && (std::string(label) == "VCORE BOOST #1" || std::string(label) == "VCORE BOOST #2");
}

}  // namespace

CControllerAssembly* CreateBoardControl(CHardwareMonitorInterface& monitors) {
  return new CBoardControl(monitors, monitors.BoardId());
}

CBoardControl::CBoardControl(CHardwareMonitorInterface& monitors, int32_t boardId)
    : controllers(new CTList<CMicroController>()), monitors_(monitors), boardId_(boardId) {}

CBoardControl::~CBoardControl() {
  controllers->DeleteAll();
  delete controllers;
}

CBoardControl* CBoardControl::Of(QUARNSDK& sdk) {
  auto* hm = static_cast<CHardwareMonitorInterface*>(sdk.FindInterface(INTERFACE_HARDWARE_MONITOR));
  return hm ? dynamic_cast<CBoardControl*>(hm->controllers) : nullptr;
}

bool CBoardControl::IsDualProcessorBoard(int32_t boardId) {
  return In(kDualProcessorBoards, static_cast<uint32_t>(boardId));
}

void CBoardControl::Assemble() {
  CreateControllers();
  for (CMicroController* c : Items(controllers)) {
    c->CreateOutputs();
    c->Update();
  }
}

void CBoardControl::Refresh() {
  for (CMicroController* c : Items(controllers)) c->Update();
}

int CBoardControl::CreateControllers() {
  if (!QUARNSDK::HasInstance()) return 0;
  QUARNSDK& sdk = *QUARNSDK::GetInstance();
  auto* smbus = static_cast<CSMBusInterface*>(sdk.FindInterface(INTERFACE_SMBUS));
  if (!smbus) return 0;
  const uint32_t board = static_cast<uint32_t>(boardId_);
  auto add = [&](Chip chip, const Place& p, uint8_t address, _stMicroControllerOutputDesc* table, bool ownsBoard) {
    CMicroController* c = Make(chip, p, address);
    if (!c) return;
    c->descriptions = table;
    if (ownsBoard) c->boardId = boardId_;
    controllers->Append(c);
  };

  // 1. Fixed hosts. A controller whose host is missing is not made.
  for (const FixedController& f : kFixed)
    if (In(f.boards, board))
      if (CSMBusRegisterSpace* host = HostAt(sdk, f.hostBase)) add(f.chip, {host, nullptr, 0}, f.address, f.table, true);
  if (In(kGaugeBoards, board)) {
    Place p;
    if (Answering(smbus, Brenmor_Tessel::kAddress, &p))
      sdk.AddDevice(new Brenmor_Tessel(p.space, p.mux, p.channel, Brenmor_Tessel::kAddress));
  }

  // 2. The dual-processor boards' regulator branch, behind the switch.
  Place p;
  if (In(kDualProcessorBoards, board) && Answering(smbus, 0x30, &p)) {
    add(Chip::PCA9545A, p, 0x72, nullptr, true);
    add(Chip::VT1186M, p, 0x70, T5, true);
  }

  auto addressStep = [&](const AddressStep& s) {
    if (!In(s.boards, board)) return;
    for (int i = 0; i < s.count; ++i)
      if (Answering(smbus, s.at[i].address, &p)) add(s.chip, p, s.at[i].address, s.at[i].table, false);
  };
  // 3. DACs at 0x48..0x4F.
  addressStep({{0x980BF460, 0x07785400},
               Chip::DS4402,
               {{0x48, T6}, {0x49, T7}, {0x4A, T8}, {0x4B, T9}, {0x4C, nullptr}, {0x4D, nullptr}, {0x4E, nullptr},
                {0x4F, nullptr}},
               8});
  // 4. Regulator controllers at 0x45, 0x46.
  addressStep({{0x031CC94C, 0x031CC954}, Chip::UP6228, {{0x45, T10}, {0x46, T10}}, 2});
  // 5. DACs and regulators at 0x30..0x36.
  for (const GroupRow& g : kStep5) {
    if (!In(g.boards, board)) continue;
    for (uint8_t a : kStep5Order) {
      const Slot& s = g.slots[a - 0x30];
      if (s.chip != Chip::None && Answering(smbus, a, &p)) add(s.chip, p, a, s.table, false);
    }
    break;
  }
  // 6. uP6262 pair of the X58 boards.
  addressStep({{0x27F0AF90, 0x47F0AF90, 0x5A9428B4}, Chip::UP6262, {{0x28, T46}, {0x30, T47}}, 2});
  // 7. Potentiometers at 0x2E and 0x3E.
  addressStep({{0x031CC930, 0x031CC938, 0x031CC93C, 0x031CC944}, Chip::ISL90727, {{0x2E, T48}, {0x3E, T49}}, 2});
  addressStep({{0x031CC94C, 0x031CC954, 0x07FCD4D0, 0x0AFCD4F0, 0x0AFCD510},
               Chip::ISL90727,
               {{0x2E, T50}, {0x3E, T51}},
               2});
  addressStep({{0x0AAB5410}, Chip::ISL90727, {{0x2E, T52}, {0x3E, nullptr}}, 2});
  addressStep({{0x07C551D0, 0x9F899DA0, 0xE4C8A25A, 0x0B469DC0, 0x0B469DD0, 0x0B469DF0, 0x549C53D2, 0x031CDB24,
                0x4FC5613E},
               Chip::ISL90727,
               {{0x2E, T53}, {0x3E, T54}},
               2});
  // 8. Four-channel DAC at 0x4A.
  addressStep({{0xE4C8A25A, 0x0B469DF0, 0x549C53D2}, Chip::DS4404, {{0x4A, T55}}, 1});
  // 9. Regulator controller at 0x0C.
  addressStep({{0x031CC93C, 0x031CC944, 0x031CC94C, 0x031CC954}, Chip::CHL8102, {{0x0C, T56}}, 1});
  return controllers->count;
}

int CBoardControl::RowCount(int n) const {
  CMicroController* c = GetController(n);
  return c ? DescriptionCount(c->descriptions) : 0;
}

bool CBoardControl::ReadRow(int n, int r, RailReading* out) const {
  CMicroController* c = GetController(n);
  if (!c || r < 0 || r >= DescriptionCount(c->descriptions)) return false;
  const _stMicroControllerOutputDesc& row = c->descriptions[r];
  *out = RailReading{};
  out->row = row;
  const int type = row.type & 0xFFFF;
  if (type == ROW_CODE) {
    bool any = false;
    int sum = 0;
    for (CMicroControllerOutput* o : Items(c->outputs)) {
      if (!o->rows || !o->rows->Contains(&row) || o->code < 0) continue;
      if (!any) out->direction = o->direction;
      any = true;
      sum += o->code;
    }
    out->code = any ? sum : -1;
    return true;
  }
  CMicroControllerOutput* o = c->FindOutput(row.id & rowid::kOutputMask);
  if (!o || o->code < 0 || row.stepsBelow == 0) return true;
  int shift = 0;
  while (!((row.stepsBelow >> shift) & 1)) ++shift;
  const int field = (o->code & row.stepsBelow) >> shift;
  out->code = type == ROW_FIELD_DOWN ? row.stepsAbove - field : field;
  return true;
}

bool CBoardControl::CodeForRow(int n, int r, int value, int flags, int* code, int* outFlags,
                               std::string* refusal) const {
  auto refuse = [&](const char* why) {
    if (refusal) *refusal = why;
    return false;
  };
  CMicroController* c = GetController(n);
  if (!c || r < 0 || r >= DescriptionCount(c->descriptions)) return refuse("no such rail");
  const _stMicroControllerOutputDesc& row = c->descriptions[r];
  const int type = row.type & 0xFFFF;
  const bool below = flags & kSettingBelowBase;
  if (value < 0) return refuse("negative setting");
  // The row's own range: m settings below the base, p from the base up.
  if (type == ROW_CODE) {
    if (below && (value < 1 || value > row.stepsBelow)) return refuse("setting below the rail's range");
    if (!below && value >= row.stepsAbove) return refuse("setting above the rail's range");
    // Some rows reach further below their base than a supply can go: a
    // setting that would take the rail to zero volts or below is not a
    // voltage anybody means.
    if (below && row.base > 0 && row.stepBelow > 0 &&
        static_cast<double>(row.base) - value * static_cast<double>(row.stepBelow) <= 1e-6)
      return refuse("setting would take the rail to zero volts or below");
  } else if (value > row.stepsAbove) {
    return refuse("setting above the rail's range");
  }
  if (IsBoost(row.label)) flags |= kSettingBoost;
  else flags &= ~kSettingBoost;
  *outFlags = flags;

  if (row.id & rowid::kCombined) {
    const int max = c->MaxValue(row, flags);
    if (max < 0 || value > max) return refuse("setting beyond what the controller can hold");
    *code = value;
    return true;
  }
  CMicroControllerOutput* o = c->FindOutput(row.id & rowid::kOutputMask);
  if (!o || o->code < 0) return refuse("the rail's output did not answer");
  *code = value;
  if (type == ROW_FIELD || type == ROW_FIELD_DOWN) {
    if (row.stepsBelow == 0) return refuse("rail without a field");
    int shift = 0;
    while (!((row.stepsBelow >> shift) & 1)) ++shift;
    const int field = type == ROW_FIELD_DOWN ? row.stepsAbove - value : value;
    if (field < 0 || (field << shift & ~row.stepsBelow)) return refuse("setting outside the rail's field");
    *code = (o->code & ~row.stepsBelow) | (field << shift);
  }
  const int max = c->MaxValue(row, flags);
  if (max < 0 || *code > max) return refuse("setting beyond what the controller can hold");
  return true;
}

bool CBoardControl::CheckRow(int n, int r, int value, int flags, std::string* refusal) const {
  int code = 0, outFlags = 0;
  return CodeForRow(n, r, value, flags, &code, &outFlags, refusal);
}

int CBoardControl::WriteRow(int n, int r, int value, int flags, std::string* refusal) {
  int code = 0, outFlags = 0;
  if (!CodeForRow(n, r, value, flags, &code, &outFlags, refusal)) return 0;
  return GetController(n)->SetOutput(GetController(n)->descriptions[r].id, code, outFlags);
}

CMicroController* CBoardControl::FindControllerById(int32_t id) const {
  for (CMicroController* c : Items(controllers))
    if (c->controllerId == id) return c;
  return nullptr;
}

CMicroController* CBoardControl::FindController(int32_t id, uint32_t spaceType, uint32_t address) const {
  for (CMicroController* c : Items(controllers))
    if (c->controllerId == id && c->space && c->space->kind == spaceType && c->Address() == address) return c;
  return nullptr;
}

int CBoardControl::SelectProcessorRails(int processor) {
  if (!IsDualProcessorBoard(boardId_) || (processor != 0 && processor != 1)) return 0;
  CMicroController* sw = FindControllerById(MC_PCA9545A);
  if (!sw) return 0;
  return sw->WriteByte(0x00, processor == 0 ? kBranchFirstCpu : kBranchSecondCpu);
}
