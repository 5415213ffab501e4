#include "sim/SimUsbBus.h"

#include <chrono>
#include <cstdio>

#include "link/LibusbHostLibrary.h"
#include "link/LinkWait.h"

namespace zentra::sim {

namespace {

constexpr uint8_t kEndpointIn = 0x81;
constexpr uint8_t kEndpointOut = 0x01;
constexpr uint16_t kPacketSize = 64;
constexpr uint8_t kStringManufacturer = 1;
constexpr uint8_t kStringProduct = 2;
constexpr uint8_t kStringSerial = 3;
constexpr uint8_t kFirstIrPort = 3;  // ports 1 and 2 carry the other devices
// The interface's enabling request (vendor, host to device): the device's own numbers,
// not the host library's, so a slip on either side shows up in tests.
constexpr uint8_t kVendorOut = 0x40;
constexpr uint8_t kRequestEnable = 0x02;
constexpr uint16_t kValueEnable = 0x0002;
constexpr uint16_t kValueDisable = 0x0004;

// What a device of the bus refers to: an IR interface of the world (index >= 0, as
// plugged in at generation) or one of the other devices (index < 0; only the one of
// vendor 10c4 opens, to show its strings).
struct SimDeviceRef {
  int index = -1;
  int generation = 0;
  bool opens = false;
};
constexpr const char* kOtherFunctionProduct = "other function of the same maker";

uint16_t ProductIdOf(SimKind kind) { return static_cast<uint16_t>(0x8E00 + static_cast<int>(kind)); }

UsbDeviceDesc OtherDevice(uint8_t address, std::vector<uint8_t> ports, uint16_t vendor,
                          uint16_t product, uint8_t deviceClass, UsbInterfaceDesc itf) {
  UsbDeviceDesc d;
  d.bus = 1;
  d.address = address;
  d.ports = std::move(ports);
  d.vendorId = vendor;
  d.productId = product;
  d.deviceClass = deviceClass;
  d.interfaces.push_back(std::move(itf));
  d.ref = std::make_shared<SimDeviceRef>(SimDeviceRef{-1, 0, vendor == kIrInterfaceVendorId});
  if (vendor == kIrInterfaceVendorId) {
    d.iManufacturer = kStringManufacturer;
    d.iProduct = kStringProduct;
  }
  return d;
}

class SimUsbHandle final : public UsbDeviceHandle {
 public:
  SimUsbHandle(std::shared_ptr<SimWorld> world, int index, int generation)
      : world_(std::move(world)), index_(index), generation_(generation) {}
  ~SimUsbHandle() override { ReleaseInterface(0); }

  int ClaimInterface(uint8_t number) override {
    if (Gone()) return kUsbErrorNoDevice;
    if (index_ < 0) return kUsbErrorBusy;  // a kernel driver holds the other device
    if (number != 0) return kUsbErrorNotFound;
    if (claimed_) return kUsbOk;
    if (!world_->interface(index_).OpenHost()) return kUsbErrorBusy;
    claimed_ = true;
    return kUsbOk;
  }
  int ReleaseInterface(uint8_t number) override {
    if (number != 0 || !claimed_) return kUsbErrorNotFound;
    claimed_ = false;
    if (Gone()) return kUsbErrorNoDevice;  // pulling the plug closed it already
    world_->interface(index_).CloseHost();
    return kUsbOk;
  }
  int ControlOut(uint8_t requestType, uint8_t request, uint16_t value, uint16_t index,
                 unsigned) override {
    if (Gone()) return kUsbErrorNoDevice;
    if (index_ < 0) return kUsbErrorPipe;
    SimWorld::UsbPlug& plug = world_->usbPlug(index_);
    char text[24];
    std::snprintf(text, sizeof text, "%02x %02x %04x %04x", requestType, request, value, index);
    plug.controlRequests.push_back(text);
    if (requestType == kVendorOut && request == kRequestEnable) {
      if (value == kValueEnable) plug.enabled = true;
      if (value == kValueDisable) plug.enabled = false;
    }
    return kUsbOk;
  }
  int ClearHalt(uint8_t endpoint) override {
    if (Gone()) return kUsbErrorNoDevice;
    if (index_ < 0) return kUsbErrorPipe;
    return endpoint == kEndpointIn || endpoint == kEndpointOut ? kUsbOk : kUsbErrorNotFound;
  }
  int Bulk(uint8_t endpoint, uint8_t* data, int length, int& transferred,
           unsigned timeoutMs) override {
    transferred = 0;
    if (Gone()) return kUsbErrorNoDevice;
    if (!claimed_) return kUsbErrorIo;
    // A device that was not enabled stalls its endpoints.
    if (!world_->usbPlug(index_).enabled) return kUsbErrorPipe;
    VirtualInterface& v = world_->interface(index_);
    if (endpoint == kEndpointOut) {
      v.HostWrite(data, length);
      transferred = length;
      return kUsbOk;
    }
    if (endpoint != kEndpointIn) return kUsbErrorPipe;
    if (v.Arrived() == 0) {
      const auto deadline = LinkClock::now() + std::chrono::milliseconds(timeoutMs);
      WaitUntil(
          deadline, [&] { return Gone() || v.Arrived() > 0; },
          [&] { return Gone() ? LinkClock::now() : v.NextArrival(); });
      if (Gone()) return kUsbErrorNoDevice;
    }
    transferred = v.HostRead(data, length);
    return transferred > 0 ? kUsbOk : kUsbErrorTimeout;
  }
  int StringDescriptor(uint8_t index, std::string& text) override {
    if (Gone()) return kUsbErrorNoDevice;
    switch (index) {
      case kStringManufacturer: text = "Zentra simulator"; return kUsbOk;
      case kStringProduct:
        text = index_ < 0 ? kOtherFunctionProduct : "simulated USB IR interface";
        return kUsbOk;
      case kStringSerial:
        if (index_ < 0) return kUsbErrorPipe;
        text = world_->interface(index_).productString();
        return kUsbOk;
      default: return kUsbErrorPipe;  // a device stalls a request for a string it lacks
    }
  }

