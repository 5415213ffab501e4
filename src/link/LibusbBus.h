// The USB bus of this host through libusb-1.0, loaded at run time: the programs start
// and run where the library is missing, and then simply list no USB IR interfaces.
#pragma once

#include <memory>
#include <string>

#include "link/UsbBus.h"

namespace zentra {

// The bus, or null with why set (the library is missing, the host has no USB, or the
// program was built without the library's header).
std::shared_ptr<UsbBus> OpenLibusbBus(std::string& why);

}  // namespace zentra
