// The monitoring chips of the emulated boards and what drives their pins:
// the board's rails, temperatures and fans on the machine's time base.
// Every chip made here is also registered as a register-dump target.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace emu {

class EmulatedMachine;
class SmbusBus;
class FintekHardwareMonitorBlock;
class Nct7802;

namespace boards {

// The vendor groups' Fintek wiring (pins, thermal inputs, fan headers).
enum class FintekWiring { Nb, PchVtt, PchVccio, Vsa, Ioh, DpFirst, DpSecond };

// A Fintek Super I/O (chip id `chipId`) on `configPort` with its monitor
// block at logical device 4's base, pins wired as `wiring`; registered for
// dumps as `dumpName`.
std::shared_ptr<FintekHardwareMonitorBlock> InstallFintekMonitor(EmulatedMachine& m, uint16_t chipId,
                                                                 uint16_t configPort, uint16_t monitorBase,
                                                                 FintekWiring wiring, const std::string& dumpName);
// The monitor block alone, behind a Super I/O already installed.
std::shared_ptr<FintekHardwareMonitorBlock> AttachFintekMonitor(EmulatedMachine& m, uint16_t monitorBase,
                                                                FintekWiring wiring, const std::string& dumpName);
// The IOH group's block (X58 wiring).
std::shared_ptr<FintekHardwareMonitorBlock> AttachIohBoardMonitor(EmulatedMachine& m, uint16_t monitorBase);
// An NCT7802 with the rails of a PCH-VCCIO/VSA board for `address`.
std::shared_ptr<Nct7802> MakeBoardNct7802(EmulatedMachine& m, uint8_t address);
// The same, attached to the common segment of `bus` and registered for
// dumps as "nct7802@0xNN".
std::shared_ptr<Nct7802> AttachBoardNct7802(EmulatedMachine& m, SmbusBus& bus, uint8_t address);

}  // namespace boards
}  // namespace emu
