#include "sdk/clock/GeneratorFamily.h"

#include <cstring>

#include "sdk/access/CIORequest.h"
#include "sdk/access/CRegisterSpace.h"

namespace {

constexpr uint32_t CPU = PLL_KIND_CPU, PCIE = PLL_KIND_PCIE, PCI = PLL_KIND_PCI;

const GeneratorFamilyEntry kFamily[] = {
    {"ICS_954127_CPU_PLL", "ICS 954127 CPU PLL", CPU, 0x04954127, 14.31818f, 1, 0x80},
    {"ICS_954127_PCIE_PLL", "ICS 954127 PCIE PLL", PCIE, 0x04954127, 14.31818f, 1, 0x40},
    {"ICS_954123_CPU_PLL", "ICS 954123 CPU PLL", CPU, 0x04954123, 14.31818f, -1, 0},
    {"ICS_9PLRS511_CPU_PLL", "ICS 9PLRS511 CPU PLL", CPU, 0x049FF511, 14.31818f, 0, 0x20},
    {"ICS_9PLRS511_PCIE_PLL", "ICS 9PLRS511 PCIE PLL", PCIE, 0x049FF511, 14.31818f, 0, 0x40},
    {"ICS_9PLRS477_CPU_PLL", "ICS 9PLRS477 CPU PLL", CPU, 0x049FF477, 50.0f, -1, 0},
    {"ICS_9PLRS477_PCIE_PLL", "ICS 9PLRS477 PCIE PLL", PCIE, 0x049FF477, 14.31818f, -1, 0},
    {"ICS_9PLRS471_CPU_PLL", "ICS 9PLRS471 CPU PLL", CPU, 0x049FF471, 50.0f, -1, 0},
    {"ICS_9PLRS471_PCIE_PLL", "ICS 9PLRS471 PCIE PLL", PCIE, 0x049FF471, 14.31818f, -1, 0},
    {"ICS_9FG1200D1_CPU_PLL", "ICS 9FG1200D-1 CPU PLL", CPU, 0x049F1200, 14.31818f, -1, 0},
    {"ICS_9PLRS926_CPU_PLL", "ICS 9PLRS926 CPU PLL", CPU, 0x049FF926, 14.31818f, -1, 0},
    {"ICS_9PLRS926_PCIE_PLL", "ICS 9PLRS926 PCIE PLL", PCIE, 0x049FF926, 14.31818f, -1, 0},
    {"ICS_9PLRS113_CPU_PLL", "ICS 9PLRS113 CPU PLL", CPU, 0x049FF113, 24.0f, -1, 0},
    {"ICS_9PLRS113_PCIE_PLL", "ICS 9PLRS113 PCIE PLL", PCIE, 0x049FF113, 24.0f, -1, 0},
    {"ICS_9LRS4105_CPU_PLL", "ICS 9LRS4105 CPU PLL", CPU, 0x049E4105, 32.0f, -1, 0},
    {"ICS_9LRS4105_PCIE_PLL", "ICS 9LRS4105 PCIE PLL", PCIE, 0x049E4105, 14.31818f, -1, 0},
    {"RTM875T587_CPU_PLL", "Realtek RTM875T-587 CPU PLL", CPU, 0x10EC5587, -1.0f, -1, 0},
    {"RTM875T587_PCIE_PLL", "Realtek RTM875T-587 PCIE PLL", PCIE, 0x10EC5587, -1.0f, -1, 0},
    {"RTM875T587_PCI_PLL", "Realtek RTM875T-587 PCI PLL", PCI, 0x10EC5587, -1.0f, -1, 0},
    {"RTM880N790_CPU_PLL", "Realtek RTM880N-790 CPU PLL", CPU, 0x10EC0790, -1.0f, -1, 0},
    {"RTM875T531_CPU_PLL", "Realtek RTM875T-531 CPU PLL", CPU, 0x10EC5531, -1.0f, -1, 0},
    {"RTM875T606_CPU_PLL", "Realtek RTM875T-606 CPU PLL", CPU, 0x10EC5606, -1.0f, -1, 0},
    {"RTM875T606_PCIE_PLL", "Realtek RTM875T-606 PCIE PLL", PCIE, 0x10EC5606, -1.0f, -1, 0},
    {"RTM885T926_CPU_PLL", "Realtek RTM885T-926 CPU PLL", CPU, 0x10EC5926, -1.0f, -1, 0},
    {"RTM885T926_PCIE_PLL", "Realtek RTM885T-926 PCIE PLL", PCIE, 0x10EC5926, -1.0f, -1, 0},
    {"RTM885N932_CPU_PLL", "Realtek RTM885N-932 CPU PLL", CPU, 0x10EC5932, -1.0f, -1, 0},
    {"RTM885N932_PCIE_PLL", "Realtek RTM885N-932 PCIE PLL", PCIE, 0x10EC5932, -1.0f, -1, 0},
    {"CY28551_CPU_PLL", "Cypress CY28551 CPU PLL", CPU, 0x0C728551, -1.0f, 5, 0x20},
    {"CY28551_PCIE_PLL", "Cypress CY28551 PCIE PLL", PCIE, 0x0C728551, -1.0f, 5, 0x08},
    {"IDT_CV115_CPU_PLL", "IDT CV115 CPU PLL", CPU, 0x1D700115, -1.0f, 6, 0x07},
    {"IDT_CV115_PCIE_PLL", "IDT CV115 PCIE PLL", PCIE, 0x1D700115, -1.0f, 6, 0x38},
    {"IDT_CV174_CPU_PLL", "IDT CV174 CPU PLL", CPU, 0x1D700174, -1.0f, -1, 0},
    {nullptr, nullptr, 0, 0, 0, -1, 0},
};

}  // namespace

const GeneratorFamilyEntry* GeneratorFamily() { return kFamily; }

const GeneratorFamilyEntry* FindGeneratorFamily(const char* className) {
  for (const GeneratorFamilyEntry* e = kFamily; e->className; ++e)
    if (std::strcmp(e->className, className) == 0) return e;
  return nullptr;
}

CGeneratorFamilyPLL::CGeneratorFamilyPLL(const GeneratorFamilyEntry& e) : CPLL(e.pllId), entry(e) {
  kind = e.kind;
  reference = e.reference;
  SetName(e.name);
}

int CGeneratorFamilyPLL::Read() {
  ClearOutputs();
  if (!registerSpace || !request) return 0;
  FreshBuffer(kBufferSize);
  const int count = BlockRead();
  if (count <= 8) return 0;
  readCount_ = count;
  return 1;
}

int CGeneratorFamilyPLL::GetOption(int* on) {
  if (!on || entry.optionByte < 0 || readCount_ <= entry.optionByte) return 0;
  *on = (buffer[entry.optionByte] & entry.optionMask) >> __builtin_ctz(entry.optionMask);
  return 1;
}

int CGeneratorFamilyPLL::SetOption(int on) {
  if (entry.optionByte < 0 || readCount_ <= entry.optionByte || !registerSpace || !request) return 0;
  const int shift = __builtin_ctz(entry.optionMask);
  if (on < 0 || (static_cast<unsigned>(on) << shift & ~static_cast<unsigned>(entry.optionMask))) return 0;
  uint8_t value = static_cast<uint8_t>((buffer[entry.optionByte] & ~entry.optionMask) | (on << shift));
  const uint8_t previous = buffer[entry.optionByte];
  if (value == previous) return 1;
  buffer[entry.optionByte] = value;
  if (BlockWrite(entry.optionByte, 1)) return 1;
  buffer[entry.optionByte] = previous;  // the chip still holds the old byte
  return 0;
}
