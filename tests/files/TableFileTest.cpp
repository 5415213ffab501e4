#include <gtest/gtest.h>

#include "support/TempDir.h"

#include <random>

#include "SimBench.h"
#include "files/IniFile.h"
#include "files/TableFile.h"

using namespace zentra;
using namespace zentra::filetest;

namespace {

using testsupport::ReadAll;
using testsupport::TempDir;
using testsupport::WriteAll;

// Fills the transmitter's table with a random plan the transmitter accepts. Channel 0 of
// every group and group 0 stay visible, and the transmitter is tuned to (0, 0), so that
// a load of this plan needs none of the rules that free channels or retune.
void RandomPlan(SimBench& b, uint32_t seed) {
  std::mt19937 rng(seed);
  auto& s = b.state();
  const TDeviceData& d = b.data;
  auto freq = [&]() {
    for (;;) {
      const int32_t f = d.freqMinMHz * 1000 + static_cast<int32_t>(rng() % ((d.freqMaxMHz - d.freqMinMHz) * 40)) * 25;
      if (d.IsFrequencyAllowed(f)) return static_cast<uint32_t>(f);
    }
  };
  for (int g = 0; g < s.groupCount; ++g) {
    for (int c = 0; c < s.channelCount; ++c) {
      auto& ch = s.table[g][c];
      ch.freqKHz = freq();
      ch.locked = rng() % 2;
      ch.hidden = c != 0 && rng() % 3 == 0;
    }
    for (auto& byte : s.groupNames[g]) byte = static_cast<uint8_t>('A' + rng() % 26);
  }
  if (static_cast<int>(s.table.size()) > s.groupCount) s.table[s.groupCount][0].freqKHz = freq();
  for (auto& byte : s.syncName) byte = static_cast<uint8_t>('a' + rng() % 26);
  for (int g = 0; g < s.groupCount; ++g) {
    const uint8_t bit = static_cast<uint8_t>(1u << (g % 8));
    if (rng() % 2) s.groupLockMask[g / 8] |= bit; else s.groupLockMask[g / 8] &= ~bit;
    if (g != 0 && rng() % 3 == 0) s.groupHiddenMask[g / 8] |= bit; else s.groupHiddenMask[g / 8] &= ~bit;
  }
  s.curGroup = 0;
  s.curChannel = 0;
  s.curFreqKHz = s.table[0][0].freqKHz;
}

// Refreshes the device data's view of the group masks and tuning (as a reconnect would).
void Reread(SimBench& b) {
  CommandSet commands(*b.link, b.data);
  EXPECT_TRUE(commands.ReadLockBytes());
  EXPECT_TRUE(commands.ReadGroupChannel());
}

uint8_t GroupBits(const std::array<uint8_t, 5>& mask, int groups) {
  // The bits of the first up to 8 groups, enough to compare small tables.
  return static_cast<uint8_t>(mask[0] & ((groups >= 8) ? 0xFF : ((1u << groups) - 1)));
}

}  // namespace

class TableRoundTrip : public ::testing::TestWithParam<std::tuple<const char*, bool>> {};

