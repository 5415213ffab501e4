#include "files/MemoryTransfer.h"

#include <gtest/gtest.h>

#include "support/TempDir.h"


#include <array>
#include <fstream>
#include <set>

namespace zentra {
namespace {

// A transmitter memory seen through its block commands: 64 KiB addressed by 16 bits,
// with blocks that can be made to fail, and a log of every block asked for.
struct FakeMemory {
  std::vector<uint8_t> bytes = std::vector<uint8_t>(65536, 0);
  std::set<uint16_t> failingAddresses;   // no proper answer
  std::set<uint16_t> refusingAddresses;  // a write echoes other bytes
  struct Call {
    bool write;
    uint16_t address;
    int count;
  };
  std::vector<Call> calls;

  MemoryBlockAccess Access(int blockSize) {
    MemoryBlockAccess io;
    io.blockSize = blockSize;
    io.readBlock = [this](uint16_t a, uint8_t n, uint8_t* out) {
      calls.push_back({false, a, n});
      if (failingAddresses.count(a)) {
        out[0] = 0xEE;  // a failed read may leave junk behind
        return false;
      }
      for (int i = 0; i < n; ++i) out[i] = bytes[(a + i) & 0xFFFF];
      return true;
    };
    io.writeBlock = [this](uint16_t a, uint8_t n, const uint8_t* data) {
      calls.push_back({true, a, n});
      if (failingAddresses.count(a)) return BlockAnswer::NotAnswered;
      if (refusingAddresses.count(a)) return BlockAnswer::EchoDiffers;
      for (int i = 0; i < n; ++i) bytes[(a + i) & 0xFFFF] = data[i];
      return BlockAnswer::Done;
    };
    return io;
  }

