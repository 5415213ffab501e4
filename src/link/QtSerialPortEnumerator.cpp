#include "link/QtSerialPortEnumerator.h"

#include <QSerialPortInfo>

namespace zentra {

std::string FriendlyPortName(const std::string& description, const std::string& portName) {
  // A port without a description still shows its name in parentheses, so the name can
  // be found the same way in every entry.
  if (description.empty()) return "(" + portName + ")";
  return description + " (" + portName + ")";
}

std::vector<SerialPortInfo> QtSerialPortEnumerator::Ports() {
  std::vector<SerialPortInfo> ports;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    const std::string name = info.portName().toStdString();
    ports.push_back({FriendlyPortName(info.description().toStdString(), name), name});
  }
  return ports;
}

}  // namespace zentra
