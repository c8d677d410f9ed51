// What the CPU page shows for the selected processor: identification,
// instruction set extensions, clocks of one core, caches and the core
// voltage, worked out from what the processor interface and the sensor list
// already hold. The page draws it and tests check it without a window; it
// never touches hardware.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CProcessor;
class CSensor;
class QUARNSDK;
template <typename T>
class CTList;

class CSysinfoView {
 public:
  enum FieldIndex {
    kName, kCodeName, kBrandId, kPackage, kTechnology, kCoreVoltage, kSpecification,
    kFamily, kModel, kStepping, kExtFamily, kExtModel, kRevision, kInstructions,
    kCoreSpeed, kMultiplier, kBusSpeed, kRatedFsb,
    kL1Data, kL1Inst, kLevel2, kLevel3, kCores, kThreads,
    kFieldCount
  };

  struct Field {
    int labelId;   // dialog ids of the label, the value and (caches) the ways
    int valueId;
    int waysId;    // 0: none
    std::string label;
    std::string value;  // "" when not shown
    std::string ways;
    bool enabled = false;  // the label's state
  };

  static constexpr int kClocksFrameId = 1208;
  static constexpr int kLogoId = 1198;

  CSysinfoView();

  // One redraw for processor `processor`, clocks of core `core` (clamped to
  // the processor's cores). `sdk` may be null: every value is emptied.
  void Update(QUARNSDK* sdk, int processor, int core);

  const Field& At(FieldIndex i) const { return fields_[i]; }
  const std::vector<Field>& Fields() const { return fields_; }
  const std::string& ClocksCaption() const { return clocksCaption_; }

  // Formatting, one rule each.
  // "x 21.5" / "x 21.75"; with `engineeringSample` and both ratios known
  // the range follows ("x 21.5 ( 12 - 40 )").
  static std::string MultiplierText(float multiplier, bool engineeringSample, float minRatio, float maxRatio);
  // "%d <unit>" for one cache, "%d x %d <unit>" for several.
  static std::string CacheSizeText(int count, int size, const char* unit);
  // Level 3: whole megabytes as MBytes, anything else as KBytes.
  static std::string Level3SizeText(int count, int sizeKB);
  // "direct", "fully", "%d-way"; "" for -1.
  static std::string WaysText(int ways);
  // "45 nm" below 0.1 um, "0.13 um" from there; "" for p <= 0.
  static std::string TechnologyText(float micrometres);
  // " MMX (+), 3DNow! (+), SSE, ..." from a feature predicate.
  static std::string InstructionsText(const std::vector<int>& features, uint32_t typeCode);
  // The brand string, or name and rated clock, with " (ES)" for a sample.
  static std::string SpecificationText(const char* brand, const char* name, int ratedMHz, bool engineeringSample);
  // "HT Link", "QPI Link" or "Rated FSB" for a processor type code.
  static const char* LinkLabel(uint32_t typeCode);
  // The logo bitmap id of a type code.
  static int LogoBitmap(uint32_t typeCode);
  // The first voltage sensor with sensor id 1 (key bits 24-29) of processor
  // `processor` (key bits 30-31) in `sensors`, or null.
  static CSensor* CoreVoltageSensor(const CTList<CSensor>* sensors, int processor);

 private:
  void Set(FieldIndex i, std::string value, std::string ways = {});
  void Clear(FieldIndex i);
  void UpdateCaches(QUARNSDK* sdk, CProcessor* p);
  void UpdateClocks(QUARNSDK* sdk, CProcessor* p, int core);
  void UpdateVoltage(QUARNSDK* sdk, CProcessor* p, int processor, int core);

  std::vector<Field> fields_;
  std::string clocksCaption_;
};
