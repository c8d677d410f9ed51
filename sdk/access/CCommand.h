// A saved piece of controller state that the program changes and puts back
// at exit (a hidden SMBus host made visible, an enable bit set).
#pragma once

class CPCIDevice;

class CCommand {
 public:
  explicit CCommand(CPCIDevice* d = nullptr) : device(d) {}
  virtual ~CCommand() = default;
  virtual int Save() { return 0; }
  virtual int Enable() { return 0; }
  virtual int Restore() { return 0; }

  CPCIDevice* device;  // not owned
};
