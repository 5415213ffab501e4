// Preset reads, saves and activation against a simulated transmitter.
#include <gtest/gtest.h>

#include "SimTransactor.h"
#include "device/FullRead.h"
#include "device/ItemLists.h"
#include "device/Presence.h"
#include "device/Presets.h"
#include "device/TDeviceData.h"

using namespace zentra;
using namespace zentra::seqtest;

namespace {

struct Connected {
  explicit Connected(const char* model, int presetCount = -1, const char* version = "129") {
    sim::TransmitterSpec spec = Spec(model, version);
    spec.presets = presetCount;
    link.Enter(spec);
    PresenceProbe(link, d, 4);
    FullRead(link, d, store);
    link.log.clear();
  }
  sim::SimTransmitterState& tx() { return link.tx()->state(); }
  SimTransactor link;
  TDeviceData d;
  PresetStore store;
};

}  // namespace

TEST(Presets, ReadAllRefusesMoreThanTen) {
  Connected c("ZQL22X", 10);
  EXPECT_EQ(c.d.presetCount, 10);
  EXPECT_EQ(PresetListNames(c.d.presetCount)[2], "Preset01");
  c.tx().presets.resize(11);
  c.d.presetCount = 10;
  EXPECT_FALSE(ReadPresets(c.link, c.d, c.store));
  EXPECT_EQ(c.link.log.size(), 1u);  // nothing read after the count
  EXPECT_EQ(c.d.presetCount, 10);
}

// A failed read of one preset fails the read but never stops it: every name and record
// is still asked for, and a record whose name did not come through is kept.
TEST(Presets, FailedReadStillReadsEveryPreset) {
  for (const char failing : {'8', 'X'}) {  // ReadPresetName, ReadPreset
    Connected c("ZQL21", 5);
    c.tx().presets[2].record[1] = 3;
    c.store.presetRecords[2].fill(0);
    c.link.drop = [failing](const uint8_t* r, int) { return r[1] == failing && r[2] == 2; };
    EXPECT_FALSE(ReadPresets(c.link, c.d, c.store));
    EXPECT_EQ(c.link.Count('8'), 5) << failing;
    EXPECT_EQ(c.link.Count('X'), 5) << failing;
    if (failing == '8') {
      EXPECT_EQ(c.store.presetRecords[2][1], 3);
    }
  }
}

TEST(Presets, SaveNameNeverForFactoryOrUser) {
  Connected c("ZQK230", 5);
  const std::string factory = c.store.Name(0);
  PresetSettings s = DecodePresetRecord(c.d, c.store.presetRecords[0]);
  for (int i : {0, 1}) {
    c.link.log.clear();
    const PresetSaveResult r = SavePreset(c.link, c.d, c.store, i, "Renamed", s);
    EXPECT_FALSE(r.nameWritten);
    EXPECT_EQ(c.link.Count('H'), 0);
    EXPECT_EQ(c.link.Count('h'), 1);  // the record is still written
  }
  EXPECT_EQ(c.store.Name(0), factory);

  c.link.log.clear();
  s.gain = -9;
  s.audioMod = 1;
  s.audioLpf = 2;
  s.lock = 0x81;
  const PresetSaveResult r = SavePreset(c.link, c.d, c.store, 3, "Choir\x01", s);
  EXPECT_TRUE(r.nameWritten);
  EXPECT_TRUE(r.recordWritten);
  EXPECT_TRUE(r.reread);
  EXPECT_EQ(c.store.Name(3), "Choir ");
  EXPECT_EQ(c.link.tx()->presetName(3), "Choir ");
  // 18-byte record on the link.
  const auto& write = c.link.log[c.link.log.size() - 2];
  EXPECT_EQ(write[1], 'h');
  EXPECT_EQ(write.size(), 21u);
  const PresetSettings back = DecodePresetRecord(c.d, c.store.presetRecords[3]);
  EXPECT_EQ(back.gain, -9);
  EXPECT_EQ(back.audioLpf, 2);
  EXPECT_EQ(back.lock, 0x81);

  // Outside the presets the transmitter holds nothing is sent.
  c.link.log.clear();
  EXPECT_TRUE(SavePreset(c.link, c.d, c.store, 5, "x", s).refused);
  EXPECT_TRUE(c.link.log.empty());
}

TEST(Presets, RecordLengthByCapability) {
  struct Case { const char* model; const char* version; size_t writeLength; };
  const Case cases[] = {
      {"ZQL21", "122", 17}, {"ZQL21", "129", 19}, {"ZQK230", "129", 21}, {"ZQL12", "112", 17}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.model << "@" << c.version);
    Connected s(c.model, 4, c.version);
    ASSERT_TRUE(s.d.presetsSupported);
    const PresetSettings settings = DecodePresetRecord(s.d, s.store.presetRecords[2]);
    EXPECT_TRUE(SavePreset(s.link, s.d, s.store, 2, "Two", settings).recordWritten);
    EXPECT_EQ(s.link.log[s.link.log.size() - 2].size(), c.writeLength);
  }
}

TEST(Presets, ActivateRereadsTheSettings) {
  Connected c("ZQL22X", 4);
  PresetSettings s = DecodePresetRecord(c.d, c.store.presetRecords[3]);
  s.ledLight = 3;
  s.rfPower = 1;
  s.channel = 2;
  s.group = 1;
  s.dontCare = 0;
  s.dontCareExt = 0;
  ASSERT_TRUE(SavePreset(c.link, c.d, c.store, 3, "Live", s).recordWritten);
  c.link.log.clear();
  const PresetSetResult r = ActivatePresetAndReread(c.link, c.d, 3);
  EXPECT_TRUE(r.activated);
  EXPECT_TRUE(r.reread);
  EXPECT_EQ(c.link.log[0], (std::vector<uint8_t>{0x4D, 'x', 3}));
  EXPECT_EQ(c.link.Codes().back(), '(');
  EXPECT_EQ(c.d.presetIndex, 3);
  EXPECT_EQ(c.d.ledLight, 3);
  EXPECT_EQ(c.d.curGroup, 1);
  EXPECT_EQ(c.d.curChannel, 2);
}

TEST(Presets, ReloadReadsEveryPreset) {
  Connected c("ZQN21X", 6);
  c.tx().presets[4].name = {'N', 'e', 'w', ' ', 'o', 'n', 'e', 0};
  EXPECT_TRUE(ReloadPresets(c.link, c.d, c.store));
  EXPECT_EQ(c.store.Name(4), "New one");
  EXPECT_EQ(c.link.Count('8'), 6);
  EXPECT_EQ(c.link.Count('X'), 6);
}
