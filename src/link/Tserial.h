// The serial port object of the link: one port, opened with the fixed line settings of
// the DGLnano interface and read and written with bounded waits. The port itself is a
// SerialPortDevice (real or simulated) made fresh by the platform's factory.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "link/SerialPortDevice.h"

namespace zentra {

class Tserial {
 public:
  using DeviceFactory = std::function<std::unique_ptr<SerialPortDevice>()>;
  explicit Tserial(DeviceFactory factory);
  ~Tserial();

  // Opens the port (name or path); result codes 0..4 of SerialOpenResult.
  int Open(const std::string& nameOrPath);
  void Close();
  bool IsOpen() const;
  // True only when all count bytes were written.
  bool Write(const uint8_t* data, int count);
  // Returns at once with what is buffered or waits up to 500 ms for the first byte;
  // the number of bytes read.
  int Read(uint8_t* buffer, int count);
  // One byte; false when none arrived.
  bool ReadByte(uint8_t& byte);
  // Read with a shorter wait for the first byte (see SerialPortDevice::ReadWithin).
  int ReadWithin(uint8_t* buffer, int count, int waitMs);

 private:
  DeviceFactory factory_;
  std::unique_ptr<SerialPortDevice> device_;
};

}  // namespace zentra
