#include "files/MemoryTransfer.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>

#include "device/ConfirmedReads.h"
#include "device/ServiceCommands.h"
#include "files/TextFile.h"
#include "link/LinkWait.h"

namespace zentra {

namespace {

std::string TrimUpper(const std::string& text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && std::isspace(static_cast<unsigned char>(text[first]))) ++first;
  while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1]))) --last;
  std::string out = text.substr(first, last - first);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

TransferResult Refused(TransferStatus status, const char* message) {
  TransferResult r;
  r.status = status;
  r.message = message;
  return r;
}

void BetweenBlocks(const TransferObserver& observer) {
  if (observer.betweenBlocks) {
    observer.betweenBlocks();
  } else {
    PumpEvents();
  }
}

// A block is at least one byte and at most what a count byte can carry.
int BlockSize(const MemoryBlockAccess& io) { return std::clamp(io.blockSize, 1, 255); }

bool Aborted(const TransferObserver& observer) {
  return observer.aborted && observer.aborted();
}

// Counts failed blocks in a row; true once the transmitter must be taken as gone.
class LostWatch {
 public:
  bool operator()(bool ok) {
    consecutive_ = ok ? 0 : consecutive_ + 1;
    return consecutive_ >= kLostAfterBlocks;
  }

 private:
  int consecutive_ = 0;
};

void DeviceLost(TransferResult& result) {
  result.status = TransferStatus::DeviceLost;
  result.message = kMsgDeviceLost;
}

void StartProgress(const TransferObserver& observer, int maximum) {
  if (observer.setMaximum) observer.setMaximum(maximum);
  if (observer.setPosition) observer.setPosition(0);
}

// Reads exactly count bytes from the start of the file. A longer file is accepted;
// only its first count bytes are used.
TransferStatus ReadImage(const std::string& path, int count, std::vector<uint8_t>& image) {
  std::string bytes;
  if (!ReadFileStart(path, static_cast<size_t>(count), bytes)) return TransferStatus::FileError;
  image.assign(bytes.begin(), bytes.end());
  image.resize(static_cast<size_t>(count), 0);
  return bytes.size() < static_cast<size_t>(count) ? TransferStatus::FileTooShort
                                                   : TransferStatus::Done;
}

// The image replaces the file only once it is complete: it is written beside the
// target and renamed into place, so a failure never destroys an older image (in a
// folder that takes no new file the file itself is written, see WriteWholeFile).
bool WriteImage(const std::string& path, const std::vector<uint8_t>& image) {
  std::string error;
  return WriteWholeFile(
      path, std::string_view(reinterpret_cast<const char*>(image.data()), image.size()), error);
}

bool ReadAttempts(const MemoryBlockAccess& io, uint16_t address, uint8_t count,
                  std::vector<uint8_t>& out) {
  out.assign(count, 0);
  for (int i = 0; i < kBlockAttempts; ++i)
    if (io.readBlock(address, count, out.data())) return true;
  return false;
}

// Writes one block. No proper answer: tried again (writing a block again is harmless).
// Other bytes echoed: the transmitter refused the block, unless the link has shown
// faults, where a garbled echo is the likelier cause and the block is written once more.
BlockAnswer WriteAttempts(const MemoryBlockAccess& io, ConfirmedReads& reads, uint16_t address,
                          uint8_t count, const uint8_t* data) {
  BlockAnswer last = BlockAnswer::NotAnswered;
  for (int i = 0; i < kBlockAttempts; ++i) {
    last = io.writeBlock(address, count, data);
    if (last == BlockAnswer::Done) break;
    if (last == BlockAnswer::EchoDiffers && !reads.confirming()) break;
  }
  return last;
}

// The block reads of one dump or verify into a whole image of the range. Each block is
// read once on a link that has shown no fault; from its first fault on every block is
// confirmed and the blocks read before are read once more (ConfirmedReads), and a block
// whose second answer differs is read again into the image.
class BlockReader {
 public:
  template <typename AddressOf>
  BlockReader(const MemoryBlockAccess& io, int count, AddressOf addressOf,
              const TransferObserver& observer)
      : io_(io), count_(count), reads_(io.health), image_(static_cast<size_t>(count), 0),
        read_(static_cast<size_t>((count + BlockSize(io) - 1) / BlockSize(io)), false) {
    for (int offset = 0; offset < count; offset += BlockSize(io))
      addresses_.push_back(addressOf(offset));
    reads_.betweenReads = [&observer] { BetweenBlocks(observer); };
  }

