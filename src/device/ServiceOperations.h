// The factory operations as whole sequences, shared by the service controls of the
// window and `zentra-cli service`: writing the serial number or the identity text is
// always followed by reading it back and the firmware CRC check, whatever the write
// returned, so what the front end shows is the transmitter's own state afterwards.
// Also the checks of the numbers typed for the battery calibration and the fast
// frequency, and the two raw external-EEPROM tests of the debug box.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace zentra {

class CommandSet;
class ServiceCommands;
struct TDeviceData;

// Characters of the serial number and the identity field that reach the transmitter.
constexpr int kServiceTextLength = 10;

// The firmware CRC check: answered is false when the exchange failed (the CRC labels
// then keep their text); otherwise good is the transmitter's verdict.
struct CrcOutcome {
  bool answered = false;
  bool good = false;
};
CrcOutcome RunCrcCheck(ServiceCommands& service);

struct IdentityWriteOutcome {
  bool written = false;  // the transmitter acknowledged the write
  bool reread = false;   // the value was read back into the device data
  CrcOutcome crc;
  bool ok() const { return written && reread && crc.answered && crc.good; }
};

// Serial number: write (first 10 characters, zero padded), read back into serialText,
// then the CRC check.
IdentityWriteOutcome WriteSerialAndCheck(ServiceCommands& service, CommandSet& commands,
                                         const std::string& text);
// Identity: write (first 10 characters, blank padded), read the identity back and
// identify the model again from it, then the CRC check.
IdentityWriteOutcome WriteIdentityAndCheck(ServiceCommands& service, CommandSet& commands,
                                           TDeviceData& data, const std::string& text);

// A number typed for a factory command: a whole decimal number (blanks around it and a
// sign allowed) within [minimum, maximum]. Anything else gives nullopt, and the command
// must not be sent.
std::optional<int64_t> ParseServiceNumber(const std::string& text, int64_t minimum,
                                          int64_t maximum);
// The limits of the battery calibration and fast-frequency values: a signed 32-bit
// number (the calibration is sent as its low 16 bits, the fast frequency as 32 bits).
constexpr int64_t kServiceNumberMin = INT32_MIN;
constexpr int64_t kServiceNumberMax = INT32_MAX;
// The message that refuses such a text, naming the field.
std::string ServiceNumberRefusal(const std::string& field, const std::string& text);

// "Write XEEPROM": 8 bytes 0xFF at every multiple of 8 below 9000 (1125 blocks; the
// answers are not checked). afterBlock sees each block's address and runs between
// blocks (the window shows the address and lets one round of events run).
constexpr int kXeepromTestEnd = 9000;
void WriteXeepromTest(ServiceCommands& service,
                      const std::function<void(int address)>& afterBlock);
// "ReadXEEPROM": 200 reads of 8 bytes at 256, 257, ..., 455; returns the milliseconds
// they took.
int64_t ReadXeepromTiming(ServiceCommands& service);

}  // namespace zentra
