#include "sim/SimWorld.h"

#include "sim/SimSeams.h"

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
  }
  return world;
}

Platform SimWorld::platform() {
  std::shared_ptr<SimWorld> self = shared_from_this();
  Platform p;
  p.usb = std::make_shared<SimUsbHostLibrary>(self);
  p.makeSerialDevice = [self]() -> std::unique_ptr<SerialPortDevice> {
    return std::make_unique<SimSerialPort>(self);
  };
  p.ports = std::make_shared<SimPortEnumerator>(self);
  return p;
}

}  // namespace zentra::sim
