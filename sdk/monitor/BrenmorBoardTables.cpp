// Label tables of the vendor's boards: every board carries an F71882F-family
// chip with its group's tables; the DP boards a second, F71808-family chip;
// several PCH-VCCIO boards and the VSA board one or two NCT7802.
#include "sdk/monitor/BoardTables.h"

#include <cstddef>

namespace {

constexpr VoltageLabel kEnd = {nullptr, kLabelEnd, 0, 0, 0};
constexpr TemperatureLabel kTEnd = {nullptr, kLabelEnd, 0};
constexpr FanLabel kFEnd = {nullptr, kLabelEnd, 0};

// ---- F71882F family voltages per group
const VoltageLabel kNbVoltages[] = {
    {"+3.3V", 0x02000100, 1, 2, 1},     {"CPU VCORE", 0x01000101, 2, 47, 100}, {"DRAM", 0x08000102, 2, 47, 100},
    {"CPU VTT", 0x00000103, 2, 243, 1000}, {"NB CORE", 0x00000104, 2, 243, 1000}, {"+5V", 0x03000105, 2, 200, 47},
    {"+12V", 0x04000106, 2, 2000, 243}, {"VSB3V", 0x00000107, 1, 2, 1},        {"VBAT", 0x00000108, 1, 2, 1},
    kEnd,
};
const VoltageLabel kPchVttVoltages[] = {
    {"+3.3V", 0x02000100, 1, 2, 1},     {"CPU VCORE", 0x01000101, 2, 47, 100}, {"DRAM", 0x08000102, 2, 47, 100},
    {"CPU VTT", 0x00000103, 2, 243, 1000}, {"PCH", 0x00000104, 2, 243, 1000},  {"+5V", 0x03000105, 2, 200, 47},
    {"+12V", 0x04000106, 2, 2000, 243}, {"VSB3V", 0x00000107, 1, 2, 1},        {"VBAT", 0x00000108, 1, 2, 1},
    kEnd,
};
const VoltageLabel kPchVccioVoltages[] = {
    {"+3.3V", 0x02000100, 1, 2, 1},     {"CPU VCORE", 0x01000101, 2, 47, 100}, {"DRAM", 0x08000102, 2, 47, 100},
    {"VCCIO", 0x00000103, 2, 243, 1000}, {"PCH", 0x00000104, 2, 243, 1000},    {"+5V", 0x03000105, 2, 200, 47},
    {"+12V", 0x04000106, 2, 2000, 243}, {"VSB3V", 0x00000107, 1, 2, 1},        {"VBAT", 0x00000108, 1, 2, 1},
    kEnd,
};
// 148.1584 and 1247.085 as the 32-bit floats 0x4314288A and 0x449BE2B8.
const VoltageLabel kVsaVoltages[] = {
    {"+3.3V", 0x02000100, 1, 2, 1},          {"CPU VCORE", 0x01000101, 1, 148.1584f, 100},
    {"DRAM", 0x08000102, 1, 148.1584f, 100}, {"VCC", 0x03000103, 1, 247, 47},
    {"PCH", 0x00000104, 2, 260, 1000},       {"VCCIO", 0x00000105, 1, 1247.085f, 1000},
    {"+12V", 0x04000106, 2, 2000, 243},      {"VSB3V", 0x00000107, 4, 2, 0.016f},
    {"VBAT", 0x00000108, 1, 2, 1},           kEnd,
};
const VoltageLabel kIohVoltages[] = {
    {"+3.3V", 0x02000100, 1, 2, 1}, {"CPU VCORE", 0x01000101, 1, 1, 1}, {"+5V", 0x03000104, 1, 247, 47},
    {"+12V", 0x04000105, 1, 220, 20}, {"VSB3V", 0x00000107, 1, 2, 1},    {"VBAT", 0x00000108, 1, 2, 1},
    kEnd,
};
// Display order VCORE, VTT, DRAM differs from the channel order 1, 3, 2.
const VoltageLabel kDpVoltages[] = {
    {"CPU0 VCORE", 0x01000101, 2, 4.7f, 10}, {"CPU0 VTT", 0x09000103, 2, 2.3f, 10},
    {"CPU0 DRAM", 0x08000102, 2, 4.7f, 10},  {"IOH VCore", 0x0A000104, 2, 24.3f, 100},
    {"+5V", 0x03000105, 2, 200, 47},         {"+12V", 0x04000106, 2, 200, 24.3f},
    kEnd,
};

// ---- F71882F family temperatures and fans
const TemperatureLabel kPchTemperatures[] = {
    {"CPU", 0x01000200, 1}, {"VREG", 0x02000201, 1}, {"System", 0x00000202, 1}, kTEnd,
};
const TemperatureLabel kIohTemperatures[] = {{"CPU", 0x01000200, 1}, {"IOH", 0x201, 1}, {"System", 0x202, 1}, kTEnd};
const TemperatureLabel kDpTemperatures[] = {
    {"CPU0 Socket", 0x01000200, 1}, {"CPU0 PWM", 0x201, 1}, {"System", 0x202, 1}, kTEnd,
};
const FanLabel kNbFans[] = {{"CPU", 0x01000400, 1}, {"JPPWR", 0x401, 1}, {"JCHA", 0x402, 1}, {"NB", 0x403, 1}, kFEnd};
const FanLabel kPchFans[] = {{"CPU", 0x01000400, 1}, {"JPPWR", 0x401, 1}, {"JCHA", 0x402, 1}, {"PCH", 0x403, 1}, kFEnd};
const FanLabel kVsaFans[] = {{"CPU", 0x01000400, 1}, kFEnd};
// The IOH boards' "CPU" fan carries no kind code: it is not the processor fan.
const FanLabel kIohFans[] = {{"CPU", 0x400, 1}, {"FANIN1", 0x401, 1}, {"FANIN2", 0x402, 1}, {"FANIN3", 0x403, 1}, kFEnd};
const FanLabel kDpFans[] = {{"JCPU", 0x400, 1}, {"JSYS", 0x401, 1}, {"JPWR", 0x402, 1}, {"FANIN3", 0x403, 1}, kFEnd};

// ---- second Fintek (F71808 family) on the DP boards: processor 1's rails.
const VoltageLabel kDpSecondVoltages[] = {
    {"CPU1 VCORE", 0x41000101, 2, 4.7f, 10}, {"CPU1 VTT", 0x49000102, 2, 2.3f, 10},
    {"CPU1 DRAM", 0x48000103, 2, 4.7f, 10},  {"IOH PLL", 0x0B000104, 2, 24.3f, 100},
    kEnd,
};
const TemperatureLabel kDpSecondTemperatures[] = {{"CPU1 PWM", 0x200, 1}, {"System 2", 0x201, 1}, kTEnd};
const FanLabel kDpSecondFans[] = {{"CPU1", 0x01000400, 1}, {"JSYS1", 0x401, 1}, {"JPWR1", 0x402, 1}, kFEnd};

// ---- NCT7802 by board and address
const VoltageLabel kNct7802Z68Voltages[] = {{"VCCSA", 0x104, 1, 1, 1}, kEnd};
const VoltageLabel kNct7802Vccio28Voltages[] = {
    {"Ch0/1 DIMM Ref", 0x101, 1, 2, 1}, {"Ch2/3 DIMM Ref", 0x104, 1, 1, 1}, kEnd,
};
const VoltageLabel kNct7802Vccio2dVoltages[] = {
    {"VCC", 0x02000100, 1, 1, 1}, {"CPU PLL", 0x0C000101, 1, 1, 1}, {"VCCSA", 0x104, 1, 1, 1}, kEnd,
};
const VoltageLabel kNct7802Vsa28Voltages[] = {{"PLL", 0x0C000103, 1, 3, 1}, {"CPU VSA", 0x104, 1, 2, 1}, kEnd};
const VoltageLabel kNct7802Vsa2dVoltages[] = {{"CPU VAXG", 0x104, 1, 2, 1}, kEnd};
const FanLabel kNct7802Fans28[] = {{"JCHA", 0x400, 1}, {"JSYS", 0x401, 1}, {"JPWR", 0x402, 1}, kFEnd};
const FanLabel kNct7802Fans2d[] = {{"JSYS2", 0x400, 1}, {"JAUX", 0x401, 1}, {"JSYS1", 0x402, 1}, kFEnd};

const uint32_t kNbBoards[] = {0x047853E0, 0x06A45470, 0x07785400, 0x087853F0, 0x68BEE680, 0x68BEE6AB,
                              0x8A2BB490, 0x938A7FD8, 0x980BF460, 0xD17DCDEC, 0xD17DCDF0};
const uint32_t kPchVttBoards[] = {0x031CC91C, 0x031CC924, 0x07C551D0, 0x0B469DC0, 0x0B469DD0, 0x0B469DF0,
                                  0x5093A6F8, 0x549C53D2, 0x9F899DA0, 0xD1B3A250, 0xDEF0A6E8, 0xE4C8A25A};
const uint32_t kPchVccioBoards[] = {0x031CC930, 0x031CC938, 0x031CC93C, 0x031CC944, 0x031CC94C,
                                    0x031CC954, 0x07FCD4D0, 0x0AFCD4F0, 0x0AFCD510};
const uint32_t kVsaBoards[] = {0x0AAB5410};
const uint32_t kIohBoards[] = {0x27F0AF90, 0x47F0AF90, 0x5A9428B4};
const uint32_t kDpBoards[] = {0x031CDB24, 0x4FC5613E};

template <std::size_t N>
bool In(const uint32_t (&list)[N], int32_t id) {
  for (uint32_t b : list)
    if (b == static_cast<uint32_t>(id)) return true;
  return false;
}

}  // namespace

