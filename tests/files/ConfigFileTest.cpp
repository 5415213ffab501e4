#include <gtest/gtest.h>

#include "support/TempDir.h"

#include "SimBench.h"
#include "files/ConfigFile.h"
#include "files/IniFile.h"
#include "files/PresetSections.h"

using namespace zentra;
using namespace zentra::filetest;
using testsupport::ReadAll;
using testsupport::TempDir;
using testsupport::WriteAll;

namespace {

ConfigSelection All() {
  ConfigSelection s;
  s.fill(true);
  return s;
}

const ConfigChoice& Choice(const ConfigChoices& c, ConfigItem item) {
  return c[static_cast<size_t>(item)];
}

}  // namespace

class ConfigRoundTrip : public ::testing::TestWithParam<const char*> {};

// Save a configuration, change every setting on the transmitter, load it back: the
// transmitter holds the saved settings again and the file holds the keys of its model.
TEST_P(ConfigRoundTrip, SettingsComeBack) {
  SimBench b(std::string("usbmsg:") + GetParam());
  ASSERT_TRUE(b.ok());
  IniFile ini;
  FileOpResult r = SaveConfiguration(*b.link, b.data, b.presets, ini);
  ASSERT_TRUE(r.ok()) << r.message;
  EXPECT_EQ(r.message, "File saved!");
  const TDeviceData saved = b.data;
  const PresetStore savedPresets = b.presets;

  EXPECT_EQ(ini.KeyExists("CONFIG", "MicMode"), saved.micInputSupported != 0);
  EXPECT_EQ(ini.KeyExists("CONFIG", "Limiter"), saved.micInputSupported || saved.limiterSupported);
  EXPECT_EQ(ini.KeyExists("CONFIG", "HiddenMenu"), saved.hiddenMenuSupported != 0);
  EXPECT_EQ(ini.KeyExists("CONFIG", "AudioMOD"), saved.audioModLpfSupported != 0);
  EXPECT_EQ(ini.KeyExists("CONFIG", "PresetIndex"), saved.presetsSupported != 0);
  EXPECT_EQ(ini.SectionExists("PRESET00"), saved.presetsSupported && saved.presetCount > 0);

  // Everything the file carries is changed on the transmitter...
  auto& s = b.state();
  s.rfPower = s.rfPower ? 0 : 1;
  s.ledLight = static_cast<uint8_t>((s.ledLight + 5) % 17);
  s.lockBits ^= 0x05;
  s.batteryType = s.batteryType ? 0 : 1;
  if (saved.hiddenMenuSupported) s.hiddenBits ^= 0x03;
  if (saved.txNameSupported && !s.txName.empty()) s.txName[0] = 'Q';
  for (size_t i = 2; i < s.presets.size(); ++i) {
    s.presets[i].name.fill('x');
    s.presets[i].record[7] = static_cast<uint8_t>((s.presets[i].record[7] + 3) % 17);
  }
  // ...and read into the device data as after a reconnect.
  FullReadOptions options;
  options.readFirstGroup = false;
  FullRead(*b.link, b.data, b.presets, options);

  const ConfigChoices choices = DecideConfigChoices(ini, b.data);
  // Activating the saved preset would put that preset's settings on top: left out here.
  ConfigSelection selection = DefaultSelection(choices);
  EXPECT_EQ(selection[static_cast<size_t>(ConfigItem::ActivatePreset)],
            saved.presetsSupported && saved.presetIndex < saved.presetCount);
  selection[static_cast<size_t>(ConfigItem::ActivatePreset)] = false;
  bool editLocked = false;
  std::vector<ConfigItem> appliedOrder;
  r = ApplyConfiguration(*b.link, b.data, b.presets, ini, choices, selection,
                         editLocked, [&](ConfigItem item) {
                           EXPECT_TRUE(editLocked);  // held on while settings are applied
                           appliedOrder.push_back(item);
                         });
  ASSERT_TRUE(r.ok()) << r.message;
  EXPECT_FALSE(editLocked);
  EXPECT_EQ(r.message, "File loaded!");
  EXPECT_TRUE(std::is_sorted(appliedOrder.begin(), appliedOrder.end()));

  EXPECT_EQ(b.data.rfPower, saved.rfPower);
  EXPECT_EQ(b.data.ledLight, saved.ledLight);
  EXPECT_EQ(b.data.ledMode, saved.ledMode);
  EXPECT_EQ(b.data.batteryType, saved.batteryType);
  EXPECT_EQ(b.data.lockBits, saved.lockBits);
  EXPECT_EQ(b.data.audioGain, saved.audioGain);
  EXPECT_EQ(b.data.audioFilter, saved.audioFilter);
  EXPECT_EQ(b.data.curGroup, saved.curGroup);
  EXPECT_EQ(b.data.curChannel, saved.curChannel);
  if (saved.hiddenMenuSupported) { EXPECT_EQ(b.data.hiddenBits, saved.hiddenBits); }
  if (saved.txNameSupported) { EXPECT_EQ(b.data.txName, saved.txName); }
  for (int i = 0; i < std::min<int>(saved.presetCount, kMaxPresets); ++i) {
    EXPECT_EQ(b.presets.Name(i), savedPresets.Name(i)) << "preset " << i;
    EXPECT_EQ(b.presets.presetRecords[i], savedPresets.presetRecords[i]) << "preset " << i;
  }
  if (saved.presetsSupported) {
    EXPECT_EQ(r.earlierMessages, (std::vector<std::string>{"Preset loaded!"}));
  }
}

