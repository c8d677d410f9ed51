// What the Memory page shows: the installed memory (type, size, channels),
// the memory modules found through their SPD EEPROMs, and the timings the
// memory controller runs now. Built from what the chipset interface and the
// SPD records hold; it never touches hardware.
#pragma once

#include <string>
#include <vector>

class CChipsetInterface;
class CSPDInterface;

class CMemoryView {
 public:
  enum FieldIndex {
    kType, kSize, kChannels, kNbFrequency, kDramFrequency, kFsbDram,
    kCasLatency, kRcd, kRp, kRas, kRfc, kCommandRate,
    kFieldCount
  };

  struct Field {
    int labelId;
    int valueId;
    const char* label;
    std::string value;
    bool enabled = false;
  };

  struct Module {
    std::string slot;   // "Slot #1"
    std::string type;   // "DDR3"
    std::string size;   // "2048 MBytes"
    std::string speed;  // "PC3-10600"
    std::string maker;
    std::string part;
  };

  CMemoryView();

  // The fields set once: type, size (`memoryMB`, -1 unknown), channels, and
  // the modules of `spd` (may be null).
  void Init(const CChipsetInterface* chipset, int memoryMB, const CSPDInterface* spd);
  // The frequency and timing rows; `busClock` is the processor interface's
  // bus clock in MHz.
  void Update(const CChipsetInterface* chipset, float busClock);

  const Field& At(FieldIndex i) const { return fields_[i]; }
  const std::vector<Field>& Fields() const { return fields_; }
  const std::vector<Module>& Modules() const { return modules_; }

  // " DDR3" etc. by memory type code; "" for codes without a name.
  static const char* TypeText(int typeCode);
  // "Single" ... "Quad"; "" otherwise.
  static const char* ChannelsText(int channels);

 private:
  void Set(FieldIndex i, std::string value);

  std::vector<Field> fields_;
  std::vector<Module> modules_;
};
