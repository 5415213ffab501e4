// Seam to the USB host library that drives the USB IR interfaces (kinds 1 to 3).
// The eight operations the link uses, with their result codes and out-parameters.
// Real hardware access and the simulator both implement this class.
#pragma once

#include <cstdint>

namespace zentra {

using SiHandle = uint32_t;              // 0: nothing open
constexpr SiHandle kInvalidSiHandle = 0xFFFFFFFFu;
constexpr int kProductStringSize = 512;  // buffer of SI_GetProductString

// Result codes: 0 is success, everything else a failure.
enum SiStatus : int {
  SI_SUCCESS = 0,
  SI_DEVICE_NOT_FOUND = 1,
  SI_INVALID_HANDLE = 2,
  SI_READ_ERROR = 3,
  SI_WRITE_ERROR = 4,
  SI_READ_TIMED_OUT = 5,
  SI_WRITE_TIMED_OUT = 6,
  SI_INVALID_PARAMETER = 7,
  SI_SYSTEM_ERROR = 8,
};

class UsbHostLibrary {
 public:
  virtual ~UsbHostLibrary() = default;

  // Number of USB IR interfaces attached.
  virtual SiStatus SI_GetNumDevices(uint32_t& numDevices) = 0;
  // Product string of device number deviceNum (option 0) into buffer
  // (kProductStringSize bytes, zero-terminated).
  virtual SiStatus SI_GetProductString(uint32_t deviceNum, char* buffer, uint32_t options) = 0;
  // Opens device number deviceNum; handle receives a non-zero handle on success.
  virtual SiStatus SI_Open(uint32_t deviceNum, SiHandle& handle) = 0;
  // Closes a handle.
  virtual SiStatus SI_Close(SiHandle handle) = 0;
  // Reads up to bytesToRead bytes; waits at most the read timeout for them.
  // bytesReturned receives the count actually read.
  virtual SiStatus SI_Read(SiHandle handle, uint8_t* buffer, uint32_t bytesToRead,
                           uint32_t& bytesReturned) = 0;
  // Writes bytesToWrite bytes; bytesWritten receives the count written.
  virtual SiStatus SI_Write(SiHandle handle, const uint8_t* buffer, uint32_t bytesToWrite,
                            uint32_t& bytesWritten) = 0;
  // Empties the transmit and/or receive queues (each flag 1 = flush).
  virtual SiStatus SI_FlushBuffers(SiHandle handle, uint8_t flushTransmit,
                                   uint8_t flushReceive) = 0;
  // Read and write timeouts in milliseconds for every later call.
  virtual SiStatus SI_SetTimeouts(uint32_t readTimeoutMs, uint32_t writeTimeoutMs) = 0;
};

// A host without USB interface support: no devices, every operation fails.
class NoUsbHostLibrary final : public UsbHostLibrary {
 public:
  SiStatus SI_GetNumDevices(uint32_t& n) override { n = 0; return SI_SUCCESS; }
  SiStatus SI_GetProductString(uint32_t, char* b, uint32_t) override { if (b) b[0] = 0; return SI_DEVICE_NOT_FOUND; }
  SiStatus SI_Open(uint32_t, SiHandle& h) override { h = 0; return SI_DEVICE_NOT_FOUND; }
  SiStatus SI_Close(SiHandle) override { return SI_INVALID_HANDLE; }
  SiStatus SI_Read(SiHandle, uint8_t*, uint32_t, uint32_t& r) override { r = 0; return SI_INVALID_HANDLE; }
  SiStatus SI_Write(SiHandle, const uint8_t*, uint32_t, uint32_t& w) override { w = 0; return SI_INVALID_HANDLE; }
  SiStatus SI_FlushBuffers(SiHandle, uint8_t, uint8_t) override { return SI_INVALID_HANDLE; }
  SiStatus SI_SetTimeouts(uint32_t, uint32_t) override { return SI_SUCCESS; }
};

}  // namespace zentra
