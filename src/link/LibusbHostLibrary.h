// The USB host library of the USB IR interfaces (kinds 1 to 3) over a USB bus that the
// link drives itself (libusb-1.0 on Linux, see UsbBus.h). An IR interface is a device
// of vendor 0x10C4 with a vendor-specific interface holding one bulk IN and one bulk
// OUT endpoint; its data travel as plain bulk transfers.
//
// - SI_GetNumDevices lists the bus and numbers the IR interfaces found (other devices
//   are not counted), ordered by their place on the bus. The numbers keep naming the
//   same devices until the next count, so one BuildInterfaceList and the Connect after
//   it agree even while devices come and go.
// - SI_GetProductString: option 0 the serial-number string (the text discovery looks
//   for "dgl700" / "zrv510" in), 1 the product string, 2 the manufacturer string.
// - SI_Open claims the vendor interface, sends the interface's two opening requests and
//   clears both endpoints; SI_Close sends the disabling request and releases it.
// - Bytes that arrive on the IN endpoint are kept in a receive buffer. SI_Read of n
//   bytes returns once n bytes are there; once the device has gone quiet after sending
//   (the end of its reply) it returns the part that came; with nothing at all it waits
//   out the read timeout. SI_FlushBuffers drops what is buffered.
// - Waits run in short slices with events running between them (LinkWait.h), so the
//   window keeps painting; a handle closed meanwhile ends the wait with
//   SI_INVALID_HANDLE. An unplugged device fails every later call on its handle.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "link/UsbBus.h"
#include "link/UsbHostLibrary.h"

namespace zentra {

constexpr uint16_t kIrInterfaceVendorId = 0x10C4;

// Where an IR interface carries its data.
struct IrUsbInterface {
  uint8_t interfaceNumber = 0;
  uint8_t endpointIn = 0;
  uint8_t endpointOut = 0;
  uint16_t inPacketSize = 64;
};

// True when device is an IR interface (vendor 0x10C4, a vendor-specific interface with
// a bulk IN and a bulk OUT endpoint); where its data go into found.
bool FindIrUsbInterface(const UsbDeviceDesc& device, IrUsbInterface& found);

class LibusbHostLibrary final : public UsbHostLibrary {
 public:
  explicit LibusbHostLibrary(std::shared_ptr<UsbBus> bus);
  ~LibusbHostLibrary() override;
  LibusbHostLibrary(const LibusbHostLibrary&) = delete;
  LibusbHostLibrary& operator=(const LibusbHostLibrary&) = delete;

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

  // An IR interface seen since the last count that could not be opened, and why
  // (kUsbErrorAccess: the user may not open it, the udev rule is missing).
  struct OpenProblem {
    UsbDeviceDesc device;
    int result = kUsbOk;
  };
  const std::vector<OpenProblem>& openProblems() const { return problems_; }

  // Every control request and bulk transfer, for logs such as --verbose: what happened
  // ("usb 1-3 bulk in 0x81: 22 bytes") and the bytes moved, if any.
  std::function<void(const std::string& what, const uint8_t* data, int count)> onTransfer;

  UsbBus& bus() { return *bus_; }

 private:
  struct Found {
    UsbDeviceDesc device;
    IrUsbInterface ir;
  };
  struct OpenDevice {
    Found found;
    std::unique_ptr<UsbDeviceHandle> handle;
    std::vector<uint8_t> received;  // arrived from the IN endpoint, not read yet
    bool gone = false;              // unplugged: every later call fails at once
    bool stalled = false;           // an endpoint stalled; cleared by the next flush
  };

  std::shared_ptr<OpenDevice> ByHandle(SiHandle handle) const;
  void NoteProblem(const UsbDeviceDesc& device, int result);
  void Trace(const Found& found, const std::string& what, const uint8_t* data = nullptr,
             int count = 0) const;
  // One bulk IN transfer of at most waitMs into the receive buffer; result of the bus.
  int ReceiveSome(OpenDevice& dev, unsigned waitMs);
  void NoteFailure(OpenDevice& dev, int result);

  std::shared_ptr<UsbBus> bus_;
  std::vector<Found> found_;  // the IR interfaces of the last count, by device number
  std::map<SiHandle, std::shared_ptr<OpenDevice>> open_;
  std::vector<OpenProblem> problems_;
  SiHandle nextHandle_ = 1;
  uint32_t readTimeoutMs_ = 2000;
  uint32_t writeTimeoutMs_ = 2000;
};

}  // namespace zentra
