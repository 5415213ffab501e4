// The USB bus beneath the USB host library on hosts where the link drives the USB IR
// interfaces itself: listing the attached devices with their descriptors, opening one,
// and the handful of requests the interfaces need (claim, vendor control requests,
// clear halt, bulk transfers, string descriptors). Real: libusb-1.0 loaded at run time
// (LibusbBus.h); simulated and scripted buses implement it in sim/ and the tests.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zentra {

// Results of bus operations: 0 or a negative error, numbered as libusb numbers them.
enum UsbResult : int {
  kUsbOk = 0,
  kUsbErrorIo = -1,
  kUsbErrorInvalidParam = -2,
  kUsbErrorAccess = -3,     // no permission to open the device
  kUsbErrorNoDevice = -4,   // the device has been unplugged
  kUsbErrorNotFound = -5,
  kUsbErrorBusy = -6,       // the interface is claimed by another program
  kUsbErrorTimeout = -7,
  kUsbErrorOverflow = -8,
  kUsbErrorPipe = -9,       // the endpoint stalled
  kUsbErrorInterrupted = -10,
  kUsbErrorNoMem = -11,
  kUsbErrorNotSupported = -12,
  kUsbErrorOther = -99,
};

// A short text for a result ("timeout", "permission denied", ...).
const char* UsbResultText(int result);

constexpr uint8_t kUsbEndpointIn = 0x80;          // direction bit of an endpoint address
constexpr uint8_t kUsbTransferTypeMask = 0x03;    // of an endpoint's attributes
constexpr uint8_t kUsbTransferBulk = 0x02;
constexpr uint8_t kUsbClassVendorSpecific = 0xFF;

struct UsbEndpointDesc {
  uint8_t address = 0;
  uint8_t attributes = 0;
  uint16_t maxPacketSize = 0;
  bool isIn() const { return (address & kUsbEndpointIn) != 0; }
  bool isBulk() const { return (attributes & kUsbTransferTypeMask) == kUsbTransferBulk; }
};

struct UsbInterfaceDesc {
  uint8_t number = 0;
  uint8_t alternate = 0;
  uint8_t interfaceClass = 0;
  uint8_t subClass = 0;
  uint8_t protocol = 0;
  std::vector<UsbEndpointDesc> endpoints;
};

struct UsbDeviceDesc {
  uint8_t bus = 0;
  uint8_t address = 0;
  std::vector<uint8_t> ports;  // port numbers from the root hub down
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  uint16_t bcdDevice = 0;
  uint8_t deviceClass = 0;
  uint8_t iManufacturer = 0;   // string descriptor indexes; 0 = none
  uint8_t iProduct = 0;
  uint8_t iSerialNumber = 0;
  int configResult = kUsbOk;   // reading the active configuration; interfaces empty if not ok
  std::vector<UsbInterfaceDesc> interfaces;  // of the active configuration, every alternate
  // The bus's own reference to the device: it names the same physical device for as
  // long as it is held, even after the device was unplugged (opening it then fails).
  std::shared_ptr<void> ref;

  // "1-3.2", the place on the bus a user sees in the kernel log; "bus 1 address 5"
  // when the ports are unknown.
  std::string Location() const;
};

// Orders devices by their place on the bus (bus, ports, address): the order in which
// the IR interfaces are numbered, the same every time while nothing is plugged.
bool BeforeOnBus(const UsbDeviceDesc& a, const UsbDeviceDesc& b);

// An opened device. Destroying it closes the device.
class UsbDeviceHandle {
 public:
  virtual ~UsbDeviceHandle() = default;
  virtual int ClaimInterface(uint8_t number) = 0;
  virtual int ReleaseInterface(uint8_t number) = 0;
  // A control request without a data stage (host to device); 0 or an error.
  virtual int ControlOut(uint8_t requestType, uint8_t request, uint16_t value,
                         uint16_t index, unsigned timeoutMs) = 0;
  virtual int ClearHalt(uint8_t endpoint) = 0;
  // One bulk transfer on endpoint (its direction bit chooses IN or OUT). transferred
  // receives the bytes moved, also when the result is a timeout or an error.
  virtual int Bulk(uint8_t endpoint, uint8_t* data, int length, int& transferred,
                   unsigned timeoutMs) = 0;
  // String descriptor index as ASCII text; 0 or an error.
  virtual int StringDescriptor(uint8_t index, std::string& text) = 0;
};

class UsbBus {
 public:
  virtual ~UsbBus() = default;
  // The devices attached now. 0 or an error.
  virtual int List(std::vector<UsbDeviceDesc>& devices) = 0;
  // Opens a device of an earlier List. 0 and a handle, or an error.
  virtual int Open(const UsbDeviceDesc& device, std::unique_ptr<UsbDeviceHandle>& handle) = 0;
};

}  // namespace zentra
