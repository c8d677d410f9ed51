#include "sdk/access/NS_LPCIO_ConfigMode.h"

int NS_LPCIO_ConfigMode::EnterConfigMode() { return 1; }

void NS_LPCIO_ConfigMode::ExitConfigMode() {}
