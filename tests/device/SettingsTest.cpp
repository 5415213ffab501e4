// Setting changes against a simulated transmitter: the write, then the read-back that
// decides what TDeviceData (and so the panel) holds.
#include <gtest/gtest.h>

#include "SimTransactor.h"
#include "device/FullRead.h"
#include "device/ItemLists.h"
#include "device/Presence.h"
#include "device/Settings.h"
#include "device/TDeviceData.h"

using namespace zentra;
using namespace zentra::seqtest;

namespace {

struct Connected {
  explicit Connected(const char* model, const char* version = "129", char variant = 0)
      : link(Spec(model, version, variant)) {
    PresenceProbe(link, d, 4);
    FullRead(link, d, presets);
    link.log.clear();
  }
  SimTransactor link;
  TDeviceData d;
  PresetStore presets;
  sim::SimTransmitterState& tx() { return link.tx()->state(); }
};

using Bytes = std::vector<uint8_t>;

}  // namespace

TEST(Settings, SimpleWritesAreReadBack) {
  for (const char* model : {"ZQK120", "ZQL12", "ZQL21", "ZQK230", "ZQN21X"}) {
    SCOPED_TRACE(model);
    Connected c(model);
    EXPECT_TRUE(RFPowerChange(c.link, c.d, 0).written);
    EXPECT_EQ(c.link.log[0], (Bytes{0x4D, 0xD0, 0x00}));
    EXPECT_EQ(c.link.log[1], (Bytes{0x4D, 'P'}));
    EXPECT_EQ(c.d.rfPower, 0);

    c.link.log.clear();
    const SettingResult battery = BatteryTypeChange(c.link, c.d, 1);
    EXPECT_TRUE(battery.written && battery.readBack);
    EXPECT_EQ(c.link.Codes(), (Bytes{0xC2, 'B'}));
    EXPECT_EQ(c.d.batteryType, 1);

    c.link.log.clear();
    EXPECT_TRUE(LedChange(c.link, c.d, 13, 0).readBack);
    EXPECT_EQ(c.link.log[0], (Bytes{0x4D, 0xCC, 13, 0}));
    EXPECT_EQ(c.d.ledLight, 13);
    EXPECT_EQ(c.d.ledMode, 0);

    c.link.log.clear();
    c.tx().batteryLevel = 2;
    EXPECT_TRUE(Button2Click(c.link, c.d));
    EXPECT_EQ(c.d.batteryLevel, 2);
    EXPECT_EQ(c.link.log.size(), 1u);
  }
}

TEST(Settings, RefusedWriteShowsTheTransmittersValue) {
  Connected c("ZQL21");
  c.tx().rfPower = 1;
  c.link.drop = [](const uint8_t* r, int) { return r[1] == 0xD0; };
  const SettingResult r = RFPowerChange(c.link, c.d, 0);
  EXPECT_FALSE(r.written);
  EXPECT_TRUE(r.readBack);
  EXPECT_EQ(c.d.rfPower, 1);
}

TEST(Settings, AudioBytesByCapability) {
  struct Case {
    const char* model;
    AudioRequest request;
    Bytes expected;
  };
  const Case cases[] = {
      // Limiter in bit 1 of the display byte.
      {"ZQL21X", {-10, 3, 1, true, 1, 0, 0}, {0x4D, 0xC4, 0xF6, 3, 0x03, 1, 0}},
      // Without a limiter the display index is the whole byte.
      {"ZQL21", {-10, 3, 1, true, 1, 1, 2}, {0x4D, 0xC4, 0xF6, 3, 0x01, 1, 0}},
      // Modulation "Wide" and the 20 kHz low-pass.
      {"ZQK230", {6, 2, 0, false, 0, 1, 2}, {0x4D, 0xC4, 6, 2, 0x00, 0, 0x12}},
      // Basic audio: gain and filter only.
      {"ZQK120", {-4, 2, 1, true, 1, 1, 1}, {0x4D, 0xC1, 0xFC, 2}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.model);
    Connected s(c.model);
    const SettingResult r = AudioChange(s.link, s.d, c.request);
    EXPECT_TRUE(r.written);
    EXPECT_TRUE(r.readBack);
    EXPECT_EQ(s.link.log[0], c.expected);
    EXPECT_EQ(s.d.audioGain, c.request.gain);
    EXPECT_EQ(s.d.audioFilter, c.request.filter);
    if (s.d.audioExtended) {
      EXPECT_EQ(s.d.audioDisplay, c.request.display);
      EXPECT_EQ(s.d.audioLimiter, s.d.limiterSupported && c.request.limiter ? 1 : 0);
    }
    if (s.d.audioModLpfSupported) {
      EXPECT_EQ(s.d.audioMod, c.request.modulation);
      EXPECT_EQ(s.d.audioLpf, c.request.lowPass);
    }
  }
}

