#include "link/UsbDiagnostics.h"

#include <algorithm>
#include <cstdio>

#include "link/IrLink.h"

namespace zentra {

namespace {

std::string Format(const char* format, unsigned a, unsigned b = 0, unsigned c = 0) {
  char text[96];
  std::snprintf(text, sizeof text, format, a, b, c);
  return text;
}

std::string DeviceName(const UsbDeviceDesc& d) {
  return "USB device " + Format("%04x:%04x", d.vendorId, d.productId) + " at " + d.Location();
}

const char* TransferTypeName(uint8_t attributes) {
  static const char* const kNames[] = {"control", "isochronous", "bulk", "interrupt"};
  return kNames[attributes & kUsbTransferTypeMask];
}

std::string KindText(uint8_t kind) {
  switch (kind) {
    case kKindDgl700: return "names dgl700: listed as kind 2 (dgl700) if it opens";
    case kKindZrv510: return "names zrv510: listed as kind 1 (ZRV510) if it opens";
    default: return "names neither: listed as kind 3 if it answers the probe message";
  }
}

void DescribeStrings(UsbBus& bus, const UsbDeviceDesc& d, std::string& out) {
  std::unique_ptr<UsbDeviceHandle> handle;
  const int opened = bus.Open(d, handle);
  if (opened != kUsbOk || !handle) {
    LibusbHostLibrary::OpenProblem problem{d, opened != kUsbOk ? opened : kUsbErrorOther};
    out += "  open: " + UsbOpenProblemText(problem) + "\n";
    return;
  }
  out += "  open: ok\n";
  struct Row {
    const char* name;
    uint8_t index;
  };
  const Row rows[] = {{"serial number (option 0)", d.iSerialNumber},
                      {"product (option 1)", d.iProduct},
                      {"manufacturer (option 2)", d.iManufacturer}};
  for (const Row& row : rows) {
    out += std::string("  string ") + row.name;
    if (row.index == 0) {
      out += ": none\n";
      continue;
    }
    std::string text;
    const int result = handle->StringDescriptor(row.index, text);
    out += Format(", index %u: ", row.index) +
           (result == kUsbOk ? "\"" + text + "\"" : std::string(UsbResultText(result))) + "\n";
    if (&row == &rows[0] && result == kUsbOk)
      out += "    discovery: " + KindText(KindNamedByProductString(text)) + "\n";
  }
}

}  // namespace

std::string UsbOpenProblemText(const LibusbHostLibrary::OpenProblem& problem) {
  std::string text = DeviceName(problem.device) + " cannot be opened: " +
                     UsbResultText(problem.result);
  if (problem.result == kUsbErrorAccess)
    text += std::string(": install the udev rule ") + kUdevRuleFile +
            " (see README, \"USB IR interfaces on Linux\")";
  return text;
}

std::vector<std::string> UsbOpenProblemTexts(const Platform& platform) {
  std::vector<std::string> texts;
  if (platform.usbBus)
    for (const auto& problem : platform.usbBus->openProblems())
      texts.push_back(UsbOpenProblemText(problem));
  return texts;
}

std::string UsbDebugReport(UsbBus& bus) {
  std::vector<UsbDeviceDesc> devices;
  const int listed = bus.List(devices);
  if (listed != kUsbOk) return std::string("USB bus could not be listed: ") + UsbResultText(listed) + "\n";
  // In the order discovery numbers the IR interfaces: by place on the bus.
  std::stable_sort(devices.begin(), devices.end(), BeforeOnBus);
  std::string out;
  int shown = 0;
  int irNumber = 0;
  for (const UsbDeviceDesc& d : devices) {
    if (d.vendorId != kIrInterfaceVendorId) continue;
    ++shown;
    out += DeviceName(d) + Format(" (bus %u address %u)", d.bus, d.address) +
           Format(": bcdDevice %x.%02x, device class 0x%02x\n", d.bcdDevice >> 8,
                  d.bcdDevice & 0xFF, d.deviceClass);
    if (d.configResult != kUsbOk)
      out += std::string("  configuration: ") + UsbResultText(d.configResult) + "\n";
    for (const UsbInterfaceDesc& itf : d.interfaces) {
      out += Format("  interface %u alt %u: ", itf.number, itf.alternate) +
             Format("class 0x%02x subclass 0x%02x protocol 0x%02x\n", itf.interfaceClass,
                    itf.subClass, itf.protocol);
      for (const UsbEndpointDesc& ep : itf.endpoints)
        out += Format("    endpoint 0x%02x ", ep.address) + TransferTypeName(ep.attributes) +
               (ep.isIn() ? " IN" : " OUT") + Format(", %u bytes\n", ep.maxPacketSize);
    }
    IrUsbInterface ir;
    if (FindIrUsbInterface(d, ir))
      out += Format("  IR interface: USB device number %u", irNumber++) +
             Format(", interface %u, bulk IN 0x%02x, bulk OUT 0x%02x\n", ir.interfaceNumber,
                    ir.endpointIn, ir.endpointOut);
    else
      out += "  not an IR interface: no vendor-specific interface with bulk IN and OUT\n";
    DescribeStrings(bus, d, out);
  }
  if (shown == 0)
    out += "No USB device of vendor 10c4 (" + std::to_string(devices.size()) +
           " devices on the bus)\n";
  return out;
}

}  // namespace zentra
