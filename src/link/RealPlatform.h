// The platform of a real machine: serial ports through the native backend
// (link/NativeSerialPort.h), USB interfaces
// through libusb-1.0 when it can be loaded (else the USB scan finds none).
#pragma once

#include <string>

#include "link/Platform.h"

namespace zentra {

// explicitPort: a serial interface named by the user (empty: enumerate the ports).
Platform MakeRealPlatform(const std::string& explicitPort);

// The serial interface named by the user: the command line's --port when given, else
// the variable ZENTRA_PORT, else empty.
std::string ResolveExplicitPort(const std::string& commandLinePort);

}  // namespace zentra
