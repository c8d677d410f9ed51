// volt: the board's adjustable supply rails, controller by controller, with
// each rail's current setting, base, steps and range (--json for the same
// as data), and the dial gauge's position. `volt set RAIL VALUE` (needs
// --yes) writes one rail, by label or id, to an absolute voltage or an
// offset from its current setting ("+0.05", "-0.025"; on rails shown as
// offsets the offset itself), and prints the registers it wrote. On the
// dual-processor boards each processor's branch is connected before its
// rails are read or written.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/Json.h"
#include "cli/Verbs.h"
#include "platform/Machine.h"
#include "sdk/core/CDevice.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/voltage/Brenmor_Tessel.h"
#include "sdk/voltage/CBoardControl.h"
#include "sdk/voltage/CMicroController.h"
#include "sdk/voltage/RailSettings.h"

namespace cli {

namespace {

struct Listed {
  int processor;  // -1 on single-processor boards
  rails::VisibleRail rail;
  RailReading reading;
};

std::string RailId(const Listed& l) {
  std::string id = std::to_string(l.rail.controller) + ":" + std::to_string(l.rail.row);
  if (l.processor >= 0 && (l.reading.row.id & rowid::kCpuMask)) id += ":" + std::to_string(l.processor);
  return id;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Every rail the page would show, for each processor on the dual-processor
// boards (their board rails once). Call with the hardware lock held.
std::vector<Listed> Collect(CBoardControl& control) {
  std::vector<Listed> out;
  const bool dp = CBoardControl::IsDualProcessorBoard(control.BoardId());
  for (int p : dp ? std::vector<int>{0, 1} : std::vector<int>{-1}) {
    if (dp) {
      control.SelectProcessorRails(p);
      control.Refresh();
    }
    for (const rails::VisibleRail& r : rails::VisibleRails(control, p < 0 ? 0 : p)) {
      Listed l{p, r, {}};
      control.ReadRow(r.controller, r.row, &l.reading);
      if (p == 1 && !(l.reading.row.id & rowid::kCpuMask)) continue;
      if (p < 0) l.rail.label = r.label;
      out.push_back(l);
    }
  }
  if (dp) control.SelectProcessorRails(0);
  return out;
}

std::string Current(const Listed& l) {
  const int i = rails::EntryOf(l.reading.row, l.reading.code, l.reading.direction);
  return i < 0 ? "unknown" : rails::EntryText(l.reading.row, i);
}

Brenmor_Tessel* Gauge(QUARNSDK& sdk) {
  CTList<CDevice> found;
  return sdk.FindDevices(DEVICE_BOARD_CONTROL, &found) > 0 ? static_cast<Brenmor_Tessel*>(found.At(0)) : nullptr;
}

void PrintText(CBoardControl& control, const std::vector<Listed>& list, int dial) {
  if (plat::CurrentMachine().IsEmulated())
    std::printf("[%s: EMULATED, readings are not this computer's]\n\n", plat::CurrentMachine().Name().c_str());
  std::printf("Board id: 0x%08X\n", static_cast<uint32_t>(control.BoardId()));
  if (dial >= 0) std::printf("Dial gauge: position %d of 255\n", dial);
  else std::printf("Dial gauge: none\n");
  int lastController = -1;
  for (const Listed& l : list) {
    if (l.rail.controller != lastController) {
      CMicroController* c = control.GetController(l.rail.controller);
      std::printf("\n%s at 0x%02X (controller %d)\n", c->ClassName(), c->Address(), l.rail.controller);
      lastController = l.rail.controller;
    }
    const _stMicroControllerOutputDesc& row = l.reading.row;
    const std::vector<float> e = rails::Entries(row);
    std::printf("  %-8s %-28s %-14s", RailId(l).c_str(), l.rail.label.c_str(), Current(l).c_str());
    if (rails::HasBase(row)) std::printf(" base %.5f V", row.base);
    else std::printf(" offsets");
    if (row.stepBelow > 0 && rails::Entries(row).size() > static_cast<size_t>(row.stepsAbove))
      std::printf("  step +%.5f/-%.5f V", row.stepAbove, row.stepBelow);
    else
      std::printf("  step +%.5f V", row.stepAbove);
    if (!e.empty())
      std::printf("  range %s .. %s", rails::EntryText(row, 0).c_str(),
                  rails::EntryText(row, static_cast<int>(e.size()) - 1).c_str());
    std::printf("\n");
  }
  if (list.empty()) std::printf("\nNo adjustable rails on this board.\n");
}

void PrintJson(CBoardControl& control, const std::vector<Listed>& list, int dial) {
  Json j;
  j.BeginObject().Key("machine").String(plat::CurrentMachine().Name());
  j.Key("emulated").Bool(plat::CurrentMachine().IsEmulated());
  j.Key("board_id").Hex(static_cast<uint32_t>(control.BoardId()), 8);
  j.Key("dial_position");
  if (dial >= 0) j.Int(dial);
  else j.Null();
  j.Key("controllers").BeginArray();
  for (int c = 0; c < control.ControllerCount(); ++c) {
    CMicroController* mc = control.GetController(c);
    j.BeginObject().Key("index").Int(c).Key("class").String(mc->ClassName());
    j.Key("controller_id").Int(mc->controllerId).Key("address").Hex(mc->Address(), 2);
    j.Key("outputs").BeginArray();
    for (CMicroControllerOutput* o : Items(mc->outputs))
      j.BeginObject().Key("name").String(o->name).Key("code").Int(o->code).Key("direction").Int(o->direction).EndObject();
    j.EndArray().Key("rails").BeginArray();
    for (const Listed& l : list) {
      if (l.rail.controller != c) continue;
      const _stMicroControllerOutputDesc& row = l.reading.row;
      const std::vector<float> e = rails::Entries(row);
      j.BeginObject().Key("id").String(RailId(l)).Key("label").String(l.rail.label).Key("name").String(l.rail.name);
      j.Key("processor");
      if (l.processor >= 0 && (row.id & rowid::kCpuMask)) j.Int(l.processor);
      else j.Null();
      j.Key("row_id").Hex(static_cast<uint32_t>(row.id), 3).Key("type").Int(row.type & 0xFFFF);
      j.Key("code").Int(l.reading.code).Key("direction").Int(l.reading.direction);
      j.Key("setting").String(Current(l));
      j.Key("base");
      if (rails::HasBase(row)) j.Number(row.base);
      else j.Null();
      j.Key("step_above").Number(row.stepAbove).Key("step_below").Number(row.stepBelow);
      j.Key("steps_above").Int(row.stepsAbove).Key("steps_below").Int(row.stepsBelow);
      j.Key("range").BeginArray();
      if (!e.empty()) j.String(rails::EntryText(row, 0)).String(rails::EntryText(row, static_cast<int>(e.size()) - 1));
      j.EndArray().EndObject();
    }
    j.EndArray().EndObject();
  }
  j.EndArray().EndObject();
  std::printf("%s\n", j.Text().c_str());
}

CBoardControl* StartControl(Session& s) {
  if (!s.StartSdk()) return nullptr;
  CBoardControl* control = CBoardControl::Of(*QUARNSDK::GetInstance());
  if (!control) std::fprintf(stderr, "torvikctl: no hardware monitoring on this machine\n");
  return control;
}

int List(Session& s) {
  CBoardControl* control = StartControl(s);
  if (!control) return kExitFailed;
  if (!s.LockHardware()) return kExitFailed;
  std::vector<Listed> list = Collect(*control);
  Brenmor_Tessel* gauge = Gauge(*QUARNSDK::GetInstance());
  const int dial = gauge ? gauge->GetDialPosition() : -1;
  s.UnlockHardware();
  if (s.Options().json) PrintJson(*control, list, dial);
  else PrintText(*control, list, dial);
  return kExitOk;
}

bool ParseVolts(const std::string& text, double* volts, bool* offset) {
  if (text.empty()) return false;
  char* end = nullptr;
  *volts = std::strtod(text.c_str(), &end);
  std::string rest = end ? std::string(end) : "";
  if (rest == "V" || rest == "v") rest.clear();
  *offset = text[0] == '+' || text[0] == '-';
  return end != text.c_str() && rest.empty();
}

const Listed* FindRail(const std::vector<Listed>& list, const std::string& name) {
  for (const Listed& l : list)
    if (RailId(l) == name) return &l;
  const Listed* found = nullptr;
  for (const Listed& l : list)
    if (Lower(l.rail.label) == Lower(name)) {
      if (found) return nullptr;  // ambiguous: the id must be used
      found = &l;
    }
  return found;
}

int Set(Session& s, const Args& a) {
  if (a.size() != 3) return Usage(*FindVerb("volt"));
  double volts = 0;
  bool offset = false;
  if (!ParseVolts(a[2], &volts, &offset)) return Usage(*FindVerb("volt"));
  if (!s.Options().yes) {
    std::fprintf(stderr, "torvikctl: refusing to change a supply voltage without --yes\n");
    return kExitFailed;
  }
  CBoardControl* control = StartControl(s);
  if (!control) return kExitFailed;
  if (!s.LockHardware()) return kExitFailed;
  int rc = kExitFailed;
  std::vector<Listed> list = Collect(*control);
  const Listed* l = FindRail(list, a[1]);
  if (!l) {
    std::fprintf(stderr, "torvikctl: no single rail '%s' on this board (see torvikctl volt)\n", a[1].c_str());
  } else {
    const _stMicroControllerOutputDesc& row = l->reading.row;
    // On a rail with a base an offset counts from the current setting;
    // without one, settings are offsets already.
    double target = volts;
    if (rails::HasBase(row) && offset) {
      const int now = rails::EntryOf(row, l->reading.code, l->reading.direction);
      if (now < 0) {
        std::fprintf(stderr, "torvikctl: %s has no current setting to offset\n", l->rail.label.c_str());
        s.UnlockHardware();
        return kExitFailed;
      }
      target = rails::Entries(row)[now] + volts;
    }
    const int entry = rails::EntryForVolts(row, target);
    if (entry < 0) {
      std::fprintf(stderr, "torvikctl: %s cannot be set to %s (range %s .. %s)\n", l->rail.label.c_str(), a[2].c_str(),
                   rails::EntryText(row, 0).c_str(),
                   rails::EntryText(row, static_cast<int>(rails::Entries(row).size()) - 1).c_str());
    } else {
      int value = 0, flags = 0;
      rails::SettingOf(row, entry, &value, &flags);
      if (l->processor >= 0) {
        control->SelectProcessorRails(l->processor);
        control->Refresh();
      }
      CMicroController* c = control->GetController(l->rail.controller);
      std::vector<ControllerWrite> writes;
      c->writeLog = &writes;
      std::string refusal;
      const int ok = control->WriteRow(l->rail.controller, l->rail.row, value, flags, &refusal);
      c->writeLog = nullptr;
      if (!refusal.empty()) {
        std::fprintf(stderr, "torvikctl: %s not written: %s\n", l->rail.label.c_str(), refusal.c_str());
      } else {
        std::printf("%s (%s at 0x%02X): %s -> %s\n", l->rail.label.c_str(), c->ClassName(), c->Address(),
                    Current(*l).c_str(), rails::EntryText(row, entry).c_str());
        for (const ControllerWrite& w : writes)
          std::printf("  register 0x%02X <- 0x%02X%s\n", w.reg, w.value, w.ok ? "" : "  (failed)");
        if (ok) rc = kExitOk;
        else std::fprintf(stderr, "torvikctl: the controller did not take the setting\n");
      }
      if (l->processor >= 0) control->SelectProcessorRails(0);
    }
  }
  s.UnlockHardware();
  return rc;
}

int Volt(Session& s, const Args& a) {
  if (a.empty()) return List(s);
  if (a[0] == "set") return Set(s, a);
  return Usage(*FindVerb("volt"));
}

}  // namespace

const std::vector<Verb>& VoltVerbs() {
  static const std::vector<Verb> verbs = {
      {"volt", "[set RAIL VALUE]", "adjustable supply rails and the dial gauge; set one rail (needs --yes)", Volt},
  };
  return verbs;
}

}  // namespace cli
