// Default names and scaling of each chip family's inputs, from the chips'
// data sheets' reference schematics (the divider each input expects).
#include "sdk/monitor/DefaultLabelTables.h"

namespace monitor_tables {

// Fintek F71882F and F71808 families (both data sheets, "Voltage Monitor"):
// VCC3V, VSB3V and VBAT are halved inside the chip.
const VoltageLabel kFintekVoltages[] = {
    {"+3.3V", 0x02000100, 1, 2, 1},  {"CPU VCORE", 0x01000101, 1, 1, 1}, {"VIN2", 0x00000102, 1, 2, 1},
    {"VIN3", 0x00000103, 1, 147, 100}, {"+5V", 0x03000104, 1, 247, 47},   {"+12V", 0x04000105, 1, 220, 20},
    {"VIN6", 0x00000106, 1, 2, 1},   {"VSB3V", 0x00000107, 1, 2, 1},     {"VBAT", 0x00000108, 1, 2, 1},
    {nullptr, kLabelEnd, 0, 0, 0},
};
const TemperatureLabel kFintekTemperatures[] = {
    {"TMPIN0", 0x200, 1}, {"TMPIN1", 0x201, 1}, {"TMPIN2", 0x202, 1}, {nullptr, kLabelEnd, 0},
};
const FanLabel kFintekFans[] = {
    {"FANIN0", 0x400, 1}, {"FANIN1", 0x401, 1}, {"FANIN2", 0x402, 1}, {"FANIN3", 0x403, 1}, {nullptr, kLabelEnd, 0},
};

const VoltageLabel kNct7802Voltages[] = {
    {"VCC", 0x100, 1, 1, 1},  {"VCORE", 0x101, 1, 1, 1}, {"VIN2", 0x102, 1, 1, 1},
    {"VIN3", 0x103, 1, 1, 1}, {"VIN4", 0x104, 1, 1, 1},  {nullptr, kLabelEnd, 0, 0, 0},
};
const FanLabel kNct7802Fans[] = {
    {"FANIN0", 0x400, 1}, {"FANIN1", 0x401, 1}, {"FANIN2", 0x402, 1}, {nullptr, kLabelEnd, 0},
};
const VoltageLabel kVt1165Voltages[] = {{"VID", 0x100, 1, 1.0f, 1.0f}, {nullptr, kLabelEnd, 0, 0, 0}};
const TemperatureLabel kVt1165Temperatures[] = {{"TMPIN0", 0x200, 4}, {nullptr, kLabelEnd, 0}};

const VoltageLabel kAdt7475Voltages[] = {
    {"+2.5V", 0x100, 1, 1, 1}, {"VCCP", 0x101, 1, 1, 1}, {"VCC", 0x102, 1, 1, 1},
    {"+5V", 0x103, 1, 1, 1},   {"+12V", 0x104, 1, 1, 1}, {nullptr, kLabelEnd, 0, 0, 0},
};
const TemperatureLabel kAdt7475Temperatures[] = {
    {"Remote 1", 0x200, 5}, {"Local", 0x201, 5}, {"Remote 2", 0x202, 5}, {nullptr, kLabelEnd, 0},
};

// ITE IT87xx: the data sheets' application circuit (VIN3 +5 V with 6.8k/10k,
// VIN4 +12 V with 30k/10k, VIN7 5VSB with 6.8k/10k, VBAT direct).
const VoltageLabel kIt87Voltages[] = {
    {"CPU VCORE", 0x01000100, 1, 1, 1}, {"VIN1", 0x00000101, 1, 1, 1},   {"+3.3V", 0x02000102, 1, 1, 1},
    {"+5V", 0x03000103, 2, 6.8f, 10},   {"+12V", 0x04000104, 2, 30, 10}, {"VIN5", 0x00000105, 1, 1, 1},
    {"VIN6", 0x00000106, 1, 1, 1},      {"5VSB", 0x07000107, 2, 6.8f, 10}, {"VBAT", 0x00000108, 1, 1, 1},
    {nullptr, kLabelEnd, 0, 0, 0},
};
// The newer IT87 chips (12 mV and finer steps) measure 3VSB and VBAT
// through internal dividers the driver has already undone.
const VoltageLabel kIt87ScaledVoltages[] = {
    {"CPU VCORE", 0x01000100, 1, 1, 1}, {"VIN1", 0x00000101, 1, 1, 1},   {"+3.3V", 0x02000102, 1, 1, 1},
    {"+5V", 0x03000103, 2, 6.8f, 10},   {"+12V", 0x04000104, 2, 30, 10}, {"VIN5", 0x00000105, 1, 1, 1},
    {"VIN6", 0x00000106, 1, 1, 1},      {"3VSB", 0x00000107, 1, 1, 1},   {"VBAT", 0x00000108, 1, 1, 1},
    {nullptr, kLabelEnd, 0, 0, 0},
};
const TemperatureLabel kIt87Temperatures[] = {
    {"TMPIN0", 0x200, 1}, {"TMPIN1", 0x201, 1}, {"TMPIN2", 0x202, 1}, {nullptr, kLabelEnd, 0},
};
const FanLabel kIt87Fans[] = {
    {"FANIN0", 0x400, 1}, {"FANIN1", 0x401, 1}, {"FANIN2", 0x402, 1},
    {"FANIN3", 0x403, 1}, {"FANIN4", 0x404, 1}, {nullptr, kLabelEnd, 0},
};

// W83627HF data sheet section 7 (voltage inputs): +12 V with 28k/10k, +5 V
// with 34k/50k, -12 V and -5 V through the negative-rail network, 5VSB.
const VoltageLabel kW83627HfVoltages[] = {
    {"CPU VCORE", 0x01000100, 1, 1, 1}, {"VIN1", 0x00000101, 1, 1, 1},     {"+3.3V", 0x02000102, 1, 1, 1},
    {"+5V", 0x03000103, 2, 34, 50},     {"+12V", 0x04000104, 2, 28, 10},   {"-12V", 0x06000105, 3, 232, 56},
    {"-5V", 0x05000106, 3, 120, 56},    {nullptr, kLabelEnd, 0, 0, 0},
};
const TemperatureLabel kW83627HfTemperatures[] = {
    {"SYSTIN", 0x200, 1}, {"CPUTIN", 0x201, 2}, {"AUXTIN", 0x202, 2}, {nullptr, kLabelEnd, 0},
};
const FanLabel kW83627HfFans[] = {
    {"FANIN0", 0x400, 2}, {"FANIN1", 0x401, 2}, {"FANIN2", 0x402, 2}, {nullptr, kLabelEnd, 0},
};

// W83627EHF data sheet section 8.2: AVCC and 3VCC halved inside, VIN1 +12 V
// and VIN0 +5 V on external dividers.
const VoltageLabel kW83627EhfVoltages[] = {
    {"CPU VCORE", 0x01000100, 1, 1, 1}, {"+12V", 0x04000101, 2, 56, 10}, {"AVCC", 0x00000102, 1, 2, 1},
    {"+3.3V", 0x02000103, 1, 2, 1},     {"+5V", 0x03000104, 2, 22, 10},  {"VIN3", 0x00000105, 1, 1, 1},
    {"VIN4", 0x00000106, 1, 1, 1},      {"VSB3V", 0x00000107, 1, 2, 1},  {nullptr, kLabelEnd, 0, 0, 0},
};
const TemperatureLabel kW83627EhfTemperatures[] = {
    {"SYSTIN", 0x200, 1}, {"CPUTIN", 0x201, 2}, {"AUXTIN", 0x202, 2}, {nullptr, kLabelEnd, 0},
};
const TemperatureLabel kNct6776Temperatures[] = {
    {"SYSTIN", 0x200, 1}, {"CPUTIN", 0x201, 2}, {"AUXTIN", 0x202, 2}, {"PECI", 0x203, 1}, {nullptr, kLabelEnd, 0},
};
const FanLabel kW83627EhfFans[] = {
    {"SYSFANIN", 0x400, 2}, {"CPUFANIN", 0x401, 2}, {"AUXFANIN", 0x402, 2},
    {"CPUFAN1IN", 0x403, 2}, {"AUXFAN1IN", 0x404, 2}, {nullptr, kLabelEnd, 0},
};

}  // namespace monitor_tables
