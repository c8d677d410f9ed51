// Block transfers through a host's 32-byte block buffer (VIA VT82xx and
// the ATI/AMD south bridges): the whole block moves through register 7
// before the start (write) or after the end (read) of one transaction.
// Registers as on the Intel host: status 0, control 2, command 3, address
// 4, data 0 at 5, block data 7.
#pragma once

#include <cstdint>

class CIOSpace;

int BufferedBlockRead(CIOSpace* io, int polls, uint8_t slave, uint8_t command, uint8_t* buffer);
int BufferedBlockWrite(CIOSpace* io, int polls, uint8_t slave, uint8_t command, const uint8_t* buffer, int count);
