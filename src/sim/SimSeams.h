// The platform seams over a simulated world: a USB host library whose devices are the
// world's USB interfaces (kinds 1 to 3), serial ports that reach its DGLnano interfaces,
// and the enumeration of those ports. Waits for reply bytes go through LinkWait, so
// timers keep running while a read waits.
#pragma once

#include <map>
#include <memory>

#include "link/SerialPortDevice.h"
#include "link/UsbHostLibrary.h"
#include "sim/SimWorld.h"

namespace zentra::sim {

class SimUsbHostLibrary final : public UsbHostLibrary {
 public:
  explicit SimUsbHostLibrary(std::shared_ptr<SimWorld> world);
  ~SimUsbHostLibrary() override;

  SiStatus SI_GetNumDevices(uint32_t& numDevices) override;
  SiStatus SI_GetProductString(uint32_t deviceNum, char* buffer, uint32_t options) override;
  SiStatus SI_Open(uint32_t deviceNum, SiHandle& handle) override;
  SiStatus SI_Close(SiHandle handle) override;
  SiStatus SI_Read(SiHandle handle, uint8_t* buffer, uint32_t bytesToRead,
                   uint32_t& bytesReturned) override;
  SiStatus SI_Write(SiHandle handle, const uint8_t* buffer, uint32_t bytesToWrite,
                    uint32_t& bytesWritten) override;
  SiStatus SI_FlushBuffers(SiHandle handle, uint8_t flushTransmit, uint8_t flushReceive) override;
  SiStatus SI_SetTimeouts(uint32_t readTimeoutMs, uint32_t writeTimeoutMs) override;

 private:
  VirtualInterface* UsbDevice(uint32_t deviceNum);
  VirtualInterface* ByHandle(SiHandle handle);

  std::shared_ptr<SimWorld> world_;
  std::map<SiHandle, VirtualInterface*> open_;
  SiHandle nextHandle_ = 0x1000;
};

class SimSerialPort final : public SerialPortDevice {
 public:
  explicit SimSerialPort(std::shared_ptr<SimWorld> world);
  ~SimSerialPort() override;

  int Open(const std::string& nameOrPath) override;
  void Close() override;
  bool IsOpen() const override { return iface_ != nullptr; }
  bool Write(const uint8_t* data, int count) override;
  int Read(uint8_t* buffer, int count) override;
  int ReadWithin(uint8_t* buffer, int count, int waitMs) override;

 private:
  std::shared_ptr<SimWorld> world_;
  VirtualInterface* iface_ = nullptr;
};

class SimPortEnumerator final : public SerialPortEnumerator {
 public:
  explicit SimPortEnumerator(std::shared_ptr<SimWorld> world) : world_(std::move(world)) {}
  std::vector<SerialPortInfo> Ports() override;

 private:
  std::shared_ptr<SimWorld> world_;
};

}  // namespace zentra::sim
