// What the controller-state commands share: the 10 ms a function needs to
// reappear and the PCI rescan that records it.
#pragma once

void SettleAndRescan();