TEST_P(TableRoundTrip, SavedTableComesBackWhole) {
  const auto [model, legacy] = GetParam();
  SimBench b(std::string("usbmsg:") + model + ",groups=5,channels=7");
  ASSERT_TRUE(b.ok());
  RandomPlan(b, 7);
  Reread(b);
  const sim::SimTransmitterState original = b.state();
  TempDir dir;
  const std::string path = dir.filePath("t.qdf");

  RecordingProgress progress;
  TableSaveOptions save;
  save.legacy = legacy;
  FileOpResult r = SaveFrequencyTable(*b.link, b.data, path, save, progress);
  ASSERT_EQ(r.status, FileOpStatus::Done) << r.message;
  EXPECT_EQ(r.message, "File saved!");
  EXPECT_EQ(progress.caption, legacy ? "Saving to file..." : "Saving file...");
  EXPECT_EQ(progress.maximum, 5 * 7);
  EXPECT_EQ(progress.position, 5 * 7);

  // Section numbering of the family.
  IniFile ini;
  ASSERT_EQ(ini.Load(path), IniFile::Status::Ok);
  const bool newFamily = b.data.modelType >= 3;
  EXPECT_EQ(ini.SectionExists("GROUP00"), newFamily);
  EXPECT_TRUE(ini.SectionExists("GROUP04"));
  EXPECT_EQ(ini.SectionExists("GROUP05"), !newFamily);
  EXPECT_EQ(ini.SectionExists("SYNC"), !legacy && b.data.syncSupported);
  EXPECT_EQ(progress.lines.back(), b.data.syncSupported && !legacy
                                       ? "Sync"
                                       : (legacy || !newFamily ? "Saved Group=05" : "Saved Group=04"));

  // Scramble the transmitter, then load the file back.
  auto& s = b.state();
  for (int g = 0; g < s.groupCount; ++g) {
    for (int c = 0; c < s.channelCount; ++c) {
      s.table[g][c].freqKHz = original.table[0][0].freqKHz;
      s.table[g][c].locked = !original.table[g][c].locked;
      s.table[g][c].hidden = c != 0 && !original.table[g][c].hidden;
    }
    s.groupNames[g].fill('z');
  }
  s.syncName.fill('Z');
  if (static_cast<int>(s.table.size()) > s.groupCount) s.table[s.groupCount][0].freqKHz = original.table[0][0].freqKHz;
  s.groupLockMask.fill(0);
  s.groupHiddenMask.fill(0);
  Reread(b);

  RecordingProgress loadProgress;
  r = LoadFrequencyTable(*b.link, b.data, path, TableLoadOptions{}, loadProgress);
  ASSERT_EQ(r.status, FileOpStatus::Done) << r.message;
  EXPECT_EQ(r.message, "File loaded!");
  EXPECT_EQ(loadProgress.lines.front(), "Warnings:");
  EXPECT_TRUE(Contains(loadProgress.lines, newFamily ? "Loaded Group=00" : "Loaded Group=01"));

  const auto& now = b.state();
  const bool flags = !legacy && b.data.channelFlagsSupported;
  for (int g = 0; g < s.groupCount; ++g) {
    for (int c = 0; c < s.channelCount; ++c) {
      SCOPED_TRACE(testing::Message() << "group " << g << " channel " << c);
      EXPECT_EQ(now.table[g][c].freqKHz, original.table[g][c].freqKHz);
      if (flags) {
        EXPECT_EQ(now.table[g][c].locked, original.table[g][c].locked);
        EXPECT_EQ(now.table[g][c].hidden, original.table[g][c].hidden);
      }
    }
    if (!legacy && b.data.groupNamesSupported) { EXPECT_EQ(now.groupNames[g], original.groupNames[g]); }
  }
  if (!legacy && b.data.syncSupported) {
    EXPECT_EQ(now.table[s.groupCount][0].freqKHz, original.table[s.groupCount][0].freqKHz);
    if (b.data.groupNamesSupported) { EXPECT_EQ(now.syncName, original.syncName); }
  }
  if (!legacy && b.data.groupLockSupported) {
    EXPECT_EQ(GroupBits(now.groupLockMask, 5), GroupBits(original.groupLockMask, 5));
  }
  if (!legacy && b.data.groupHiddenSupported) {
    EXPECT_EQ(GroupBits(now.groupHiddenMask, 5), GroupBits(original.groupHiddenMask, 5));
  }
}

INSTANTIATE_TEST_SUITE_P(
    BothFamiliesBothFormats, TableRoundTrip,
    ::testing::Combine(::testing::Values("ZQK120", "ZQL12", "ZQL21", "ZQN21X", "ZQL22X", "ZQK230"),
                       ::testing::Bool()));

