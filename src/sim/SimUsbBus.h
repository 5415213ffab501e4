// The simulated world's USB interfaces (kinds 1 to 3) as devices on a simulated USB bus,
// for the USB host library that drives a bus itself (LibusbHostLibrary): each is a
// device of vendor 0x10C4 with one vendor-specific interface holding bulk endpoints
// 0x81 (IN) and 0x01 (OUT). Bulk OUT bytes go to the interface as the host's writes;
// bulk IN takes its reply bytes as they arrive. The bus also carries devices that
// discovery must pass over: a root hub, a keyboard, and a vendor-0x10C4 device of
// another kind (no vendor-specific interface). How each interface sits on the bus
// (plugged, openable, enabled) is the world's SimWorld::UsbPlug.
#pragma once

#include <memory>

#include "link/UsbBus.h"
#include "sim/SimWorld.h"

namespace zentra::sim {

class SimUsbBus final : public UsbBus {
 public:
  explicit SimUsbBus(std::shared_ptr<SimWorld> world) : world_(std::move(world)) {}

  int List(std::vector<UsbDeviceDesc>& devices) override;
  int Open(const UsbDeviceDesc& device, std::unique_ptr<UsbDeviceHandle>& handle) override;

 private:
  std::shared_ptr<SimWorld> world_;
};

}  // namespace zentra::sim
