// Copies of the transmitter's two non-volatile memories to and from raw .bin images:
// the external EEPROM (16-bit byte addresses, 32-byte blocks) and the calibration
// EEPROM (two pages of 1024 bytes, 8-byte blocks, bit 15 of the address selects the
// page). A dump reads a range into a file, a load writes a file into the transmitter,
// a verify compares the two and lists every difference.
//
// The operations are headless: the memory dialogs of the window and zentra-cli both
// call them and only present the outcome (message text, memo lines). Every block goes
// through the service block commands, which unlock the transmitter before each block.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "device/ServiceCommands.h"
#include "files/FileProgress.h"

namespace zentra {

// The texts the memory dialogs show.
inline constexpr const char* kMsgWrongAddress = "Wrong address specified!";
inline constexpr const char* kMsgCreateFileError = "Fatal error creating data file!";
inline constexpr const char* kMsgLoadFileError = "Fatal error loading data file!";
inline constexpr const char* kMsgFileTooShort = "Data File too short!";
inline constexpr const char* kMsgErrorWriting = "Error Writing!";
inline constexpr const char* kMsgErrorVerify = "Error Verify!";

inline constexpr const char* kDefaultXeepromStart = "0x000";
inline constexpr const char* kDefaultXeepromStop = "0x2120";
constexpr int kXeepromBlockSize = 32;
constexpr int kCalBlockSize = 8;
constexpr int kCalPageSize = 1024;
constexpr uint16_t kCalPage1Bit = 0x8000;

// Parses an address field: blanks trimmed, case ignored; "0x..." is hexadecimal
// ("0x" alone is 0), anything else a signed decimal integer. A text that does not
// parse gives -1. Hex values too large for the 16-bit address space saturate at
// 0x7FFFFFFF, so the range check refuses them instead of the value wrapping.
int ParseMemoryAddress(const std::string& text);

// Range check of the external-EEPROM dialogs: start must be at least 0 and below
// stop, and stop must lie within the 16-bit address space (a range running past
// 0xFFFF would wrap onto the low addresses, so it is refused).
bool IsValidMemoryRange(int start, int stop);

// Block access to one memory: read or write count bytes at a 16-bit address, each one
// command (with its unlock). A read returns true only when the transmitter answered as
// the command requires; a write tells a matching echo from other bytes echoed and from
// no proper answer at all.
struct MemoryBlockAccess {
  int blockSize = kXeepromBlockSize;
  std::function<bool(uint16_t address, uint8_t count, uint8_t* out)> readBlock;
  std::function<BlockAnswer(uint16_t address, uint8_t count, const uint8_t* data)> writeBlock;
  // The fault record of the link the blocks travel over: decides whether block reads
  // are confirmed (see device/ConfirmedReads.h). Null: every block is read once.
  LinkHealth* health = nullptr;
};

// The service block commands of a transmitter: external EEPROM (32-byte blocks) or
// calibration EEPROM (8-byte blocks). The access keeps a reference to commands.
MemoryBlockAccess XeepromAccess(ServiceCommands& commands);
MemoryBlockAccess CalibrationAccess(ServiceCommands& commands);

// What the front end learns while a transfer runs. All members are optional.
struct TransferObserver {
  std::function<void(int maximum)> setMaximum;
  std::function<void(int position)> setPosition;
  // A verify difference, in the memo's words.
  std::function<void(const std::string& line)> memo;
  // Checked after every block; true ends the transfer early.
  std::function<bool()> aborted;
  // Called after every block so that the window stays live (default: PumpEvents()).
  std::function<void()> betweenBlocks;
};

enum class TransferStatus {
  Done,           // finished; see failedBlocks / differences for details
  RangeRefused,   // kMsgWrongAddress
  FileError,      // kMsgCreateFileError or kMsgLoadFileError
  FileTooShort,   // kMsgFileTooShort
  WriteFailed,    // kMsgErrorWriting: at least one block was not written (its echo
                  // differed, or it was not answered even when tried again)
  VerifyFailed,   // kMsgErrorVerify: a block could not be read or a byte differs
  Aborted,        // stopped by the user; a dump leaves any existing file untouched
  DeviceLost,     // kMsgDeviceLost: blocks went unanswered kLostAfterBlocks times in a
                  // row, the transmitter has gone; a dump then writes no file
};

// Unanswered blocks in a row after which a transfer ends: the transmitter has left the
// IR window (a single lost answer now and then is normal over IR and is passed over).
// A block the transmitter answers with other bytes than were written does not count:
// the transmitter is there, it refused that block.
constexpr int kLostAfterBlocks = 5;
// A service command needs a fresh unlock, so the link cannot repeat it on its own when a
// reply is lost or garbled: a block that gets no proper answer is sent up to this many
// times (each with its unlock) before it counts as not answered.
constexpr int kBlockAttempts = 3;

struct TransferResult {
  TransferStatus status = TransferStatus::Done;
  std::string message;                   // the dialog's message; empty when none
  int byteCount = 0;                     // bytes in the range
  int failedBlocks = 0;                  // blocks that could not be read or written
  int differences = 0;                   // bytes that differ (verify)
  std::vector<std::string> memo;         // verify lines, in address order
  bool ok() const { return status == TransferStatus::Done && failedBlocks == 0; }
};

// The range of a transfer: first address and byte count. Every block address is
// addressBase + offset (the calibration page bit, or the start of an EEPROM range).
struct MemoryRange {
  int start = 0;
  int count = 0;
};

// External EEPROM, given the address fields as typed ("0x000", "0x2120", "100", ...).
TransferResult DumpXeeprom(const MemoryBlockAccess& io, const std::string& startText,
                           const std::string& stopText, const std::string& path,
                           const TransferObserver& observer = {});
TransferResult LoadXeeprom(const MemoryBlockAccess& io, const std::string& startText,
                           const std::string& stopText, const std::string& path,
                           const TransferObserver& observer = {});
TransferResult VerifyXeeprom(const MemoryBlockAccess& io, const std::string& startText,
                             const std::string& stopText, const std::string& path,
                             const TransferObserver& observer = {});

// Calibration EEPROM, one page of 1024 bytes (page 0 or 1).
TransferResult DumpCalibration(const MemoryBlockAccess& io, int page,
                               const std::string& path,
                               const TransferObserver& observer = {});
TransferResult LoadCalibration(const MemoryBlockAccess& io, int page,
                               const std::string& path,
                               const TransferObserver& observer = {});
TransferResult VerifyCalibration(const MemoryBlockAccess& io, int page,
                                 const std::string& path,
                                 const TransferObserver& observer = {});

}  // namespace zentra
