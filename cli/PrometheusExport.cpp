#include "cli/PrometheusExport.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/Json.h"
#include "sdk/core/CSensor.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/cpu/CCPUInterface.h"
#include "sdk/cpu/CProcessor.h"
#include "sdk/monitor/CHardwareMonitor.h"
#include "sdk/monitor/CHardwareMonitorInterface.h"

namespace cli {

namespace {

struct Family {
  const char* name;
  const char* help;
};

// Base units where Prometheus has one (volts, amperes, watts, hertz,
// ratios 0..1); fan speed stays in revolutions per minute like
// node_exporter's hwmon collector.
constexpr Family kVolts = {"torvik_voltage_volts", "Board voltage reading in volts."};
constexpr Family kAmperes = {"torvik_current_amperes", "Current reading in amperes."};
constexpr Family kWatts = {"torvik_power_watts", "Power reading in watts."};
constexpr Family kCelsius = {"torvik_temperature_celsius", "Temperature reading in degrees Celsius."};
constexpr Family kRpm = {"torvik_fan_rpm", "Fan speed in revolutions per minute."};
constexpr Family kDuty = {"torvik_fan_duty_ratio", "Fan PWM duty cycle as a ratio from 0 to 1."};
constexpr Family kCharge = {"torvik_battery_charge_ratio", "Battery charge as a ratio from 0 to 1."};
constexpr Family kClock = {"torvik_core_clock_hertz", "Measured processor core clock in hertz."};

struct ClassFamily {
  uint32_t cls;
  const Family* family;
  double scale;  // reading to the family's unit
};
constexpr ClassFamily kClassFamilies[] = {
    {SENSOR_VOLTAGE, &kVolts, 1.0},      {SENSOR_CURRENT, &kAmperes, 1.0}, {SENSOR_POWER, &kWatts, 1.0},
    {SENSOR_TEMPERATURE, &kCelsius, 1.0}, {SENSOR_FAN, &kRpm, 1.0},        {SENSOR_FAN_PWM, &kDuty, 0.01},
    {SENSOR_CAPACITY, &kCharge, 0.01},
};

struct Sample {
  std::string chip, sensor, label;
  float value;
};

std::string Hex(uint32_t v) {
  char b[16];
  std::snprintf(b, sizeof(b), "0x%08X", v);
  return b;
}

// The readings are single-precision: the shortest text that reads back as
// the same float, not the digits of its widening to double.
std::string Number(float v) {
  char b[64];
  for (int precision = 6; precision <= 9; ++precision) {
    std::snprintf(b, sizeof(b), "%.*g", precision, static_cast<double>(v));
    if (std::strtof(b, nullptr) == v) break;
  }
  return b;
}

// A reading the chip delivered; the same test the text listing uses for
// "N/A". A PWM output the chip drives on its own reports no duty (< 0).
bool HasReading(const CSensor& s, uint32_t cls) {
  if (s.raw == -1 && s.input <= 0) return false;
  if (!std::isfinite(s.value)) return false;
  if ((cls == SENSOR_FAN_PWM || cls == SENSOR_FAN || cls == SENSOR_CAPACITY) && s.value < 0) return false;
  return s.value != kSensorNoValue;
}

}  // namespace

std::string PrometheusLabelValue(const std::string& value) {
  std::string r;
  for (size_t i = 0; i < value.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(value[i]);
    if (c == '\\') r += "\\\\";
    else if (c == '"') r += "\\\"";
    else if (c == '\n') r += "\\n";
    else if (c < 0x80) r += static_cast<char>(c);
    else if (const size_t n = Json::Utf8Length(value, i)) {
      r.append(value, i, n);
      i += n - 1;
    } else {
      r += "\xEF\xBF\xBD";
    }
  }
  return r;
}

std::string PrometheusExposition(QUARNSDK& sdk, const std::string& machine) {
  std::map<const Family*, std::vector<Sample>> samples;

  if (auto* hm = static_cast<CHardwareMonitorInterface*>(sdk.FindInterface(INTERFACE_HARDWARE_MONITOR))) {
    // Two chips of one model on a board are told apart by a number, so no
    // two series share their labels.
    std::map<std::string, int> seen;
    for (CHardwareMonitor* m : Items(hm->Monitors())) {
      std::string chip = m->name;
      if (const int n = ++seen[chip]; n > 1) chip += " #" + std::to_string(n);
      for (const ClassFamily& cf : kClassFamilies)
        for (CSensor* s : Items(m->GetList(cf.cls)))
          if (HasReading(*s, cf.cls)) samples[cf.family].push_back({chip, Hex(s->id), s->name, static_cast<float>(s->value * cf.scale)});
    }
  }

  if (auto* cpu = static_cast<CCPUInterface*>(sdk.FindInterface(INTERFACE_CPU))) {
    for (int p = 0; CProcessor* proc = cpu->GetProcessor(p); ++p) {
      const std::string chip = "Processor #" + std::to_string(proc->index);
      for (int c = 0; c < proc->GetNumberOfCores(); ++c) {
        const float mhz = proc->GetCoreClock(c);
        if (!(mhz > 0) || !std::isfinite(mhz)) continue;
        samples[&kClock].push_back({chip, "core" + std::to_string(c), "Core #" + std::to_string(c),
                                     static_cast<float>(static_cast<double>(mhz) * 1e6)});
      }
    }
  }

  std::string out;
  const std::string machineLabel = PrometheusLabelValue(machine);
  for (const Family* f : {&kVolts, &kAmperes, &kWatts, &kCelsius, &kRpm, &kDuty, &kCharge, &kClock}) {
    auto it = samples.find(f);
    if (it == samples.end()) continue;
    out += std::string("# HELP ") + f->name + " " + f->help + "\n";
    out += std::string("# TYPE ") + f->name + " gauge\n";
    for (const Sample& s : it->second) {
      out += f->name;
      out += "{chip=\"" + PrometheusLabelValue(s.chip) + "\",sensor=\"" + PrometheusLabelValue(s.sensor) +
             "\",label=\"" + PrometheusLabelValue(s.label) + "\",machine=\"" + machineLabel + "\"} " +
             Number(s.value) + "\n";
    }
  }
  return out;
}

bool WriteTextfileAtomically(const std::string& dir, const std::string& text, std::string* error) {
  const std::string target = dir + "/torvik.prom";
  // The temporary name does not end in .prom: the collector reads only
  // those, so it never picks up a file being written.
  std::string temp = dir + "/.torvik.prom.XXXXXX";
  std::vector<char> name(temp.begin(), temp.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) {
    *error = dir + ": " + std::strerror(errno);
    return false;
  }
  temp = name.data();
  auto fail = [&](const char* what) {
    *error = temp + ": " + what + ": " + std::strerror(errno);
    close(fd);
    unlink(temp.c_str());
    return false;
  };
  // Readable by the exporter's own user; mkstemp creates 0600.
  if (fchmod(fd, 0644) != 0) return fail("chmod");
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return fail("write");
    done += static_cast<size_t>(n);
  }
  if (fsync(fd) != 0) return fail("fsync");
  if (close(fd) != 0) {
    *error = temp + ": close: " + std::strerror(errno);
    unlink(temp.c_str());
    return false;
  }
  if (rename(temp.c_str(), target.c_str()) != 0) {
    *error = target + ": " + std::strerror(errno);
    unlink(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace cli