INSTANTIATE_TEST_SUITE_P(Models, ConfigRoundTrip,
                         ::testing::Values("ZQK120", "ZQL12", "ZQL21", "ZQK220", "ZQL22",
                                           "ZQN21", "ZQL21X", "ZQN21X", "ZQL22X", "ZQK230"));

TEST(ConfigFile, NoTransmitterMeansConnectADevice) {
  TDeviceData none;
  PresetStore store;
  IniFile ini;
  struct NoLink : Transactor {
    bool Transact(const uint8_t*, uint8_t, uint8_t*, uint8_t& n) override {
      n = 0;
      ADD_FAILURE() << "nothing may be sent";
      return false;
    }
  } link;
  bool editLocked = false;
  const ConfigChoices choices = DecideConfigChoices(ini, none);
  for (const FileOpResult& r :
       {SaveConfiguration(link, none, store, ini),
        ApplyConfiguration(link, none, store, ini, choices, All(), editLocked),
        OpenConfiguration(none, "/nonexistent.qcf", ini)}) {
    EXPECT_EQ(r.status, FileOpStatus::NoDevice);
    EXPECT_EQ(r.message, "Connect a device!");
    EXPECT_EQ(r.title, "WARNING");
  }
}

TEST(ConfigFile, SaveUpdatesAnExistingFileAndKeepsForeignKeys) {
  SimBench b("usbmsg:ZQK120");
  ASSERT_TRUE(b.ok());
  ASSERT_FALSE(b.data.txNameSupported);
  TempDir dir;
  const std::string path = dir.filePath("u.qcf");
  ASSERT_TRUE(WriteAll(path, "[CONFIG]\r\nTxName=STAGE 1\r\nGain=12\r\n[NOTES]\r\nx=y\r\n"));
  ASSERT_TRUE(SaveConfiguration(*b.link, b.data, b.presets, path).ok());
  IniFile ini;
  ASSERT_EQ(ini.Load(path), IniFile::Status::Ok);
  EXPECT_EQ(ini.ReadString("CONFIG", "TxName", ""), "STAGE 1");
  EXPECT_EQ(ini.ReadInteger("CONFIG", "Gain", 99), b.data.audioGain);
  EXPECT_EQ(ini.ReadString("NOTES", "x", ""), "y");
  EXPECT_EQ(ini.SectionNames().front(), "CONFIG");
}

TEST(ConfigFile, KeyOrderFollowsTheModel) {
  SimBench b("usbmsg:ZQL21X");
  ASSERT_TRUE(b.ok());
  IniFile ini;
  ASSERT_TRUE(SaveConfiguration(*b.link, b.data, b.presets, ini).ok());
  std::vector<std::string> expected = {"Channel", "Group", "Gain", "Filter", "Display"};
  if (b.data.micInputSupported) expected.insert(expected.end(), {"Limiter", "MicMode"});
  expected.insert(expected.end(), {"MicPhase", "MicPTT", "BatteryType", "RFPower", "LedLight",
                                   "LedMode", "Lock", "Pre_emphasis"});
  if (b.data.limiterSupported && !b.data.micInputSupported) expected.push_back("Limiter");
  if (b.data.hiddenMenuSupported) {
    expected.insert(expected.end(), {"LockExtended", "HiddenMenu", "HiddenMenuExtended"});
  }
  if (b.data.txNameSupported) expected.push_back("TxName");
  if (b.data.audioModLpfSupported) expected.insert(expected.end(), {"AudioMOD", "AudioLPF"});
  if (b.data.presetsSupported) expected.push_back("PresetIndex");
  EXPECT_EQ(ini.KeyNames("CONFIG"), expected);
  EXPECT_EQ(ini.KeyNames("DATA"),
            (std::vector<std::string>{"ID", "SN", "Channels", "Groups", "FreqMin", "FreqMax", "Step"}));
}