TEST(TableFile, CurrentFormatKeysStandInTheirOrderWithInvertedFlags) {
  SimBench b("usbmsg:ZQL21,groups=2,channels=2");
  ASSERT_TRUE(b.ok());
  ASSERT_TRUE(b.data.groupNamesSupported && b.data.channelFlagsSupported && b.data.syncSupported);
  auto& s = b.state();
  s.table[1][1] = {512125, true, false};
  s.groupLockMask[0] = 0x02;
  Reread(b);
  IniFile ini;
  NullProgress quiet;
  TableSaveOptions opt;
  opt.scope = TableScope::OneGroup(1);
  ASSERT_TRUE(SaveFrequencyTable(*b.link, b.data, ini, opt, quiet).ok());
  EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"DATA", "GROUP01"}));
  EXPECT_EQ(ini.KeyNames("DATA"), (std::vector<std::string>{"matricola", "ID", "Channels", "Groups",
                                                             "FreqMin", "FreqMax", "Step"}));
  EXPECT_EQ(ini.KeyNames("GROUP01"),
            (std::vector<std::string>{"NAME", "LOCK", "HIDDEN", "CH00", "CH00_LOCK", "CH00_HIDDEN",
                                      "CH01", "CH01_LOCK", "CH01_HIDDEN"}));
  EXPECT_EQ(ini.ReadString("GROUP01", "CH01", ""), "512125");
  EXPECT_EQ(ini.ReadString("GROUP01", "CH01_LOCK", ""), "0");
  EXPECT_EQ(ini.ReadString("GROUP01", "CH01_HIDDEN", ""), "1");
  EXPECT_EQ(ini.ReadString("GROUP01", "LOCK", ""), "0");
  EXPECT_EQ(ini.ReadString("GROUP01", "HIDDEN", ""), "1");
  EXPECT_EQ(ini.ReadInteger("DATA", "Channels", 0), 2);
}

TEST(TableFile, ScopeDecidesSectionsWritten) {
  SimBench b("usbmsg:ZQL21,groups=3,channels=2");
  ASSERT_TRUE(b.ok());
  struct Case {
    TableScope scope;
    bool legacy;
    std::vector<std::string> sections;
  };
  const Case cases[] = {
      {TableScope::SyncOnly(), false, {"DATA", "SYNC"}},
      {TableScope::SyncOnly(), true, {"DATA"}},
      {TableScope::OneGroup(2), false, {"DATA", "GROUP02"}},
      {TableScope::All(), true, {"DATA", "GROUP00", "GROUP01", "GROUP02"}},
      {TableScope::All(), false, {"DATA", "GROUP00", "GROUP01", "GROUP02", "SYNC"}},
      {TableScope::FromList(false, b.data.syncGroup, b.data), false, {"DATA", "SYNC"}},
  };
  for (const auto& c : cases) {
    IniFile ini;
    NullProgress quiet;
    TableSaveOptions opt{c.scope, c.legacy};
    ASSERT_TRUE(SaveFrequencyTable(*b.link, b.data, ini, opt, quiet).ok());
    EXPECT_EQ(ini.SectionNames(), c.sections);
  }
}

TEST(TableFile, SaveOverAnOldFileLeavesNoStaleSection) {
  SimBench b("usbmsg:ZQL21,groups=2,channels=2");
  ASSERT_TRUE(b.ok());
  TempDir dir;
  const std::string path = dir.filePath("old.qdf");
  ASSERT_TRUE(WriteAll(path, "[GROUP07]\r\nCH00=500000\r\n[DATA]\r\nextra=1\r\n"));
  NullProgress quiet;
  TableSaveOptions opt{TableScope::OneGroup(0), false};
  ASSERT_TRUE(SaveFrequencyTable(*b.link, b.data, path, opt, quiet).ok());
  IniFile ini;
  ASSERT_EQ(ini.Load(path), IniFile::Status::Ok);
  EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"DATA", "GROUP00"}));
  EXPECT_FALSE(ini.KeyExists("DATA", "extra"));
}

