#include "device/ServiceOperations.h"

#include <cctype>
#include <charconv>
#include <chrono>
#include <cstdint>

#include "device/CommandSet.h"
#include "device/ConfirmedReads.h"
#include "device/Identification.h"
#include "device/ServiceCommands.h"
#include "device/TDeviceData.h"

namespace zentra {

CrcOutcome RunCrcCheck(ServiceCommands& service) {
  CrcOutcome crc;
  crc.answered = service.CheckCrc(crc.good);
  if (!crc.answered) crc.good = false;
  return crc;
}

IdentityWriteOutcome WriteSerialAndCheck(ServiceCommands& service, CommandSet& commands,
                                         const std::string& text) {
  IdentityWriteOutcome outcome;
  outcome.written = service.WriteSerialNumber(text);
  // Read back and check even after a failed write: the transmitter's state is what
  // the user has to see.
  outcome.reread = RunReads(commands.link(), [&commands](Transactor& reads) {
    return CommandSet(reads, commands.data()).ReadSerialNumber();
  });
  outcome.crc = RunCrcCheck(service);
  return outcome;
}

IdentityWriteOutcome WriteIdentityAndCheck(ServiceCommands& service, CommandSet& commands,
                                           TDeviceData& data, const std::string& text) {
  IdentityWriteOutcome outcome;
  outcome.written = service.WriteDeviceId(text);
  outcome.reread = RunReads(commands.link(), [&commands](Transactor& reads) {
    return CommandSet(reads, commands.data()).ReadDeviceId();
  });
  if (outcome.reread) IdentifyCapabilities(data);
  outcome.crc = RunCrcCheck(service);
  return outcome;
}

std::optional<int64_t> ParseServiceNumber(const std::string& text, int64_t minimum,
                                          int64_t maximum) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && std::isspace(static_cast<unsigned char>(text[first]))) ++first;
  while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1]))) --last;
  const char* begin = text.data() + first;
  const char* end = text.data() + last;
  if (begin != end && *begin == '+') ++begin;
  if (begin == end) return std::nullopt;
  int64_t value = 0;
  const auto [ptr, ec] = std::from_chars(begin, end, value);
  if (ec != std::errc() || ptr != end || value < minimum || value > maximum) {
    return std::nullopt;
  }
  return value;
}

std::string ServiceNumberRefusal(const std::string& field, const std::string& text) {
  return field + ": \"" + text + "\" is not a whole number from " +
         std::to_string(kServiceNumberMin) + " to " + std::to_string(kServiceNumberMax) +
         ". Nothing was sent.";
}

void WriteXeepromTest(ServiceCommands& service,
                      const std::function<void(int address)>& afterBlock) {
  constexpr int kBlock = 8;
  const uint8_t ones[kBlock] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  for (int address = 0; address < kXeepromTestEnd; address += kBlock) {
    service.WriteXeepromBlock(static_cast<uint16_t>(address), kBlock, ones);
    if (afterBlock) afterBlock(address);
  }
}

int64_t ReadXeepromTiming(ServiceCommands& service) {
  constexpr int kFirst = 256;
  constexpr int kReads = 200;
  uint8_t block[8];
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kReads; ++i) {
    service.ReadXeepromBlock(static_cast<uint16_t>(kFirst + i), 8, block);
  }
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now() - start)
      .count();
}

}  // namespace zentra
