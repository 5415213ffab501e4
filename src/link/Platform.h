// The platform seams one link works over: the USB host library, the serial port maker
// and the port enumeration, plus an explicit serial port chosen by the user. Programs
// get a Platform either for real hardware or for the simulator (sim/PlatformSelect.h).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "link/SerialPortDevice.h"
#include "link/UsbHostLibrary.h"

namespace zentra {

class LibusbHostLibrary;

struct Platform {
  std::shared_ptr<UsbHostLibrary> usb;
  std::function<std::unique_ptr<SerialPortDevice>()> makeSerialDevice;
  std::shared_ptr<SerialPortEnumerator> ports;
  // A serial interface named by the user (--port PATH or ZENTRA_PORT): taken as the
  // DGLnano without enumeration. Empty: enumerate.
  std::string explicitPort;
  // The same object as usb when the USB interfaces are served over a USB bus (libusb
  // or its simulation), for diagnostics and transfer logs; null otherwise, with the
  // reason in usbBusMissing.
  std::shared_ptr<LibusbHostLibrary> usbBus;
  std::string usbBusMissing;
};

}  // namespace zentra
