#include "sdk/voltage/Brenmor_Tessel.h"

#include "sdk/access/CIORequest.h"
#include "sdk/access/CMultiplexer.h"
#include "sdk/access/CSMBusRegisterSpace.h"

Brenmor_Tessel::Brenmor_Tessel(CSMBusRegisterSpace* s, CMultiplexer* mux, uint8_t muxChannel, uint8_t address)
    : CDevice(DEVICE_BOARD_CONTROL), space(s), multiplexer(mux), request(new CSMBusRequest(muxChannel, address)) {}

Brenmor_Tessel::~Brenmor_Tessel() { delete request; }

int Brenmor_Tessel::Transfer(uint32_t op, uint32_t* data) {
  if (!space || !request) return 0;
  if (multiplexer && !multiplexer->Select(request->channel)) return 0;
  request->op = op;
  request->reg = kDialRegister;
  request->data = *data;
  int ok = space->Execute(request);
  *data = request->data;
  if (multiplexer) multiplexer->Restore();
  return ok;
}

int Brenmor_Tessel::SetDialPosition(uint8_t position) {
  uint32_t d = position;
  return Transfer(IOOP_WRITE | IOOP_BYTE, &d);
}

int Brenmor_Tessel::GetDialPosition() {
  uint32_t d = 0;
  return Transfer(IOOP_READ | IOOP_BYTE, &d) ? static_cast<int>(d & 0xFF) : -1;
}
