// A scripted USB bus for the host library that drives the bus itself: devices with
// hand-made descriptors, a log of every call that reaches a device, bulk IN transfers
// played from a script, and faults (refused opens, busy interfaces, unplugging).
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "link/UsbBus.h"

namespace zentra::fakes {

struct FakeBusDevice {
  UsbDeviceDesc desc;
  std::vector<std::string> strings;  // string descriptor i + 1 at [i]
  int openResult = kUsbOk;
  int claimResult = kUsbOk;
  int controlResult = kUsbOk;
  bool plugged = true;
  // IN transfers in order: each entry is what one transfer returns (empty: nothing
  // within the timeout). An entry may end with the device unplugged.
  struct InTransfer {
    std::vector<uint8_t> bytes;
    int result = kUsbOk;  // kUsbErrorNoDevice: the plug is pulled during this transfer
  };
  std::deque<InTransfer> in;
  int outPerTransfer = 0;  // bytes an OUT transfer takes; 0: all
  std::vector<uint8_t> written;
  std::vector<std::string> calls;  // "open", "claim 0", "control 40 02 0002", ...
  int openHandles = 0;
};

class FakeUsbBus : public UsbBus {
 public:
  std::vector<std::shared_ptr<FakeBusDevice>> devices;
  int listResult = kUsbOk;

  // A device of vendor vid with one interface of the given class and endpoints
  // (address, attributes) at place port of bus 1.
  std::shared_ptr<FakeBusDevice> Add(uint16_t vid, uint8_t port, uint8_t interfaceClass,
                                     std::vector<UsbEndpointDesc> endpoints,
                                     std::vector<std::string> strings = {}) {
    auto d = std::make_shared<FakeBusDevice>();
    d->desc.bus = 1;
    d->desc.address = static_cast<uint8_t>(port + 1);
    d->desc.ports = {port};
    d->desc.vendorId = vid;
    d->desc.productId = 0x8E01;
    d->desc.iManufacturer = strings.size() > 0 ? 1 : 0;
    d->desc.iProduct = strings.size() > 1 ? 2 : 0;
    d->desc.iSerialNumber = strings.size() > 2 ? 3 : 0;
    d->desc.interfaces.push_back({0, 0, interfaceClass, 0, 0, std::move(endpoints)});
    d->strings = std::move(strings);
    devices.push_back(d);
    return d;
  }
  // An IR interface: vendor 10c4, vendor class, bulk 0x81 / 0x02.
  std::shared_ptr<FakeBusDevice> AddIr(uint8_t port, const std::string& serial) {
    return Add(0x10C4, port, kUsbClassVendorSpecific, {{0x81, 2, 64}, {0x02, 2, 64}},
               {"maker", "product", serial});
  }

  int List(std::vector<UsbDeviceDesc>& out) override {
    out.clear();
    if (listResult != kUsbOk) return listResult;
    // Listed in reverse, as a bus lists in no particular order.
    for (auto it = devices.rbegin(); it != devices.rend(); ++it) {
      if (!(*it)->plugged) continue;
      UsbDeviceDesc d = (*it)->desc;
      d.ref = *it;
      out.push_back(d);
    }
    return kUsbOk;
  }

  int Open(const UsbDeviceDesc& desc, std::unique_ptr<UsbDeviceHandle>& handle) override {
    auto device = std::static_pointer_cast<FakeBusDevice>(desc.ref);
    if (!device->plugged) return kUsbErrorNoDevice;
    if (device->openResult != kUsbOk) return device->openResult;
    device->calls.push_back("open");
    ++device->openHandles;
    handle = std::make_unique<Handle>(device);
    return kUsbOk;
  }

 private:
  class Handle : public UsbDeviceHandle {
   public:
    explicit Handle(std::shared_ptr<FakeBusDevice> d) : d_(std::move(d)) {}
    ~Handle() override {
      d_->calls.push_back("close");
      --d_->openHandles;
    }
    int ClaimInterface(uint8_t n) override {
      return Log("claim " + std::to_string(n), d_->claimResult);
    }
    int ReleaseInterface(uint8_t n) override { return Log("release " + std::to_string(n), kUsbOk); }
    int ControlOut(uint8_t type, uint8_t request, uint16_t value, uint16_t, unsigned) override {
      char text[32];
      std::snprintf(text, sizeof text, "control %02x %02x %04x", type, request, value);
      return Log(text, d_->controlResult);
    }
    int ClearHalt(uint8_t ep) override {
      char text[16];
      std::snprintf(text, sizeof text, "clear %02x", ep);
      return Log(text, kUsbOk);
    }
    int Bulk(uint8_t ep, uint8_t* data, int length, int& transferred, unsigned timeoutMs) override {
      transferred = 0;
      if (!d_->plugged) return kUsbErrorNoDevice;
      if (!(ep & kUsbEndpointIn)) {
        const int take = d_->outPerTransfer > 0 ? std::min(length, d_->outPerTransfer) : length;
        d_->written.insert(d_->written.end(), data, data + take);
        transferred = take;
        return kUsbOk;
      }
      if (d_->in.empty() || d_->in.front().bytes.empty()) {
        const bool scripted = !d_->in.empty();
        const int result = scripted ? d_->in.front().result : kUsbErrorTimeout;
        if (scripted) d_->in.pop_front();
        if (result == kUsbErrorNoDevice) d_->plugged = false;
        if (result == kUsbOk || result == kUsbErrorTimeout) {
          std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
          return kUsbErrorTimeout;
        }
        return result;
      }
      FakeBusDevice::InTransfer& next = d_->in.front();
      const int n = std::min<int>(length, static_cast<int>(next.bytes.size()));
      std::copy(next.bytes.begin(), next.bytes.begin() + n, data);
      transferred = n;
      next.bytes.erase(next.bytes.begin(), next.bytes.begin() + n);
      const int result = next.bytes.empty() ? next.result : kUsbOk;
      if (next.bytes.empty()) d_->in.pop_front();
      if (result == kUsbErrorNoDevice) d_->plugged = false;
      return result;
    }
    int StringDescriptor(uint8_t index, std::string& text) override {
      if (!d_->plugged) return kUsbErrorNoDevice;
      if (index == 0 || index > d_->strings.size()) return kUsbErrorPipe;
      text = d_->strings[index - 1];
      return kUsbOk;
    }

   private:
    int Log(const std::string& call, int result) {
      d_->calls.push_back(call);
      return d_->plugged ? result : kUsbErrorNoDevice;
    }
    std::shared_ptr<FakeBusDevice> d_;
  };
};

}  // namespace zentra::fakes