TEST(ConfigFile, ChoicesOfferOnlyWhatFileAndTransmitterSupply) {
  SimBench b("usbmsg:ZQL21X");
  ASSERT_TRUE(b.ok());
  ASSERT_TRUE(b.data.presetsSupported);
  ASSERT_GE(b.data.presetCount, 3);
  IniFile full;
  ASSERT_TRUE(SaveConfiguration(*b.link, b.data, b.presets, full).ok());
  const ConfigChoices all = DecideConfigChoices(full, b.data);
  for (int i = 0; i < kConfigItemCount; ++i) {
    const auto item = static_cast<ConfigItem>(i);
    const bool expected = item != ConfigItem::Name || b.data.txNameSupported;
    EXPECT_EQ(all[i].enabled, expected) << ConfigItemKey(item);
    EXPECT_EQ(all[i].checked, all[i].enabled) << ConfigItemKey(item);
  }

  struct Case {
    const char* what;
    std::function<void(IniFile&, TDeviceData&)> change;
    ConfigItem item;
  };
  const Case cases[] = {
      {"no Channel key", [](IniFile& f, TDeviceData&) { f.WriteString("CONFIG", "Channel", ""); }, ConfigItem::Tuning},
      {"tuning not read", [](IniFile&, TDeviceData& d) { d.curGroup = -1; }, ConfigItem::Tuning},
      {"gain not read", [](IniFile&, TDeviceData& d) { d.audioGainRead = 0; }, ConfigItem::Audio},
      {"no Display", [](IniFile& f, TDeviceData& d) { d.audioExtended = 1; f.WriteString("CONFIG", "Display", "x"); }, ConfigItem::Audio},
      {"MicPTT 3 without mode 3", [](IniFile& f, TDeviceData& d) { f.WriteInteger("CONFIG", "MicPTT", 3); d.pttMode3Supported = 0; }, ConfigItem::PTT},
      {"micPTT not read", [](IniFile&, TDeviceData& d) { d.micPTT = -1; }, ConfigItem::PTT},
      {"no LedMode", [](IniFile& f, TDeviceData&) { f.WriteInteger("CONFIG", "LedMode", -1); }, ConfigItem::Led},
      {"no Lock", [](IniFile& f, TDeviceData&) { f.WriteString("CONFIG", "Lock", "junk"); }, ConfigItem::Lock},
      {"no hidden menu", [](IniFile&, TDeviceData& d) { d.hiddenMenuSupported = 0; }, ConfigItem::Hidden},
      {"no presets", [](IniFile&, TDeviceData& d) { d.presetsSupported = 0; }, ConfigItem::Presets},
      {"no PresetIndex", [](IniFile& f, TDeviceData&) { f.WriteString("CONFIG", "PresetIndex", ""); }, ConfigItem::ActivatePreset},
      {"no preset active", [](IniFile& f, TDeviceData&) { f.WriteInteger("CONFIG", "PresetIndex", 255); }, ConfigItem::ActivatePreset},
  };
  for (const auto& c : cases) {
    IniFile ini;
    ASSERT_EQ(ini.LoadText(full.ToText()), IniFile::Status::Ok);
    TDeviceData d = b.data;
    c.change(ini, d);
    const ConfigChoices got = DecideConfigChoices(ini, d);
    EXPECT_FALSE(Choice(got, c.item).enabled) << c.what;
    EXPECT_FALSE(Choice(got, c.item).checked) << c.what;
  }

  // A gain of -1 dB is a gain like any other.
  IniFile minusOne;
  ASSERT_EQ(minusOne.LoadText(full.ToText()), IniFile::Status::Ok);
  minusOne.WriteInteger("CONFIG", "Gain", -1);
  EXPECT_TRUE(Choice(DecideConfigChoices(minusOne, b.data), ConfigItem::Audio).enabled);

  // Preset sections: only PRESET01 up to the last preset count; PRESET00 alone is not enough.
  IniFile only0;
  ASSERT_EQ(only0.LoadText("[CONFIG]\r\n[PRESET00]\r\nName=x\r\n[PRESET10]\r\nName=y\r\n"),
            IniFile::Status::Ok);
  EXPECT_FALSE(Choice(DecideConfigChoices(only0, b.data), ConfigItem::Presets).enabled);
  only0.WriteString("PRESET02", "Name", "z");
  EXPECT_TRUE(Choice(DecideConfigChoices(only0, b.data), ConfigItem::Presets).enabled);
}