const TemperatureLabel kNbTemperaturesNorthBridge[] = {
    {"NB", 0x00000200, 1}, {"VREG", 0x02000201, 1}, {"System", 0x00000202, 1}, kTEnd,
};
const TemperatureLabel kNbTemperaturesCpu[] = {
    {"CPU", 0x01000200, 1}, {"VREG", 0x02000201, 1}, {"System", 0x00000202, 1}, kTEnd,
};

bool IsNbGroupBoard(int32_t id) { return In(kNbBoards, id); }
bool IsIohGroupBoard(int32_t id) { return In(kIohBoards, id); }
bool IsDpGroupBoard(int32_t id) { return In(kDpBoards, id); }

const char* VendorBoardGroup(int32_t id) {
  if (In(kNbBoards, id)) return "NB";
  if (In(kPchVttBoards, id)) return "PCH-VTT";
  if (In(kPchVccioBoards, id)) return "PCH-VCCIO";
  if (In(kVsaBoards, id)) return "VSA";
  if (In(kIohBoards, id)) return "IOH";
  if (In(kDpBoards, id)) return "DP";
  return nullptr;
}

#define F71882(board, v, t, f) {board, TABLES_FINTEK_F71882F, -1, -1, REPLACE_ALL, v, t, f}
#define NB(board) F71882(board, kNbVoltages, kNbTemperaturesNorthBridge, kNbFans)
#define PCHVTT(board) F71882(board, kPchVttVoltages, kPchTemperatures, kPchFans)
#define PCHVCCIO(board) F71882(board, kPchVccioVoltages, kPchTemperatures, kPchFans)
#define IOH(board) F71882(board, kIohVoltages, kIohTemperatures, kIohFans)
#define DP(board) F71882(board, kDpVoltages, kDpTemperatures, kDpFans), \
    {board, TABLES_FINTEK_F71808E, -1, -1, REPLACE_ALL, kDpSecondVoltages, kDpSecondTemperatures, kDpSecondFans}
