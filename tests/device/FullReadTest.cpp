// The full read against a simulated transmitter of every model code, at an old and a
// current firmware: every value the model reports must arrive in TDeviceData.
#include <gtest/gtest.h>

#include <cstring>

#include "SimTransactor.h"
#include "device/FullRead.h"
#include "device/Identification.h"
#include "device/Presence.h"
#include "device/TDeviceData.h"

using namespace zentra;
using namespace zentra::seqtest;

namespace {

struct ModelRow {
  const char* model;
  int code;
  const char* oldVersion;
};

const ModelRow kModels[] = {
    {"ZQK120", 1, "101"}, {"ZQL11", 2, "100"},  {"ZQL21", 3, "120"},  {"ZQK220", 4, "120"},
    {"ZQL22", 5, "120"},  {"ZQN21", 6, "120"},  {"ZQL21X", 7, "120"}, {"ZQN21X", 8, "120"},
    {"ZQL22X", 9, "120"}, {"ZQK230", 10, "120"},
};

struct ReadCase {
  ModelRow row;
  const char* version;
};

std::vector<ReadCase> AllCases() {
  std::vector<ReadCase> cases;
  for (const ModelRow& m : kModels) {
    cases.push_back({m, m.oldVersion});
    cases.push_back({m, "129"});
  }
  return cases;
}

// Distinctive values, so a value that was never read cannot pass by matching a default.
void StampState(sim::VirtualTransmitter& tx) {
  sim::SimTransmitterState& s = tx.state();
  s.curGroup = 1;
  s.curChannel = 3;
  s.curFreqKHz = s.table[1][3].freqKHz;
  s.gain = -12;
  s.filter = 2;
  s.displayLimiter = tx.caps().limiter ? 0x03 : 0x01;
  s.preEmphasis = 1;
  s.micMode = 1;
  s.micPhase = 1;
  s.micPTT = 3;
  s.batteryType = 1;
  s.batteryLevel = 5;
  s.rfPower = 0;
  s.ledLight = 11;
  s.ledMode = 2;
  s.powerSetting = 77;
  s.lockBits = 0x2B;
  s.lockBitsExt = 0x15;
  s.hiddenBits = 0x33;
  s.hiddenBitsExt = 0x0C;
  s.groupLockMask = {0x05, 0x00, 0x00, 0x00, 0x00};
  s.groupHiddenMask = {0x02, 0x00, 0x00, 0x00, 0x00};
}

std::string Text(const uint8_t* p, size_t n) {
  std::string s(reinterpret_cast<const char*>(p), n);
  return s.substr(0, s.find('\0'));
}

class FullReadMatrix : public ::testing::TestWithParam<ReadCase> {};

}  // namespace

