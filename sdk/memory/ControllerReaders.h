// The memory-controller readers the identification tables name, one per
// controller generation, and the register access they share. A register
// that cannot be read, or reads all ones (an absent function, a window
// that does not decode), is no data: the fields it feeds keep their values.
#pragma once

#include <cstdint>

class CIOSpace;
class CMemoryInfo;
class CNorthBridge;

namespace mc {

// A dword of PCI configuration space through the PCI interface.
bool ReadPci(uint32_t bus, uint32_t device, uint32_t function, uint32_t reg, uint32_t* value);

// The memory window at `base` (registered with the SDK, which owns it),
// `size` bytes; an existing window at that base is resized. Null for base 0.
CIOSpace* MapMemoryWindow(uint32_t base, uint32_t size);

// The controller's MCHBAR window (host bridge register 0x48, 0x44 on the
// 945 family). With `enable`, an MCHBAR whose enable bit is clear is
// switched on for the reads and switched off again when the window goes
// out of scope.
class MchbarWindow {
 public:
  MchbarWindow(CNorthBridge& bridge, uint32_t size, bool enable, uint32_t barRegister = 0x48);
  ~MchbarWindow();
  MchbarWindow(const MchbarWindow&) = delete;
  MchbarWindow& operator=(const MchbarWindow&) = delete;

  bool Ok() const { return window_ != nullptr; }
  // A dword at `offset`, aligned or not.
  bool Read(uint32_t offset, uint32_t* value) const;
  uint32_t Bits(uint32_t offset, int high, int low, bool* ok) const;

 private:
  CNorthBridge& bridge_;
  CIOSpace* window_ = nullptr;
  uint32_t barRegister_;
  bool restore_ = false;
  uint32_t original_ = 0;
};

// `ratioValue` = memory clock / bus clock and `ratioText` "bus:memory" in
// lowest terms, both clocks given in the same units.
void SetRatio(CMemoryInfo& info, int busUnits, int memoryUnits);

// Bits high..low of `value`.
inline uint32_t Field(uint32_t value, int high, int low) {
  return (value >> low) & ((high - low >= 31) ? 0xFFFFFFFFu : ((1u << (high - low + 1)) - 1));
}

}  // namespace mc

// Nehalem generation (X58 with Bloomfield and Gainestown/Westmere-EP, P55
// with Lynnfield), from the processor's memory-controller test function.
void ReadNehalemController(CNorthBridge& bridge, CMemoryInfo& info);
// Only the uncore ratio (Lynnfield/Clarkdale QPI link function).
void ReadNehalemUncoreRatio(CNorthBridge& bridge, CMemoryInfo& info);
// Clarkdale/Havendale host bridge (H55, H57, Q57).
void ReadClarkdaleController(CNorthBridge& bridge, CMemoryInfo& info);
// Sandy Bridge and Ivy Bridge host bridges (P67, Z68, H67, Z77, ...).
void ReadSandyBridgeController(CNorthBridge& bridge, CMemoryInfo& info);
void ReadIvyBridgeController(CNorthBridge& bridge, CMemoryInfo& info);
// Sandy Bridge-E (X79): the processor's memory controller on bus 255.
void ReadSandyBridgeEController(CNorthBridge& bridge, CMemoryInfo& info);
// Core 2 generation memory controller hubs: the 3-series and X38/X48, the
// 4-series and the Atom host bridges.
enum class Core2Hub { Series3, Series4, Atom };
void ReadCore2Controller(CNorthBridge& bridge, CMemoryInfo& info, Core2Hub hub);
// The DRAM controller of AMD processors (K8, K10 and families 11h, 12h,
// 14h and 15h), function 2 of the northbridge device.
void ReadAmdDramController(CNorthBridge& bridge, CMemoryInfo& info);
// The 945 family's memory controller hub (945G/P/PL, 945GM/PM/GME).
void Read945Controller(CNorthBridge& bridge, CMemoryInfo& info, bool mobile);
// The 965 family's hubs (946, Q963/Q965, P965/G965, G35, GM965/PM965,
// GME965/GLE960).
void Read965Controller(CNorthBridge& bridge, CMemoryInfo& info, bool mobile);
// GM45/GM47/PM45: the mobile 965 layout, memory type not known.
void ReadGm45Controller(CNorthBridge& bridge, CMemoryInfo& info);
// Intel server hubs: E7500/E7501/E7505/E7205 (`synchronous`: the memory
// runs at the bus clock), E7520/E7320/E7525, and the FB-DIMM hubs 5000
// and 5400, the 5100 (DDR2) and the 7300 (FB-DIMM).
void ReadE750xController(CNorthBridge& bridge, CMemoryInfo& info, bool e7500, bool synchronous);
void ReadE752xController(CNorthBridge& bridge, CMemoryInfo& info);
void ReadFbdController(CNorthBridge& bridge, CMemoryInfo& info, bool i5400);
void Read5100Controller(CNorthBridge& bridge, CMemoryInfo& info);
void Read7300Controller(CNorthBridge& bridge, CMemoryInfo& info);
// Intel 8xx and 915/925 hubs: 865/848 and 875P (their device 6 shown for
// the read only), 855PM, 852GM/855GM, and 915/925/E7221 (`mobile`: 915GM).
void Read875Controller(CNorthBridge& bridge, CMemoryInfo& info);
void Read855PmController(CNorthBridge& bridge, CMemoryInfo& info);
void Read852GmController(CNorthBridge& bridge, CMemoryInfo& info);
void Read915Controller(CNorthBridge& bridge, CMemoryInfo& info, bool mobile);
// NVIDIA nForce2 and nForce4 Intel Edition.
void ReadNforce2Controller(CNorthBridge& bridge, CMemoryInfo& info);
void ReadNforce4IntelController(CNorthBridge& bridge, CMemoryInfo& info);
// VIA KX133 and KT133/KT133A (SDRAM): the DRAM clock as the bus clock or
// 33 MHz above it.
void ReadViaSdramController(CNorthBridge& bridge, CMemoryInfo& info);
