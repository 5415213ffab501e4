// What a user with a USB IR interface can report: every device of vendor 0x10C4 on the
// bus with its descriptors, endpoints and the strings discovery uses, and why an
// interface that is present could not be opened.
#pragma once

#include <string>

#include <vector>

#include "link/LibusbHostLibrary.h"
#include "link/Platform.h"

namespace zentra {

inline constexpr const char* kUdevRuleFile = "60-zentra-ir.rules";

// "USB device 10c4:8e01 at 1-3 cannot be opened: permission denied: install the udev
// rule ..." (the hint only where permission was missing).
std::string UsbOpenProblemText(const LibusbHostLibrary::OpenProblem& problem);

// One text as above for each USB interface the last interface search found but could
// not open; empty without a USB bus.
std::vector<std::string> UsbOpenProblemTexts(const Platform& platform);

// A text report, several lines per vendor-0x10C4 device; the bus is listed afresh and
// each such device opened for its strings (nothing is claimed).
std::string UsbDebugReport(UsbBus& bus);

}  // namespace zentra