TEST(Settings, CurrentAudioWritesBackWhatIsHeld) {
  Connected c("ZQL22X");
  c.tx().displayLimiter = 0x03;
  ASSERT_TRUE(RefreshAudio(c.link, c.d));
  c.link.log.clear();
  AudioChange(c.link, c.d, CurrentAudio(c.d));
  EXPECT_EQ(c.tx().displayLimiter, 0x03);
  EXPECT_EQ(c.d.audioLimiter, 1);
}

TEST(Settings, MicChangeRereadsPanelsLedAndAudio) {
  Connected c("ZQL21", "129", 'U');
  // "3 wires" with "no data": the PTT list becomes the reduced one and 3 is sent.
  const SettingResult r = MicChange(c.link, c.d, 2, 1, 3);
  EXPECT_TRUE(r.written);
  EXPECT_TRUE(r.readBack);
  EXPECT_EQ(c.link.log[0], (Bytes{0x4D, 0xCD, 2, 1, 3}));
  EXPECT_EQ(c.d.micMode, 2);
  EXPECT_EQ(c.d.micPTT, 3);
  EXPECT_TRUE(MainPttReduced(c.d));
  EXPECT_EQ(PttValueToIndex(c.d, c.d.micPTT), 1);
  EXPECT_EQ(MainPttList(c.d).items, PttTwoItems());
  // After the write: model refresh (power levels with the band plan, then the
  // microphone), the LED, then the audio.
  const Bytes codes = c.link.Codes();
  ASSERT_GE(codes.size(), 5u);
  EXPECT_EQ(codes[1], 'W');
  EXPECT_EQ(codes[codes.size() - 3], 'M');
  EXPECT_EQ(codes[codes.size() - 2], 'L');
  EXPECT_EQ(codes.back(), 'D');
}

TEST(Settings, MicWriteShapesByModel) {
  {
    Connected c("ZQK220");
    MicChange(c.link, c.d, 3, 1, 2);
    EXPECT_EQ(c.link.log[0], (Bytes{0x4D, 0xCD, 0, 1, 2}));  // handhelds send mode 0
  }
  {
    Connected c("ZQK120", "101");  // no PTT setting
    const SettingResult r = MicChange(c.link, c.d, 0, 0, 1);
    EXPECT_FALSE(r.written);
    EXPECT_EQ(r.message.text, "PTT mode not supported!");
    EXPECT_EQ(r.message.title, "ERROR");
    EXPECT_EQ(c.link.Count(0xCD), 0);
    EXPECT_EQ(c.link.Count('M'), 0);  // model 1 without PTT reads no microphone
    EXPECT_EQ(c.link.Count('L'), 1);  // the refreshes run all the same
  }
}

TEST(Settings, RefreshModelPanelsReadsPowerBeforeMicrophone) {
  struct Case { const char* model; const char* version; Bytes codes; bool ok; };
  const Case cases[] = {
      {"ZQL22", "129", {'W', 'T', 'T', 'T', '\'', 'M'}, true},
      {"ZQL22", "120", {'M'}, true},
      {"ZQK220", "129", {'M'}, true},
      {"ZQK120", "101", {}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.model << "@" << c.version);
    Connected s(c.model, c.version);
    const int levels = static_cast<int>(s.tx().rfLevels.size());
    Bytes expected = c.codes;
    if (!expected.empty() && expected[0] == 'W') {
      expected.assign(1, 'W');
      expected.insert(expected.end(), levels, 'T');
      expected.push_back('\'');
      expected.push_back('M');
    }
    EXPECT_EQ(RefreshModelPanels(s.link, s.d), c.ok);
    EXPECT_EQ(s.link.Codes(), expected);
  }
  // A failed microphone read on a handheld loads the power table instead.
  Connected h("ZQK230");
  h.link.drop = [](const uint8_t* r, int) { return r[1] == 'M'; };
  EXPECT_FALSE(RefreshModelPanels(h.link, h.d));
  EXPECT_EQ(h.link.Codes().back(), '\'');
}

