// The chips' own label tables, installed by each driver's constructor.
#pragma once

#include "sdk/monitor/MonitorLabels.h"

namespace monitor_tables {

extern const VoltageLabel kFintekVoltages[];
extern const TemperatureLabel kFintekTemperatures[];
extern const FanLabel kFintekFans[];

extern const VoltageLabel kNct7802Voltages[];
extern const FanLabel kNct7802Fans[];

// Volterra VT1165 on a graphics card: the VID as volts, the temperature as read.
extern const VoltageLabel kVt1165Voltages[];
extern const TemperatureLabel kVt1165Temperatures[];

// Analog Devices ADT7473/7475/7476: the inputs by their pin names (rail
// volts, the internal attenuators undone), the three temperature zones.
extern const VoltageLabel kAdt7475Voltages[];
extern const TemperatureLabel kAdt7475Temperatures[];

extern const VoltageLabel kIt87Voltages[];
extern const VoltageLabel kIt87ScaledVoltages[];  // 3VSB and VBAT already doubled
extern const TemperatureLabel kIt87Temperatures[];
extern const FanLabel kIt87Fans[];

// W83627HF/THF, W83697HF, W83637HF (rows beyond a chip's channels find no sensor).
extern const VoltageLabel kW83627HfVoltages[];
extern const TemperatureLabel kW83627HfTemperatures[];
extern const FanLabel kW83627HfFans[];

// W83627EHF, W83627DHG/W83667HG, NCT6776.
extern const VoltageLabel kW83627EhfVoltages[];
extern const TemperatureLabel kW83627EhfTemperatures[];
extern const FanLabel kW83627EhfFans[];
extern const TemperatureLabel kNct6776Temperatures[];

}  // namespace monitor_tables
