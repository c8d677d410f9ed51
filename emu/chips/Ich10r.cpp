#include "emu/chips/Ich10r.h"

#include "emu/EmulatedMachine.h"
#include "emu/chips/AcpiPmBlock.h"
#include "emu/chips/Ich10rGpio.h"
#include "emu/chips/Ich10rRootComplex.h"
#include "emu/chips/IntelSmbusFunction.h"
#include "emu/chips/IntelSmbusHost.h"

namespace emu {

Ich10rSouthBridge AddIch10rSouthBridge(EmulatedMachine& m, const Ich10rOptions& o) {
  Ich10rSouthBridge sb;
  auto& lpc = m.AddPciFunction(std::make_unique<PciFunction>(0, 0x1F, 0, 0x8086, o.lpcDeviceId, 0x06010000, 0x80));
  lpc.SetSubsystem(o.subsystemVendor, o.subsystemDevice);
  lpc.Set32(0x40, o.pmBase | 1u);  // PMBASE
  lpc.Set8(0x44, 0x80);            // ACPI_CNTL: ACPI enable
  lpc.Set32(0x48, o.gpioBase | 1u);  // GPIOBASE
  lpc.SetWritable(0x48, 4, 0x00);
  lpc.Set8(0x4C, 0x10);  // GPIO_CNTL: GPIO enable
  lpc.SetWritable(0x4C, 1, 0x10);
  lpc.Set32(0xF0, (o.rcba & ~0x3FFFu) | 1u);  // RCBA
  lpc.SetWritable(0xF0, 1, 0x01);
  lpc.SetWritable(0xF1, 3, 0x00);
  sb.lpc = &lpc;

  auto function = std::make_unique<IntelSmbusFunction>(m.Time(), o.smbusDeviceId, o.smbusBase);
  function->SetSubsystem(o.subsystemVendor, o.subsystemDevice);
  sb.smbusFunction = function.get();
  m.AddPciFunction(std::move(function));

  sb.smbus = std::make_shared<SmbusBus>();
  sb.smbusHost = std::make_shared<IntelSmbusHost>(m, sb.smbus, sb.smbusFunction, o.smbusBase);
  m.AddPortDevice(o.smbusBase, IntelSmbusHost::kSize, sb.smbusHost);

  sb.gpio = std::make_shared<Ich10rGpio>(lpc, o.gpioBase);
  for (int bank = 0; bank < 3; ++bank) sb.gpio->SetBank(bank, o.gpio[bank].useSel, o.gpio[bank].ioSel, o.gpio[bank].level);
  m.AddPortDevice(o.gpioBase, Ich10rGpio::kSize, sb.gpio);
  if (o.mux) {
    auto gpio = sb.gpio;
    const SmbusGpioMux mux = *o.mux;
    sb.smbus->SetSegmentSelector([gpio, mux] {
      return mux.segment[(gpio->PinLevel(mux.pinHigh) ? 2 : 0) | (gpio->PinLevel(mux.pinLow) ? 1 : 0)];
    });
  }

  sb.rootComplex = std::make_shared<Ich10rRootComplex>(
      lpc, sb.smbusFunction, o.smbusHidden ? Ich10rRootComplex::kFdSmbusDisable : 0u);
  m.AddMmio(o.rcba & ~0x3FFFu, Ich10rRootComplex::kSize, sb.rootComplex);

  m.AddPortDevice(o.pmBase, AcpiPmBlock::kSize, std::make_shared<AcpiPmBlock>(m.Time()));
  return sb;
}

}  // namespace emu
