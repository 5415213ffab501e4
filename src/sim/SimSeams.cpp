#include "sim/SimSeams.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "link/LinkWait.h"

namespace zentra::sim {

// --- USB host library ---

SimUsbHostLibrary::SimUsbHostLibrary(std::shared_ptr<SimWorld> world) : world_(std::move(world)) {}

SimUsbHostLibrary::~SimUsbHostLibrary() {
  for (auto& [handle, iface] : open_) iface->CloseHost();
}

VirtualInterface* SimUsbHostLibrary::UsbDevice(uint32_t deviceNum) {
  uint32_t n = 0;
  for (int i = 0; i < world_->interfaceCount(); ++i) {
    VirtualInterface& v = world_->interface(i);
    if (v.kind() == SimKind::Nano) continue;
    if (n++ == deviceNum) return &v;
  }
  return nullptr;
}

VirtualInterface* SimUsbHostLibrary::ByHandle(SiHandle handle) {
  auto it = open_.find(handle);
  return it == open_.end() ? nullptr : it->second;
}

SiStatus SimUsbHostLibrary::SI_GetNumDevices(uint32_t& numDevices) {
  numDevices = 0;
  for (int i = 0; i < world_->interfaceCount(); ++i)
    if (world_->interface(i).kind() != SimKind::Nano) ++numDevices;
  return SI_SUCCESS;
}

SiStatus SimUsbHostLibrary::SI_GetProductString(uint32_t deviceNum, char* buffer, uint32_t) {
  VirtualInterface* v = UsbDevice(deviceNum);
  if (buffer == nullptr) return SI_INVALID_PARAMETER;
  buffer[0] = 0;
  if (v == nullptr) return SI_DEVICE_NOT_FOUND;
  const std::string s = v->productString();
  std::strncpy(buffer, s.c_str(), kProductStringSize - 1);
  buffer[kProductStringSize - 1] = 0;
  return SI_SUCCESS;
}

SiStatus SimUsbHostLibrary::SI_Open(uint32_t deviceNum, SiHandle& handle) {
  handle = 0;
  VirtualInterface* v = UsbDevice(deviceNum);
  if (v == nullptr || !v->OpenHost()) return SI_DEVICE_NOT_FOUND;
  handle = nextHandle_++;
  open_[handle] = v;
  return SI_SUCCESS;
}

SiStatus SimUsbHostLibrary::SI_Close(SiHandle handle) {
  VirtualInterface* v = ByHandle(handle);
  if (v == nullptr) return SI_INVALID_HANDLE;
  v->CloseHost();
  open_.erase(handle);
  return SI_SUCCESS;
}

SiStatus SimUsbHostLibrary::SI_Read(SiHandle handle, uint8_t* buffer, uint32_t bytesToRead,
                                    uint32_t& bytesReturned) {
  bytesReturned = 0;
  VirtualInterface* v = ByHandle(handle);
  if (v == nullptr) return SI_INVALID_HANDLE;
  if (buffer == nullptr) return SI_INVALID_PARAMETER;
  if (bytesToRead == 0) return SI_SUCCESS;
  // A read returns once it has what was asked for, or once the interface has finished
  // sending its reply; with nothing coming it waits out the read timeout.
  const auto deadline = LinkClock::now() + std::chrono::milliseconds(world_->usbReadTimeoutMs);
  auto ready = [&] {
    const int arrived = v->Arrived();
    return arrived >= static_cast<int>(bytesToRead) || (arrived > 0 && !v->MoreComing());
  };
  if (!ready()) WaitUntil(deadline, ready, [v] { return v->NextArrival(); });
  if (ByHandle(handle) != v) return SI_INVALID_HANDLE;  // closed while waiting
  bytesReturned = static_cast<uint32_t>(v->HostRead(buffer, static_cast<int>(bytesToRead)));
  return bytesReturned > 0 ? SI_SUCCESS : SI_READ_TIMED_OUT;
}

SiStatus SimUsbHostLibrary::SI_Write(SiHandle handle, const uint8_t* buffer,
                                     uint32_t bytesToWrite, uint32_t& bytesWritten) {
  bytesWritten = 0;
  VirtualInterface* v = ByHandle(handle);
  if (v == nullptr) return SI_INVALID_HANDLE;
  if (buffer == nullptr) return SI_INVALID_PARAMETER;
  v->HostWrite(buffer, static_cast<int>(bytesToWrite));
  bytesWritten = bytesToWrite;
  return SI_SUCCESS;
}

SiStatus SimUsbHostLibrary::SI_FlushBuffers(SiHandle handle, uint8_t flushTransmit,
                                            uint8_t flushReceive) {
  VirtualInterface* v = ByHandle(handle);
  if (v == nullptr) return SI_INVALID_HANDLE;
  if (flushTransmit || flushReceive) v->Flush();
  return SI_SUCCESS;
}

SiStatus SimUsbHostLibrary::SI_SetTimeouts(uint32_t readTimeoutMs, uint32_t writeTimeoutMs) {
  world_->usbReadTimeoutMs = readTimeoutMs;
  world_->usbWriteTimeoutMs = writeTimeoutMs;
  return SI_SUCCESS;
}

// --- serial port ---

SimSerialPort::SimSerialPort(std::shared_ptr<SimWorld> world) : world_(std::move(world)) {}

SimSerialPort::~SimSerialPort() { Close(); }

int SimSerialPort::Open(const std::string& nameOrPath) {
  Close();
  // Accept the bare port name as well as a device path ending in it.
  std::string name = nameOrPath;
  const size_t slash = name.find_last_of("/\\");
  if (slash != std::string::npos) name = name.substr(slash + 1);
  for (int i = 0; i < world_->interfaceCount(); ++i) {
    VirtualInterface& v = world_->interface(i);
    if (v.kind() != SimKind::Nano || v.portName() != name) continue;
    if (!v.OpenHost()) return kSerialOpenFailed;  // no sharing
    iface_ = &v;
    return kSerialOpenOk;
  }
  return kSerialOpenFailed;
}

void SimSerialPort::Close() {
  if (iface_ != nullptr) iface_->CloseHost();
  iface_ = nullptr;
}

bool SimSerialPort::Write(const uint8_t* data, int count) {
  if (iface_ == nullptr || data == nullptr || count < 0) return false;
  iface_->HostWrite(data, count);
  return true;
}

int SimSerialPort::Read(uint8_t* buffer, int count) {
  return ReadWithin(buffer, count, kSerialReadWaitMs);
}

int SimSerialPort::ReadWithin(uint8_t* buffer, int count, int waitMs) {
  if (iface_ == nullptr || buffer == nullptr || count <= 0) return 0;
  VirtualInterface* v = iface_;
  if (v->Arrived() == 0 && waitMs > 0) {
    const auto deadline =
        LinkClock::now() + std::chrono::milliseconds(std::min(waitMs, kSerialReadWaitMs));
    WaitUntil(
        deadline, [&] { return iface_ != v || v->Arrived() > 0; },
        [&] { return iface_ == v ? v->NextArrival() : LinkClock::now(); });
    if (iface_ != v) return 0;
  }
  return v->HostRead(buffer, count);
}

// --- enumeration ---

std::vector<SerialPortInfo> SimPortEnumerator::Ports() {
  // A plain serial port comes first, as on most PCs, then the DGLnano interfaces.
  std::vector<SerialPortInfo> ports{{"Communications Port (simS0)", "simS0"}};
  for (int i = 0; i < world_->interfaceCount(); ++i) {
    VirtualInterface& v = world_->interface(i);
    if (v.kind() == SimKind::Nano) ports.push_back({v.friendlyName(), v.portName()});
  }
  return ports;
}

}  // namespace zentra::sim
