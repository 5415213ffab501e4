#include "files/MemoryTransfer.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>

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
// target and renamed into place, so a failure never destroys an older image.
bool WriteImage(const std::string& path, const std::vector<uint8_t>& image) {
  std::string error;
  return WriteWholeFile(
      path, std::string_view(reinterpret_cast<const char*>(image.data()), image.size()), error);
}

// The transfer loops, shared by both memories. addressOf(offset) gives the block
// address of the byte at that offset from the start of the range.
template <typename AddressOf>
TransferResult Dump(const MemoryBlockAccess& io, int count, AddressOf addressOf,
                    const std::string& path, const TransferObserver& observer) {
  TransferResult result;
  result.byteCount = count;
  StartProgress(observer, count);
  std::vector<uint8_t> image(static_cast<size_t>(count), 0);
  LostWatch lost;
  for (int offset = 0; offset < count; offset += BlockSize(io)) {
    const int n = std::min(BlockSize(io), count - offset);
    // A block that cannot be read keeps zeros in the image; it is counted so that the
    // caller can tell the user the image is incomplete.
    const bool ok =
        io.readBlock(addressOf(offset), static_cast<uint8_t>(n), image.data() + offset);
    if (!ok) {
      std::fill_n(image.begin() + offset, n, uint8_t{0});
      ++result.failedBlocks;
    }
    // An image of a transmitter that has gone would be mostly zeros: no file then.
    if (lost(ok)) {
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
  if (!WriteImage(path, image)) {
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
  auto write = [&](int offset) {
    const int n = std::min(BlockSize(io), count - offset);
    return io.writeBlock(addressOf(offset), static_cast<uint8_t>(n), image.data() + offset);
  };
  std::vector<int> failed;
  for (int offset = 0; offset < count; offset += BlockSize(io)) {
    // A failed block is remembered and the load goes on with the next one.
    const bool ok = write(offset);
    if (!ok) failed.push_back(offset);
    if (lost(ok)) {
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
  // A reply lost or garbled over IR fails a block now and then (writing a block again
  // is harmless): each failed block is written once more before it counts.
  for (int offset : failed) {
    if (!write(offset)) ++result.failedBlocks;
    BetweenBlocks(observer);
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
  auto addMemo = [&](const std::string& line) {
    result.memo.push_back(line);
    if (observer.memo) observer.memo(line);
  };
  std::vector<uint8_t> block(static_cast<size_t>(BlockSize(io)), 0);
  char line[96];
  LostWatch lost;
  for (int offset = 0; offset < count; offset += BlockSize(io)) {
    const int n = std::min(BlockSize(io), count - offset);
    const bool ok = io.readBlock(addressOf(offset), static_cast<uint8_t>(n), block.data());
    if (lost(ok)) {
      DeviceLost(result);
      return result;
    }
    if (!ok) {
      // The transmitter's bytes are unknown here: report the block as unread rather
      // than list differences against bytes that were never received.
      ++result.failedBlocks;
      std::snprintf(line, sizeof line, "Address = %d: read failed (%d bytes)", offset, n);
      addMemo(line);
    } else {
      for (int i = 0; i < n; ++i) {
        const uint8_t device = block[static_cast<size_t>(i)];
        const uint8_t file = image[static_cast<size_t>(offset + i)];
        if (device != file) {
          ++result.differences;
          std::snprintf(line, sizeof line, "Address = %d: XEEPROM=%d - File=%d", offset + i,
                        static_cast<int>(device), static_cast<int>(file));
          addMemo(line);
        }
      }
    }
    if (observer.setPosition) observer.setPosition(offset + n);
    BetweenBlocks(observer);
    if (Aborted(observer)) {
      result.status = TransferStatus::Aborted;
      return result;
    }
  }
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

namespace {

// A service command needs a fresh unlock, so the link cannot repeat it on its own when a
// reply is lost or garbled: a block is tried up to three times here, each time with its
// unlock. Writing a block again is harmless; a read is believed when two reads in a row
// agree, since a garbled reply of the right length shows nothing wrong by itself.
constexpr int kBlockAttempts = 3;

template <typename Write>
bool WriteWithAttempts(const Write& write) {
  for (int i = 0; i < kBlockAttempts; ++i)
    if (write()) return true;
  return false;
}

template <typename Read>
bool ReadConfirmed(uint8_t count, uint8_t* out, const Read& read) {
  // In pairs: both reads of a pair must agree (two of three could outvote a good read).
  for (int pair = 0; pair < kBlockAttempts; ++pair) {
    std::vector<uint8_t> a(count), b(count);
    if (!read(a.data()) || !read(b.data())) continue;
    if (a == b) {
      std::copy(a.begin(), a.end(), out);
      return true;
    }
  }
  return false;
}

}  // namespace

MemoryBlockAccess XeepromAccess(ServiceCommands& commands) {
  MemoryBlockAccess io;
  io.blockSize = kXeepromBlockSize;
  io.readBlock = [&commands](uint16_t a, uint8_t n, uint8_t* out) {
    return ReadConfirmed(n, out, [&](uint8_t* o) { return commands.ReadXeepromBlock(a, n, o); });
  };
  io.writeBlock = [&commands](uint16_t a, uint8_t n, const uint8_t* data) {
    return WriteWithAttempts([&] { return commands.WriteXeepromBlock(a, n, data); });
  };
  return io;
}

MemoryBlockAccess CalibrationAccess(ServiceCommands& commands) {
  MemoryBlockAccess io;
  io.blockSize = kCalBlockSize;
  io.readBlock = [&commands](uint16_t a, uint8_t n, uint8_t* out) {
    return ReadConfirmed(n, out, [&](uint8_t* o) { return commands.ReadCalBlock(a, n, o); });
  };
  io.writeBlock = [&commands](uint16_t a, uint8_t n, const uint8_t* data) {
    return WriteWithAttempts([&] { return commands.WriteCalBlock(a, n, data); });
  };
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
