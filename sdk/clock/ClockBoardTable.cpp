#include "sdk/clock/ClockBoardTable.h"

#include <string_view>

#include "sdk/clock/GeneratorFamily.h"
#include "sdk/clock/ICS_9PLRS133.h"
#include "sdk/clock/ICS_9PLRS139.h"
#include "sdk/clock/SLG505YC264B.h"
#include "sdk/monitor/BoardTables.h"

namespace {

template <typename T>
CPLL* Make() {
  return new T();
}

// A family generator by class name (the table's names are the classes).
template <const char* Name>
CPLL* Family() {
  return new CGeneratorFamilyPLL(*FindGeneratorFamily(Name));
}

constexpr char kRtm875t606Cpu[] = "RTM875T606_CPU_PLL";
constexpr char kRtm875t606Pcie[] = "RTM875T606_PCIE_PLL";
constexpr char kIcs9lrs4105Cpu[] = "ICS_9LRS4105_CPU_PLL";
constexpr char kIcs9lrs4105Pcie[] = "ICS_9LRS4105_PCIE_PLL";

struct BoardGenerator {
  uint32_t boardId;
  PLLFactory plls[3];
};

// Boards of the vendor mapped one by one, and other makers' boards.
const BoardGenerator kBoards[] = {
    // The Silego boards (X79 platform with a processor-clock strap).
    {0x07FCD4D0, {&Make<SLG505YC264B_CPU_PLL>}},
    {0x0AFCD4F0, {&Make<SLG505YC264B_CPU_PLL>}},
    {0x0AFCD510, {&Make<SLG505YC264B_CPU_PLL>}},
    // Other makers.
    {0x23236EA6, {&Family<kRtm875t606Cpu>, &Family<kRtm875t606Pcie>}},   // KX38-DQ6 Ultra
    {0x57EC2B10, {&Family<kIcs9lrs4105Cpu>, &Family<kIcs9lrs4105Pcie>}}, // KA790XT-AM3 Ultra
};

// The board without a generator on the SMBus although its group has one.
constexpr uint32_t kPchVttWithoutGenerator = 0x5093A6F8;

}  // namespace

std::vector<PLLFactory> SMBusGeneratorFor(uint32_t boardId) {
  for (const BoardGenerator& b : kBoards)
    if (b.boardId == boardId) {
      std::vector<PLLFactory> list;
      for (PLLFactory f : b.plls)
        if (f) list.push_back(f);
      return list;
    }
  const int32_t id = static_cast<int32_t>(boardId);
  const char* group = VendorBoardGroup(id);
  if (!group) return {};
  const std::string_view g = group;
  if (g == "NB" || g == "DP" || (g == "PCH-VTT" && boardId != kPchVttWithoutGenerator))
    return {&Make<ICS_9PLRS139_CPU_PLL>, &Make<ICS_9PLRS139_PCIE_PLL>, &Make<ICS_9PLRS139_PCI_PLL>};
  if (g == "IOH") return {&Make<ICS_9PLRS133_CPU_PLL>};
  return {};
}
