// The board control device: turns the controller drivers into the board's
// adjustable rails. For each of the vendor's boards it knows which chips sit
// at which SMBus addresses with which rail table, creates them once at the
// end of monitor detection (in the order the Voltages page lists them),
// adds the board's dial gauge to the device list, and offers the rail
// reads and writes the page, the profiles and the CLI use. Everything here
// is called under the SDK lock with the driver channel held.
#pragma once

#include <cstdint>
#include <string>

#include "sdk/core/CTList.h"
#include "sdk/monitor/CHardwareMonitorInterface.h"
#include "sdk/voltage/MicroControllerDesc.h"

class CMicroController;
class QUARNSDK;

// One rail row with the controller's current setting of it.
struct RailReading {
  _stMicroControllerOutputDesc row{};
  int code = -1;      // -1: the row has no output that answered
  int direction = 0;  // 1: below the base
};

class CBoardControl : public CControllerAssembly {
 public:
  // Board switch of the dual-processor boards' regulator branches.
  static constexpr uint8_t kBranchFirstCpu = 1, kBranchSecondCpu = 2;

  CBoardControl(CHardwareMonitorInterface& monitors, int32_t boardId);
  ~CBoardControl() override;

  // The board control of the SDK's hardware-monitor interface, or null.
  static CBoardControl* Of(QUARNSDK& sdk);

  // CreateControllers, then every controller's CreateOutputs and Update.
  void Assemble() override;
  void Refresh() override;

  // Builds the board's controllers (and its gauge); how many were made.
  int CreateControllers();

  int ControllerCount() const { return controllers->count; }
  CMicroController* GetController(int n) const { return controllers->At(n); }
  // Rows of controller n before the terminator.
  int RowCount(int n) const;
  // Row r of controller n with the current setting: type 1 sums the codes
  // of the outputs the row is bound to (the first one's direction); type 2
  // is the field under the mask, type 3 steps above minus that field.
  bool ReadRow(int n, int r, RailReading* out) const;
  // Writes a setting (value, flags bit 0 = below the base, bit 1 = boost)
  // to row r of controller n. Settings outside the row's range or the
  // chip's register fields are refused with `refusal` set and nothing
  // written. The controller's result, 0 when nothing was written.
  int WriteRow(int n, int r, int value, int flags, std::string* refusal);
  // The same checks as WriteRow without writing: true when WriteRow would
  // pass the setting to the controller.
  bool CheckRow(int n, int r, int value, int flags, std::string* refusal) const;

  CMicroController* FindControllerById(int32_t id) const;
  // The first controller with that id on a space of `spaceType` whose
  // SMBus address is `address`.
  CMicroController* FindController(int32_t id, uint32_t spaceType, uint32_t address) const;
  // On the dual-processor boards: connects processor 0's or 1's regulator
  // branch through the board's switch. 0 when there is none or the write
  // failed; nothing written for other processors.
  int SelectProcessorRails(int processor);
  static bool IsDualProcessorBoard(int32_t boardId);

  int32_t BoardId() const { return boardId_; }

  CTList<CMicroController>* controllers;  // owned, in creation order

 private:
  // The code and flags WriteRow hands to the controller, or false with
  // `refusal` set.
  bool CodeForRow(int n, int r, int value, int flags, int* code, int* outFlags, std::string* refusal) const;

  CHardwareMonitorInterface& monitors_;
  int32_t boardId_;
};

// The factory the hardware-monitor interface calls at the end of Init.
CControllerAssembly* CreateBoardControl(CHardwareMonitorInterface& monitors);
