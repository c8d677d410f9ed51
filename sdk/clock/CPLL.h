// One programmable clock synthesiser ("PLL"). A generator chip with several
// synthesisers is several CPLL objects, each with its own request to the
// same chip. The chip classes override the slots; the base does nothing.
#pragma once

#include <cstdint>
#include <functional>

#include "sdk/core/CTList.h"

class CPLLOutput;
class CRegisterSpace;
class CSMBusRequest;

enum PLLKind : uint32_t {
  PLL_KIND_CPU = 0x01000000,
  PLL_KIND_PCIE = 0x02000000,
  PLL_KIND_PCI = 0x04000000,
  PLL_KIND_CHIPSET_MEMORY = 0x10000000,
  PLL_KIND_GPU_CORE = 0x20000000,
  PLL_KIND_GPU_MEMORY = 0x40000000,
  PLL_KIND_GPU_SHADER = 0x80000000,
};

class CPLL {
 public:
  explicit CPLL(uint32_t pllId);
  CPLL(const CPLL&) = delete;
  CPLL& operator=(const CPLL&) = delete;

  // Slot 0: writes the pending N and M (or frequency). Nonzero = success.
  virtual int Apply() { return 0; }
  // Slot 1.
  virtual ~CPLL();
  // Slot 2: reads the chip, sets N, M and frequency, rebuilds the outputs.
  virtual int Read() { return 0; }
  // Slot 3: computes the pending values for a target; writes nothing.
  virtual int SetFrequency(float /*mhz*/) { return 0; }
  // Slots 4 and 5: one option bit of the chip.
  virtual int GetOption(int* /*on*/) { return 0; }
  virtual int SetOption(int /*on*/) { return 0; }

  float GetFrequency() const { return frequency; }
  float GetMinimum() const { return minimum; }
  float GetMaximum() const { return maximum; }
  uint32_t GetKind() const { return kind; }
  bool HasKind(uint32_t mask) const { return (kind & mask) == mask; }
  CTList<CPLLOutput>* GetOutputs() const { return outputs; }
  CPLLOutput* GetOutput(int n) const;
  int OutputCount() const { return outputs->count; }

  // Steps from the current frequency towards `target`, never moving more
  // than `step` at a time, 50 ms between steps. `applied` (optional) sees
  // every frequency that was applied. Returns the last Apply() result; 0
  // when the PLL has no valid frequency or a step failed.
  int RampTo(float target, float step, const std::function<void(float)>& applied = {});

  // The factor of the processor's bus-clock strap, given to this PLL's
  // processor-clock output now and on every later read.
  void SetStrapMultiplier(float factor);
  float StrapMultiplier() const { return strapMultiplier_; }

  // The register space and request the chip is reached through; the PLL
  // owns the request.
  void SetAccess(CRegisterSpace* space, CSMBusRequest* request);

  char name[256] = {};
  uint32_t kind = 0;
  uint32_t id;
  float reference = -1.0f;
  int m = -1;
  int n = -1;
  float frequency = -1.0f;
  float minimum = -1.0f;
  float maximum = -1.0f;
  float spare = -1.0f;
  CTList<CPLLOutput>* outputs;
  CRegisterSpace* registerSpace = nullptr;  // not owned
  CSMBusRequest* request = nullptr;         // owned
  uint8_t* buffer = nullptr;                // the chip's register image, owned

 protected:
  void ClearOutputs();
  void AddOutput(const char* outputName, int key, float divider);
  void SetName(const char* text);
  // The block buffer, allocated on first use and cleared.
  uint8_t* FreshBuffer(int size);
  // SMBus generators: the register image by one block read from register 0
  // (the byte count the chip sent, or -1), and a block write of `length`
  // image bytes from `start`, true only when every byte went out. After a
  // write the request is set up again for a whole-image read of readCount_
  // bytes.
  int BlockRead();
  bool BlockWrite(int start, int length);
  int readCount_ = -1;  // bytes of the last good block read
  // Virtual-time aware sleep of the current machine.
  static void Wait(uint32_t ms);

 private:
  float strapMultiplier_ = 1.0f;
};