  // Reads the block at offset (and any earlier one found wrong meanwhile); false when
  // the block itself could not be read. Its bytes then stay 0.
  bool Read(int offset) {
    const bool ok = ReadOne(offset);
    for (int step : reads_.TakeContradicted()) ReadOne(step);
    return ok;
  }
  const std::vector<uint8_t>& image() const { return image_; }
  bool BlockRead(int offset) const { return read_[Index(offset)]; }
  int FailedBlocks(int upTo) const {
    int failed = 0;
    for (int offset = 0; offset < upTo; offset += BlockSize(io_)) failed += BlockRead(offset) ? 0 : 1;
    return failed;
  }

 private:
  size_t Index(int offset) const { return static_cast<size_t>(offset / BlockSize(io_)); }
  bool ReadOne(int offset) {
    const int n = std::min(BlockSize(io_), count_ - offset);
    const uint16_t address = addresses_[Index(offset)];
    const MemoryBlockAccess* io = &io_;
    const auto count = static_cast<uint8_t>(n);
    std::vector<uint8_t> block;
    reads_.Step(offset);
    const bool ok = reads_.Read(
        [io, address, count](std::vector<uint8_t>& out) {
          return ReadAttempts(*io, address, count, out);
        },
        block);
    // A block that cannot be read keeps zeros in the image.
    if (!ok || block.size() != static_cast<size_t>(n)) block.assign(static_cast<size_t>(n), 0);
    std::copy(block.begin(), block.end(), image_.begin() + offset);
    read_[Index(offset)] = ok;
    return ok;
  }

  const MemoryBlockAccess& io_;
  int count_;
  ConfirmedReads reads_;
  std::vector<uint16_t> addresses_;
  std::vector<uint8_t> image_;
  std::vector<bool> read_;
};

// The transfer loops, shared by both memories. addressOf(offset) gives the block
// address of the byte at that offset from the start of the range.
template <typename AddressOf>
TransferResult Dump(const MemoryBlockAccess& io, int count, AddressOf addressOf,
                    const std::string& path, const TransferObserver& observer) {
  TransferResult result;
  result.byteCount = count;
  StartProgress(observer, count);
  BlockReader reader(io, count, addressOf, observer);
  LostWatch lost;
  for (int offset = 0; offset < count; offset += BlockSize(io)) {
    const int n = std::min(BlockSize(io), count - offset);
    const bool ok = reader.Read(offset);
    // An image of a transmitter that has gone would be mostly zeros: no file then.
    if (lost(ok)) {
      result.failedBlocks = reader.FailedBlocks(offset + n);
      DeviceLost(result);
      return result;
    }
    if (observer.setPosition) observer.setPosition(offset + n);
    BetweenBlocks(observer);
    if (Aborted(observer)) {
      result.status = TransferStatus::Aborted;
      return result;
    }
  }
  // Blocks that could not be read are counted so that the caller can tell the user the
  // image is incomplete.
  result.failedBlocks = reader.FailedBlocks(count);
  if (!WriteImage(path, reader.image())) {
    result.status = TransferStatus::FileError;
    result.message = kMsgCreateFileError;
  }
  return result;
}

template <typename AddressOf>
TransferResult Load(const MemoryBlockAccess& io, int count, AddressOf addressOf,
                    const std::string& path, const TransferObserver& observer) {
  std::vector<uint8_t> image;
  switch (ReadImage(path, count, image)) {
    case TransferStatus::FileError:
      return Refused(TransferStatus::FileError, kMsgLoadFileError);
    case TransferStatus::FileTooShort:
      return Refused(TransferStatus::FileTooShort, kMsgFileTooShort);
    default:
      break;
  }
  TransferResult result;
  result.byteCount = count;
  StartProgress(observer, count);
  LostWatch lost;
  // Decides, from the link's faults, whether an echo that differs is written again.
  ConfirmedReads link(io.health);
  auto write = [&](int offset) {
    const int n = std::min(BlockSize(io), count - offset);
    return WriteAttempts(io, link, addressOf(offset), static_cast<uint8_t>(n),
                         image.data() + offset);
  };
  std::vector<std::pair<int, BlockAnswer>> failed;
  for (int offset = 0; offset < count; offset += BlockSize(io)) {
    // A failed block is remembered and the load goes on with the next one.
    const BlockAnswer answer = write(offset);
    if (answer != BlockAnswer::Done) failed.emplace_back(offset, answer);
    if (lost(answer != BlockAnswer::NotAnswered)) {
      result.failedBlocks = static_cast<int>(failed.size());
      DeviceLost(result);
      return result;
    }
    if (observer.setPosition) observer.setPosition(std::min(offset + BlockSize(io), count));
    BetweenBlocks(observer);
    if (Aborted(observer)) {
      result.failedBlocks = static_cast<int>(failed.size());
      result.status = TransferStatus::Aborted;
      return result;
    }
  }
  // A block that went unanswered is written once more before it counts, and so is a
  // refused one on a link that has shown faults; on a clean link a refusal is final.
  const bool confirming = link.confirming();
  for (const auto& [offset, answer] : failed) {
    const bool again = answer == BlockAnswer::NotAnswered || confirming;
    if (!again || write(offset) != BlockAnswer::Done) ++result.failedBlocks;
    if (again) BetweenBlocks(observer);
  }
  if (result.failedBlocks > 0) {
    result.status = TransferStatus::WriteFailed;
    result.message = kMsgErrorWriting;
  }
  return result;
}