TEST(TableFile, NewFamilyFileIntoOldFamilyTransmitterShiftsGroups) {
  SimBench from("usbmsg:ZQL21,groups=4,channels=3");
  SimBench to("usbmsg:ZQL12,groups=4,channels=3");
  ASSERT_TRUE(from.ok() && to.ok());
  ASSERT_EQ(from.data.modelType, 3);
  ASSERT_EQ(to.data.modelType, 2);
  RandomPlan(from, 3);
  Reread(from);
  IniFile ini;
  NullProgress quiet;
  TableSaveOptions legacy{TableScope::All(), true};
  ASSERT_TRUE(SaveFrequencyTable(*from.link, from.data, ini, legacy, quiet).ok());
  const auto before = to.state().table;
  FileOpResult r = LoadFrequencyTable(*to.link, to.data, ini, TableLoadOptions{}, quiet);
  ASSERT_TRUE(r.ok()) << r.message;
  for (int c = 0; c < 3; ++c) {
    for (int g = 0; g < 3; ++g) {
      // GROUP01..GROUP03 of the file land in groups 0..2; GROUP00 is not read.
      EXPECT_EQ(to.state().table[g][c].freqKHz, from.state().table[g + 1][c].freqKHz);
    }
    EXPECT_EQ(to.state().table[3][c].freqKHz, before[3][c].freqKHz);
  }
}

TEST(TableFile, LoadWarnsAndRepairsAsItGoes) {
  SimBench b("usbmsg:ZQL21,groups=3,channels=8");
  ASSERT_TRUE(b.ok());
  ASSERT_TRUE(b.data.syncSupported && b.data.channelFlagsSupported && b.data.groupHiddenSupported);
  auto& s = b.state();
  for (int g = 0; g < 3; ++g) {
    for (int c = 0; c < 8; ++c) s.table[g][c] = {500000u + 25u * c, false, false};
  }
  s.curGroup = 0;
  s.curChannel = 3;
  Reread(b);
  ASSERT_EQ(b.data.curChannel, 3);

  std::string text = "[GROUP00]\r\nCH05=512.125\r\nCH03_HIDDEN=0\r\n"
                     "[GROUP01]\r\nHIDDEN=0\r\n";
  for (int c = 0; c < 8; ++c) text += "CH0" + std::to_string(c) + "_HIDDEN=0\r\n";
  text += "[GROUP02]\r\nHIDDEN=0\r\nCH01=junk\r\nCH02=999999\r\nCH02_LOCK=0\r\n";
  text += "[GROUP00]\r\nHIDDEN=0\r\n[SYNC]\r\nCH00=1.2.3\r\n";
  IniFile ini;
  ASSERT_EQ(ini.LoadText(text), IniFile::Status::Ok);

  RecordingProgress progress;
  TableLoadOptions opt;
  opt.outLockToHidden = true;
  FileOpResult r = LoadFrequencyTable(*b.link, b.data, ini, opt, progress);
  ASSERT_TRUE(r.ok()) << r.message;
  const std::vector<std::string> expected = {
      "Warnings:",
      "",
      "Not Supported Freq 512.125 (channel=05-group=01)",
      "Loaded Group=00",
      "Not all channels hidden -> free Channel=00 Group=02",
      "Loaded Group=01",
      "Not Supported Freq junk (channel=01-group=03)",
      "Not Supported Freq 999999 (channel=02-group=03)",
      "Loaded Group=02",
      "Not all groups hidden -> free Group=01",
      "Not Supported Freq 1.2.3 SYNC channel",
      "Loaded SYNC",
      "Tuning Channel hidden (channel=03-group=01) -> Tune Sync channel",
  };
  EXPECT_EQ(progress.lines, expected);
  EXPECT_EQ(r.memo, expected);
  EXPECT_EQ(s.table[0][5].freqKHz, 500125u);  // the refused value left it alone
  EXPECT_TRUE(s.table[0][3].hidden);
  EXPECT_FALSE(s.table[1][0].hidden);         // freed
  EXPECT_TRUE(s.table[1][1].hidden);
  // A locked channel with a refused frequency is loaded hidden and unlocked instead.
  EXPECT_TRUE(s.table[2][2].hidden);
  EXPECT_FALSE(s.table[2][2].locked);
  EXPECT_EQ(s.groupHiddenMask[0] & 0x07, 0x06);  // group 0 freed, 1 and 2 hidden
  EXPECT_EQ(b.data.curGroup, b.data.syncGroup);  // retuned and read back
  EXPECT_EQ(b.data.curChannel, 0);
}

