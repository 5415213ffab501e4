// The serial port of the DGLnano interface on a real machine, over Qt SerialPort:
// 115200 baud, 8N1, no flow control, DTR and RTS off. Waits run a local event loop that
// holds back user input (LinkWait), so timers and painting go on while a byte is due.
#pragma once

#include <QSerialPort>

#include "link/SerialPortDevice.h"

namespace zentra {

class QtSerialPortDevice final : public SerialPortDevice {
 public:
  QtSerialPortDevice();
  ~QtSerialPortDevice() override;

  int Open(const std::string& nameOrPath) override;
  void Close() override;
  bool IsOpen() const override;
  bool Write(const uint8_t* data, int count) override;
  int Read(uint8_t* buffer, int count) override;
  int ReadWithin(uint8_t* buffer, int count, int waitMs) override;

 private:
  // Waits up to ms for received bytes; true when some are buffered.
  bool WaitForBytes(int ms);
  // A port that went away (unplugged interface) is closed, so later calls fail at once.
  void CloseIfGone();

  QSerialPort port_;
};

}  // namespace zentra