template <typename AddressOf>
TransferResult Verify(const MemoryBlockAccess& io, int count, AddressOf addressOf,
                      const std::string& path, const TransferObserver& observer) {
  std::vector<uint8_t> image;
  switch (ReadImage(path, count, image)) {
    case TransferStatus::FileError:
      return Refused(TransferStatus::FileError, kMsgLoadFileError);
    case TransferStatus::FileTooShort:
      return Refused(TransferStatus::FileTooShort, kMsgFileTooShort);
    default:
      break;
  }
  TransferResult result;
  result.byteCount = count;
  StartProgress(observer, count);
  BlockReader reader(io, count, addressOf, observer);
  // The differences are listed once the blocks are read: a block read again after a
  // fault must not leave lines about bytes it never held.
  auto listDifferences = [&](int upTo) {
    char line[96];
    for (int offset = 0; offset < upTo; offset += BlockSize(io)) {
      const int n = std::min(BlockSize(io), count - offset);
      if (!reader.BlockRead(offset)) {
        // The transmitter's bytes are unknown here: report the block as unread rather
        // than list differences against bytes that were never received.
        ++result.failedBlocks;
        std::snprintf(line, sizeof line, "Address = %d: read failed (%d bytes)", offset, n);
        result.memo.push_back(line);
        continue;
      }
      for (int i = offset; i < offset + n; ++i) {
        const uint8_t device = reader.image()[static_cast<size_t>(i)];
        const uint8_t file = image[static_cast<size_t>(i)];
        if (device == file) continue;
        ++result.differences;
        std::snprintf(line, sizeof line, "Address = %d: XEEPROM=%d - File=%d", i,
                      static_cast<int>(device), static_cast<int>(file));
        result.memo.push_back(line);
      }
    }
    if (observer.memo)
      for (const std::string& l : result.memo) observer.memo(l);
  };
  LostWatch lost;
  for (int offset = 0; offset < count; offset += BlockSize(io)) {
    const int n = std::min(BlockSize(io), count - offset);
    if (lost(reader.Read(offset))) {
      DeviceLost(result);
      return result;
    }
    if (observer.setPosition) observer.setPosition(offset + n);
    BetweenBlocks(observer);
    if (Aborted(observer)) {
      listDifferences(offset + n);
      result.status = TransferStatus::Aborted;
      return result;
    }
  }
  listDifferences(count);
  if (result.failedBlocks > 0 || result.differences > 0) {
    result.status = TransferStatus::VerifyFailed;
    result.message = kMsgErrorVerify;
  }
  return result;
}

// Parses the two address fields of an external-EEPROM transfer.
bool XeepromRange(const std::string& startText, const std::string& stopText,
                  MemoryRange& range) {
  const int start = ParseMemoryAddress(startText);
  const int stop = ParseMemoryAddress(stopText);
  if (!IsValidMemoryRange(start, stop)) return false;
  range.start = start;
  range.count = stop - start + 1;
  return true;
}

uint16_t CalibrationAddress(int page, int offset) {
  return static_cast<uint16_t>((page != 0 ? kCalPage1Bit : 0) + offset);
}

bool ValidPage(int page) { return page == 0 || page == 1; }

}  // namespace

