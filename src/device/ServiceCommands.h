// Service commands: external EEPROM (XEEPROM) and calibration EEPROM blocks, CRC check,
// serial number and identity writing, battery calibration, fast frequency, memory fill.
// The transmitter only obeys them after an unlock with the service code, so every
// service command is preceded by its own unlock; nothing remembers an unlocked state.
#pragma once

#include <cstdint>
#include <string>

#include "device/AccessCodes.h"
#include "link/Transactor.h"

namespace zentra {

constexpr int kXeepromBlockMax = 32;   // bytes per external EEPROM block
constexpr int kCalBlockMax = 8;        // bytes per calibration EEPROM block
constexpr uint32_t kMemoryTop = 0xFFFF;

// Captions of the two CRC labels.
constexpr const char* kCrcGoodText = "CRC OK!";
constexpr const char* kCrcBadText = "CRC BAD";
inline const char* CrcCaption(bool good) { return good ? kCrcGoodText : kCrcBadText; }

// True when `length` bytes from `start` stay within the 16-bit address space
// (length 0 or a range passing 0xFFFF is refused instead of wrapping).
bool IsMemoryRangeValid(uint32_t start, uint32_t length);

// How a block command ended: done (a write only when the transmitter echoed exactly
// the bytes written), echoed other bytes than were written, or not answered as the
// command requires (unlock refused, reply lost or garbled, wrong length, a count out of
// range).
enum class BlockAnswer { Done, EchoDiffers, NotAnswered };

class ServiceCommands {
 public:
  explicit ServiceCommands(Transactor& link);
  Transactor& link() { return link_; }

  // 'o' with the 8 code bytes; true when acknowledged. Also the presence probe.
  bool Unlock(const AccessCode& code);

  // Unlocks with the active service code, then sends the request when the unlock was
  // acknowledged. Returns the Transact result of the service command itself (false
  // when the unlock failed; nothing is sent then); n receives the answer length.
  bool ServiceCommand(const uint8_t* request, uint8_t length, uint8_t* response,
                      uint8_t& n);

  // Block transfers. Counts above the block size (or below 1) fail before anything is
  // sent. Reads copy the n bytes into out; writes succeed only when the transmitter
  // echoes every one of the n bytes written.
  bool ReadXeepromBlock(uint16_t address, int count, uint8_t* out);
  bool WriteXeepromBlock(uint16_t address, int count, const uint8_t* data);
  bool ReadCalBlock(uint16_t address, int count, uint8_t* out);
  bool WriteCalBlock(uint16_t address, int count, const uint8_t* data);
  // The writes with their outcome told apart.
  BlockAnswer XeepromBlockWrite(uint16_t address, int count, const uint8_t* data);
  BlockAnswer CalBlockWrite(uint16_t address, int count, const uint8_t* data);

  // True when the exchange succeeded; crcGood then tells the transmitter's verdict
  // (shown as CrcCaption(crcGood) in both CRC labels).
  bool CheckCrc(bool& crcGood);
  bool CalibrateBattery(int value);         // sent as 16 bits
  bool SetFastFrequency(int64_t value);     // sent as 32 bits
  bool WriteSerialNumber(const std::string& text);  // first 10, zero padded
  bool WriteDeviceId(const std::string& text);      // first 10, blank padded
  bool MemoryFill();

 private:
  BlockAnswer Block(uint8_t op, int fixedLength, int answer, int maxCount, uint16_t address,
                    int count, const uint8_t* data, uint8_t* out);
  bool Acknowledged(const uint8_t* request, uint8_t length);
  bool Expect(bool plausible);

  Transactor& link_;
};

}  // namespace zentra