 private:
  bool Gone() const {
    if (index_ < 0) return false;
    const SimWorld::UsbPlug& plug = world_->usbPlug(index_);
    return !plug.plugged || plug.generation != generation_;
  }

  std::shared_ptr<SimWorld> world_;
  int index_;
  int generation_;
  bool claimed_ = false;
};

}  // namespace

int SimUsbBus::List(std::vector<UsbDeviceDesc>& devices) {
  devices.clear();
  UsbInterfaceDesc hub{0, 0, 0x09, 0, 0, {{0x81, 0x03, 2}}};
  UsbInterfaceDesc keyboard{0, 0, 0x03, 1, 1, {{0x81, 0x03, 8}}};
  UsbInterfaceDesc otherFunction{0, 0, 0x03, 0, 0, {{0x81, 0x03, 64}, {0x01, 0x03, 64}}};
  devices.push_back(OtherDevice(1, {}, 0x1D6B, 0x0002, 0x09, hub));
  devices.push_back(OtherDevice(2, {1}, 0x046D, 0xC31C, 0x00, keyboard));
  devices.push_back(OtherDevice(3, {2}, kIrInterfaceVendorId, 0x8E10, 0x00, otherFunction));
  uint8_t port = kFirstIrPort;
  for (int i = 0; i < world_->interfaceCount(); ++i) {
    const VirtualInterface& v = world_->interface(i);
    if (v.kind() == SimKind::Nano) continue;
    const uint8_t place = port++;
    const SimWorld::UsbPlug& plug = world_->usbPlug(i);
    if (!plug.plugged) continue;
    UsbDeviceDesc d;
    d.bus = 1;
    d.address = static_cast<uint8_t>(10 + place + plug.generation);
    d.ports = {place};
    d.vendorId = kIrInterfaceVendorId;
    d.productId = ProductIdOf(v.kind());
    d.bcdDevice = 0x0100;
    d.iManufacturer = kStringManufacturer;
    d.iProduct = kStringProduct;
    d.iSerialNumber = kStringSerial;
    d.interfaces.push_back({0, 0, kUsbClassVendorSpecific, 0, 0,
                            {{kEndpointIn, kUsbTransferBulk, kPacketSize},
                             {kEndpointOut, kUsbTransferBulk, kPacketSize}}});
    d.ref = std::make_shared<SimDeviceRef>(SimDeviceRef{i, plug.generation});
    devices.push_back(std::move(d));
  }
  // A real bus lists its devices in no particular order.
  std::swap(devices.front(), devices.back());
  return kUsbOk;
}

int SimUsbBus::Open(const UsbDeviceDesc& device, std::unique_ptr<UsbDeviceHandle>& handle) {
  handle.reset();
  auto* ref = static_cast<SimDeviceRef*>(device.ref.get());
  if (!ref) return kUsbErrorInvalidParam;
  if (ref->index < 0) {
    if (!ref->opens) return kUsbErrorAccess;  // the hub and keyboard belong to the system
    handle = std::make_unique<SimUsbHandle>(world_, -1, 0);
    return kUsbOk;
  }
  const SimWorld::UsbPlug& plug = world_->usbPlug(ref->index);
  if (!plug.plugged || plug.generation != ref->generation) return kUsbErrorNoDevice;
  if (plug.accessDenied) return kUsbErrorAccess;
  handle = std::make_unique<SimUsbHandle>(world_, ref->index, ref->generation);
  return kUsbOk;
}

}  // namespace zentra::sim
