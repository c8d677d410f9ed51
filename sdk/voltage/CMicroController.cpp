#include "sdk/voltage/CMicroController.h"

#include "platform/Machine.h"
#include "sdk/access/CIORequest.h"
#include "sdk/access/CMultiplexer.h"
#include "sdk/access/CSMBusRegisterSpace.h"

CMicroController::CMicroController(int32_t id, CSMBusRegisterSpace* s, CMultiplexer* mux, uint8_t muxChannel,
                                   uint8_t address)
    : controllerId(id),
      space(s),
      multiplexer(mux),
      request(new CSMBusRequest(muxChannel, address)),
      outputs(new CTList<CMicroControllerOutput>()) {}

CMicroController::~CMicroController() {
  outputs->DeleteAll();
  delete outputs;
  delete request;
}

uint8_t CMicroController::Address() const { return request->slave; }

void CMicroController::Pause(uint32_t ms) { plat::CurrentMachine().Sleep(ms); }

int CMicroController::Transfer(uint32_t op, uint8_t reg, uint32_t* data) {
  if (!space) return 0;
  if (multiplexer && !multiplexer->Select(request->channel)) return 0;
  request->op = op;
  request->reg = reg;
  request->data = *data;
  int ok = space->Execute(request);
  if (ok) *data = request->data;
  request->reg = 0xFFFFFFFF;
  if (multiplexer) multiplexer->Restore();
  return ok;
}

int CMicroController::ReadByte(uint8_t reg, uint8_t* value) {
  *value = 0xFF;
  uint32_t d = 0;
  if (!Transfer(IOOP_READ | IOOP_BYTE, reg, &d)) return 0;
  *value = static_cast<uint8_t>(d);
  return 1;
}

int CMicroController::WriteByte(uint8_t reg, uint8_t value) {
  uint32_t d = value;
  int ok = Transfer(IOOP_WRITE | IOOP_BYTE, reg, &d);
  if (writeLog) writeLog->push_back({reg, value, ok != 0});
  return ok;
}

int CMicroController::ReadWord(uint8_t reg, uint16_t* value) {
  *value = 0xFFFF;
  uint32_t d = 0;
  if (!Transfer(IOOP_READ | IOOP_WORD, reg, &d)) return 0;
  *value = static_cast<uint16_t>(d);
  return 1;
}

int CMicroController::WriteWord(uint8_t reg, uint16_t value) {
  uint32_t d = value;
  return Transfer(IOOP_WRITE | IOOP_WORD, reg, &d);
}

int CMicroController::Modify(uint8_t reg, uint8_t mask, uint8_t bits) {
  uint8_t v = 0;
  if (!ReadByte(reg, &v)) return 0;  // never write after a failed read
  return WriteByte(reg, static_cast<uint8_t>((v & ~mask) | (bits & mask)));
}

void CMicroController::AddOutput(CMicroControllerOutput* output) { outputs->Append(output); }

CMicroControllerOutput* CMicroController::FindOutput(int n) const {
  constexpr int kCompared = 0xFFFF0F;
  for (CMicroControllerOutput* o : Items(outputs))
    if ((o->number & kCompared) == (n & kCompared)) return o;
  return nullptr;
}

int CMicroController::Bind(Binding rule) {
  if (!descriptions) return 1;
  for (_stMicroControllerOutputDesc* row = descriptions; row->id != rowid::kEnd; ++row) {
    if (row->id & rowid::kCombined) {
      if (rule == Binding::SkipCombined) continue;
      if (rule == Binding::SpreadCombined) {
        for (int n = 0; n < 3; ++n)
          if (row->id & (1 << n))
            if (CMicroControllerOutput* o = FindOutput(n)) o->Bind(row);
        continue;
      }
    }
    if (CMicroControllerOutput* o = FindOutput(row->id & rowid::kOutputMask)) o->Bind(row);
  }
  return 1;
}

int CMicroController::BindDescriptions() { return Bind(Binding::ByNumber); }

int CMicroController::CreateOutputs() {
  int made = 0;
  for (int n = 0; n < ChannelCount(); ++n) {
    auto* o = new CMicroControllerOutput(n);
    if (!ReadChannel(n, o)) {
      delete o;
      continue;
    }
    AddOutput(o);
    ++made;
  }
  BindDescriptions();
  return made;
}

int CMicroController::Update() {
  if (ChannelCount() == 0) return 0;
  for (CMicroControllerOutput* o : Items(outputs)) ReadChannel(o->number, o);
  return 1;
}
