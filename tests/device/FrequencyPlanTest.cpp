// The frequency table one group at a time against a simulated transmitter: reads,
// writes, and the refusals that keep channels and groups visible.
#include <gtest/gtest.h>

#include "SimTransactor.h"
#include "device/FrequencyPlan.h"
#include "device/FullRead.h"
#include "device/Presence.h"
#include "device/TDeviceData.h"

using namespace zentra;
using namespace zentra::seqtest;

namespace {

struct Plan {
  explicit Plan(const char* model, int groups = 0, int channels = 0, const char* version = "129") {
    sim::TransmitterSpec spec = Spec(model, version);
    spec.groups = groups;
    spec.channels = channels;
    link.Enter(spec);
    PresenceProbe(link, d, 4);
    FullRead(link, d, presets);
    link.log.clear();
  }
  sim::SimTransmitterState& tx() { return link.tx()->state(); }
  SimTransactor link;
  TDeviceData d;
  PresetStore presets;
};

}  // namespace

TEST(FrequencyPlan, ReadGroupAndSync) {
  for (const char* model : {"ZQL21", "ZQL12", "ZQK120"}) {
    SCOPED_TRACE(model);
    Plan p(model, 0, 16);
    p.tx().table[1][2].locked = true;
    p.tx().table[1][3].hidden = true;
    const GroupView g = ReadGroup(p.link, p.d, 1);
    EXPECT_TRUE(g.ok);
    EXPECT_FALSE(g.isSync);
    ASSERT_EQ(g.rows.size(), 16u);
    for (int c = 0; c < 16; ++c)
      EXPECT_EQ(g.rows[c].freqKHz, static_cast<int32_t>(p.tx().table[1][c].freqKHz));
    if (p.d.channelFlagsSupported) {
      EXPECT_TRUE(g.rows[2].locked);
      EXPECT_TRUE(g.rows[3].hidden);
      EXPECT_FALSE(g.rows[3].locked);
      EXPECT_EQ(g.name, p.link.tx()->groupName(1));
    } else {
      EXPECT_FALSE(g.rows[2].flagsRead);
      EXPECT_FALSE(g.nameRead);
    }
    if (p.d.syncSupported) {
      const GroupView s = ReadGroup(p.link, p.d, p.d.syncGroup);
      EXPECT_TRUE(s.isSync);
      EXPECT_EQ(s.name, "SYNC CHANNEL");
      EXPECT_EQ(s.rows[0].freqKHz, static_cast<int32_t>(p.tx().table[p.d.syncGroup][0].freqKHz));
      EXPECT_FALSE(s.rows[1].freqRead);  // only the sync channel
    }
  }
}

TEST(FrequencyPlan, HidingRefusals) {
  Plan p("ZQL22X", 4, 4);
  // Tuned to channel 1 of group 2.
  p.tx().curGroup = 2;
  p.tx().curChannel = 1;
  ASSERT_TRUE(CommandSet(p.link, p.d).ReadGroupChannel());
  p.tx().table[0][1].hidden = p.tx().table[0][2].hidden = p.tx().table[0][3].hidden = true;
  GroupView g0 = ReadGroup(p.link, p.d, 0);
  GroupView g2 = ReadGroup(p.link, p.d, 2);

  struct Case { GroupView* view; int channel; bool hiddenAfter; const char* warning; };
  const Case cases[] = {
      {&g0, 0, false, kNotAllChannelsHidden},  // the last visible channel
      {&g0, 2, false, ""},                      // un-hiding is always allowed
      {&g2, 1, false, kTuningChannel},          // the tuned channel
      {&g2, 3, true, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "group " << c.view->group << " channel " << c.channel);
    p.link.log.clear();
    const PlanEditResult r = ToggleChannelHidden(p.link, p.d, *c.view, c.channel);
    EXPECT_EQ(r.warning.text, c.warning);
    EXPECT_TRUE(r.written);  // the flags are written in any case (hidden cleared)
    EXPECT_EQ(p.tx().table[c.view->group][c.channel].hidden, c.hiddenAfter);
    EXPECT_EQ(c.view->rows[c.channel].hidden, c.hiddenAfter);
    EXPECT_EQ(p.link.log[0][1], '.');
  }
  // Locking keeps the hidden flag as it is.
  ToggleChannelLock(p.link, p.d, g2, 3);
  EXPECT_TRUE(p.tx().table[2][3].locked);
  EXPECT_TRUE(p.tx().table[2][3].hidden);
  // No channel flags in the SYNC group.
  GroupView sync = ReadGroup(p.link, p.d, p.d.syncGroup);
  p.link.log.clear();
  EXPECT_TRUE(ToggleChannelHidden(p.link, p.d, sync, 0).refused);
  EXPECT_TRUE(p.link.log.empty());
}

