// Arbitrary bytes as a .bin memory image, loaded into and verified against an external
// EEPROM and a calibration page held in memory. A load writes exactly the file's bytes
// into the range (or refuses a short file), and a verify of the same file then finds no
// difference.
#include <algorithm>
#include <cstring>
#include <vector>

#include "FuzzRig.h"
#include "files/MemoryTransfer.h"

using namespace zentra;

namespace {

MemoryBlockAccess Access(std::vector<uint8_t>& memory, int blockSize, uint16_t pageBit) {
  MemoryBlockAccess io;
  io.blockSize = blockSize;
  io.readBlock = [&memory, pageBit](uint16_t address, uint8_t count, uint8_t* out) {
    const size_t at = static_cast<size_t>(address & ~pageBit);
    if (at + count > memory.size()) return false;
    std::memcpy(out, memory.data() + at, count);
    return true;
  };
  io.writeBlock = [&memory, pageBit](uint16_t address, uint8_t count, const uint8_t* data) {
    const size_t at = static_cast<size_t>(address & ~pageBit);
    if (at + count > memory.size()) return BlockAnswer::NotAnswered;
    std::memcpy(memory.data() + at, data, count);
    return BlockAnswer::Done;
  };
  return io;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const std::string& path = fuzz::ScratchFile(".bin");
  if (!fuzz::WriteFile(path, data + 1, size - 1)) return 0;
  const size_t fileSize = size - 1;
  TransferObserver quiet;
  quiet.betweenBlocks = [] {};

  if (data[0] & 1) {
    const int page = (data[0] >> 1) & 1;
    std::vector<uint8_t> cal(kCalPageSize, 0xA5);
    const MemoryBlockAccess io = Access(cal, kCalBlockSize, page ? kCalPage1Bit : 0);
    const TransferResult r = LoadCalibration(io, page, path, quiet);
    if (fileSize < static_cast<size_t>(kCalPageSize)) {
      FUZZ_CHECK(r.status != TransferStatus::Done);
      FUZZ_CHECK(cal == std::vector<uint8_t>(kCalPageSize, 0xA5));
      return 0;
    }
    FUZZ_CHECK(r.ok());
    FUZZ_CHECK(std::memcmp(cal.data(), data + 1, kCalPageSize) == 0);
    FUZZ_CHECK(VerifyCalibration(io, page, path, quiet).ok());
    return 0;
  }
  // External EEPROM: a range from the second and third input bytes (as typed, in hex).
  // Ranges end below 0x1300 (start at most 0xFE0, at most 600 bytes long): 8 KB hold them,
  // and a read or write past the range would still land in memory that is checked.
  std::vector<uint8_t> eeprom(8192, 0x5A);
  const MemoryBlockAccess io = Access(eeprom, kXeepromBlockSize, 0);
  const int start = (data[0] >> 1) * 32;
  const int stop = start + 1 + static_cast<int>(fileSize % 600);
  char startText[16], stopText[16];
  std::snprintf(startText, sizeof startText, "0x%X", start);
  std::snprintf(stopText, sizeof stopText, "0x%X", stop);
  const TransferResult r = LoadXeeprom(io, startText, stopText, path, quiet);
  if (r.status == TransferStatus::Done && r.ok()) {
    const size_t count = static_cast<size_t>(r.byteCount);
    FUZZ_CHECK(count <= fileSize);
    FUZZ_CHECK(std::memcmp(eeprom.data() + start, data + 1, count) == 0);
    const auto untouched = [](auto first, auto last) {
      return std::all_of(first, last, [](uint8_t b) { return b == 0x5A; });
    };
    FUZZ_CHECK(untouched(eeprom.begin(), eeprom.begin() + start));
    FUZZ_CHECK(untouched(eeprom.begin() + start + static_cast<long>(count), eeprom.end()));
    FUZZ_CHECK(VerifyXeeprom(io, startText, stopText, path, quiet).ok());
  } else {
    FUZZ_CHECK(r.status == TransferStatus::FileTooShort || r.status == TransferStatus::FileError);
  }
  return 0;
}
