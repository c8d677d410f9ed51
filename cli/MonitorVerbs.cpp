// monitor: the Monitoring page's rows in the terminal, from the same polling
// cycle as the application, refreshed once a second.
#include <cstdio>
#include <string>

#include <sys/stat.h>

#include "poll/MonitorView.h"
#include "poll/PollCore.h"
#include "cli/Json.h"
#include "cli/PrometheusExport.h"
#include "cli/Verbs.h"
#include "platform/Machine.h"
#include "sdk/core/QUARNSDK.h"

namespace cli {

namespace {

constexpr uint32_t kPollSdkLockTimeoutMs = 50;
constexpr uint32_t kPeriodMs = 1000;

void PrintText(const CMonitorView& view, int cycle, bool skipped) {
  plat::Machine& machine = plat::CurrentMachine();
  std::printf("cycle %d on %s%s%s\n", cycle, machine.Name().c_str(),
              machine.IsEmulated() ? "  (EMULATED: readings are not this computer's)" : "",
              skipped ? "  (SDK busy: values of the last cycle)" : "");
  std::printf("%-24s %14s %14s %14s\n", "SENSOR", "CURRENT", "MIN", "MAX");
  for (int b = 0; b < CMonitorView::kBoxCount; ++b) {
    bool title = false;
    for (const CMonitorView::Row& r : view.Rows()) {
      if (r.box != b || !r.enabled) continue;
      if (!title) std::printf("%s\n", CMonitorView::BoxTitle(static_cast<CMonitorView::Box>(b)));
      title = true;
      // Degree signs are two bytes: pad by characters, not bytes.
      auto pad = [](const std::string& s) { return s.find("\xC2\xB0") != std::string::npos ? 15 : 14; };
      std::printf("  %-22s %*s %*s %*s\n", r.label.c_str(), pad(r.value), r.value.c_str(), pad(r.min), r.min.c_str(),
                  pad(r.max), r.max.c_str());
    }
  }
}

void PrintJson(const CMonitorView& view, int cycle) {
  Json j;
  j.BeginObject().Key("cycle").Int(cycle);
  j.Key("machine").String(plat::CurrentMachine().Name()).Key("emulated").Bool(plat::CurrentMachine().IsEmulated());
  j.Key("rows").BeginArray();
  for (const CMonitorView::Row& r : view.Rows()) {
    if (!r.enabled) continue;
    j.BeginObject()
        .Key("box")
        .String(CMonitorView::BoxTitle(r.box))
        .Key("label")
        .String(r.label)
        .Key("value")
        .String(r.value)
        .Key("min")
        .String(r.min)
        .Key("max")
        .String(r.max)
        .EndObject();
  }
  j.EndArray().EndObject();
  std::printf("%s\n", j.Text().c_str());
}

int Monitor(Session& session, const Args& args) {
  // Frames to show; 0 = until interrupted.
  uint64_t frames = 0;
  OutputFormat format = session.Options().json ? OutputFormat::Json : OutputFormat::Text;
  std::string textfileDir;
  for (size_t i = 0; i < args.size(); ++i) {
    const bool hasValue = i + 1 < args.size();
    if (args[i] == "--once") {
      frames = 1;
    } else if (args[i] == "--count" && hasValue && ParseNumber(args[i + 1], &frames) && frames > 0) {
      ++i;
    } else if (args[i] == "--format" && hasValue && ParseFormat(args[i + 1], &format)) {
      ++i;
    } else if (args[i] == "--textfile" && hasValue && !args[i + 1].empty()) {
      textfileDir = args[++i];
    } else {
      return Usage(*FindVerb("monitor"));
    }
  }
  // The textfile is for node_exporter, which reads only the metrics format.
  if (!textfileDir.empty() && format != OutputFormat::Prometheus) return Usage(*FindVerb("monitor"));
  struct stat st {};
  if (!textfileDir.empty() && (stat(textfileDir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))) {
    std::fprintf(stderr, "torvikctl: --textfile %s: not a directory\n", textfileDir.c_str());
    return kExitFailed;
  }
  if (!session.StartSdk()) return kExitFailed;
  QUARNSDK* sdk = QUARNSDK::GetInstance();
  CPollCore poll(sdk, &session.Driver());
  CMonitorView view;
  const bool live = frames != 1;
  const std::string machine = plat::CurrentMachine().Name();
  uint64_t exported = 0;
  for (uint64_t n = 0; frames == 0 || n < frames; ++n) {
    if (n > 0) plat::CurrentMachine().Sleep(kPeriodMs);
    const bool ran = poll.PollHardware(kPollSdkLockTimeoutMs);
    uint32_t status = 0;
    std::string metrics;
    // The rows are read under the SDK lock like the page's timer does.
    bool locked = sdk->Lock(&status, 100);
    if (locked) {
      view.Update(sdk, session.Startup().boardHash, 0);
      if (format == OutputFormat::Prometheus && ran) metrics = PrometheusExposition(*sdk, machine);
      sdk->Unlock();
    }
    // Metrics only from a cycle that measured: while another program holds
    // the SDK the file keeps the last cycle's values.
    if (format == OutputFormat::Prometheus && !(locked && ran)) continue;
    if (format == OutputFormat::Prometheus && !textfileDir.empty()) {
      std::string error;
      if (!WriteTextfileAtomically(textfileDir, metrics, &error)) {
        std::fprintf(stderr, "torvikctl: %s\n", error.c_str());
        return kExitFailed;
      }
    } else if (format == OutputFormat::Prometheus) {
      std::fputs(metrics.c_str(), stdout);
    } else if (format == OutputFormat::Json) {
      PrintJson(view, poll.CycleCount());
    } else {
      if (live && frames == 0) std::printf("\033[H\033[2J");
      PrintText(view, poll.CycleCount(), !ran);
    }
    std::fflush(stdout);
    ++exported;
  }
  if (format == OutputFormat::Prometheus && exported == 0) {
    std::fprintf(stderr, "torvikctl: the SDK lock was held by another program: no readings taken\n");
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace

const std::vector<Verb>& MonitorVerbs() {
  static const std::vector<Verb> verbs = {
      {"monitor", "[--once | --count N] [--format text|json|prometheus] [--textfile DIR]",
       "live sensor readings, refreshed every second", Monitor},
  };
  return verbs;
}

}  // namespace cli
