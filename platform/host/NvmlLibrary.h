// NVIDIA's management library (libnvidia-ml.so.1, installed with the
// proprietary driver), loaded at run time. Only the entry points named in
// NvmlLibrary.cpp are used; their prototypes follow NVML's published API.
#pragma once

#include <memory>
#include <string>

#include "platform/GraphicsDevices.h"

namespace plat {

// Null when the library is missing, lacks an entry point or nvmlInit fails.
std::unique_ptr<GpuManagementLibrary> LoadNvml(const std::string& libraryName = "libnvidia-ml.so.1");

}  // namespace plat
