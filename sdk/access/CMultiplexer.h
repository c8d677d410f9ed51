// A switch that splits a board's SMBus into channels so that chips with the
// same address can coexist. Selecting and reading the channel hold the
// machine-wide "Access_MUX" mutex; the transaction that follows does not.
#pragma once

#include <cstdint>

#include "platform/GlobalMutex.h"

class CMultiplexer {
 public:
  CMultiplexer(uint32_t board, void* switchTarget);
  virtual ~CMultiplexer();
  virtual int SelectChannel(uint8_t channel) { return 0; }
  virtual uint8_t GetChannel() { return 0; }
  virtual const char* ClassName() const { return "CMultiplexer"; }

  // Channel numbers above the last select the last channel.
  int Select(uint8_t channel);
  int Restore() { return Select(defaultChannel); }
  void InitDefault();

  uint32_t boardId;
  plat::MutexHandle mutex = nullptr;
  uint8_t defaultChannel = 0;
  uint8_t channelCount = 2;
  void* target;  // CIOSpace* (GPIO window) or CConfigMode*
};
