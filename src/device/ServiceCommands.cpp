#include "device/ServiceCommands.h"

#include <algorithm>
#include <cstring>

namespace zentra {

namespace {

constexpr uint8_t kLead = 0x4D;  // 'M'
constexpr uint8_t kAckByte = 0x06;
constexpr uint8_t kUnlock = 'o';
constexpr uint8_t kMemory = 'd';  // memory and service sub-commands follow
constexpr uint8_t kXeepromRead = 0x10;
constexpr uint8_t kXeepromWrite = 0x90;
constexpr uint8_t kCalRead = 0x11;
constexpr uint8_t kCalWrite = 0x91;
constexpr uint8_t kCrcCheck = 0x1C;
constexpr uint8_t kBatteryCal = 0x9D;
constexpr uint8_t kFastFrequency = 0x9E;
constexpr uint8_t kWriteSerial = 0xCE;
constexpr uint8_t kWriteId = 0xC9;
constexpr uint8_t kFill = 0xC7;

constexpr int kXeepromRequest = 38, kXeepromAnswer = 36;
constexpr int kCalRequest = 14, kCalAnswer = 12;
constexpr size_t kTextField = 10;

}  // namespace

bool IsMemoryRangeValid(uint32_t start, uint32_t length) {
  if (length == 0 || start > kMemoryTop) return false;
  return length - 1 <= kMemoryTop - start;
}

ServiceCommands::ServiceCommands(Transactor& link) : link_(link) {}

bool ServiceCommands::Unlock(const AccessCode& code) {
  uint8_t q[10] = {kLead, kUnlock};
  std::memcpy(q + 2, code.data(), code.size());
  uint8_t r[kMaxResponse] = {};
  uint8_t n = 0;
  if (!link_.Transact(q, sizeof q, r, n)) return false;
  return Expect(n == 3 && r[2] == kAckByte);
}

bool ServiceCommands::Expect(bool plausible) {
  // An answer of the wrong shape is a fault of the link (the presence probe's unlocks
  // are not counted: the link pauses its record for them).
  if (!plausible) NoteFault(link_);
  return plausible;
}

bool ServiceCommands::ServiceCommand(const uint8_t* request, uint8_t length,
                                     uint8_t* response, uint8_t& n) {
  n = 0;
  if (!Unlock(ActiveAccessCodes().service)) return false;
  return link_.Transact(request, length, response, n);
}

bool ServiceCommands::Acknowledged(const uint8_t* request, uint8_t length) {
  uint8_t r[kMaxResponse] = {};
  uint8_t n = 0;
  return ServiceCommand(request, length, r, n) && Expect(n == 3 && r[2] == kAckByte);
}

BlockAnswer ServiceCommands::Block(uint8_t op, int fixedLength, int answer, int maxCount,
                                   uint16_t address, int count, const uint8_t* data,
                                   uint8_t* out) {
  // Refused before anything goes out, the unlock included.
  if (count < 1 || count > maxCount || (data == nullptr && out == nullptr))
    return BlockAnswer::NotAnswered;
  // Filler after the address (and data) is zero.
  uint8_t q[kXeepromRequest] = {kLead,
                                kMemory,
                                op,
                                static_cast<uint8_t>(count),
                                static_cast<uint8_t>(address >> 8),
                                static_cast<uint8_t>(address)};
  if (data) std::memcpy(q + 6, data, static_cast<size_t>(count));
  uint8_t r[kMaxResponse] = {};
  uint8_t n = 0;
  if (!ServiceCommand(q, static_cast<uint8_t>(fixedLength), r, n) || !Expect(n == answer))
    return BlockAnswer::NotAnswered;
  if (data) {
    // The transmitter echoes what it stored; every byte must match.
    bool same = true;
    for (int i = 0; i < count; ++i) same = same && r[4 + i] == data[i];
    return same ? BlockAnswer::Done : BlockAnswer::EchoDiffers;
  }
  std::memcpy(out, r + 4, static_cast<size_t>(count));
  return BlockAnswer::Done;
}

bool ServiceCommands::ReadXeepromBlock(uint16_t address, int count, uint8_t* out) {
  return Block(kXeepromRead, kXeepromRequest, kXeepromAnswer, kXeepromBlockMax, address,
               count, nullptr, out) == BlockAnswer::Done;
}

bool ServiceCommands::WriteXeepromBlock(uint16_t address, int count, const uint8_t* data) {
  return XeepromBlockWrite(address, count, data) == BlockAnswer::Done;
}

BlockAnswer ServiceCommands::XeepromBlockWrite(uint16_t address, int count, const uint8_t* data) {
  if (data == nullptr) return BlockAnswer::NotAnswered;
  return Block(kXeepromWrite, kXeepromRequest, kXeepromAnswer, kXeepromBlockMax, address,
               count, data, nullptr);
}

bool ServiceCommands::ReadCalBlock(uint16_t address, int count, uint8_t* out) {
  return Block(kCalRead, kCalRequest, kCalAnswer, kCalBlockMax, address, count, nullptr,
               out) == BlockAnswer::Done;
}

bool ServiceCommands::WriteCalBlock(uint16_t address, int count, const uint8_t* data) {
  return CalBlockWrite(address, count, data) == BlockAnswer::Done;
}

BlockAnswer ServiceCommands::CalBlockWrite(uint16_t address, int count, const uint8_t* data) {
  if (data == nullptr) return BlockAnswer::NotAnswered;
  return Block(kCalWrite, kCalRequest, kCalAnswer, kCalBlockMax, address, count, data, nullptr);
}

bool ServiceCommands::CheckCrc(bool& crcGood) {
  const uint8_t q[] = {kLead, kMemory, kCrcCheck};
  uint8_t r[kMaxResponse] = {};
  uint8_t n = 0;
  if (!ServiceCommand(q, sizeof q, r, n) || !Expect(n == 4)) return false;
  crcGood = r[3] != 0;
  return true;
}

bool ServiceCommands::CalibrateBattery(int value) {
  const uint8_t q[] = {kLead, kMemory, kBatteryCal, static_cast<uint8_t>(value >> 8),
                       static_cast<uint8_t>(value)};
  uint8_t r[kMaxResponse] = {};
  uint8_t n = 0;
  return ServiceCommand(q, sizeof q, r, n) && Expect(n == 5);
}

bool ServiceCommands::SetFastFrequency(int64_t value) {
  const uint32_t v = static_cast<uint32_t>(value);
  const uint8_t q[] = {kLead,
                       kMemory,
                       kFastFrequency,
                       static_cast<uint8_t>(v >> 24),
                       static_cast<uint8_t>(v >> 16),
                       static_cast<uint8_t>(v >> 8),
                       static_cast<uint8_t>(v)};
  uint8_t r[kMaxResponse] = {};
  uint8_t n = 0;
  return ServiceCommand(q, sizeof q, r, n) && Expect(n == 7);
}

bool ServiceCommands::WriteSerialNumber(const std::string& text) {
  uint8_t q[2 + kTextField] = {kLead, kWriteSerial};  // zero padded
  std::memcpy(q + 2, text.data(), std::min(text.size(), kTextField));
  return Acknowledged(q, sizeof q);
}

bool ServiceCommands::WriteDeviceId(const std::string& text) {
  uint8_t q[2 + kTextField] = {kLead, kWriteId};
  std::memset(q + 2, ' ', kTextField);  // blank padded, like the model name it starts with
  std::memcpy(q + 2, text.data(), std::min(text.size(), kTextField));
  return Acknowledged(q, sizeof q);
}

bool ServiceCommands::MemoryFill() {
  const uint8_t q[] = {kLead, kFill, 0x00};
  return Acknowledged(q, sizeof q);
}

}  // namespace zentra
