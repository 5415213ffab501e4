#include "link/RealPlatform.h"

#include <cstdlib>

#include "link/LibusbBus.h"
#include "link/LibusbHostLibrary.h"
#include "link/NativeSerialPort.h"

namespace zentra {

Platform MakeRealPlatform(const std::string& explicitPort) {
  Platform p;
  if (auto bus = OpenLibusbBus(p.usbBusMissing)) {
    p.usbBus = std::make_shared<LibusbHostLibrary>(std::move(bus));
    p.usb = p.usbBus;
  } else {
    p.usb = std::make_shared<NoUsbHostLibrary>();
  }
  p.makeSerialDevice = [] { return MakeNativeSerialPort(); };
  p.ports = MakeNativePortEnumerator();
  p.explicitPort = explicitPort;
  return p;
}

std::string ResolveExplicitPort(const std::string& commandLinePort) {
  if (!commandLinePort.empty()) return commandLinePort;
  const char* env = std::getenv("ZENTRA_PORT");
  return env != nullptr ? std::string(env) : std::string();
}

std::string FriendlyPortName(const std::string& description, const std::string& portName) {
  // A port without a description still shows its name in parentheses, so the name can
  // be found the same way in every entry.
  if (description.empty()) return "(" + portName + ")";
  return description + " (" + portName + ")";
}

}  // namespace zentra
