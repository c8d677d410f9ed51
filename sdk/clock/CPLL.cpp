#include "sdk/clock/CPLL.h"

#include <cstdio>
#include <cstring>

#include "platform/Machine.h"
#include "sdk/access/CIORequest.h"
#include "sdk/access/CRegisterSpace.h"
#include "sdk/clock/CPLLOutput.h"

CPLL::CPLL(uint32_t pllId) : id(pllId), outputs(new CTList<CPLLOutput>()) {
  std::snprintf(name, sizeof(name), "PLL ID = 0x%X", pllId);
}

CPLL::~CPLL() {
  ClearOutputs();
  delete outputs;
  delete request;
  delete[] buffer;
}

CPLLOutput* CPLL::GetOutput(int index) const { return index < 0 ? nullptr : outputs->At(index); }

void CPLL::SetAccess(CRegisterSpace* space, CSMBusRequest* r) {
  registerSpace = space;
  if (request != r) delete request;
  request = r;
}

void CPLL::ClearOutputs() { outputs->DeleteAll(); }

void CPLL::AddOutput(const char* outputName, int key, float divider) {
  auto* o = new CPLLOutput(outputName, key, divider);
  if (key == PLL_OUTPUT_CPU) o->multiplier = strapMultiplier_;
  outputs->Append(o);
}

void CPLL::SetStrapMultiplier(float factor) {
  strapMultiplier_ = factor;
  for (CPLLOutput* o : Items(outputs))
    if (o->key == PLL_OUTPUT_CPU) {
      o->multiplier = factor;
      break;
    }
}

void CPLL::SetName(const char* text) {
  std::memset(name, 0, sizeof(name));
  std::strncpy(name, text, sizeof(name) - 1);
}

uint8_t* CPLL::FreshBuffer(int size) {
  if (!buffer) buffer = new uint8_t[size];
  std::memset(buffer, 0, size);
  return buffer;
}

int CPLL::BlockRead() {
  if (!registerSpace || !request || !buffer) return -1;
  request->op = IOOP_READ | IOOP_BLOCK;
  request->reg = 0;
  request->buffer = buffer;
  request->data = 0;
  if (!registerSpace->Execute(request)) return -1;
  return static_cast<int>(request->data);
}

bool CPLL::BlockWrite(int start, int length) {
  if (!registerSpace || !request || !buffer) return false;
  request->op = IOOP_WRITE | IOOP_BLOCK;
  request->reg = static_cast<uint32_t>(start);
  request->buffer = buffer + start;
  request->data = static_cast<uint32_t>(length);
  const bool ok = registerSpace->Execute(request) && static_cast<int>(request->data) == length;
  request->op = IOOP_READ | IOOP_BLOCK;
  request->reg = 0;
  request->buffer = buffer;
  request->data = static_cast<uint32_t>(readCount_);
  return ok;
}

void CPLL::Wait(uint32_t ms) { plat::CurrentMachine().Sleep(ms); }

int CPLL::RampTo(float target, float step, const std::function<void(float)>& applied) {
  if (!(frequency > 0) || !(step > 0) || !(target > 0)) return 0;
  float f = frequency;
  int result = 0;
  auto one = [&](float value) {
    if (!SetFrequency(value)) return false;
    result = Apply();
    if (!result) return false;
    if (applied) applied(value);
    return true;
  };
  if (target > f) {
    if (step <= target - f) do {
        f += step;
        if (!one(f)) return 0;
        Wait(50);
      } while (target > f + step);
  } else if (target < f) {
    if (step <= f - target) do {
        f -= step;
        if (!one(f)) return 0;
        Wait(50);
      } while (target < f - step);
  }
  if (SetFrequency(target)) {
    result = Apply();
    if (result && applied) applied(target);
  }
  return result;
}