TEST(FrequencyPlan, WriteFrequencyAndTune) {
  Plan p("ZQL21", 4, 8);
  GroupView g = ReadGroup(p.link, p.d, 3);
  p.link.log.clear();
  const PlanEditResult r = WriteChannelFrequencyAndReload(p.link, p.d, g, 7, 512125);
  EXPECT_TRUE(r.written);
  EXPECT_EQ(p.link.log[0], (std::vector<uint8_t>{0x4D, 0x3E, 7, 3, 0x00, 0x07, 0xD0, 0x7D}));
  EXPECT_EQ(g.rows[7].freqKHz, 512125);
  EXPECT_EQ(FormatMHz(g.rows[7].freqKHz), "512.125");
  EXPECT_FALSE(r.tunedFrequencyRead);
  // The tuned channel (00 of group 00): the tuned frequency is read again.
  GroupView g0 = ReadGroup(p.link, p.d, 0);
  EXPECT_TRUE(WriteChannelFrequencyAndReload(p.link, p.d, g0, 0, 500125).tunedFrequencyRead);
  EXPECT_EQ(p.d.curFreqKHz, 500125);

  // A cancelled entry writes nothing but the group is read again.
  p.link.log.clear();
  EXPECT_TRUE(WriteChannelFrequencyAndReload(p.link, p.d, g, 2, 0).refused);
  EXPECT_EQ(p.link.Count('>'), 0);
  EXPECT_GT(p.link.Count('<'), 0);

  GroupView sync = ReadGroup(p.link, p.d, p.d.syncGroup);
  EXPECT_TRUE(WriteChannelFrequencyAndReload(p.link, p.d, sync, 5, 530000).written);
  EXPECT_EQ(p.tx().table[p.d.syncGroup][0].freqKHz, 530000u);

  // Tuning by click: hidden channels and channels of hidden groups are skipped.
  p.tx().table[1][4].hidden = true;
  EXPECT_TRUE(TuneToChannel(p.link, p.d, 1, 4).skipped);
  p.d.SetGroupHidden(2, true);
  EXPECT_TRUE(TuneToChannel(p.link, p.d, 2, 0).skipped);
  const TuneResult t = TuneToChannel(p.link, p.d, 1, 5);
  EXPECT_TRUE(t.tuned && t.readBack);
  EXPECT_EQ(p.d.curGroup, 1);
  EXPECT_EQ(p.d.curChannel, 5);
  EXPECT_EQ(p.d.curFreqKHz, static_cast<int32_t>(p.tx().table[1][5].freqKHz));
}

