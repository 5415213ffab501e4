// Seams to the serial port that carries the DGLnano interface (kind 4): the port itself
// and the enumeration of ports with friendly names. Real: Qt SerialPort; simulated: sim/.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zentra {

// Result codes of SerialPortDevice::Open.
enum SerialOpenResult : int {
  kSerialOpenOk = 0,          // port open and configured
  kSerialOpenFailed = 1,      // opening the port failed
  kSerialPurgeFailed = 2,     // purging the port failed
  kSerialReadSettingsFailed = 3,
  kSerialApplySettingsFailed = 4,
};

constexpr int kSerialReadWaitMs = 500;  // a read waits this long for its first byte
constexpr int kSerialIoWaitMs = 600;    // the longest any read or write waits to complete

class SerialPortDevice {
 public:
  virtual ~SerialPortDevice() = default;

  // Opens the port by name or path and configures 115200 baud, 8N1, no flow control,
  // DTR and RTS off (a port that cannot switch DTR/RTS, such as a pseudo-terminal, still
  // opens). Returns a SerialOpenResult; on any non-zero code the port is left closed.
  virtual int Open(const std::string& nameOrPath) = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  // Sends count bytes; true only when all were written within kSerialIoWaitMs.
  virtual bool Write(const uint8_t* data, int count) = 0;
  // Returns at once with what is buffered (up to count bytes), or waits up to
  // kSerialReadWaitMs for the first byte. Returns the number of bytes read (0 on
  // time-out or error). While it waits, timers and painting go on (see LinkWait.h).
  virtual int Read(uint8_t* buffer, int count) = 0;
  // Like Read, but waits at most waitMs for the first byte (0: only what is already
  // buffered), so that a receive wait of the link keeps its overall bound. The default
  // waits as Read does; ports that can wait less override it.
  virtual int ReadWithin(uint8_t* buffer, int count, int waitMs) {
    (void)waitMs;
    return Read(buffer, count);
  }
};

struct SerialPortInfo {
  std::string friendlyName;  // e.g. "DGLnano (ttyACM0)"
  std::string portName;      // what Open takes, e.g. "ttyACM0"
};

class SerialPortEnumerator {
 public:
  virtual ~SerialPortEnumerator() = default;
  // The serial ports present, in the system's order.
  virtual std::vector<SerialPortInfo> Ports() = 0;
};

}  // namespace zentra