TEST(ConfigFile, CaptionsFollowTheTransmitter) {
  IniFile ini;
  struct Case {
    int model;
    uint8_t extended, modLpf;
    const char* audio;
    const char* mic;
  };
  const Case cases[] = {
      {10, 1, 1, "Audio gain/HP filter/Display dB-dBu/Audio LPF", "Microphone Phase"},
      {9, 1, 0, "Audio gain/HP filter/Display dB-dBu", "Microphone Type/Phase"},
      {4, 0, 0, "Audio gain/HP filter", "Microphone Phase"},
      {2, 0, 1, "Audio gain/HP filter", "Microphone Type/Phase"},
  };
  for (const auto& c : cases) {
    TDeviceData d;
    d.modelType = static_cast<int8_t>(c.model);
    d.audioExtended = c.extended;
    d.audioModLpfSupported = c.modLpf;
    const ConfigChoices got = DecideConfigChoices(ini, d);
    EXPECT_EQ(Choice(got, ConfigItem::Audio).caption, c.audio);
    EXPECT_EQ(Choice(got, ConfigItem::Mic).caption, c.mic);
    EXPECT_EQ(Choice(got, ConfigItem::ActivatePreset).caption, "Activate Preset");
  }
}

TEST(ConfigFile, ModulationAndLowPassGoOutAsOneByte) {
  SimBench b("usbmsg:ZQK230");
  ASSERT_TRUE(b.ok());
  ASSERT_TRUE(b.data.audioExtended && b.data.audioModLpfSupported);
  struct Case {
    const char* mod;
    const char* lpf;
    uint8_t sent;
  };
  const Case cases[] = {{"0", "2", 0}, {"1", "2", 18}, {"1", "0", 16}, {"0", "1", 1},
                        {"2", "0", 0}, {"1", "3", 0},  {"", "1", 0},   {"x", "1", 0}};
  for (const auto& c : cases) {
    IniFile ini;
    ASSERT_TRUE(SaveConfiguration(*b.link, b.data, b.presets, ini).ok());
    ini.WriteString("CONFIG", "AudioMOD", c.mod);
    ini.WriteString("CONFIG", "AudioLPF", c.lpf);
    b.state().modLpf = 0x11;
    ConfigSelection only{};
    only[static_cast<size_t>(ConfigItem::Audio)] = true;
    ConfigChoices choices = DecideConfigChoices(ini, b.data);
    choices[static_cast<size_t>(ConfigItem::Audio)].enabled = true;
    bool editLocked = false;
    ASSERT_TRUE(ApplyConfiguration(*b.link, b.data, b.presets, ini, choices, only, editLocked).ok());
    EXPECT_EQ(b.state().modLpf, c.sent) << c.mod << "/" << c.lpf;
  }
}