#define NCT(board, addr, v, f) {board, TABLES_NUVOTON_NCT7802, -1, addr, static_cast<uint8_t>(REPLACE_VOLTAGES | (f ? REPLACE_FANS : 0)), v, nullptr, f}
#define VCCIO_NCT(board) NCT(board, 0x28, kNct7802Vccio28Voltages, kNct7802Fans28), \
    NCT(board, 0x2D, kNct7802Vccio2dVoltages, kNct7802Fans2d)

const BoardLabelEntry kBrenmorBoardTables[] = {
    NB(0x047853E0), NB(0x06A45470), NB(0x07785400), NB(0x087853F0), NB(0x68BEE680), NB(0x68BEE6AB),
    NB(0x8A2BB490), NB(0x938A7FD8), NB(0x980BF460), NB(0xD17DCDEC), NB(0xD17DCDF0),
    PCHVTT(0x031CC91C), PCHVTT(0x031CC924), PCHVTT(0x07C551D0), PCHVTT(0x0B469DC0), PCHVTT(0x0B469DD0),
    PCHVTT(0x0B469DF0), PCHVTT(0x5093A6F8), PCHVTT(0x549C53D2), PCHVTT(0x9F899DA0), PCHVTT(0xD1B3A250),
    PCHVTT(0xDEF0A6E8), PCHVTT(0xE4C8A25A),
    PCHVCCIO(0x031CC930), PCHVCCIO(0x031CC938), PCHVCCIO(0x031CC93C), PCHVCCIO(0x031CC944),
    PCHVCCIO(0x031CC94C), PCHVCCIO(0x031CC954), PCHVCCIO(0x07FCD4D0), PCHVCCIO(0x0AFCD4F0),
    PCHVCCIO(0x0AFCD510),
    F71882(0x0AAB5410, kVsaVoltages, kPchTemperatures, kVsaFans),
    IOH(0x27F0AF90), IOH(0x47F0AF90), IOH(0x5A9428B4),
    DP(0x031CDB24), DP(0x4FC5613E),
    NCT(0x031CC94C, -1, kNct7802Z68Voltages, static_cast<const FanLabel*>(nullptr)),
    VCCIO_NCT(0x07FCD4D0), VCCIO_NCT(0x0AFCD4F0), VCCIO_NCT(0x0AFCD510),
    NCT(0x0AAB5410, 0x28, kNct7802Vsa28Voltages, kNct7802Fans28),
    NCT(0x0AAB5410, 0x2D, kNct7802Vsa2dVoltages, kNct7802Fans2d),
    {kLabelEnd, 0, -1, -1, 0, nullptr, nullptr, nullptr},
};
