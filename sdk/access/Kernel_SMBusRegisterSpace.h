// An SMBus host that the operating system's own driver runs: every
// transaction is handed to the kernel's adapter whole, and the host's
// registers are never touched.
#pragma once

#include <memory>

#include "platform/SmbusAdapter.h"
#include "sdk/access/CSMBusRegisterSpace.h"

class Kernel_SMBusRegisterSpace : public CSMBusRegisterSpace {
 public:
  Kernel_SMBusRegisterSpace(std::shared_ptr<plat::SmbusAdapter> adapter, uint32_t controller)
      : CSMBusRegisterSpace(nullptr, controller, 0), adapter_(std::move(adapter)) {}

  const char* ClassName() const override { return "Kernel_SMBusRegisterSpace"; }

  const plat::SmbusAdapter& Adapter() const { return *adapter_; }

 protected:
  bool Transfer(SMBusTransfer& t) override;

 private:
  std::shared_ptr<plat::SmbusAdapter> adapter_;
};
