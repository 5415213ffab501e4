// The serial port backend of the system the program runs on: termios on POSIX systems
// (pseudo-terminals included), Win32 overlapped I/O on Windows; the port enumeration
// through libudev on Linux and the setup API and registry on Windows. Each platform's
// source file defines these (SerialPortPosix.cpp, SerialPortWin32.cpp, ...).
#pragma once

#include <memory>
#include <string>

#include "link/SerialPortDevice.h"

namespace zentra {

std::unique_ptr<SerialPortDevice> MakeNativeSerialPort();
std::shared_ptr<SerialPortEnumerator> MakeNativePortEnumerator();

// The friendly name of a port from its description and port name:
// "DESCRIPTION (PORTNAME)", or "(PORTNAME)" without a description.
std::string FriendlyPortName(const std::string& description, const std::string& portName);

}  // namespace zentra
