// Readings in the Prometheus text exposition format (version 0.0.4), as
// node_exporter's textfile collector reads them: one family per kind of
// reading, labelled with the chip, the sensor key, the sensor's label and
// the machine ("emulated:BOARD" on an emulated board).
#pragma once

#include <string>

class QUARNSDK;

namespace cli {

// The monitoring chips' readings and the measured core clocks that the last
// refresh left in the SDK's objects. Readings not available are left out
// rather than written as NaN, so that a missing fan is an absent series.
std::string PrometheusExposition(QUARNSDK& sdk, const std::string& machine);

// A label value with backslash, double quote and line feed escaped and
// bytes that are not UTF-8 replaced by U+FFFD.
std::string PrometheusLabelValue(const std::string& value);

// Writes `text` to DIR/torvik.prom through a temporary file in DIR that is
// renamed over it, so a reader sees the old file or the new one, never a
// part. False with `error` set when DIR cannot take it.
bool WriteTextfileAtomically(const std::string& dir, const std::string& text, std::string* error);

}  // namespace cli