  void FillPattern() {
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
  }
};

TransferObserver Quiet() {
  TransferObserver o;
  o.betweenBlocks = [] {};
  return o;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

class MemoryTransferTest : public ::testing::Test {
 protected:
  std::string Path(const char* name) { return dir.filePath(name); }
  testsupport::TempDir dir;
  FakeMemory memory;
};

TEST(MemoryAddressTest, ParsesHexDecimalAndRefusesJunk) {
  const struct {
    const char* text;
    int value;
  } cases[] = {
      {"0x000", 0},        {"0x2120", 8480},   {"  0x1f  ", 31},   {"0X1F", 31},
      {"0x", 0},           {"0x1G", -1},       {"0x-1", -1},       {"100", 100},
      {" 131 ", 131},      {"-5", -5},         {"", -1},           {"   ", -1},
      {"12ab", -1},        {"abc", -1},        {"99999999999", -1}, {"0xFFFFFFFFFFFF", 0x7FFFFFFF},
      {"0xFFFF", 0xFFFF},  {"+7", 7},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseMemoryAddress(c.text), c.value) << "'" << c.text << "'";
  }
}

TEST(MemoryAddressTest, RangeCheck) {
  const struct {
    int start, stop;
    bool valid;
  } cases[] = {
      {0, 8480, true},  {16, 16, false},      {17, 16, false},     {-1, 10, false},
      {0, -1, false},   {0, 0xFFFF, true},    {0xFFFE, 0xFFFF, true},
      // Past the 16-bit address space the block addresses would wrap onto address 0.
      {0, 0x10000, false}, {0xFFF0, 0x10010, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsValidMemoryRange(c.start, c.stop), c.valid) << c.start << ".." << c.stop;
  }
}

TEST_F(MemoryTransferTest, DefaultDumpCopiesExactRangeWithShortLastBlock) {
  memory.FillPattern();
  int maximum = -1, position = -1;
  TransferObserver o = Quiet();
  o.setMaximum = [&](int m) { maximum = m; };
  o.setPosition = [&](int p) { position = p; };
  const auto r = DumpXeeprom(memory.Access(kXeepromBlockSize), kDefaultXeepromStart,
                             kDefaultXeepromStop, Path("dump.bin"), o);
  ASSERT_TRUE(r.ok()) << r.message;
  EXPECT_EQ(r.byteCount, 8481);
  EXPECT_EQ(maximum, 8481);
  EXPECT_EQ(position, 8481);
  const auto file = ReadFile(Path("dump.bin"));
  ASSERT_EQ(file.size(), 8481u);
  EXPECT_TRUE(std::equal(file.begin(), file.end(), memory.bytes.begin()));
  ASSERT_EQ(memory.calls.size(), 266u);
  EXPECT_EQ(memory.calls.back().address, 8480);
  EXPECT_EQ(memory.calls.back().count, 1);
}

TEST_F(MemoryTransferTest, DecimalRangeOfOneBlock) {
  memory.FillPattern();
  const auto r = DumpXeeprom(memory.Access(32), "100", "131", Path("b.bin"), Quiet());
  ASSERT_TRUE(r.ok());
  ASSERT_EQ(memory.calls.size(), 1u);
  EXPECT_EQ(memory.calls[0].address, 100);
  EXPECT_EQ(memory.calls[0].count, 32);
  EXPECT_EQ(ReadFile(Path("b.bin")),
            std::vector<uint8_t>(memory.bytes.begin() + 100, memory.bytes.begin() + 132));
}

TEST_F(MemoryTransferTest, RefusedRangesSendNothingAndWriteNothing) {
  const std::pair<const char*, const char*> ranges[] = {
      {"0x10", "0x10"}, {"0x1G", "0x20"}, {"0", "junk"}, {"0xFFF0", "0x10010"}, {"-1", "5"}};
  for (const auto& [start, stop] : ranges) {
    for (auto op : {&DumpXeeprom, &LoadXeeprom, &VerifyXeeprom}) {
      const auto r = op(memory.Access(32), start, stop, Path("x.bin"), Quiet());
      EXPECT_EQ(r.status, TransferStatus::RangeRefused) << start << " " << stop;
      EXPECT_EQ(r.message, "Wrong address specified!");
    }
  }
  EXPECT_TRUE(memory.calls.empty());
  EXPECT_FALSE(testsupport::FileExists(Path("x.bin")));
}

TEST_F(MemoryTransferTest, FailedDumpBlockLeavesZerosAndIsCounted) {
  memory.FillPattern();
  memory.failingAddresses = {32};
  const auto r = DumpXeeprom(memory.Access(32), "0", "95", Path("d.bin"), Quiet());
  EXPECT_EQ(r.status, TransferStatus::Done);
  EXPECT_EQ(r.failedBlocks, 1);
  EXPECT_FALSE(r.ok());
  const auto file = ReadFile(Path("d.bin"));
  ASSERT_EQ(file.size(), 96u);
  for (int i = 32; i < 64; ++i) EXPECT_EQ(file[i], 0) << i;
  EXPECT_EQ(file[64], memory.bytes[64]);
}

TEST_F(MemoryTransferTest, DumpIntoUncreatableFileKeepsNothingHalfWritten) {
  const auto r = DumpXeeprom(memory.Access(32), "0", "31",
                             Path("no-such-folder/d.bin"), Quiet());
  EXPECT_EQ(r.status, TransferStatus::FileError);
  EXPECT_EQ(r.message, "Fatal error creating data file!");
}

TEST_F(MemoryTransferTest, AbortedDumpLeavesOlderImageUntouched) {
  const std::vector<uint8_t> old = {1, 2, 3};
  WriteFile(Path("keep.bin"), old);
  int blocks = 0;
  TransferObserver o = Quiet();
  o.aborted = [&] { return ++blocks == 2; };
  const auto r = DumpXeeprom(memory.Access(32), "0", "0x2120", Path("keep.bin"), o);
  EXPECT_EQ(r.status, TransferStatus::Aborted);
  EXPECT_EQ(memory.calls.size(), 2u);
  EXPECT_EQ(ReadFile(Path("keep.bin")), old);
}

TEST_F(MemoryTransferTest, LoadRefusesShortOrMissingFileBeforeSending) {
  WriteFile(Path("short.bin"), std::vector<uint8_t>(8480, 0x55));
  auto r = LoadXeeprom(memory.Access(32), kDefaultXeepromStart, kDefaultXeepromStop,
                       Path("short.bin"), Quiet());
  EXPECT_EQ(r.status, TransferStatus::FileTooShort);
  EXPECT_EQ(r.message, "Data File too short!");
  r = VerifyXeeprom(memory.Access(32), "0", "10", Path("missing.bin"), Quiet());
  EXPECT_EQ(r.status, TransferStatus::FileError);
  EXPECT_EQ(r.message, "Fatal error loading data file!");
  EXPECT_TRUE(memory.calls.empty());
}

TEST_F(MemoryTransferTest, LoadUsesFirstBytesOfLongerFileAndGoesOnAfterFailedBlock) {
  std::vector<uint8_t> image(200);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(255 - i);
  WriteFile(Path("img.bin"), image);
  memory.failingAddresses = {0x1020};
  const auto r = LoadXeeprom(memory.Access(32), "0x1000", "0x1063", Path("img.bin"), Quiet());
  EXPECT_EQ(r.status, TransferStatus::WriteFailed);
  EXPECT_EQ(r.message, "Error Writing!");
  EXPECT_EQ(r.failedBlocks, 1);
  // 100 bytes: 32 + 32 + 32 + 4, the unanswered block sent kBlockAttempts times in its
  // place and as often again once the others are written.
  ASSERT_EQ(memory.calls.size(), size_t(4 + 2 * kBlockAttempts - 1));
  EXPECT_EQ(memory.calls[kBlockAttempts + 2].count, 4);
  EXPECT_EQ(memory.calls.back().address, 0x1020);
  EXPECT_EQ(memory.bytes[0x1000], image[0]);
  EXPECT_EQ(memory.bytes[0x1020], 0);  // the failed block
  EXPECT_EQ(memory.bytes[0x1063], image[99]);
  EXPECT_EQ(memory.bytes[0x1064], 0);  // nothing past the range
}

TEST_F(MemoryTransferTest, VerifyListsDifferencesByOffsetFromRangeStart) {
  memory.FillPattern();
  std::vector<uint8_t> image(memory.bytes.begin() + 16, memory.bytes.begin() + 80);
  image[0] ^= 0xFF;
  image[63] = static_cast<uint8_t>(image[63] + 1);
  WriteFile(Path("v.bin"), image);
  std::vector<std::string> seen;
  TransferObserver o = Quiet();
  o.memo = [&](const std::string& line) { seen.push_back(line); };
  const auto r = VerifyXeeprom(memory.Access(32), "16", "79", Path("v.bin"), o);
  EXPECT_EQ(r.status, TransferStatus::VerifyFailed);
  EXPECT_EQ(r.message, "Error Verify!");
  EXPECT_EQ(r.differences, 2);
  char first[64], last[64];
  std::snprintf(first, sizeof first, "Address = 0: XEEPROM=%d - File=%d", memory.bytes[16],
                image[0]);
  std::snprintf(last, sizeof last, "Address = 63: XEEPROM=%d - File=%d", memory.bytes[79],
                image[63]);
  EXPECT_EQ(r.memo, (std::vector<std::string>{first, last}));
  EXPECT_EQ(seen, r.memo);
}

TEST_F(MemoryTransferTest, VerifyReportsUnreadBlockWithoutInventingDifferences) {
  memory.FillPattern();
  WriteFile(Path("v.bin"), std::vector<uint8_t>(memory.bytes.begin(), memory.bytes.begin() + 64));
  memory.failingAddresses = {32};
  const auto r = VerifyXeeprom(memory.Access(32), "0", "63", Path("v.bin"), Quiet());
  EXPECT_EQ(r.status, TransferStatus::VerifyFailed);
  EXPECT_EQ(r.differences, 0);
  EXPECT_EQ(r.failedBlocks, 1);
  EXPECT_EQ(r.memo, (std::vector<std::string>{"Address = 32: read failed (32 bytes)"}));
}

TEST_F(MemoryTransferTest, CalibrationPagesRoundTrip) {
  for (int page : {0, 1}) {
    memory = FakeMemory();
    memory.FillPattern();
    const std::string path = Path(page ? "cal1.bin" : "cal0.bin");
    auto r = DumpCalibration(memory.Access(kCalBlockSize), page, path, Quiet());
    ASSERT_TRUE(r.ok());
    ASSERT_EQ(memory.calls.size(), 128u);
    EXPECT_EQ(memory.calls[0].address, page ? 0x8000 : 0x0000);
    EXPECT_EQ(memory.calls[127].address, (page ? 0x8000 : 0) + 1016);
    const auto image = ReadFile(path);
    ASSERT_EQ(image.size(), 1024u);
    EXPECT_EQ(image[5], memory.bytes[(page ? 0x8000 : 0) + 5]);

    // Load the image into a blank memory, then verify it there.
    memory = FakeMemory();
    r = LoadCalibration(memory.Access(kCalBlockSize), page, path, Quiet());
    ASSERT_TRUE(r.ok());
    r = VerifyCalibration(memory.Access(kCalBlockSize), page, path, Quiet());
    EXPECT_TRUE(r.ok());
    EXPECT_TRUE(r.memo.empty());
    EXPECT_EQ(memory.bytes[page ? 5 : 0x8005], 0) << "the other page stays untouched";
  }
  EXPECT_EQ(DumpCalibration(memory.Access(8), 2, Path("c.bin"), Quiet()).status,
            TransferStatus::RangeRefused);
}

// The transmitter leaves the IR window half way: every block from address 0x400 on
// fails. Each operation ends soon after with the lost-transmitter message instead of
// grinding through the rest, and a dump leaves the older image where it was.
TEST_F(MemoryTransferTest, TransmitterLeavingEndsEveryTransferAndKeepsTheOldImage) {
  const std::vector<uint8_t> old = {9, 8, 7};
  memory.FillPattern();
  WriteFile(Path("image.bin"), std::vector<uint8_t>(8481, 0x5A));
  for (int a = 0x400; a < 0x2200; a += 32) memory.failingAddresses.insert(uint16_t(a));
  using Run = TransferResult (*)(const MemoryBlockAccess&, const std::string&,
                                 const std::string&, const std::string&, const TransferObserver&);
  const struct {
    const char* name;
    Run run;
    const char* file;
  } cases[] = {{"dump", DumpXeeprom, "old.bin"},
               {"load", LoadXeeprom, "image.bin"},
               {"verify", VerifyXeeprom, "image.bin"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(Path("old.bin"), old);
    memory.calls.clear();
    const auto r = c.run(memory.Access(32), "0x000", "0x2120", Path(c.file), Quiet());
    EXPECT_EQ(r.status, TransferStatus::DeviceLost);
    EXPECT_EQ(r.message, "Device not responding!");
    EXPECT_FALSE(r.ok());
    // 32 good blocks below 0x400, then kLostAfterBlocks blocks unanswered in a row.
    EXPECT_EQ(memory.calls.size(), size_t(32 + kLostAfterBlocks * kBlockAttempts));
    EXPECT_EQ(ReadFile(Path("old.bin")), old);
  }
}

// A block the transmitter echoes with other bytes is refused: "Error Writing!" in the
// end, but the load goes on, even through more refusals in a row than would end it for
// a transmitter that had left, and on a link without faults no block is sent twice.
TEST_F(MemoryTransferTest, RefusedBlocksFailTheLoadWithoutEndingIt) {
  WriteFile(Path("img.bin"), std::vector<uint8_t>(320, 0x5A));
  for (int a = 0; a < 0x100; a += 32) memory.refusingAddresses.insert(uint16_t(a));
  const auto r = LoadXeeprom(memory.Access(32), "0", "319", Path("img.bin"), Quiet());
  EXPECT_EQ(r.status, TransferStatus::WriteFailed);
  EXPECT_EQ(r.message, "Error Writing!");
  EXPECT_EQ(r.failedBlocks, 8);
  EXPECT_EQ(memory.calls.size(), 10u);
  EXPECT_EQ(memory.bytes[0x100], 0x5A);  // the blocks after the refusals were written

  // On a link that has shown faults a differing echo may be a garbled one: written again.
  LinkHealth faulty;
  faulty.NoteFault();
  memory = FakeMemory();
  memory.refusingAddresses = {0x20};
  MemoryBlockAccess io = memory.Access(32);
  io.health = &faulty;
  const auto again = LoadXeeprom(io, "0", "63", Path("img.bin"), Quiet());
  EXPECT_EQ(again.failedBlocks, 1);
  EXPECT_EQ(memory.calls.size(), size_t(1 + 2 * kBlockAttempts));
}

// A dump into a folder where no new file can be made, over a file that can be written,
// writes that file in place (there is no room for the temporary file beside it).
TEST_F(MemoryTransferTest, DumpIntoAReadOnlyFolderWritesTheFileItself) {
  memory.FillPattern();
  namespace fs = std::filesystem;
  const fs::path folder = fs::path(dir.path()) / "locked";
  fs::create_directory(folder);
  const std::string path = (folder / "image.bin").string();
  WriteFile(path, {1, 2, 3});
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
  if (std::ofstream(folder / "probe").is_open()) {
    // Root, or a system without folder permissions: the folder still takes new files.
    fs::permissions(folder, fs::perms::owner_all);
    GTEST_SKIP() << "this user writes into a read-only folder";
  }
  const auto r = DumpXeeprom(memory.Access(32), "0", "63", path, Quiet());
  fs::permissions(folder, fs::perms::owner_all);
  ASSERT_TRUE(r.ok()) << r.message;
  EXPECT_EQ(ReadFile(path), std::vector<uint8_t>(memory.bytes.begin(), memory.bytes.begin() + 64));
}

}  // namespace
}  // namespace zentra
