// What the main window and the register routines need to know about the
// processors, taken from the SDK's processor interface (type key 8) only.
#pragma once

#include <cstdint>
#include <vector>

// Indices of the processors the processor interface lists, in list order.
// Empty while the SDK or its processor interface is absent.
std::vector<int> SdkProcessorIndices();

// Pins the calling process to the first thread of core `core` of processor
// `processor`, so that a model-specific register access reaches that core.
// False when the processor interface does not know that core.
bool BindToProcessorCore(int processor, int core);