TEST(FrequencyPlan, GroupFlagsAndNameSave) {
  Plan p("ZQL21X", 40, 2);
  p.tx().curGroup = 5;
  ASSERT_TRUE(CommandSet(p.link, p.d).ReadGroupChannel());

  PlanWarning w;
  EXPECT_TRUE(GroupLockClick(p.d, 3, true));
  EXPECT_FALSE(GroupLockClick(p.d, p.d.syncGroup, true));
  for (int g = 0; g < 39; ++g) EXPECT_TRUE(GroupHiddenClick(p.d, g, true, w));
  EXPECT_TRUE(w.empty());
  // Hiding the 40th group would hide them all.
  EXPECT_FALSE(GroupHiddenClick(p.d, 39, true, w));
  EXPECT_EQ(w.text, kNotAllGroupsHidden);
  GroupHiddenClick(p.d, 5, false, w);

  // SAVE: the tuned group may not be hidden; the rest goes to the transmitter.
  GroupSaveResult r = SaveGroupFlagsAndName(p.link, p.d, 5, true, true, "Stage\tA");
  ASSERT_EQ(r.warnings.size(), 1u);
  EXPECT_EQ(r.warnings[0].text, kTuningChannel);
  EXPECT_FALSE(r.hiddenChecked);
  EXPECT_TRUE(r.lockChecked);
  EXPECT_TRUE(r.locksWritten);
  EXPECT_TRUE(r.nameWritten);
  EXPECT_EQ(r.nameText, "Stage A");
  EXPECT_EQ(p.link.tx()->groupName(5), "Stage A");
  EXPECT_EQ(p.tx().groupLockMask[0], 0x28);  // groups 3 and 5
  EXPECT_EQ(p.tx().groupHiddenMask[4], 0x7F);
  EXPECT_EQ(p.tx().groupHiddenMask[0] & 0x20, 0);

  r = SaveGroupFlagsAndName(p.link, p.d, 7, false, true, "");
  EXPECT_TRUE(r.warnings.empty());
  EXPECT_TRUE(r.hiddenChecked);
  EXPECT_EQ(r.nameText, "        ");

  // The SYNC group: no flags, the 12-character name.
  r = SaveGroupFlagsAndName(p.link, p.d, p.d.syncGroup, true, true, "Sync for the choir");
  EXPECT_FALSE(r.lockChecked);
  EXPECT_FALSE(r.hiddenChecked);
  EXPECT_EQ(r.nameText, "Sync for the");
  EXPECT_TRUE(r.nameWritten);
  const GroupView sync = ReadGroup(p.link, p.d, p.d.syncGroup);
  EXPECT_EQ(sync.name, "Sync for the");
}

TEST(FrequencyPlan, HidingNeverLeavesEveryGroupOfTheTransmitterHidden) {
  // Fewer groups than the 40 bits of the mask, and the full 40.
  for (int groups : {5, 40}) {
    SCOPED_TRACE(groups);
    Plan p("ZQL21X", groups, 2);
    const int last = groups - 1;  // group 0 is tuned, so the last one is hidden last
    PlanWarning w;
    for (int g = 1; g < last; ++g) EXPECT_TRUE(GroupHiddenClick(p.d, g, true, w));
    EXPECT_TRUE(GroupHiddenClick(p.d, 0, true, w));
    EXPECT_TRUE(w.empty());
    EXPECT_FALSE(GroupHiddenClick(p.d, last, true, w));
    EXPECT_EQ(w.text, kNotAllGroupsHidden);
    EXPECT_FALSE(p.d.IsGroupHidden(last));

    // The SAVE button checks the same rule before anything is sent.
    GroupSaveResult r = SaveGroupFlagsAndName(p.link, p.d, last, false, true, "LAST");
    ASSERT_EQ(r.warnings.size(), 1u);
    EXPECT_EQ(r.warnings[0].text, kNotAllGroupsHidden);
    EXPECT_FALSE(r.hiddenChecked);
    EXPECT_TRUE(r.locksWritten);
    const int lastBit = (p.tx().groupHiddenMask[last / 8] >> (last % 8)) & 1;
    EXPECT_EQ(lastBit, 0);
  }
}

TEST(FrequencyPlan, GroupSaveSendsNoNameToATransmitterWithoutNames) {
  Plan p("ZQK120", 0, 0, "103");  // group locks, no names, no sync channel
  ASSERT_TRUE(p.d.groupLockSupported && !p.d.groupNamesSupported);
  const GroupSaveResult r = SaveGroupFlagsAndName(p.link, p.d, 2, true, false, "X");
  EXPECT_TRUE(r.locksWritten);
  EXPECT_FALSE(r.nameWritten);
  EXPECT_EQ(p.link.log.size(), 2u);  // the lock bytes, written and read back
  EXPECT_EQ(p.tx().groupLockMask[0], 0x04);
}
