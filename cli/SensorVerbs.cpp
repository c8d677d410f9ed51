// sensors: the board's monitoring chips and their labelled readings, chip by
// chip, laid out like lm-sensors (label, value with unit, min, max); --json
// gives the same rows with sensor keys, kinds and raw values.
#include <cstdio>
#include <string>

#include "cli/Json.h"
#include "cli/PrometheusExport.h"
#include "cli/Verbs.h"
#include "platform/Machine.h"
#include "poll/PollCore.h"
#include "poll/SensorRowFormat.h"
#include "sdk/core/CSensor.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/monitor/CHardwareMonitor.h"
#include "sdk/monitor/CHardwareMonitorInterface.h"
#include "sdk/monitor/MonitorLabels.h"

namespace cli {

namespace {

std::string Format(const SensorClassFormat& c, float v, bool valid) {
  return valid ? FormatReading(c, v, SensorStyle::kDetailed) : "N/A";
}

// Min and max are meaningful once a reading was tracked.
bool Tracked(const CSensor& s) { return s.min <= s.max; }

// Degree signs take two bytes: pad by characters.
int Width(const std::string& s, int w) { return s.find("\xC2\xB0") != std::string::npos ? w + 1 : w; }

void PrintText(const CHardwareMonitorInterface& hm) {
  plat::Machine& machine = plat::CurrentMachine();
  if (machine.IsEmulated())
    std::printf("[%s: EMULATED, readings are not this computer's]\n\n", machine.Name().c_str());
  bool first = true;
  for (CHardwareMonitor* m : Items(hm.Monitors())) {
    if (!first) std::printf("\n");
    first = false;
    std::printf("%s\n", m->name);
    std::printf("Monitor id: 0x%08X\n", static_cast<uint32_t>(m->monitorId));
    for (const SensorClassFormat& c : SensorClassFormats()) {
      for (CSensor* s : Items(m->GetList(c.sensorClass))) {
        std::string label = std::string(s->name) + ":";
        std::string value = Format(c, s->value, s->raw != -1 || s->input > 0);
        // A PWM output the chip drives itself and reports no duty for.
        if (c.sensorClass == SENSOR_FAN_PWM && s->raw != -1 && s->value < 0) value = "auto";
        std::printf("%-16s %*s", label.c_str(), Width(value, 13), value.c_str());
        if (Tracked(*s) && c.sensorClass != SENSOR_FAN_PWM) {
          std::string lo = Format(c, s->min, true), hi = Format(c, s->max, true);
          std::printf("  (min = %*s, max = %*s)", Width(lo, 11), lo.c_str(), Width(hi, 11), hi.c_str());
        }
        std::printf("\n");
      }
    }
  }
}

void PrintJson(const CHardwareMonitorInterface& hm, int32_t boardId) {
  Json j;
  j.BeginObject().Key("machine").String(plat::CurrentMachine().Name());
  j.Key("emulated").Bool(plat::CurrentMachine().IsEmulated()).Key("board_id").Hex(static_cast<uint32_t>(boardId), 8).Key("chips").BeginArray();
  for (CHardwareMonitor* m : Items(hm.Monitors())) {
    j.BeginObject().Key("name").String(m->name).Key("monitor_id").Hex(static_cast<uint32_t>(m->monitorId), 8);
    j.Key("sensors").BeginArray();
    for (const SensorClassFormat& c : SensorClassFormats())
      for (CSensor* s : Items(m->GetList(c.sensorClass))) {
        j.BeginObject()
            .Key("label")
            .String(s->name)
            .Key("class")
            .String(c.kind)
            .Key("key")
            .Hex(s->id & kSensorKeyMask, 6)
            .Key("kind")
            .Int(SensorKind(s->id))
            .Key("processor")
            .Int(SensorProcessor(s->id))
            .Key("raw")
            .Int(s->raw)
            .Key("value")
            .Number(s->value)
            .Key("unit")
            .String(c.unit);
        if (Tracked(*s)) j.Key("min").Number(s->min).Key("max").Number(s->max);
        else j.Key("min").Null().Key("max").Null();
        j.EndObject();
      }
    j.EndArray().EndObject();
  }
  j.EndArray().EndObject();
  std::printf("%s\n", j.Text().c_str());
}

int Sensors(Session& session, const Args& args) {
  OutputFormat format = session.Options().json ? OutputFormat::Json : OutputFormat::Text;
  if (!ParseFormatArgs(args, &format)) return Usage(*FindVerb("sensors"));
  if (!session.StartSdk()) return kExitFailed;
  QUARNSDK& sdk = *QUARNSDK::GetInstance();
  auto* hm = static_cast<CHardwareMonitorInterface*>(sdk.FindInterface(INTERFACE_HARDWARE_MONITOR));
  if (!hm) {
    std::fprintf(stderr, "torvikctl: no hardware monitoring on this machine\n");
    return kExitFailed;
  }
  // Two readings a second apart on the machine's clock, so that min and
  // max show the spread and fans that just started are listed.
  for (int pass = 0; pass < 2; ++pass) {
    if (pass) plat::CurrentMachine().Sleep(1000);
    if (!session.LockHardware()) return kExitFailed;
    hm->Refresh();
    // The metrics carry the core clocks too: one measurement suffices.
    if (pass && format == OutputFormat::Prometheus) CPollCore::RefreshProcessors(sdk);
    session.UnlockHardware();
  }
  switch (format) {
    case OutputFormat::Json: PrintJson(*hm, session.Startup().boardHash); break;
    case OutputFormat::Prometheus:
      std::fputs(PrometheusExposition(sdk, plat::CurrentMachine().Name()).c_str(), stdout);
      break;
    case OutputFormat::Text: PrintText(*hm); break;
  }
  return kExitOk;
}

}  // namespace

const std::vector<Verb>& SensorVerbs() {
  static const std::vector<Verb> verbs = {
      {"sensors", "[--format text|json|prometheus]", "board monitoring chips and their labelled readings", Sensors},
  };
  return verbs;
}

}  // namespace cli