TEST_P(FullReadMatrix, EveryReportedValueIsFilledIn) {
  const ReadCase& c = GetParam();
  SimTransactor link(Spec(c.row.model, c.version));
  sim::VirtualTransmitter& tx = *link.tx();
  StampState(tx);
  const sim::SimCapabilities& caps = tx.caps();
  const sim::SimTransmitterState& s = tx.state();

  TDeviceData d;
  const PresenceTick tick = PresenceProbe(link, d, 4);
  ASSERT_EQ(tick.event, PresenceEvent::Arrived);
  ASSERT_EQ(tick.modelType, c.row.code);

  PresetStore presets;
  const FullReadResult r = FullRead(link, d, presets);
  std::string failed;
  for (ReadStep step : r.failedSteps) failed += std::string(ReadStepName(step)) + " ";
  EXPECT_FALSE(r.faulty) << failed;
  EXPECT_EQ(d.modelType, c.row.code);

  EXPECT_EQ(d.IdText(), Text(s.identity.data(), 16));
  EXPECT_EQ(d.SerialText(), Text(s.serial.data(), 10));
  EXPECT_EQ(d.channelCount, s.channelCount);
  EXPECT_EQ(d.groupCount, s.groupCount);
  EXPECT_EQ(d.freqMinMHz, s.freqMinMHz);
  EXPECT_EQ(d.freqMaxMHz, s.freqMaxMHz);
  EXPECT_EQ(d.stepHz, s.stepCount * 100);
  EXPECT_EQ(d.curFreqKHz, static_cast<int32_t>(s.curFreqKHz));
  EXPECT_EQ(d.curGroup, 1);
  EXPECT_EQ(d.curChannel, 3);
  EXPECT_EQ(d.audioGain, -12);
  EXPECT_EQ(d.audioFilter, 2);
  if (caps.audioExtended) {
    EXPECT_EQ(d.audioDisplay, 1);
    EXPECT_EQ(d.preEmphasis, 1);
    EXPECT_EQ(d.audioLimiter, caps.limiter ? 1 : 0);
  }
  if (caps.audioModLpf) {
    EXPECT_EQ(d.audioMod, (s.modLpf & 0x10) ? 1 : 0);
    EXPECT_EQ(d.audioLpf, s.modLpf & 0x03);
  }
  if (c.row.code == 1) {
    EXPECT_EQ(d.micPTT, caps.ptt ? 3 : kNotRead);
  } else {
    EXPECT_EQ(d.micPhase, 1);
    EXPECT_EQ(d.micPTT, 3);
    // The handhelds have no input mode: the mode byte they answer is not kept.
    const bool handheld = c.row.code == 4 || c.row.code == 10;
    EXPECT_EQ(d.micMode, handheld ? kNotRead : 1);
  }
  EXPECT_EQ(d.batteryType, 1);
  EXPECT_EQ(d.batteryLevel, 5);
  EXPECT_EQ(d.rfPower, 0);
  EXPECT_EQ(d.ledLight, 11);
  EXPECT_EQ(d.ledMode, 2);
  if (caps.groupLock || caps.newFamily()) {
    EXPECT_EQ(d.lockBits, 0x2B);
    EXPECT_EQ(d.groupLockMask[0], 0x05);
  }
  if (caps.groupHidden) {
    EXPECT_EQ(d.groupHiddenMask[0], 0x02);
  }
  if (caps.extendedLock) {
    EXPECT_EQ(d.lockBitsExt, 0x15);
  }
  if (caps.hiddenMenu) {
    EXPECT_EQ(d.hiddenBits, 0x33);
    EXPECT_EQ(d.hiddenBitsExt, 0x0C);
  }
  if (caps.options) {
    for (int i = 0; i < 7; ++i)
      EXPECT_EQ(d.optionTexts[i], std::string(s.options[i].data(), 3));
    EXPECT_EQ(d.infoText, std::string(s.infoText.data(), 10));
  }
  if (caps.bandPlan) {
    EXPECT_EQ(d.powerSetting, 77);
    ASSERT_EQ(d.rfLevelCount, static_cast<int>(s.rfLevels.size()));
    EXPECT_TRUE(d.rfLevelsRead);
    for (size_t i = 0; i < s.rfLevels.size(); ++i) {
      EXPECT_EQ(d.rfLevelNames[i], std::string(s.rfLevels[i].label.data(), 3) + " mW");
      EXPECT_EQ(d.rfLevelValues[i], s.rfLevels[i].value);
    }
    ASSERT_EQ(d.bandCount, static_cast<int>(s.bands.size()));
    for (size_t i = 0; i < s.bands.size(); ++i) {
      EXPECT_EQ(d.bandEdgeMHz[i], s.bands[i].edgeMHz);
      EXPECT_EQ(d.bandEdgeKHz[i], s.bands[i].edgeKHz);
      EXPECT_EQ(d.bandAllowed[i], s.bands[i].maxPowerMw);
    }
  } else {
    EXPECT_FALSE(d.rfLevelsRead);
  }
  if (caps.txName) {
    std::string name(s.txName.begin(), s.txName.end());
    EXPECT_EQ(d.txName.substr(0, name.find('\0')), name.substr(0, name.find('\0')));
  }
  if (caps.bootVersion) {
    EXPECT_EQ(d.bootVersion, std::string(s.bootVersion.data(), 12));
  }
  if (caps.presets) {
    ASSERT_EQ(d.presetCount, s.presets.size());
    EXPECT_EQ(d.presetIndex, s.activePreset);
    for (size_t i = 0; i < s.presets.size(); ++i) {
      EXPECT_EQ(presets.Name(static_cast<int>(i)), tx.presetName(static_cast<int>(i)));
      const int len = caps.presetRecordLength();
      EXPECT_EQ(0, std::memcmp(presets.presetRecords[i].data(), s.presets[i].record.data(), len));
    }
  }
  // The first group of the frequency table, as the group list loads it.
  ASSERT_EQ(r.firstGroup.rows.size(), static_cast<size_t>(s.channelCount));
  EXPECT_TRUE(r.firstGroup.ok);
  for (int ch = 0; ch < s.channelCount; ++ch)
    EXPECT_EQ(r.firstGroup.rows[ch].freqKHz, static_cast<int32_t>(s.table[0][ch].freqKHz));
  if (caps.sync) {
    EXPECT_EQ(r.firstGroup.name, tx.groupName(0));
  }

  // Ticks after the read probe only the transmitter's own family.
  link.log.clear();
  EXPECT_EQ(PresenceProbe(link, d, 4).event, PresenceEvent::StillThere);
  EXPECT_EQ(link.log.size(), 1u);
}

