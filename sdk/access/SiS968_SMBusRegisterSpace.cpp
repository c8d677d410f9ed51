#include "sdk/access/SiS968_SMBusRegisterSpace.h"