TEST(TableFile, InterruptedSaveKeepsSectionsSoFarAndInterruptedLoadStillSendsMasks) {
  SimBench b("usbmsg:ZQL21,groups=4,channels=2");
  ASSERT_TRUE(b.ok());
  TempDir dir;
  const std::string path = dir.filePath("part.qdf");
  RecordingProgress progress;
  progress.abortAtPosition = 4;  // the last channel of the second group
  FileOpResult r = SaveFrequencyTable(*b.link, b.data, path, TableSaveOptions{}, progress);
  EXPECT_EQ(r.status, FileOpStatus::Interrupted);
  EXPECT_EQ(r.message, "File saving Interrupted!");
  IniFile ini;
  ASSERT_EQ(ini.Load(path), IniFile::Status::Ok);
  EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"DATA", "GROUP00", "GROUP01"}));

  ini.WriteInteger("GROUP00", "HIDDEN", 0);
  ini.WriteInteger("GROUP01", "HIDDEN", 0);
  RecordingProgress loadProgress;
  loadProgress.abortAtPosition = 4;
  r = LoadFrequencyTable(*b.link, b.data, ini, TableLoadOptions{}, loadProgress);
  EXPECT_EQ(r.status, FileOpStatus::Interrupted);
  EXPECT_EQ(r.message, "File loaded Interrupted!");
  EXPECT_FALSE(Contains(loadProgress.lines, "Loaded Group=01"));
  EXPECT_FALSE(Contains(loadProgress.lines, "Loaded SYNC"));
  EXPECT_EQ(b.state().groupHiddenMask[0] & 0x03, 0x03);
}

// Close in the middle of a group stops the walk at the next command: no channel after
// it is read or written, and the half-done group gets no "Saved"/"Loaded" line.
TEST(TableFile, CloseStopsTheWalkWithinOneCommand) {
  SimBench b("usbmsg:ZQL21,groups=4,channels=8");
  ASSERT_TRUE(b.ok());
  IniFile ini;
  RecordingProgress save;
  save.abortAtPosition = 3;
  FileOpResult r = SaveFrequencyTable(*b.link, b.data, ini, TableSaveOptions{}, save);
  EXPECT_EQ(r.status, FileOpStatus::Interrupted);
  EXPECT_EQ(save.position, 3);
  EXPECT_EQ(save.questionsAfterAbort, 1);
  EXPECT_FALSE(ini.KeyExists("GROUP00", "CH03"));
  EXPECT_FALSE(Contains(save.lines, "Saved Group=00"));

  // A frequency the transmitter takes that no channel of group 0 holds yet.
  int32_t f = b.data.freqMinMHz * 1000;
  auto held = [&](int32_t v) {
    for (int c = 0; c < 8; ++c)
      if (b.state().table[0][c].freqKHz == static_cast<uint32_t>(v)) return true;
    return false;
  };
  while (!b.data.IsFrequencyAllowed(f) || held(f)) f += 25;
  for (int c = 0; c < 8; ++c) ini.WriteInteger("GROUP00", "CH0" + std::to_string(c), f);
  RecordingProgress load;
  load.abortAtPosition = 2;
  r = LoadFrequencyTable(*b.link, b.data, ini, TableLoadOptions{}, load);
  EXPECT_EQ(r.status, FileOpStatus::Interrupted);
  EXPECT_EQ(load.position, 2);
  EXPECT_EQ(b.state().table[0][1].freqKHz, static_cast<uint32_t>(f));
  EXPECT_NE(b.state().table[0][2].freqKHz, static_cast<uint32_t>(f));
}

