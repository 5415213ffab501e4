#include "link/LibusbHostLibrary.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "link/LinkWait.h"

namespace zentra {

namespace {
// Vendor requests of the interface (host to device, vendor, device recipient).
constexpr uint8_t kVendorOut = 0x40;
constexpr uint8_t kRequestOpenFirst = 0x00;
constexpr uint16_t kValueOpenFirst = 0xFFFF;
constexpr uint8_t kRequestEnable = 0x02;
constexpr uint16_t kValueEnable = 0x0002;
constexpr uint16_t kValueDisable = 0x0004;

// A blocking bus call lasts at most this long, so events run between the slices of a
// longer wait.
constexpr unsigned kWaitSliceMs = 10;
// Once bytes have come, this much silence on the IN endpoint ends the device's reply.
constexpr unsigned kReplyQuietMs = 20;
// Flushing reads what the device still holds, in a few short rounds.
constexpr int kFlushRounds = 8;
constexpr unsigned kFlushWaitMs = 1;
// A bulk IN transfer asks for whole packets, so a device packet never overflows it.
constexpr int kPacketsPerRead = 8;

using Clock = LinkClock;

unsigned MsUntil(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<unsigned>(left.count()) : 0;
}

std::string Hex8(uint8_t v) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02x", v);
  return text;
}

// Failures that mean the device is no longer there.
bool DeviceLost(int result) { return result == kUsbErrorNoDevice; }

}  // namespace

bool FindIrUsbInterface(const UsbDeviceDesc& device, IrUsbInterface& found) {
  if (device.vendorId != kIrInterfaceVendorId) return false;
  for (const UsbInterfaceDesc& itf : device.interfaces) {
    if (itf.alternate != 0 || itf.interfaceClass != kUsbClassVendorSpecific) continue;
    const UsbEndpointDesc* in = nullptr;
    const UsbEndpointDesc* out = nullptr;
    for (const UsbEndpointDesc& ep : itf.endpoints) {
      if (!ep.isBulk()) continue;
      if (ep.isIn() && !in) in = &ep;
      if (!ep.isIn() && !out) out = &ep;
    }
    if (!in || !out) continue;
    found.interfaceNumber = itf.number;
    found.endpointIn = in->address;
    found.endpointOut = out->address;
    found.inPacketSize = in->maxPacketSize > 0 ? in->maxPacketSize : 64;
    return true;
  }
  return false;
}

LibusbHostLibrary::LibusbHostLibrary(std::shared_ptr<UsbBus> bus) : bus_(std::move(bus)) {}

LibusbHostLibrary::~LibusbHostLibrary() {
  onTransfer = nullptr;  // whoever logs may be gone already
  while (!open_.empty()) SI_Close(open_.begin()->first);
}

std::shared_ptr<LibusbHostLibrary::OpenDevice> LibusbHostLibrary::ByHandle(SiHandle handle) const {
  const auto it = open_.find(handle);
  return it == open_.end() ? nullptr : it->second;
}

void LibusbHostLibrary::Trace(const Found& found, const std::string& what, const uint8_t* data,
                              int count) const {
  if (onTransfer) onTransfer("usb " + found.device.Location() + " " + what, data, count);
}

void LibusbHostLibrary::NoteProblem(const UsbDeviceDesc& device, int result) {
  for (OpenProblem& p : problems_) {
    if (p.device.Location() == device.Location()) {
      p.result = result;
      return;
    }
  }
  problems_.push_back({device, result});
}

void LibusbHostLibrary::NoteFailure(OpenDevice& dev, int result) {
  if (DeviceLost(result)) dev.gone = true;
  if (result == kUsbErrorPipe) dev.stalled = true;
}

SiStatus LibusbHostLibrary::SI_GetNumDevices(uint32_t& numDevices) {
  numDevices = 0;
  found_.clear();
  problems_.clear();
  std::vector<UsbDeviceDesc> devices;
  if (bus_->List(devices) != kUsbOk) return SI_SYSTEM_ERROR;
  for (UsbDeviceDesc& d : devices) {
    IrUsbInterface ir;
    if (FindIrUsbInterface(d, ir)) found_.push_back({std::move(d), ir});
  }
  // Numbered by place on the bus, so an unchanged bus numbers its interfaces the same
  // way every time (the bus lists devices in no particular order).
  std::stable_sort(found_.begin(), found_.end(),
                   [](const Found& a, const Found& b) { return BeforeOnBus(a.device, b.device); });
  numDevices = static_cast<uint32_t>(found_.size());
  return SI_SUCCESS;
}

