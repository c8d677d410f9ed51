#include "sdk/access/Intel_LPC_ThermalControllerStatus.h"