TEST(TableFile, TransmitterLeavingKeepsTheOldFile) {
  SimBench b("usbmsg:ZQL21,groups=4,channels=8");
  ASSERT_TRUE(b.ok());
  TempDir dir;
  const std::string path = dir.filePath("keep.qdf");
  ASSERT_TRUE(WriteAll(path, "[OLD]\r\nk=v\r\n"));
  b.world->Leave();
  NullProgress quiet;
  FileOpResult r = SaveFrequencyTable(*b.link, b.data, path, TableSaveOptions{}, quiet);
  EXPECT_EQ(r.status, FileOpStatus::DeviceLost);
  EXPECT_EQ(r.title, "ERROR");
  EXPECT_EQ(ReadAll(path), "[OLD]\r\nk=v\r\n");

  // No table in the file at all: refused before anything is sent.
  r = LoadFrequencyTable(*b.link, b.data, path, TableLoadOptions{}, quiet);
  EXPECT_EQ(r.status, FileOpStatus::FileError);
  EXPECT_EQ(r.message, kMsgNoTableInFile);
  IniFile ini;
  ini.WriteInteger("GROUP00", "CH00", 500000);
  ini.WriteInteger("GROUP00", "CH00_LOCK", 0);
  for (int c = 1; c < 8; ++c) ini.WriteInteger("GROUP00", "CH0" + std::to_string(c), 500000);
  r = LoadFrequencyTable(*b.link, b.data, ini, TableLoadOptions{}, quiet);
  EXPECT_EQ(r.status, FileOpStatus::DeviceLost);
  EXPECT_EQ(r.message, "Device not responding!");
}

TEST(TableFile, FileValuesParseAsWindowsReadsThem) {
  TDeviceData d;
  d.freqMinMHz = 470;
  d.freqMaxMHz = 542;
  struct Case {
    const char* text;
    int32_t value;
    bool accepted;
  };
  const Case cases[] = {
      {"512125", 512125, true}, {"512.125", 512, false}, {"512,125", 512, false},
      {"512125.9", 512125, true}, {"1.2,512125", 0, false}, {"abc", 0, false},
      {"542000", 542000, true}, {"542001", 542001, false}, {"-512125", -512125, false},
  };
  for (const auto& c : cases) {
    int32_t v = -7;
    EXPECT_EQ(ParseFileFrequency(c.text, d, v), c.accepted) << c.text;
    EXPECT_EQ(v, c.value) << c.text;
  }
  struct FlagCase {
    const char* text;
    FileFlag flag;
  };
  const FlagCase flags[] = {{"0", FileFlag::Set},  {"1", FileFlag::Clear}, {"x", FileFlag::Clear},
                            {"", FileFlag::NotGiven}, {"2", FileFlag::NotGiven},
                            {"-1", FileFlag::NotGiven}};
  for (const auto& f : flags) EXPECT_EQ(ParseFileFlag(f.text), f.flag) << f.text;
  EXPECT_EQ(FileNameField("", 8), std::string(8, ' '));
  EXPECT_EQ(FileNameField("A\tB\xE9", 8), std::string("A B \0\0\0\0", 8));
  EXPECT_EQ(FileNameField("TOOLONGNAME12", 12), "TOOLONGNAME1");
}

