#include "sim/SimWorld.h"

#include "link/LibusbHostLibrary.h"
#include "sim/SimSeams.h"
#include "sim/SimUsbBus.h"

namespace zentra::sim {

std::shared_ptr<SimWorld> SimWorld::FromSpec(const std::string& spec, std::string& error) {
  SimSpec parsed;
  if (!ParseSimSpec(spec, parsed, error)) return nullptr;
  return FromSpec(parsed);
}

std::shared_ptr<SimWorld> SimWorld::FromSpec(const SimSpec& spec) {
  std::shared_ptr<SimWorld> world(new SimWorld());
  for (size_t i = 0; i < spec.interfaces.size(); ++i) {
    InterfaceSpec s = spec.interfaces[i];
    if (s.kind == SimKind::Nano && s.portName.empty()) s.portName = "simnano" + std::to_string(i);
    world->interfaces_.push_back(
        std::make_unique<VirtualInterface>(s, static_cast<int>(i), &world->log_));
    UsbPlug plug;
    plug.accessDenied = s.usbAccessDenied;
    world->usbPlugs_.push_back(plug);
    world->overUsbBus_ = world->overUsbBus_ || s.overUsbBus;
  }
  return world;
}

void SimWorld::SetUsbPlugged(int i, bool plugged) {
  UsbPlug& plug = usbPlug(i);
  if (plug.plugged == plugged) return;
  plug.plugged = plugged;
  if (!plugged) {
    ++plug.generation;
    plug.enabled = false;
    if (interface(i).hostOpen()) interface(i).CloseHost();
  }
}

Platform SimWorld::platform() { return platform(overUsbBus_); }

Platform SimWorld::platform(bool overUsbBus) {
  std::shared_ptr<SimWorld> self = shared_from_this();
  Platform p;
  if (overUsbBus) {
    p.usbBus = std::make_shared<LibusbHostLibrary>(std::make_shared<SimUsbBus>(self));
    p.usb = p.usbBus;
  } else {
    p.usb = std::make_shared<SimUsbHostLibrary>(self);
    p.usbBusMissing = "the simulator serves its USB interfaces without a USB bus (option libusb adds one)";
  }
  p.makeSerialDevice = [self]() -> std::unique_ptr<SerialPortDevice> {
    return std::make_unique<SimSerialPort>(self);
  };
  p.ports = std::make_shared<SimPortEnumerator>(self);
  return p;
}

}  // namespace zentra::sim
