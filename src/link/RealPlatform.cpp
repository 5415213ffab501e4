#include "link/RealPlatform.h"

#include <cstdlib>

#include "link/LibusbBus.h"
#include "link/LibusbHostLibrary.h"
#include "link/QtSerialPortDevice.h"
#include "link/QtSerialPortEnumerator.h"

namespace zentra {

Platform MakeRealPlatform(const std::string& explicitPort) {
  Platform p;
  if (auto bus = OpenLibusbBus(p.usbBusMissing)) {
    p.usbBus = std::make_shared<LibusbHostLibrary>(std::move(bus));
    p.usb = p.usbBus;
  } else {
    p.usb = std::make_shared<NoUsbHostLibrary>();
  }
  p.makeSerialDevice = [] { return std::make_unique<QtSerialPortDevice>(); };
  p.ports = std::make_shared<QtSerialPortEnumerator>();
  p.explicitPort = explicitPort;
  return p;
}

std::string ResolveExplicitPort(const std::string& commandLinePort) {
  if (!commandLinePort.empty()) return commandLinePort;
  const char* env = std::getenv("ZENTRA_PORT");
  return env != nullptr ? std::string(env) : std::string();
}

}  // namespace zentra
