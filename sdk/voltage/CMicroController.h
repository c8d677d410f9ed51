// A voltage controller: one SMBus device (a DAC, a digital potentiometer or
// a regulator controller) whose channels offset or set the board's supply
// rails. Every transaction runs through the SMBus register space of its
// host like any other chip driver's: the bus mutex is taken, the device's
// switch channel is selected around it and the host's error bits decide
// the result.
#pragma once

#include <cstdint>
#include <vector>

#include "sdk/core/CTList.h"
#include "sdk/voltage/CMicroControllerOutput.h"
#include "sdk/voltage/MicroControllerDesc.h"

class CSMBusRegisterSpace;
class CSMBusRequest;
class CMultiplexer;

// Controller ids of the chip families.
enum MicroControllerId : int32_t {
  MC_DS4402 = 98978,
  MC_DS4404 = 98980,
  MC_UP6208 = 25128,
  MC_UP6262 = 25218,
  MC_UP6228 = 25160,
  MC_ISL90727 = 113959,
  MC_PCA9545A = 43364,
  MC_F72262 = 112034,
  MC_NONE = -1,  // VT1186M, CHL8328, CHL8102
};

// A byte write as a controller made it, for callers that report them.
struct ControllerWrite {
  uint8_t reg;
  uint8_t value;
  bool ok;
};

class CMicroController {
 public:
  // `space` is the host the chip answered on; `mux`/`muxChannel` the board
  // switch channel it answered through (null when none).
  CMicroController(int32_t id, CSMBusRegisterSpace* space, CMultiplexer* mux, uint8_t muxChannel, uint8_t address);
  CMicroController(const CMicroController&) = delete;
  CMicroController& operator=(const CMicroController&) = delete;

  virtual int ReadByte(uint8_t reg, uint8_t* value);  // value preset to 0xFF
  virtual int WriteByte(uint8_t reg, uint8_t value);
  virtual int ReadWord(uint8_t reg, uint16_t* value);
  virtual int WriteWord(uint8_t reg, uint16_t value);
  // Re-reads every output's register(s); 1 when the chip has outputs.
  virtual int Update();
  // Binds every row to the output named by its bits 3:0.
  virtual int BindDescriptions();
  virtual ~CMicroController();
  virtual void AddOutput(CMicroControllerOutput* output);
  // Reads each channel once and makes an output for every channel that
  // answered; then binds the rows. Returns the outputs made.
  virtual int CreateOutputs();
  // Writes a setting; the result of the chip's last write, 0 when nothing
  // was written.
  virtual int SetOutput(int rowId, int value, int flags) { return 0; }
  // The class name, for listings.
  virtual const char* ClassName() const { return "CMicroController"; }
  // Outputs the chip can have (registers it reads).
  virtual int ChannelCount() const { return 0; }
  // The largest value SetOutput takes for a row (what the chip's register
  // fields hold); -1 when the chip writes nothing for it.
  virtual int MaxValue(const _stMicroControllerOutputDesc& row, int flags) const { return -1; }

  // The first output whose number equals n (bits 0-3 and 8-23 compared).
  CMicroControllerOutput* FindOutput(int n) const;
  uint8_t Address() const;
  // The controllers' settling pause between writes.
  static void Pause(uint32_t ms = 50);

  int32_t boardId = -1;
  int32_t controllerId;
  int32_t spare = 0;
  CSMBusRegisterSpace* space;  // not owned
  CMultiplexer* multiplexer;   // not owned
  CSMBusRequest* request;      // owned: the switch channel and the address
  CTList<CMicroControllerOutput>* outputs;  // owned, in creation order
  _stMicroControllerOutputDesc* descriptions = nullptr;  // static rows, or null
  // When set, every byte write is appended here (not owned).
  std::vector<ControllerWrite>* writeLog = nullptr;

 protected:
  // Reads output n's register(s) into `out` (code and flags); false when a
  // read failed, leaving `out` as it was.
  virtual bool ReadChannel(int n, CMicroControllerOutput* out) { return false; }
  // How rows are bound: every row by number, combined rows spread over the
  // outputs they name, or combined rows left unbound.
  enum class Binding { ByNumber, SpreadCombined, SkipCombined };
  int Bind(Binding rule);
  // Read-modify-write of one register: bits under `mask` set to `bits`.
  int Modify(uint8_t reg, uint8_t mask, uint8_t bits);

 private:
  int Transfer(uint32_t op, uint8_t reg, uint32_t* data);
};