TEST(ConfigFile, PresetSectionsKeepSignedBytesAndRefuseBadValues) {
  SimBench b("usbmsg:ZQK230,presets=5");
  ASSERT_TRUE(b.ok());
  ASSERT_EQ(b.data.presetCount, 5);
  auto& s = b.state();
  s.presets[2].record[10] = 0x81;  // modulation lock (bit 7) and tuning lock
  s.presets[2].record[0] = static_cast<uint8_t>(-12);
  FullReadOptions options;
  options.readFirstGroup = false;
  FullRead(*b.link, b.data, b.presets, options);

  IniFile ini;
  ASSERT_TRUE(SaveConfiguration(*b.link, b.data, b.presets, ini).ok());
  EXPECT_EQ(ini.ReadString("PRESET02", "Lock", ""), "-127");
  EXPECT_EQ(ini.ReadString("PRESET02", "Gain", ""), "-12");
  EXPECT_FALSE(ini.SectionExists("PRESET05"));

  const PresetRecord before = b.presets.presetRecords[3];
  struct Case {
    const char* key;
    const char* value;
    int byte;
    int expected;  // -1: unchanged
  };
  const Case cases[] = {
      {"Gain", "50", 0, -1},        {"Gain", "40", 0, 40},        {"Gain", "-21", 0, -1},
      {"Gain", "junk", 0, -1},      {"Lock", "-128", 10, 0x80},   {"Lock", "300", 10, 300 & 0xFF},
      {"SetEnable", "junk", 11, 0}, {"LedLight", "17", 7, -1},    {"LedLight", "16", 7, 16},
      {"LedMode", "3", 8, -1},      {"Channel", "99", 12, -1},    {"RFPower", "2", 9, -1},
      {"Filter", "6", 1, 6},        {"MicMode", "1", 3, -1},
  };
  for (const auto& c : cases) {
    IniFile one;
    one.WriteString("PRESET03", c.key, c.value);
    PresetFromFile p = ReadPresetSection(one, b.data, 3, before);
    const int want = c.expected < 0 ? before[c.byte] : c.expected;
    EXPECT_EQ(p.record[c.byte], want) << c.key << "=" << c.value;
    for (int i = 0; i < kPresetSlotSize; ++i) {
      if (i != c.byte) { EXPECT_EQ(p.record[i], before[i]) << c.key << " touched byte " << i; }
    }
  }
  struct Pair {
    const char* mod;
    const char* lpf;
    bool stored;
  };
  for (const Pair& c : {Pair{"0", "2", false}, Pair{"1", "2", true}, Pair{"0", "1", true},
                        Pair{"2", "1", false}}) {
    IniFile one;
    one.WriteString("PRESET03", "AudioMOD", c.mod);
    one.WriteString("PRESET03", "AudioLPF", c.lpf);
    PresetFromFile p = ReadPresetSection(one, b.data, 3, before);
    EXPECT_EQ(p.record[16] == std::stoi(c.mod) && p.record[17] == std::stoi(c.lpf), c.stored)
        << c.mod << "/" << c.lpf;
  }

  // Through the transmitter: the negative lock byte comes back as it was, a bad gain
  // leaves the stored one, and FACTORY/USER names are never written.
  ini.WriteInteger("PRESET02", "Gain", 55);
  ini.WriteString("PRESET00", "Name", "HACKED");
  ini.WriteString("PRESET02", "Name", "Lead\tVox");
  s.presets[2].record[10] = 0;
  FullRead(*b.link, b.data, b.presets, options);
  PresetSectionsResult r = LoadPresetSections(*b.link, *b.link, b.data, b.presets, ini);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(s.presets[2].record[10], 0x81);
  EXPECT_EQ(static_cast<int8_t>(s.presets[2].record[0]), -12);
  EXPECT_EQ(b.tx().presetName(2), "Lead Vox");
  EXPECT_NE(b.tx().presetName(0), "HACKED");
  EXPECT_EQ(r.refused, (std::vector<std::string>{"PRESET02: Gain=55 refused"}));
}

TEST(ConfigFile, HandWrittenAndHostileFilesAreRead) {
  SimBench b("usbmsg:ZQK230,presets=4");
  ASSERT_TRUE(b.ok());
  IniFile ini;
  ASSERT_TRUE(OpenConfiguration(b.data, ZENTRA_TEST_DATA_DIR "/handwritten.qcf", ini).ok());
  const ConfigChoices choices = DecideConfigChoices(ini, b.data);
  EXPECT_TRUE(Choice(choices, ConfigItem::Tuning).enabled);
  EXPECT_TRUE(Choice(choices, ConfigItem::Led).enabled);
  EXPECT_TRUE(Choice(choices, ConfigItem::Lock).enabled);
  EXPECT_TRUE(Choice(choices, ConfigItem::Presets).enabled);
  EXPECT_FALSE(Choice(choices, ConfigItem::Battery).enabled);  // no BatteryType key
  bool editLocked = true;
  FileOpResult r = ApplyConfiguration(*b.link, b.data, b.presets, ini, choices,
                                      DefaultSelection(choices), editLocked);
  ASSERT_TRUE(r.ok()) << r.message;
  EXPECT_TRUE(editLocked);  // put back as it was
  EXPECT_EQ(b.data.curChannel, 2);
  EXPECT_EQ(b.data.curGroup, 1);
  EXPECT_EQ(b.data.ledLight, 12);
  EXPECT_EQ(b.data.lockBits, 5);
  if (b.data.txNameSupported) { EXPECT_EQ(b.data.txName, std::string("Handheld 7").substr(0, b.data.txNameLength)); }
  EXPECT_EQ(b.presets.Name(2), "Choir");
  EXPECT_EQ(static_cast<int8_t>(b.presets.presetRecords[2][0]), -10);
  EXPECT_EQ(b.presets.presetRecords[2][7], 4);
  EXPECT_EQ(b.presets.presetRecords[2][10], 0x81);

  IniFile hostile;
  ASSERT_TRUE(OpenConfiguration(b.data, ZENTRA_TEST_DATA_DIR "/hostile.qcf", hostile).ok());
  const ConfigChoices hc = DecideConfigChoices(hostile, b.data);
  EXPECT_FALSE(Choice(hc, ConfigItem::Audio).enabled);  // "Gain" is no number
  const PresetRecord before = b.presets.presetRecords[2];
  PresetFromFile p = ReadPresetSection(hostile, b.data, 2, before);
  EXPECT_EQ(p.record[0], before[0]);   // "1e3" is not a number
  EXPECT_EQ(p.record[10], 0xFF);       // 0x1FF: low 8 bits
  EXPECT_TRUE(p.hasName);
  EXPECT_EQ(p.name, std::string("  \0\0\0\0\0\0", 8));  // control bytes made blanks
  r = ApplyConfiguration(*b.link, b.data, b.presets, hostile, hc, DefaultSelection(hc), editLocked);
  EXPECT_TRUE(r.ok()) << r.message;
}

