// Label tables of other makers' boards, keyed the same way as the vendor's.
// Two special forms: a replaced table that is null (the chip's own channel
// names are shown instead of its default table), and entries told apart by
// the board checksum when one product string hashes like another.
#include "sdk/monitor/BoardTables.h"

namespace {

constexpr VoltageLabel kEnd = {nullptr, kLabelEnd, 0, 0, 0};
constexpr TemperatureLabel kTEnd = {nullptr, kLabelEnd, 0};
constexpr FanLabel kFEnd = {nullptr, kLabelEnd, 0};

// Kestrel X38 board (IT8718F): the maker's +5 V and +12 V dividers.
const VoltageLabel kKestrelIt87Voltages[] = {
    {"CPU VCORE", 0x01000100, 1, 1, 1}, {"DDR2 1.8V", 0x08000101, 1, 1, 1}, {"+3.3V", 0x02000102, 1, 1, 1},
    {"+5V", 0x03000103, 2, 6.8f, 10},   {"+12V", 0x04000104, 2, 30, 10},   {"VBAT", 0x00000108, 1, 1, 1},
    kEnd,
};
const TemperatureLabel kKestrelIt87Temperatures[] = {{"System", 0x200, 1}, {"CPU", 0x01000201, 1}, kTEnd};
const FanLabel kKestrelIt87Fans[] = {
    {"CPU FAN", 0x01000400, 1}, {"SYSTEM FAN", 0x401, 1}, {"POWER FAN", 0x402, 1}, {"SYSTEM FAN2", 0x403, 1}, kFEnd,
};

// The same product string read from two board revisions: the checksum tells
// which divider the +12 V input has.
const VoltageLabel kKestrelDhgRev1Voltages[] = {
    {"CPU VCORE", 0x01000100, 1, 1, 1}, {"+12V", 0x04000101, 2, 56, 10}, {"+3.3V", 0x02000103, 1, 2, 1}, kEnd,
};
const VoltageLabel kKestrelDhgRev2Voltages[] = {
    {"CPU VCORE", 0x01000100, 1, 1, 1}, {"+12V", 0x04000101, 2, 100, 10}, {"+3.3V", 0x02000103, 1, 2, 1}, kEnd,
};
const TemperatureLabel kKestrelDhgTemperatures[] = {{"Chipset", 0x200, 1}, kTEnd};

// Lindqvist LX-P35 (IT8718F): voltages named by the chip, fans labelled.
const FanLabel kLindqvistFans[] = {{"CPU", 0x01000400, 1}, {"Case", 0x401, 1}, kFEnd};

// Orlen P5K-E (W83627DHG): all the chip's own names.

}  // namespace

const BoardLabelEntry kOtherBoardTables[] = {
    {0x23236EA6, TABLES_ITE_IT87, -1, -1, REPLACE_ALL, kKestrelIt87Voltages, kKestrelIt87Temperatures,
     kKestrelIt87Fans},
    {0x23236EA6, TABLES_WINBOND_W83627DHG, 0x0000042E, -1, REPLACE_VOLTAGES | REPLACE_TEMPERATURES,
     kKestrelDhgRev1Voltages, kKestrelDhgTemperatures, nullptr},
    {0x23236EA6, TABLES_WINBOND_W83627DHG, -1, -1, REPLACE_VOLTAGES | REPLACE_TEMPERATURES, kKestrelDhgRev2Voltages,
     kKestrelDhgTemperatures, nullptr},
    {0x00A445CA, TABLES_ITE_IT87, -1, -1, REPLACE_VOLTAGES | REPLACE_FANS, nullptr, nullptr, kLindqvistFans},
    {0x0002C4D0, TABLES_WINBOND_W83627DHG, -1, -1, REPLACE_ALL, nullptr, nullptr, nullptr},
    {kLabelEnd, 0, -1, -1, 0, nullptr, nullptr, nullptr},
};
