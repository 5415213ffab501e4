// The serial ports of a real machine, named as the system presents them:
// "DESCRIPTION (PORTNAME)", where the description is the USB product string of the
// device behind the port, e.g. "DGLnano (ttyACM0)".
#pragma once

#include "link/SerialPortDevice.h"

namespace zentra {

class QtSerialPortEnumerator final : public SerialPortEnumerator {
 public:
  std::vector<SerialPortInfo> Ports() override;
};

// The friendly name of a port from its description and port name.
std::string FriendlyPortName(const std::string& description, const std::string& portName);

}  // namespace zentra
