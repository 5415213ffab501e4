#include <gtest/gtest.h>

#include <functional>

#include "device/CommandSet.h"
#include "device/ItemLists.h"
#include "device/FakeTransactor.h"

namespace zentra {
namespace {

using test::Bytes;
using test::FakeTransactor;

const Bytes kAckAnswer{0, 0, 0x06};

void Model(TDeviceData& d, int code) { d.modelType = static_cast<int8_t>(code); }

struct WireCase {
  const char* name;
  std::function<void(TDeviceData&)> setup;
  std::function<bool(CommandSet&)> call;
  Bytes answer;    // empty: the command must not send at all
  Bytes request;   // expected request bytes
  bool result;
};

// Every case: exactly the expected request goes out (or none), and the result follows
// the command's own success test.
TEST(CommandSet, RequestsAreByteExact) {
  const WireCase cases[] = {
      {"WriteGroupChannel ch5 g2", nullptr, [](CommandSet& c) { return c.WriteGroupChannel(5, 2); },
       kAckAnswer, {0x4D, 0xC3, 0x05, 0x02}, true},
      {"WriteGroupChannel refuses an unread channel", nullptr,
       [](CommandSet& c) { return c.WriteGroupChannel(-1, 2); }, {}, {}, false},
      {"WriteChannelFrequency 512.125", nullptr,
       [](CommandSet& c) { return c.WriteChannelFrequency(0, 1, 512125); }, kAckAnswer,
       {0x4D, 0x3E, 0x00, 0x01, 0x00, 0x07, 0xD0, 0x7D}, true},
      {"WriteChannelFlags locked+hidden", nullptr,
       [](CommandSet& c) { return c.WriteChannelFlags(3, 4, true, true); }, kAckAnswer,
       {0x4D, 0x2E, 0x03, 0x04, 0x03}, true},
      {"WriteChannelFlags hidden only", nullptr,
       [](CommandSet& c) { return c.WriteChannelFlags(3, 4, false, true); }, kAckAnswer,
       {0x4D, 0x2E, 0x03, 0x04, 0x02}, true},
      {"WriteGroupName cleans and zero-pads", nullptr,
       [](CommandSet& c) { return c.WriteGroupName(7, "A\tb\xC3"); }, kAckAnswer,
       {0x4D, 0x3B, 0x07, 'A', ' ', 'b', ' ', 0, 0, 0, 0}, true},
      {"WriteGroupName cuts at 8", nullptr,
       [](CommandSet& c) { return c.WriteGroupName(0, "ABCDEFGHIJ"); }, kAckAnswer,
       {0x4D, 0x3B, 0x00, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'}, true},
      {"WriteSyncGroupName empty is all zero", nullptr,
       [](CommandSet& c) { return c.WriteSyncGroupName(""); }, kAckAnswer,
       {0x4D, 0x4B, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, true},
      {"WriteAudio negative gain", nullptr, [](CommandSet& c) { return c.WriteAudio(-12, 3); },
       kAckAnswer, {0x4D, 0xC1, 0xF4, 0x03}, true},
      {"WriteAudio not acknowledged", nullptr, [](CommandSet& c) { return c.WriteAudio(0, 0); },
       {0, 0, 0x15}, {0x4D, 0xC1, 0x00, 0x00}, false},
      {"WriteAudio ACK in a longer answer", nullptr,
       [](CommandSet& c) { return c.WriteAudio(0, 0); }, {0, 0, 0x06, 0x00},
       {0x4D, 0xC1, 0x00, 0x00}, false},
      {"WriteAudioEx five bytes", nullptr,
       [](CommandSet& c) { return c.WriteAudioEx(6, 2, 0x03, 1, 0x12); }, kAckAnswer,
       {0x4D, 0xC4, 0x06, 0x02, 0x03, 0x01, 0x12}, true},
      {"WriteMic model 1 with PTT", [](TDeviceData& d) { Model(d, 1); d.pttSupported = 1; },
       [](CommandSet& c) { return c.WriteMic(2, 1, 3); }, kAckAnswer, {0x4D, 0xCD, 0x03}, true},
      {"WriteMic model 4 sends mode 0", [](TDeviceData& d) { Model(d, 4); },
       [](CommandSet& c) { return c.WriteMic(3, 1, 2); }, kAckAnswer,
       {0x4D, 0xCD, 0x00, 0x01, 0x02}, true},
      {"WriteMic model 10 sends mode 0", [](TDeviceData& d) { Model(d, 10); },
       [](CommandSet& c) { return c.WriteMic(1, 0, 1); }, kAckAnswer,
       {0x4D, 0xCD, 0x00, 0x00, 0x01}, true},
      {"WriteMic model 7", [](TDeviceData& d) { Model(d, 7); },
       [](CommandSet& c) { return c.WriteMic(4, 1, 3); }, kAckAnswer,
       {0x4D, 0xCD, 0x04, 0x01, 0x03}, true},
      {"WriteMic model 0 sends nothing", nullptr,
       [](CommandSet& c) { return c.WriteMic(1, 1, 1); }, {}, {}, false},
      {"WriteMic model 11 sends nothing", [](TDeviceData& d) { Model(d, 11); },
       [](CommandSet& c) { return c.WriteMic(1, 1, 1); }, {}, {}, false},
      {"WriteBatteryType", nullptr, [](CommandSet& c) { return c.WriteBatteryType(2); },
       kAckAnswer, {0x4D, 0xC2, 0x02}, true},
      {"WriteRfPower", nullptr, [](CommandSet& c) { return c.WriteRfPower(1); }, kAckAnswer,
       {0x4D, 0xD0, 0x01}, true},
      {"WriteLed", nullptr, [](CommandSet& c) { return c.WriteLed(16, 2); }, kAckAnswer,
       {0x4D, 0xCC, 0x10, 0x02}, true},
      {"ReadBootVersion", nullptr, [](CommandSet& c) { return c.ReadBootVersion(); },
       Bytes(17, 'v'), {0x4D, 0x69, 0x0C, 0xF4, 0x14}, true},
      {"ReadRfPowerLevel 2", nullptr, [](CommandSet& c) { return c.ReadRfPowerLevel(2); },
       {0, 0, '5', '0', ' ', 2}, {0x4D, 0x54, 0x02}, true},
      {"ReadRfPowerLevel past the table", nullptr,
       [](CommandSet& c) { return c.ReadRfPowerLevel(8); }, {}, {}, false},
      {"ReadOption 6", nullptr, [](CommandSet& c) { return c.ReadOption(6); },
       {0, 0, 0, 'E', 'U', ' '}, {0x4D, 0x62, 0x06}, true},
      {"ReadOption 7 does not exist", nullptr, [](CommandSet& c) { return c.ReadOption(7); },
       {}, {}, false},
      {"ReadPowerSetting", nullptr, [](CommandSet& c) { return c.ReadPowerSetting(); },
       {0, 0, 5}, {0x4D, 0x27}, true},
      {"ReadTxName without a length", nullptr, [](CommandSet& c) { return c.ReadTxName(); }, {},
       {}, false},
      {"WriteTxName 8 acknowledged", [](TDeviceData& d) { d.txNameLength = 8; },
       [](CommandSet& c) { return c.WriteTxName("STAGE"); }, kAckAnswer,
       {0x4D, 0x66, 'S', 'T', 'A', 'G', 'E', 0, 0, 0}, true},
      {"WriteTxName 12 with an ACK fails", [](TDeviceData& d) { d.txNameLength = 12; },
       [](CommandSet& c) { return c.WriteTxName("LEFT STAGE MIC 1"); }, kAckAnswer,
       {0x4D, 0x66, 'L', 'E', 'F', 'T', ' ', 'S', 'T', 'A', 'G', 'E', ' ', 'M'}, false},
      {"WriteLocks model 2", [](TDeviceData& d) { Model(d, 2); d.lockBits = 0x21; d.groupLockMask[0] = 0x80; },
       [](CommandSet& c) { return c.SendLockBytes(); }, kAckAnswer, {0x4D, 0xDC, 0x21, 0x80},
       true},
      {"WriteLocksEx model 1 with group hidden",
       [](TDeviceData& d) {
         Model(d, 1);
         d.groupHiddenSupported = 1;
         d.lockBits = 1;
         d.groupLockMask = {2, 9, 9, 9, 9};
         d.groupHiddenMask = {3, 9, 9, 9, 9};
       },
       [](CommandSet& c) { return c.SendLockBytes(); }, kAckAnswer,
       {0x4D, 0xDB, 0x01, 0x02, 0x03}, true},
      {"WriteLocksEx model 5 extended",
       [](TDeviceData& d) {
         Model(d, 5);
         d.extendedLockSupported = 1;
         d.lockBits = 0x11;
         d.lockBitsExt = 0x22;
         d.groupLockMask = {1, 2, 3, 4, 5};
         d.groupHiddenMask = {6, 7, 8, 9, 10};
       },
       [](CommandSet& c) { return c.SendLockBytes(); }, kAckAnswer,
       {0x4D, 0xDB, 0x11, 0x22, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, true},
      {"WriteLocksEx model 3 basic",
       [](TDeviceData& d) {
         Model(d, 3);
         d.lockBits = 0x11;
         d.lockBitsExt = 0x22;
         d.groupLockMask = {1, 2, 3, 4, 5};
         d.groupHiddenMask = {6, 7, 8, 9, 10};
       },
       [](CommandSet& c) { return c.SendLockBytes(); }, kAckAnswer,
       {0x4D, 0xDB, 0x11, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, true},
      {"lock write for model 0 sends nothing", nullptr,
       [](CommandSet& c) { return c.SendLockBytes(); }, {}, {}, false},
      {"WriteLocks for a new model sends nothing", [](TDeviceData& d) { Model(d, 4); },
       [](CommandSet& c) { return c.WriteLocks(); }, {}, {}, false},
      {"WriteHiddenFlags",
       [](TDeviceData& d) { Model(d, 9); d.hiddenMenuSupported = 1; d.hiddenBits = 0x7F; d.hiddenBitsExt = 0x40; },
       [](CommandSet& c) { return c.WriteHiddenFlags(); }, kAckAnswer,
       {0x4D, 0xD3, 0x7F, 0x40}, true},
      {"WriteHiddenFlags without hidden menu", [](TDeviceData& d) { Model(d, 9); },
       [](CommandSet& c) { return c.WriteHiddenFlags(); }, {}, {}, false},
      {"WritePresetName", nullptr,
       [](CommandSet& c) { return c.WritePresetName(3, "Show"); }, kAckAnswer,
       {0x4D, 0x48, 0x03, 'S', 'h', 'o', 'w', 0, 0, 0, 0}, true},
      {"ActivatePreset", nullptr, [](CommandSet& c) { return c.ActivatePreset(4); }, kAckAnswer,
       {0x4D, 0x78, 0x04}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TDeviceData data;
    if (c.setup) c.setup(data);
    FakeTransactor link;
    if (!c.answer.empty()) link.Answer(c.answer);
    CommandSet commands(link, data);
    EXPECT_EQ(c.call(commands), c.result);
    if (c.request.empty()) {
      EXPECT_TRUE(link.requests.empty());
    } else {
      ASSERT_GE(link.requests.size(), 1u);
      EXPECT_EQ(link.requests[0], c.request);
    }
  }
}

TEST(CommandSet, ReadsDecodeTheirValues) {
  TDeviceData d;
  FakeTransactor link;
  CommandSet c(link, d);

  link.AnswerValues({'Z', 'Q', 'L', '2', '1', ' ', 'P', ' ', ' ', ' ', '1', '2', '3', ' ', ' ', ' '});
  ASSERT_TRUE(c.ReadDeviceId());
  EXPECT_EQ(d.IdText(), "ZQL21 P   123   ");
  EXPECT_EQ(link.requests.back(), (Bytes{0x4D, 0x49}));

  link.AnswerValues({0x01, 0xD6, 0x02, 0x1E});
  ASSERT_TRUE(c.ReadTuningRange());
  EXPECT_EQ(d.freqMinMHz, 470);
  EXPECT_EQ(d.freqMaxMHz, 542);

  link.AnswerValues({0x00, 0xFA});
  ASSERT_TRUE(c.ReadTuningStep());
  EXPECT_EQ(d.stepHz, 25000);
  link.AnswerValues({0x01, 0x00});
  ASSERT_TRUE(c.ReadTuningStep());
  EXPECT_EQ(d.stepHz, 25600);

  link.AnswerValues({0x00, 0x07, 0xD0, 0x7D});
  ASSERT_TRUE(c.ReadFrequency());
  EXPECT_EQ(d.curFreqKHz, 512125);

  int32_t f = 0;
  link.AnswerValues({0x00, 0x07, 0xD0, 0x7D});
  ASSERT_TRUE(c.ReadChannelFrequency(0, 1, f));
  EXPECT_EQ(f, 512125);
  EXPECT_EQ(link.requests.back(), (Bytes{0x4D, 0x3C, 0x00, 0x01}));

  bool locked = false, hidden = false;
  link.AnswerValues({0x02});
  ASSERT_TRUE(c.ReadChannelFlags(1, 1, locked, hidden));
  EXPECT_FALSE(locked);
  EXPECT_TRUE(hidden);

  std::string name;
  link.AnswerValues({'V', 'O', 'C', 0, 'x', 'x', 'x', 'x'});
  ASSERT_TRUE(c.ReadGroupName(2, name));
  EXPECT_EQ(name, "VOC");

  link.AnswerValues({0xEC, 0x02});
  ASSERT_TRUE(c.ReadAudio());
  EXPECT_EQ(d.audioGain, -20);
  EXPECT_EQ(d.audioGainRead, 1);
  EXPECT_EQ(d.audioFilter, 2);

  link.AnswerValues({'1', '0', '0', 0xFE});
  ASSERT_TRUE(c.ReadRfPowerLevel(0));
  EXPECT_EQ(d.rfLevelNames[0], "100 mW");
  EXPECT_EQ(d.rfLevelValues[0], -2);
}

TEST(CommandSet, AudioExBytesFollowTheCapabilities) {
  struct Case {
    uint8_t limiter, modLpf;
    uint8_t displayByte, modByte;
    int display, limiterOn, lpf, mod;
  } cases[] = {
      {0, 0, 0x01, 0x12, 1, -99, -99, -99},
      {1, 0, 0x02, 0x00, 0, 1, -99, -99},
      {1, 0, 0x01, 0x00, 1, 0, -99, -99},
      {0, 1, 0x00, 0x12, 0, -99, 2, 1},
      {0, 1, 0x00, 0x01, 0, -99, 1, 0},
  };
  for (const auto& k : cases) {
    TDeviceData d;
    d.limiterSupported = k.limiter;
    d.audioModLpfSupported = k.modLpf;
    d.audioLimiter = -99;
    d.audioLpf = d.audioMod = 0x63;
    FakeTransactor link;
    CommandSet c(link, d);
    link.AnswerValues({0xF6, 3, k.displayByte, 1, k.modByte});
    ASSERT_TRUE(c.ReadAudioEx());
    EXPECT_EQ(d.audioGain, -10);
    EXPECT_EQ(d.audioDisplay, k.display);
    EXPECT_EQ(d.audioLimiter, k.limiterOn);  // -99: untouched
    if (k.lpf != -99) {
      EXPECT_EQ(d.audioLpf, k.lpf);
      EXPECT_EQ(d.audioMod, k.mod);
    } else {
      EXPECT_EQ(d.audioLpf, 0x63);
    }
    // Encoding back gives the same bytes.
    if (k.limiter) {
      EXPECT_EQ(c.DisplayLimiterByte(k.display, k.limiterOn), k.displayByte);
    }
    if (k.modLpf) {
      EXPECT_EQ(c.ModLpfByte(k.mod, k.lpf), k.modByte);
    }
  }
  TDeviceData plain;
  FakeTransactor link;
  CommandSet c(link, plain);
  EXPECT_EQ(c.ModLpfByte(1, 2), 0);  // no such settings: always 0
  EXPECT_EQ(c.DisplayLimiterByte(1, true), 1);
}

TEST(CommandSet, WrongLengthsStoreNothing) {
  struct Case {
    const char* name;
    std::function<bool(CommandSet&)> call;
    int goodLength;
  } cases[] = {
      {"ReadDeviceId", [](CommandSet& c) { return c.ReadDeviceId(); }, 18},
      {"ReadSerialNumber", [](CommandSet& c) { return c.ReadSerialNumber(); }, 12},
      {"ReadTableSize", [](CommandSet& c) { return c.ReadTableSize(); }, 4},
      {"ReadGroupChannel", [](CommandSet& c) { return c.ReadGroupChannel(); }, 4},
      {"ReadAudio", [](CommandSet& c) { return c.ReadAudio(); }, 4},
      {"ReadAudioEx", [](CommandSet& c) { return c.ReadAudioEx(); }, 7},
      {"ReadMic", [](CommandSet& c) { return c.ReadMic(); }, 5},
      {"ReadBattery", [](CommandSet& c) { return c.ReadBattery(); }, 4},
      {"ReadRfPower", [](CommandSet& c) { return c.ReadRfPower(); }, 3},
      {"ReadLed", [](CommandSet& c) { return c.ReadLed(); }, 4},
      {"ReadInfoText", [](CommandSet& c) { return c.ReadInfoText(); }, 12},
  };
  for (const auto& k : cases) {
    for (int delta : {-1, +1}) {
      SCOPED_TRACE(testing::Message() << k.name << " length " << k.goodLength + delta);
      TDeviceData d;
      d.modelType = 3;
      const TDeviceData before = d;
      FakeTransactor link;
      link.Answer(Bytes(static_cast<size_t>(k.goodLength + delta), 0x07));
      CommandSet c(link, d);
      EXPECT_FALSE(k.call(c));
      EXPECT_EQ(d.IdText(), before.IdText());
      EXPECT_EQ(d.channelCount, before.channelCount);
      EXPECT_EQ(d.curChannel, before.curChannel);
      EXPECT_EQ(d.audioFilter, before.audioFilter);
      EXPECT_EQ(d.audioGainRead, 0);
      EXPECT_EQ(d.micMode, before.micMode);
      EXPECT_EQ(d.batteryType, before.batteryType);
      EXPECT_EQ(d.rfPower, before.rfPower);
      EXPECT_EQ(d.ledMode, before.ledMode);
      EXPECT_EQ(d.infoText, before.infoText);
    }
  }
  // A link failure with the right length still fails.
  TDeviceData d;
  FakeTransactor link;
  link.Answer({0, 0, 1}, false);
  CommandSet c(link, d);
  EXPECT_FALSE(c.ReadRfPower());
  EXPECT_EQ(d.rfPower, kNotRead);
}

TEST(CommandSet, TableSizeIsClampedAndNegativeCountsFail) {
  struct Case {
    uint8_t channels, groups;
    bool ok;
    int wantChannels, wantGroups;
  } cases[] = {
      {64, 50, true, 60, 40}, {60, 40, true, 60, 40}, {16, 8, true, 16, 8},
      {0x80, 8, false, 5, 5}, {16, 0xFF, false, 5, 5},
  };
  for (const auto& k : cases) {
    TDeviceData d;
    d.channelCount = d.groupCount = 5;
    d.syncSupported = 1;
    FakeTransactor link;
    link.AnswerValues({k.channels, k.groups});
    CommandSet c(link, d);
    EXPECT_EQ(c.ReadTableSize(), k.ok);
    EXPECT_EQ(d.channelCount, k.wantChannels);
    EXPECT_EQ(d.groupCount, k.wantGroups);
    if (k.ok) {
      EXPECT_EQ(d.syncGroup, k.wantGroups);
    }
  }
}

TEST(CommandSet, BandTableReadsEveryEntryOrNone) {
  {  // count 16: fails without reading an entry, table empty
    TDeviceData d;
    d.bandCount = 3;
    FakeTransactor link;
    link.AnswerValues({16});
    CommandSet c(link, d);
    EXPECT_FALSE(c.ReadBandTable());
    EXPECT_EQ(d.bandCount, 0);
    EXPECT_EQ(link.requests.size(), 1u);
    EXPECT_EQ(link.requests[0], (Bytes{0x4D, 0x51}));
  }
  {  // count 0: success, empty
    TDeviceData d;
    d.bandCount = 3;
    FakeTransactor link;
    link.AnswerValues({0});
    CommandSet c(link, d);
    EXPECT_TRUE(c.ReadBandTable());
    EXPECT_EQ(d.bandCount, 0);
    EXPECT_EQ(link.requests.size(), 1u);
  }
  {  // two entries, the second fails: the first is stored, the read fails
    TDeviceData d;
    d.bandEdgeMHz[1] = 77;
    FakeTransactor link;
    link.AnswerValues({2});
    link.AnswerValues({0x01, 0xF4, 0x00, 0x00, 0x00});
    link.AnswerValues({0x02});  // wrong length
    CommandSet c(link, d);
    EXPECT_FALSE(c.ReadBandTable());
    ASSERT_EQ(link.requests.size(), 3u);
    EXPECT_EQ(link.requests[1], (Bytes{0x4D, 0x56, 0x00}));
    EXPECT_EQ(link.requests[2], (Bytes{0x4D, 0x56, 0x01}));
    EXPECT_EQ(d.bandEdgeMHz[0], 500);
    EXPECT_EQ(d.bandAllowed[0], 0);
    EXPECT_EQ(d.bandEdgeMHz[1], 77);
  }
  {  // a full table
    TDeviceData d;
    FakeTransactor link;
    link.AnswerValues({1});
    link.AnswerValues({0x02, 0x08, 0x01, 0xF4, 50});
    CommandSet c(link, d);
    EXPECT_TRUE(c.ReadBandTable());
    EXPECT_EQ(d.bandCount, 1);
    EXPECT_EQ(d.bandEdgeMHz[0], 520);
    EXPECT_EQ(d.bandEdgeKHz[0], 500);
    EXPECT_EQ(d.bandAllowed[0], 50);
  }
}

TEST(CommandSet, RfLevelCountOutsideOneToSevenIsRefused) {
  for (uint8_t count : {0, 1, 7, 8, 0xFF}) {
    TDeviceData d;
    d.rfLevelCount = 4;
    FakeTransactor link;
    link.AnswerValues({count});
    CommandSet c(link, d);
    bool valid = count >= 1 && count <= 7;
    EXPECT_EQ(c.ReadRfPowerLevelCount(), valid) << int(count);
    EXPECT_EQ(d.rfLevelCount, valid ? count : 1);
  }
}

TEST(CommandSet, MicShapeFollowsTheModel) {
  TDeviceData d;
  d.modelType = 1;
  FakeTransactor link;
  CommandSet c(link, d);
  link.AnswerValues({2, 0, 0});  // 5 bytes: wrong for model 1
  EXPECT_FALSE(c.ReadMic());
  EXPECT_EQ(d.micPTT, kNotRead);
  link.AnswerValues({2});
  EXPECT_TRUE(c.ReadMic());
  EXPECT_EQ(d.micPTT, 2);
  EXPECT_EQ(d.micMode, kNotRead);

  d.modelType = 5;
  link.AnswerValues({1, 1, 3});
  EXPECT_TRUE(c.ReadMic());
  EXPECT_EQ(d.micMode, 1);
  EXPECT_EQ(d.micPhase, 1);
  EXPECT_EQ(d.micPTT, 3);

  // The handhelds answer a mode byte but have no input mode: it is not kept, so it can
  // neither shrink the LED list nor move the index the LED write sends.
  for (int model : {4, 10}) {
    TDeviceData h;
    h.modelType = static_cast<int8_t>(model);
    h.pttSupported = 1;
    CommandSet hc(link, h);
    link.AnswerValues({2, 1, 2});
    EXPECT_TRUE(hc.ReadMic());
    EXPECT_EQ(h.micMode, kNotRead) << model;
    EXPECT_EQ(h.micPhase, 1);
    EXPECT_EQ(h.micPTT, 2);
    int ledIndex = 2;
    EXPECT_EQ(MainLedModeItems(h, ledIndex).size(), 3u) << model;
    EXPECT_EQ(ledIndex, 2);
  }

  // Model 1 without PTT: nothing sent, the message comes back to the caller.
  d.modelType = 1;
  link.requests.clear();
  CommandMessage message;
  EXPECT_FALSE(c.WriteMic(0, 0, 1, &message));
  EXPECT_TRUE(link.requests.empty());
  EXPECT_EQ(message.title, "ERROR");
  EXPECT_EQ(message.text, "PTT mode not supported!");
}

TEST(CommandSet, TransmitterName) {
  TDeviceData d;
  d.txNameLength = 12;
  FakeTransactor link;
  CommandSet c(link, d);
  link.Answer(Bytes(3, 0));  // 3 bytes where 14 are due
  EXPECT_FALSE(c.ReadTxName());
  Bytes erased(14, 0xFF);
  link.Answer(erased);
  EXPECT_TRUE(c.ReadTxName());
  EXPECT_EQ(d.txName, std::string(12, ' '));
  link.AnswerValues({'L', 'E', 'A', 'D', ' ', 'V', 'O', 'C', 0, 0, 0, 0});
  EXPECT_TRUE(c.ReadTxName());
  EXPECT_EQ(d.txName, "LEAD VOC");

  // A 12-character name is confirmed by a 14-byte answer; the name is read back.
  link.requests.clear();
  link.Answer(Bytes(14, 0));
  link.AnswerValues({'N', 'E', 'W', 0, 0, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_TRUE(c.WriteTxName("NEW"));
  ASSERT_EQ(link.requests.size(), 2u);
  EXPECT_EQ(link.requests[0].size(), 14u);
  EXPECT_EQ(link.requests[1], (Bytes{0x4D, 0x65}));
  EXPECT_EQ(d.txName, "NEW");

  // A failed write leaves the name empty and reads nothing back.
  link.requests.clear();
  link.Fail();
  EXPECT_FALSE(c.WriteTxName("OTHER"));
  EXPECT_EQ(link.requests.size(), 1u);
  EXPECT_EQ(d.txName, "");
}

TEST(CommandSet, LockReadsByModel) {
  struct Case {
    const char* name;
    int model;
    uint8_t groupLock, groupHidden, ext;
    Bytes request;   // empty: nothing sent
    int answer;
    bool ok;
  } cases[] = {
      {"model 1 without group locks", 1, 0, 0, 0, {}, 0, true},
      {"model 2 'l'", 2, 1, 0, 0, {0x4D, 0x6C}, 4, true},
      {"model 2 'k'", 2, 1, 1, 0, {0x4D, 0x6B}, 5, true},
      {"model 6 extended", 6, 1, 1, 1, {0x4D, 0x6B}, 14, true},
      {"model 6 basic", 6, 1, 1, 0, {0x4D, 0x6B}, 13, true},
      {"model 0", 0, 1, 1, 1, {}, 0, false},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    TDeviceData d;
    d.modelType = static_cast<int8_t>(k.model);
    d.groupLockSupported = k.groupLock;
    d.groupHiddenSupported = k.groupHidden;
    d.extendedLockSupported = k.ext;
    FakeTransactor link;
    Bytes answer(static_cast<size_t>(k.answer), 0);
    for (int i = 2; i < k.answer; ++i) answer[i] = static_cast<uint8_t>(0x10 + i);
    if (k.answer) link.Answer(answer);
    CommandSet c(link, d);
    EXPECT_EQ(c.ReadLockBytes(), k.ok);
    if (k.request.empty()) {
      EXPECT_TRUE(link.requests.empty());
      continue;
    }
    ASSERT_EQ(link.requests.size(), 1u);
    EXPECT_EQ(link.requests[0], k.request);
    EXPECT_EQ(d.lockBits, 0x12);
    if (k.answer == 14) {
      EXPECT_EQ(d.lockBitsExt, 0x13);
      EXPECT_EQ(d.groupLockMask[0], 0x14);
      EXPECT_EQ(d.groupHiddenMask[4], 0x1D);
    } else if (k.answer == 13) {
      EXPECT_EQ(d.lockBitsExt, 0);
      EXPECT_EQ(d.groupLockMask[0], 0x13);
      EXPECT_EQ(d.groupHiddenMask[4], 0x1C);
    } else {
      EXPECT_EQ(d.groupLockMask[0], 0x13);
      EXPECT_EQ(d.groupLockMask[1], 0);  // old models carry groups 0..7 only
      EXPECT_EQ(d.groupHiddenMask[0], k.answer == 5 ? 0x14 : 0);
    }
  }
}

TEST(CommandSet, PresetRecordLengthFollowsTheCapabilities) {
  struct Case {
    uint8_t ext, modLpf;
    int length;
  } cases[] = {{0, 0, 14}, {1, 0, 16}, {1, 1, 18}, {0, 1, 14}};
  for (const auto& k : cases) {
    TDeviceData d;
    d.extendedLockSupported = k.ext;
    d.audioModLpfSupported = k.modLpf;
    EXPECT_EQ(PresetRecordLength(d), k.length);
    FakeTransactor link;
    CommandSet c(link, d);
    PresetRecord record{};
    record.fill(0xEE);
    link.Answer(Bytes(static_cast<size_t>(k.length + 1), 1));  // one byte short of a record
    EXPECT_FALSE(c.ReadPreset(2, record));
    EXPECT_EQ(record[0], 0xEE);
    Bytes good(static_cast<size_t>(k.length + 2), 0);
    for (int i = 0; i < k.length; ++i) good[2 + i] = static_cast<uint8_t>(i + 1);
    // Bytes that are no setting (a phase of 5, ...) are read again; an answer that says
    // the same again is taken.
    link.Answer(good);
    link.Answer(good);
    EXPECT_TRUE(c.ReadPreset(2, record));
    EXPECT_EQ(link.requests.back(), (Bytes{0x4D, 0x58, 0x02}));
    EXPECT_EQ(record[k.length - 1], k.length);
    EXPECT_EQ(record[k.length], 0xEE);  // the slot beyond the record is untouched

    link.Ack();
    EXPECT_TRUE(c.WritePreset(2, record));
    const Bytes& q = link.requests.back();
    ASSERT_EQ(q.size(), static_cast<size_t>(k.length + 3));
    EXPECT_EQ(q[1], 0x68);
    EXPECT_EQ(q[2], 2);
    EXPECT_EQ(q.back(), k.length);
  }
}

TEST(CommandSet, PresetInfoAndNames) {
  TDeviceData d;
  FakeTransactor link;
  CommandSet c(link, d);
  uint8_t count = 0, active = 0;
  link.AnswerValues({4, 1});
  ASSERT_TRUE(c.ReadPresetInfo(count, active));
  EXPECT_EQ(count, 4);
  EXPECT_EQ(active, 1);
  EXPECT_EQ(d.presetCount, 0);  // returned, the caller stores it
  std::string name;
  link.AnswerValues({'F', 'A', 'C', 'T', 'O', 'R', 'Y', 0});
  ASSERT_TRUE(c.ReadPresetName(0, name));
  EXPECT_EQ(name, "FACTORY");
  EXPECT_EQ(link.requests.back(), (Bytes{0x4D, 0x38, 0x00}));
}

TEST(CommandSet, OptionTextsStopAtTheFirstFailure) {
  TDeviceData d;
  FakeTransactor link;
  CommandSet c(link, d);
  link.Answer({0, 0, 9, 'J', 'P', ' '});
  link.Answer({0, 0, 9, 'A', 'B', 'C'});
  link.Fail();
  EXPECT_FALSE(c.ReadOptionTexts());
  EXPECT_EQ(link.requests.size(), 3u);
  EXPECT_EQ(d.optionTexts[0], "JP ");
  EXPECT_EQ(d.optionTexts[1], "ABC");
  EXPECT_EQ(d.optionTexts[2], "");
}

}  // namespace
}  // namespace zentra