TEST(ConfigFile, TransmitterLeavingEndsWithTheLinkErrorAndKeepsTheFile) {
  SimBench b("usbmsg:ZQL22X");
  ASSERT_TRUE(b.ok());
  ASSERT_TRUE(b.data.presetsSupported);
  IniFile ini;
  ASSERT_TRUE(SaveConfiguration(*b.link, b.data, b.presets, ini).ok());
  TempDir dir;
  const std::string path = dir.filePath("keep.qcf");
  ASSERT_EQ(ini.Save(path), IniFile::Status::Ok);
  auto bytes = [&path] { return ReadAll(path); };
  const std::string before = bytes();
  b.world->Leave();
  FileOpResult r = SaveConfiguration(*b.link, b.data, b.presets, path);
  EXPECT_EQ(r.status, FileOpStatus::DeviceLost);
  EXPECT_EQ(bytes(), before);
  const ConfigChoices choices = DecideConfigChoices(ini, b.data);
  bool editLocked = false;
  r = ApplyConfiguration(*b.link, b.data, b.presets, ini, choices, DefaultSelection(choices),
                         editLocked);
  EXPECT_EQ(r.status, FileOpStatus::DeviceLost);
  EXPECT_EQ(r.message, "Device not responding!");
  EXPECT_FALSE(editLocked);
}

// A preset that cannot be read does not stop the save: everything else is written, the
// preset's section from an earlier save is taken out, and the gap is reported.
TEST(ConfigFile, UnreadablePresetLeavesAGapNotAStaleSection) {
  SimBench b("usbmsg:ZQL22X");
  ASSERT_TRUE(b.ok());
  ASSERT_GE(b.data.presetCount, 4);
  // Preset 2's name and record never come through.
  struct NoPreset2 : Transactor {
    explicit NoPreset2(Transactor& l) : link(l) {}
    bool Transact(const uint8_t* q, uint8_t n, uint8_t* r, uint8_t& rn) override {
      rn = 0;
      if (n == 3 && (q[1] == '8' || q[1] == 'X') && q[2] == 2) return false;
      return link.Transact(q, n, r, rn);
    }
    LinkHealth* health() override { return link.health(); }
    Transactor& link;
  } link(*b.link);
  IniFile ini;
  ini.WriteString("PRESET02", "Name", "OLDNAME");
  const FileOpResult r = SaveConfiguration(link, b.data, b.presets, ini);
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(r.gaps, std::vector<std::string>{"Not read (preset=02)"});
  EXPECT_EQ(r.title, kTitleWarning);
  EXPECT_FALSE(ini.SectionExists("PRESET02"));
  EXPECT_TRUE(ini.SectionExists("PRESET01"));
  EXPECT_TRUE(ini.SectionExists("PRESET03"));
  EXPECT_TRUE(ini.KeyExists("CONFIG", "PresetIndex"));
  EXPECT_TRUE(ini.KeyExists("CONFIG", "LedLight"));
}