MemoryBlockAccess XeepromAccess(ServiceCommands& commands) {
  MemoryBlockAccess io;
  io.blockSize = kXeepromBlockSize;
  io.readBlock = [&commands](uint16_t a, uint8_t n, uint8_t* out) {
    return commands.ReadXeepromBlock(a, n, out);
  };
  io.writeBlock = [&commands](uint16_t a, uint8_t n, const uint8_t* data) {
    return commands.XeepromBlockWrite(a, n, data);
  };
  io.health = commands.link().health();
  return io;
}

MemoryBlockAccess CalibrationAccess(ServiceCommands& commands) {
  MemoryBlockAccess io;
  io.blockSize = kCalBlockSize;
  io.readBlock = [&commands](uint16_t a, uint8_t n, uint8_t* out) {
    return commands.ReadCalBlock(a, n, out);
  };
  io.writeBlock = [&commands](uint16_t a, uint8_t n, const uint8_t* data) {
    return commands.CalBlockWrite(a, n, data);
  };
  io.health = commands.link().health();
  return io;
}

int ParseMemoryAddress(const std::string& text) {
  const std::string t = TrimUpper(text);
  if (t.rfind("0X", 0) == 0) {
    int64_t value = 0;
    for (size_t i = 2; i < t.size(); ++i) {
      const char c = t[i];
      int digit;
      if (c >= '0' && c <= '9') {
        digit = c - '0';
      } else if (c >= 'A' && c <= 'F') {
        digit = c - 'A' + 10;
      } else {
        return -1;
      }
      value = std::min<int64_t>(value * 16 + digit, 0x7FFFFFFF);
    }
    return static_cast<int>(value);
  }
  int value = 0;
  const char* begin = t.data();
  const char* end = t.data() + t.size();
  if (begin != end && *begin == '+') ++begin;
  const auto [ptr, ec] = std::from_chars(begin, end, value);
  if (t.empty() || ec != std::errc() || ptr != end) return -1;
  return value;
}

bool IsValidMemoryRange(int start, int stop) {
  return start >= 0 && start < stop && stop <= 0xFFFF;
}

TransferResult DumpXeeprom(const MemoryBlockAccess& io, const std::string& startText,
                           const std::string& stopText, const std::string& path,
                           const TransferObserver& observer) {
  MemoryRange range;
  if (!XeepromRange(startText, stopText, range)) {
    return Refused(TransferStatus::RangeRefused, kMsgWrongAddress);
  }
  return Dump(io, range.count,
              [&](int offset) { return static_cast<uint16_t>(range.start + offset); }, path,
              observer);
}

TransferResult LoadXeeprom(const MemoryBlockAccess& io, const std::string& startText,
                           const std::string& stopText, const std::string& path,
                           const TransferObserver& observer) {
  MemoryRange range;
  if (!XeepromRange(startText, stopText, range)) {
    return Refused(TransferStatus::RangeRefused, kMsgWrongAddress);
  }
  return Load(io, range.count,
              [&](int offset) { return static_cast<uint16_t>(range.start + offset); }, path,
              observer);
}

TransferResult VerifyXeeprom(const MemoryBlockAccess& io, const std::string& startText,
                             const std::string& stopText, const std::string& path,
                             const TransferObserver& observer) {
  MemoryRange range;
  if (!XeepromRange(startText, stopText, range)) {
    return Refused(TransferStatus::RangeRefused, kMsgWrongAddress);
  }
  return Verify(io, range.count,
                [&](int offset) { return static_cast<uint16_t>(range.start + offset); }, path,
                observer);
}

TransferResult DumpCalibration(const MemoryBlockAccess& io, int page, const std::string& path,
                               const TransferObserver& observer) {
  if (!ValidPage(page)) return Refused(TransferStatus::RangeRefused, kMsgWrongAddress);
  return Dump(io, kCalPageSize, [&](int offset) { return CalibrationAddress(page, offset); },
              path, observer);
}

TransferResult LoadCalibration(const MemoryBlockAccess& io, int page, const std::string& path,
                               const TransferObserver& observer) {
  if (!ValidPage(page)) return Refused(TransferStatus::RangeRefused, kMsgWrongAddress);
  return Load(io, kCalPageSize, [&](int offset) { return CalibrationAddress(page, offset); },
              path, observer);
}

TransferResult VerifyCalibration(const MemoryBlockAccess& io, int page,
                                 const std::string& path, const TransferObserver& observer) {
  if (!ValidPage(page)) return Refused(TransferStatus::RangeRefused, kMsgWrongAddress);
  return Verify(io, kCalPageSize, [&](int offset) { return CalibrationAddress(page, offset); },
                path, observer);
}

}  // namespace zentra