SiStatus LibusbHostLibrary::SI_GetProductString(uint32_t deviceNum, char* buffer,
                                                uint32_t options) {
  if (buffer == nullptr) return SI_INVALID_PARAMETER;
  buffer[0] = 0;
  if (deviceNum >= found_.size()) return SI_DEVICE_NOT_FOUND;
  const Found& found = found_[deviceNum];
  uint8_t index = 0;
  switch (options) {
    case 0: index = found.device.iSerialNumber; break;
    case 1: index = found.device.iProduct; break;
    case 2: index = found.device.iManufacturer; break;
    default: return SI_INVALID_PARAMETER;
  }
  if (index == 0) return SI_DEVICE_NOT_FOUND;  // the device has no such string

  // An interface already open here answers through its own handle.
  UsbDeviceHandle* handle = nullptr;
  for (const auto& [h, dev] : open_)
    if (dev->found.device.ref == found.device.ref && !dev->gone) handle = dev->handle.get();
  std::unique_ptr<UsbDeviceHandle> own;
  if (!handle) {
    const int opened = bus_->Open(found.device, own);
    if (opened != kUsbOk || !own) {
      NoteProblem(found.device, opened != kUsbOk ? opened : kUsbErrorOther);
      return SI_DEVICE_NOT_FOUND;
    }
    handle = own.get();
  }
  std::string text;
  const int result = handle->StringDescriptor(index, text);
  Trace(found, "string " + std::to_string(index) + ": " +
                   (result == kUsbOk ? "\"" + text + "\"" : UsbResultText(result)));
  if (result != kUsbOk) return SI_DEVICE_NOT_FOUND;
  const size_t n = std::min<size_t>(text.size(), kProductStringSize - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = 0;
  return SI_SUCCESS;
}

SiStatus LibusbHostLibrary::SI_Open(uint32_t deviceNum, SiHandle& handle) {
  handle = 0;
  if (deviceNum >= found_.size()) return SI_DEVICE_NOT_FOUND;
  auto dev = std::make_shared<OpenDevice>();
  dev->found = found_[deviceNum];
  const Found& f = dev->found;

  int result = bus_->Open(f.device, dev->handle);
  if (result == kUsbOk && !dev->handle) result = kUsbErrorOther;
  if (result != kUsbOk) {
    Trace(f, std::string("open: ") + UsbResultText(result));
    NoteProblem(f.device, result);
    return SI_DEVICE_NOT_FOUND;
  }
  UsbDeviceHandle& h = *dev->handle;
  bool claimed = false;
  auto step = [&](const std::string& what, int r) {
    Trace(f, what + ": " + UsbResultText(r));
    if (r != kUsbOk) result = r;
    return r == kUsbOk;
  };
  const unsigned controlMs = writeTimeoutMs_;
  const bool ok =
      (claimed = step("claim interface " + std::to_string(f.ir.interfaceNumber),
                      h.ClaimInterface(f.ir.interfaceNumber))) &&
      step("control 40 00 ffff",
           h.ControlOut(kVendorOut, kRequestOpenFirst, kValueOpenFirst, 0, controlMs)) &&
      step("control 40 02 0002 (enable)",
           h.ControlOut(kVendorOut, kRequestEnable, kValueEnable, 0, controlMs)) &&
      step("clear halt " + Hex8(f.ir.endpointIn), h.ClearHalt(f.ir.endpointIn)) &&
      step("clear halt " + Hex8(f.ir.endpointOut), h.ClearHalt(f.ir.endpointOut));
  if (!ok) {
    if (claimed) h.ReleaseInterface(f.ir.interfaceNumber);
    NoteProblem(f.device, result);
    return SI_DEVICE_NOT_FOUND;
  }
  handle = nextHandle_++;
  if (nextHandle_ == 0 || nextHandle_ == kInvalidSiHandle) nextHandle_ = 1;
  open_[handle] = std::move(dev);
  return SI_SUCCESS;
}

SiStatus LibusbHostLibrary::SI_Close(SiHandle handle) {
  const auto it = open_.find(handle);
  if (it == open_.end()) return SI_INVALID_HANDLE;
  std::shared_ptr<OpenDevice> dev = it->second;
  open_.erase(it);
  const Found& f = dev->found;
  if (!dev->gone) {
    const int r = dev->handle->ControlOut(kVendorOut, kRequestEnable, kValueDisable, 0,
                                          writeTimeoutMs_);
    Trace(f, std::string("control 40 02 0004 (disable): ") + UsbResultText(r));
  }
  dev->handle->ReleaseInterface(f.ir.interfaceNumber);
  dev->handle.reset();  // closes the device
  return SI_SUCCESS;
}

int LibusbHostLibrary::ReceiveSome(OpenDevice& dev, unsigned waitMs) {
  const int size = std::max<int>(dev.found.ir.inPacketSize, 1) * kPacketsPerRead;
  std::vector<uint8_t> chunk(static_cast<size_t>(size));
  int got = 0;
  const int result = dev.handle->Bulk(dev.found.ir.endpointIn, chunk.data(), size, got, waitMs);
  got = std::clamp(got, 0, size);
  if (got > 0) {
    dev.received.insert(dev.received.end(), chunk.begin(), chunk.begin() + got);
    Trace(dev.found, "bulk in " + Hex8(dev.found.ir.endpointIn) + ": " + std::to_string(got) +
                         " bytes", chunk.data(), got);
  }
  if (result != kUsbOk && result != kUsbErrorTimeout) {
    Trace(dev.found, "bulk in " + Hex8(dev.found.ir.endpointIn) + ": " + UsbResultText(result));
    NoteFailure(dev, result);
  }
  return result;
}

SiStatus LibusbHostLibrary::SI_Read(SiHandle handle, uint8_t* buffer, uint32_t bytesToRead,
                                    uint32_t& bytesReturned) {
  bytesReturned = 0;
  std::shared_ptr<OpenDevice> dev = ByHandle(handle);
  if (!dev) return SI_INVALID_HANDLE;
  if (buffer == nullptr) return SI_INVALID_PARAMETER;
  if (dev->gone) return SI_READ_ERROR;
  const auto deadline = Clock::now() + std::chrono::milliseconds(readTimeoutMs_);
  // How long the IN endpoint has been listened to in vain since bytes last came: the
  // time bulk transfers stood open without data, so a busy host that is late to ask
  // again never mistakes its own delay for a quiet device.
  unsigned silentMs = 0;
  uint32_t got = 0;
  while (true) {
    const uint32_t take =
        std::min<uint32_t>(bytesToRead - got, static_cast<uint32_t>(dev->received.size()));
    if (take > 0) {
      std::memcpy(buffer + got, dev->received.data(), take);
      dev->received.erase(dev->received.begin(), dev->received.begin() + take);
      got += take;
      silentMs = 0;
    }
    bytesReturned = got;
    if (got == bytesToRead) return SI_SUCCESS;
    if (dev->gone) return SI_READ_ERROR;
    if (got > 0 && silentMs >= kReplyQuietMs) break;  // the device has finished its reply
    if (Clock::now() >= deadline) break;
    unsigned wait = std::min(MsUntil(deadline), kWaitSliceMs);
    if (got > 0) wait = std::min(wait, kReplyQuietMs - silentMs);
    wait = std::max(wait, 1u);
    const size_t before = dev->received.size();
    const int result = ReceiveSome(*dev, wait);
    if (result != kUsbOk && result != kUsbErrorTimeout) {
      // What did come stays buffered for a later read (a flush drops it).
      return SI_READ_ERROR;
    }
    if (dev->received.size() == before) {
      silentMs += wait;
      PumpEvents();
    }
    if (ByHandle(handle) != dev) return SI_INVALID_HANDLE;  // closed while waiting
  }
  if (got == 0) {
    Trace(dev->found, "read of " + std::to_string(bytesToRead) + " bytes: timed out after " +
                          std::to_string(readTimeoutMs_) + " ms");
    return SI_READ_TIMED_OUT;
  }
  return SI_SUCCESS;
}

SiStatus LibusbHostLibrary::SI_Write(SiHandle handle, const uint8_t* buffer,
                                     uint32_t bytesToWrite, uint32_t& bytesWritten) {
  bytesWritten = 0;
  std::shared_ptr<OpenDevice> dev = ByHandle(handle);
  if (!dev) return SI_INVALID_HANDLE;
  if (buffer == nullptr) return SI_INVALID_PARAMETER;
  if (dev->gone) return SI_WRITE_ERROR;
  const uint8_t ep = dev->found.ir.endpointOut;
  const auto deadline = Clock::now() + std::chrono::milliseconds(writeTimeoutMs_);
  std::vector<uint8_t> data(buffer, buffer + bytesToWrite);
  while (bytesWritten < bytesToWrite) {
    const unsigned wait = std::max(std::min(MsUntil(deadline), kWaitSliceMs), 1u);
    int moved = 0;
    const int result = dev->handle->Bulk(ep, data.data() + bytesWritten,
                                         static_cast<int>(bytesToWrite - bytesWritten), moved,
                                         wait);
    moved = std::clamp<int>(moved, 0, static_cast<int>(bytesToWrite - bytesWritten));
    if (moved > 0)
      Trace(dev->found, "bulk out " + Hex8(ep) + ": " + std::to_string(moved) + " bytes",
            data.data() + bytesWritten, moved);
    bytesWritten += static_cast<uint32_t>(moved);
    if (result != kUsbOk && result != kUsbErrorTimeout) {
      Trace(dev->found, "bulk out " + Hex8(ep) + ": " + UsbResultText(result));
      NoteFailure(*dev, result);
      return SI_WRITE_ERROR;
    }
    if (bytesWritten == bytesToWrite) break;
    if (Clock::now() >= deadline) {
      Trace(dev->found, "bulk out " + Hex8(ep) + ": timed out");
      return SI_WRITE_TIMED_OUT;
    }
    if (moved == 0) PumpEvents();
    if (ByHandle(handle) != dev) return SI_INVALID_HANDLE;  // closed while waiting
  }
  return SI_SUCCESS;
}

SiStatus LibusbHostLibrary::SI_FlushBuffers(SiHandle handle, uint8_t, uint8_t flushReceive) {
  std::shared_ptr<OpenDevice> dev = ByHandle(handle);
  if (!dev) return SI_INVALID_HANDLE;
  // Writes are finished when SI_Write returns: the host holds nothing to transmit.
  if (!flushReceive || dev->gone) return SI_SUCCESS;
  if (dev->stalled) {
    dev->stalled = false;
    Trace(dev->found, "clear halt " + Hex8(dev->found.ir.endpointIn) + ": " +
                          UsbResultText(dev->handle->ClearHalt(dev->found.ir.endpointIn)));
    Trace(dev->found, "clear halt " + Hex8(dev->found.ir.endpointOut) + ": " +
                          UsbResultText(dev->handle->ClearHalt(dev->found.ir.endpointOut)));
  }
  // Also what the device has ready to send: a late reply must not pass for the answer
  // to the next request.
  for (int round = 0; round < kFlushRounds && !dev->gone; ++round) {
    const size_t before = dev->received.size();
    const int result = ReceiveSome(*dev, kFlushWaitMs);
    if (dev->received.size() == before || result != kUsbOk) break;
  }
  if (!dev->received.empty())
    Trace(dev->found, "flush: dropped " + std::to_string(dev->received.size()) + " bytes");
  dev->received.clear();
  return SI_SUCCESS;
}

SiStatus LibusbHostLibrary::SI_SetTimeouts(uint32_t readTimeoutMs, uint32_t writeTimeoutMs) {
  readTimeoutMs_ = readTimeoutMs;
  writeTimeoutMs_ = writeTimeoutMs;
  return SI_SUCCESS;
}

}  // namespace zentra