TEST_P(FullReadMatrix, OnlyTheTuningStepFails) {
  const ReadCase& c = GetParam();
  SimTransactor link(Spec(c.row.model, c.version));
  StampState(*link.tx());
  TDeviceData d;
  ASSERT_EQ(PresenceProbe(link, d, 4).event, PresenceEvent::Arrived);
  link.drop = [](const uint8_t* r, int n) { return n == 2 && r[1] == 's'; };
  PresetStore presets;
  const FullReadResult r = FullRead(link, d, presets);
  EXPECT_TRUE(r.faulty);
  EXPECT_EQ(r.failedSteps, std::vector<ReadStep>{ReadStep::TuningStep});
  EXPECT_EQ(d.stepHz, 0);
  // Everything after the failed step was still read.
  EXPECT_EQ(d.freqMaxMHz, 542);
  EXPECT_EQ(d.curChannel, 3);
  EXPECT_EQ(d.ledLight, 11);
  EXPECT_EQ(d.batteryLevel, 5);
}

INSTANTIATE_TEST_SUITE_P(AllModels, FullReadMatrix, ::testing::ValuesIn(AllCases()),
                         [](const ::testing::TestParamInfo<ReadCase>& info) {
                           return std::string(info.param.row.model) + "_" + info.param.version;
                         });

TEST(FullRead, EveryStepRunsWhenTheTransmitterStopsAnswering) {
  SimTransactor link(Spec("ZQL22X", "129"));
  TDeviceData d;
  ASSERT_EQ(PresenceProbe(link, d, 4).event, PresenceEvent::Arrived);
  // Everything after the table size goes unanswered.
  link.drop = [](const uint8_t* r, int) { return r[1] != 'I' && r[1] != 'N' && r[1] != 'n'; };
  PresetStore presets;
  const FullReadResult r = FullRead(link, d, presets);
  EXPECT_TRUE(r.faulty);
  EXPECT_FALSE(r.Failed(ReadStep::TableSize));
  for (ReadStep step : {ReadStep::TuningRange, ReadStep::TuningStep, ReadStep::Options,
                        ReadStep::Audio, ReadStep::ModelPanels, ReadStep::RfPowerLevels,
                        ReadStep::BandTable, ReadStep::Battery, ReadStep::Led, ReadStep::Locks,
                        ReadStep::HiddenFlags, ReadStep::Presets})
    EXPECT_TRUE(r.Failed(step)) << ReadStepName(step);
  EXPECT_FALSE(r.firstGroup.ok);
}

TEST(FullRead, NothingOfThePreviousTransmitterShapesTheNext) {
  // A ZQK230 read in full, then a ZQL11 (a ZQL21 in mode 2 for the second row) whose
  // own identity read fails in the full read: the identity the poll read still decides
  // the capabilities, and no value of the handheld survives.
  struct Case {
    const char* first;
    const char* second;
    bool dropId;
  };
  for (const Case& c : {Case{"ZQK230", "ZQL11", true}, Case{"ZQL21", "ZQK230", false}}) {
    SCOPED_TRACE(std::string(c.first) + " then " + c.second);
    SimTransactor link(Spec(c.first, "129"));
    link.tx()->state().micMode = 2;
    TDeviceData d;
    PresetStore presets;
    ASSERT_EQ(PresenceProbe(link, d, 4).event, PresenceEvent::Arrived);
    FullRead(link, d, presets);
    link.Enter(Spec(c.second, "129"));
    d.modelType = 0;  // the poll saw the first one leave
    ASSERT_EQ(PresenceProbe(link, d, 4).event, PresenceEvent::Arrived);
    link.log.clear();
    if (c.dropId) link.drop = [](const uint8_t* r, int) { return r[1] == 'I'; };
    const FullReadResult r = FullRead(link, d, presets);
    EXPECT_EQ(r.Failed(ReadStep::DeviceId), c.dropId);
    TDeviceData fresh;
    ASSERT_TRUE(IdentifyCapabilities(fresh, d.IdText()));
    EXPECT_EQ(d.modelType, fresh.modelType);
    EXPECT_EQ(d.optionsSupported, fresh.optionsSupported);
    EXPECT_EQ(d.bandPlanSupported, fresh.bandPlanSupported);
    EXPECT_EQ(d.audioModLpfSupported, fresh.audioModLpfSupported);
    if (!fresh.optionsSupported) {
      EXPECT_EQ(link.Count('b'), 0);
    }
    if (!fresh.bandPlanSupported) {
      EXPECT_EQ(link.Count(0x27), 0);
    }
    if (fresh.modelType == 10) {
      EXPECT_EQ(d.micMode, kNotRead);
    }
  }
}

TEST(FullRead, PumpRunsBetweenCommands) {
  SimTransactor link(Spec("ZQL21", "129", 'U'));
  TDeviceData d;
  ASSERT_EQ(PresenceProbe(link, d, 4).event, PresenceEvent::Arrived);
  link.log.clear();
  int pumps = 0;
  FullReadOptions options;
  options.pump = [&] { ++pumps; };
  PresetStore presets;
  FullRead(link, d, presets, options);
  EXPECT_GE(pumps, 20);
  EXPECT_GT(static_cast<int>(link.log.size()), pumps / 2);
}
