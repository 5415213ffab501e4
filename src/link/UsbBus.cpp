#include "link/UsbBus.h"

#include <tuple>

namespace zentra {

const char* UsbResultText(int result) {
  switch (result) {
    case kUsbOk: return "ok";
    case kUsbErrorIo: return "input/output error";
    case kUsbErrorInvalidParam: return "invalid parameter";
    case kUsbErrorAccess: return "permission denied";
    case kUsbErrorNoDevice: return "device unplugged";
    case kUsbErrorNotFound: return "not found";
    case kUsbErrorBusy: return "in use by another program";
    case kUsbErrorTimeout: return "timeout";
    case kUsbErrorOverflow: return "overflow";
    case kUsbErrorPipe: return "endpoint stalled";
    case kUsbErrorInterrupted: return "interrupted";
    case kUsbErrorNoMem: return "out of memory";
    case kUsbErrorNotSupported: return "not supported";
    default: return "error";
  }
}

bool BeforeOnBus(const UsbDeviceDesc& a, const UsbDeviceDesc& b) {
  return std::tie(a.bus, a.ports, a.address) < std::tie(b.bus, b.ports, b.address);
}

std::string UsbDeviceDesc::Location() const {
  if (ports.empty())
    return "bus " + std::to_string(bus) + " address " + std::to_string(address);
  std::string text = std::to_string(bus) + "-";
  for (size_t i = 0; i < ports.size(); ++i)
    text += (i ? "." : "") + std::to_string(ports[i]);
  return text;
}

}  // namespace zentra