TEST(TableFile, HostileFilesNeverSendRefusedValues) {
  SimBench b("usbmsg:ZQL22X,groups=4,channels=6");
  ASSERT_TRUE(b.ok());
  std::mt19937 rng(99);
  for (int round = 0; round < 20; ++round) {
    std::string text;
    for (int line = 0; line < 60; ++line) {
      switch (rng() % 5) {
        case 0: text += "[GROUP0" + std::to_string(rng() % 5) + "]\r\n"; break;
        case 1: text += "CH0" + std::to_string(rng() % 7) + "=" + std::to_string(static_cast<int>(rng())) + "\r\n"; break;
        case 2: text += "CH0" + std::to_string(rng() % 7) + "_HIDDEN=" + std::to_string(rng() % 3) + "\r\n"; break;
        case 3: text += "NAME=" + std::string(rng() % 300, static_cast<char>(rng() % 256)) + "\r\n"; break;
        default: text += std::string(rng() % 50, static_cast<char>(rng() % 256)) + "\n"; break;
      }
    }
    IniFile ini;
    ASSERT_EQ(ini.LoadText(text), IniFile::Status::Ok);
    NullProgress quiet;
    TableLoadOptions opt;
    opt.outLockToHidden = round % 2;
    FileOpResult r = LoadFrequencyTable(*b.link, b.data, ini, opt, quiet);
    ASSERT_TRUE(r.ok()) << r.message;
    for (int g = 0; g < 4; ++g) {
      bool anyVisible = false;
      for (int c = 0; c < 6; ++c) {
        EXPECT_TRUE(b.data.IsFrequencyAllowed(static_cast<int32_t>(b.state().table[g][c].freqKHz)));
        anyVisible = anyVisible || !b.state().table[g][c].hidden;
      }
      EXPECT_TRUE(anyVisible) << "group " << g;
    }
  }
}

TEST(TableFile, HandWrittenWindowsFileIsRead) {
  SimBench b("usbmsg:ZQL21,groups=2,channels=3");
  ASSERT_TRUE(b.ok());
  NullProgress quiet;
  FileOpResult r = LoadFrequencyTable(*b.link, b.data, ZENTRA_TEST_DATA_DIR "/handwritten.qdf",
                                      TableLoadOptions{}, quiet);
  ASSERT_TRUE(r.ok()) << r.message;
  const auto& s = b.state();
  EXPECT_EQ(s.table[0][0].freqKHz, 500000u);
  EXPECT_TRUE(s.table[0][0].locked);
  EXPECT_FALSE(s.table[0][0].hidden);
  EXPECT_EQ(s.table[0][1].freqKHz, 500250u);
  EXPECT_EQ(s.table[0][2].freqKHz, 500500u);
  EXPECT_EQ(s.table[1][0].freqKHz, 501000u);
  EXPECT_EQ(b.tx().groupName(0), "Vocals");
  EXPECT_EQ(b.tx().groupName(1), "Guitars");
  EXPECT_EQ(s.table[2][0].freqKHz, 502000u);
  EXPECT_EQ(std::string(s.syncName.begin(), s.syncName.begin() + 8), "SyncChan");
}

TEST(TableFile, HostileSampleFileLoadsWithoutHarm) {
  SimBench b("usbmsg:ZQL21,groups=2,channels=3");
  ASSERT_TRUE(b.ok());
  RecordingProgress progress;
  FileOpResult r = LoadFrequencyTable(*b.link, b.data, ZENTRA_TEST_DATA_DIR "/hostile.qdf",
                                      TableLoadOptions{}, progress);
  ASSERT_TRUE(r.ok()) << r.message;
  // The first value of a repeated key counts, as Windows reads it; it is refused.
  EXPECT_TRUE(Contains(progress.lines, "Not Supported Freq " + std::string(40, '9').substr(0, 60) +
                                           " (channel=00-group=01)"));
  EXPECT_TRUE(Contains(progress.lines, "Not Supported Freq -500000 SYNC channel"));
  for (int c = 0; c < 3; ++c) {
    EXPECT_TRUE(b.data.IsFrequencyAllowed(static_cast<int32_t>(b.state().table[0][c].freqKHz)));
  }
  for (uint8_t ch : b.state().groupNames[0]) EXPECT_TRUE(ch == 0 || (ch >= 32 && ch <= 126));
}