TEST(Settings, GroupChannelChangeSyncAndHiddenRules) {
  Connected c("ZQL22X");
  const int sync = c.d.syncGroup;
  ASSERT_EQ(sync, c.d.groupCount);
  // The SYNC group forces channel 0.
  SettingResult r = GroupChannelChange(c.link, c.d, sync, 5);
  EXPECT_TRUE(r.written);
  EXPECT_EQ(c.link.log[1], (Bytes{0x4D, 0xC3, 0, static_cast<uint8_t>(sync)}));
  EXPECT_EQ(c.d.curGroup, sync);
  EXPECT_EQ(c.d.curChannel, 0);
  EXPECT_EQ(c.d.curFreqKHz, static_cast<int32_t>(c.tx().table[sync][0].freqKHz));

  // A hidden channel is not tuned, but the tuning is read back.
  c.tx().table[2][4].hidden = true;
  c.link.log.clear();
  r = GroupChannelChange(c.link, c.d, 2, 4);
  EXPECT_FALSE(r.written);
  EXPECT_TRUE(r.readBack);
  EXPECT_EQ(c.link.Codes(), (Bytes{',', 'C', 'F'}));
  EXPECT_EQ(c.d.curGroup, sync);

  // A visible channel is tuned.
  c.link.log.clear();
  r = GroupChannelChange(c.link, c.d, 2, 5);
  EXPECT_TRUE(r.written);
  EXPECT_EQ(c.link.log[1], (Bytes{0x4D, 0xC3, 5, 2}));
  EXPECT_EQ(c.d.curGroup, 2);
  EXPECT_EQ(c.d.curChannel, 5);
}

TEST(Settings, RefusedNameShowsTheTransmittersName) {
  Connected c("ZQL22X");
  ASSERT_TRUE(c.d.txNameSupported);
  const std::string before = c.d.txName;
  ASSERT_FALSE(before.empty());
  c.link.drop = [](const uint8_t* r, int) { return r[1] == 'f'; };
  const SettingResult r = TxNameChange(c.link, c.d, "Other");
  EXPECT_FALSE(r.written);
  EXPECT_TRUE(r.readBack);
  EXPECT_EQ(c.d.txName, before);
}

TEST(Settings, ReloadPanelsReadsEverySettingAgain) {
  Connected c("ZQL22X");
  c.tx().gain = -8;
  c.tx().ledLight = 3;
  c.tx().hiddenBits = 0x05;
  c.tx().curChannel = 4;
  const PanelsRead read = ReloadPanels(c.link, c.d);
  EXPECT_TRUE(read.ok());
  EXPECT_EQ(c.d.audioGain, -8);
  EXPECT_EQ(c.d.ledLight, 3);
  EXPECT_EQ(c.d.hiddenBits, 0x05);
  EXPECT_EQ(c.d.curChannel, 4);
  c.link.drop = [](const uint8_t* r, int) { return r[1] == 'L'; };
  const PanelsRead failed = ReloadPanels(c.link, c.d);
  EXPECT_FALSE(failed.ok());
  EXPECT_FALSE(failed.led);
  EXPECT_TRUE(failed.battery);
}

TEST(Settings, TransmitterNameWrittenAndReadBack) {
  for (const char* version : {"123", "129"}) {
    SCOPED_TRACE(version);
    Connected c("ZQL21", version);
    const SettingResult r = TxNameChange(c.link, c.d, "Lead vocal mic");
    EXPECT_TRUE(r.written);
    EXPECT_EQ(c.d.txName, std::string("Lead vocal mic").substr(0, c.d.txNameLength));
    EXPECT_EQ(c.link.Codes(), (Bytes{'f', 'e'}));
  }
}
