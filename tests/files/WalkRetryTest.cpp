// Walks over a link that loses or garbles chosen replies: a failed command is tried once
// more at the end, what still fails is a gap (memo line, warning), and a garbled value
// is never taken for the transmitter's.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

#include "device/FullRead.h"
#include "device/Presence.h"
#include "device/SimTransactor.h"
#include "files/ConfigFile.h"
#include "files/IniFile.h"
#include "files/TableFile.h"

namespace zentra::filetest {
namespace {

using seqtest::SimTransactor;
using seqtest::Spec;

// The simulated transmitter behind a link that, for requests matching `hit`, loses the
// answer (garble unset) or changes it (garble set) as long as `times` lasts (-1: always).
// A lost answer is a fault in the link's record, as the real link notes it; a garbled
// one shows nothing by itself.
class FaultyLink : public Transactor {
 public:
  explicit FaultyLink(SimTransactor& inner) : inner_(inner) {}
  bool Transact(const uint8_t* q, uint8_t n, uint8_t* r, uint8_t& rn) override {
    const bool matched = hit && hit(q, n) && times != 0;
    if (matched && swallow) {  // the request never reaches the transmitter
      if (times > 0) --times;
      record.NoteFault();
      return false;
    }
    const bool ok = inner_.Transact(q, n, r, rn);
    if (!matched) return ok;
    if (times > 0) --times;
    ++hits;
    if (!garble) {
      record.NoteFault();
      return false;
    }
    garble(r, rn, hits);
    return ok;
  }
  LinkHealth* health() override { return &record; }
  std::function<bool(const uint8_t*, int)> hit;
  std::function<void(uint8_t*, uint8_t, int)> garble;
  int times = 0;
  int hits = 0;
  bool swallow = false;
  LinkHealth record;

 private:
  SimTransactor& inner_;
};

// Requests of command code at channel c, group g ('<' frequency, ',' flags, '>' write).
std::function<bool(const uint8_t*, int)> At(uint8_t code, int c, int g) {
  return [=](const uint8_t* q, int n) { return n >= 4 && q[1] == code && q[2] == c && q[3] == g; };
}

struct Bench {
  SimTransactor sim{Spec("ZQL22X", "129")};
  FaultyLink link{sim};
  TDeviceData d;
  PresetStore presets;
  Bench() {
    EXPECT_EQ(PresenceProbe(sim, d, 4).event, PresenceEvent::Arrived);
    FullReadOptions o;
    o.readFirstGroup = false;
    EXPECT_FALSE(FullRead(sim, d, presets, o).faulty);
  }
  sim::SimChannel& Channel(int g, int c) { return sim.tx()->state().table[g][c]; }
};

void SetFreq(uint8_t* r, int32_t f) {
  for (int i = 0; i < 4; ++i) r[2 + i] = static_cast<uint8_t>(f >> (24 - 8 * i));
}

TEST(WalkRetry, TableSaveRetriesAndReportsWhatStaysUnread) {
  struct Case {
    const char* what;
    uint8_t code;
    int times;
    std::function<void(uint8_t*, uint8_t, int)> garble;
    bool gap;
    const char* freqKey;  // expected CH03 value: "" missing, "*" the transmitter's
    bool trouble = false;  // the link has shown a fault earlier: reads are confirmed
  };
  const Case cases[] = {
      {"frequency lost once", '<', 1, {}, false, "*"},
      {"frequency lost for good", '<', -1, {}, true, ""},
      {"flags lost for good", ',', -1, {}, true, "*"},
      {"frequency garbled off the step once", '<', 1, [](uint8_t* r, uint8_t, int) { r[5] ^= 1; }, false, "*"},
      {"frequency garbled differently every time", '<', -1,
       [](uint8_t* r, uint8_t, int k) { SetFreq(r, 500001 + k); }, true, ""},
      {"an off-step frequency that reads the same twice is the transmitter's", '<', -1,
       [](uint8_t* r, uint8_t, int) { SetFreq(r, 500001); }, false, "500001"},
      {"the same off-step garbling twice in a row is not believed", '<', 2,
       [](uint8_t* r, uint8_t, int) { SetFreq(r, 500001); }, false, "*"},
      {"flag bit flipped once, on a link that lost replies before", ',', 1,
       [](uint8_t* r, uint8_t, int) { r[2] ^= 2; }, false, "*", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bench b;
    if (c.trouble) b.link.record.NoteFault();
    b.Channel(1, 3).hidden = true;
    b.link.hit = At(c.code, 3, 1);
    b.link.times = c.times;
    b.link.garble = c.garble;
    IniFile ini;
    NullProgress quiet;
    TableSaveOptions options;
    const FileOpResult r = SaveFrequencyTable(b.link, b.d, ini, options, quiet);
    EXPECT_EQ(r.status, FileOpStatus::Done);
    EXPECT_EQ(r.completedWithGaps(), c.gap);
    EXPECT_EQ(r.title, c.gap ? kTitleWarning : kTitleCompleted);
    const std::string section = GroupSectionName(b.d, 1);
    const std::string want = std::string(c.freqKey) == "*"
                                 ? std::to_string(b.Channel(1, 3).freqKHz)
                                 : std::string(c.freqKey);
    EXPECT_EQ(ini.ReadString(section, "CH03", ""), want);
    if (c.gap) {
      EXPECT_EQ(r.gaps, std::vector<std::string>{"Not read (channel=03-group=02)"});
      EXPECT_EQ(r.memo.back(), "Not read (channel=03-group=02)");
      EXPECT_EQ(r.failedCommands, 1);
    } else {
      EXPECT_EQ(r.failedCommands, 0);
      EXPECT_EQ(ini.ReadString(section, "CH03_HIDDEN", ""), "0");
    }
    // Keys stay in channel order even when a channel was read on the second try.
    const auto keys = ini.KeyNames(section);
    const auto ch02 = std::find(keys.begin(), keys.end(), "CH02");
    ASSERT_NE(ch02, keys.end());
    if (c.code == ',' || !c.gap) {
      EXPECT_EQ(*(ch02 + 3), "CH03");
    }
  }
}

TEST(WalkRetry, TableLoadWritesAgainAndReportsWhatStaysUnwritten) {
  struct Case {
    const char* what;
    int times;
    bool swallow;
    bool gap;
  };
  const Case cases[] = {
      {"answer lost once", 1, false, false},
      // The transmitter took the write every time: reading the channel back shows it.
      {"answer lost every time", -1, false, false},
      {"the write never reaches the transmitter", -1, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bench b;
    IniFile ini;
    ini.WriteInteger(GroupSectionName(b.d, 2), "CH05", 512125);
    b.link.hit = At('>', 5, 2);
    b.link.times = c.times;
    b.link.swallow = c.swallow;
    NullProgress quiet;
    TableLoadOptions options;
    const FileOpResult r = LoadFrequencyTable(b.link, b.d, ini, options, quiet);
    EXPECT_EQ(r.status, FileOpStatus::Done);
    EXPECT_EQ(b.Channel(2, 5).freqKHz == 512125u, !c.gap);
    EXPECT_EQ(r.completedWithGaps(), c.gap);
    EXPECT_EQ(r.failedCommands, c.gap ? 1 : 0);
    if (c.gap) {
      EXPECT_EQ(r.gaps, std::vector<std::string>{"Not written (channel=05-group=03)"});
      EXPECT_EQ(r.title, kTitleWarning);
    }
  }
}

TEST(WalkRetry, FullReadRunsAFailedStepAgainAndConfirmsEveryValue) {
  struct Case {
    const char* what;
    int times;
    std::function<void(uint8_t*, uint8_t, int)> garble;
    bool faulty;
  };
  // The garbled cases on a link that has lost replies before (a garbled value on a link
  // that never showed a fault looks like any other: see the test below).
  const Case cases[] = {
      {"lost once", 1, {}, false},
      {"lost for good", -1, {}, true},
      {"garbled once", 1, [](uint8_t* r, uint8_t, int) { r[3] ^= 0x10; }, false},
      {"garbled differently every time", -1, [](uint8_t* r, uint8_t, int k) { r[3] = static_cast<uint8_t>(k); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SimTransactor sim(Spec("ZQL22X", "129"));
    FaultyLink link(sim);
    if (c.garble) link.record.NoteFault();
    TDeviceData d;
    ASSERT_EQ(PresenceProbe(sim, d, 4).event, PresenceEvent::Arrived);
    link.hit = [](const uint8_t* q, int n) { return n == 2 && q[1] == 's'; };  // tuning step
    link.times = c.times;
    link.garble = c.garble;
    PresetStore presets;
    const FullReadResult r = FullRead(link, d, presets);
    EXPECT_EQ(r.faulty, c.faulty);
    EXPECT_EQ(r.Failed(ReadStep::TuningStep), c.faulty);
    EXPECT_EQ(d.stepHz == static_cast<int>(sim.tx()->state().stepCount) * 100, !c.faulty);
  }
}

// A value taken while the link looked clean is read once more when a fault shows later
// in the same operation: the tuning step garbled at first is put right, and the
// serial number read before it (confirmed by its second read) is not read a third time.
TEST(WalkRetry, AFaultLaterInTheReadPutsRightWhatWasTakenBefore) {
  // The first tuning-step answer garbled (nothing shows it), the first battery answer
  // lost (a fault in the record).
  struct Rigged : Transactor {
    explicit Rigged(SimTransactor& s) : sim(s) {}
    bool Transact(const uint8_t* q, uint8_t n, uint8_t* r, uint8_t& rn) override {
      const bool ok = sim.Transact(q, n, r, rn);
      if (n == 2 && q[1] == 's' && steps++ == 0) r[3] ^= 0x10;
      if (n == 2 && q[1] == 'B' && batteries++ == 0) {
        record.NoteFault();
        return false;
      }
      return ok;
    }
    LinkHealth* health() override { return &record; }
    SimTransactor& sim;
    LinkHealth record;
    int steps = 0, batteries = 0;
  };
  SimTransactor sim(Spec("ZQL22X", "129"));
  TDeviceData d;
  ASSERT_EQ(PresenceProbe(sim, d, 4).event, PresenceEvent::Arrived);
  sim.log.clear();
  Rigged link(sim);
  PresetStore presets;
  const FullReadResult r = FullRead(link, d, presets);
  EXPECT_FALSE(r.faulty);
  EXPECT_EQ(d.stepHz, static_cast<int>(sim.tx()->state().stepCount) * 100);
  EXPECT_EQ(sim.Count('N'), 2);  // read, and read once more when the fault showed
  EXPECT_EQ(sim.Count('s'), 4);  // garbled, contradicted, then a confirmed pair
}

TEST(WalkRetry, ConfigurationLoadAppliesASettingAgainOrReportsIt) {
  for (int times : {1, -1}) {
    SCOPED_TRACE(times);
    Bench b;
    IniFile ini;
    ini.WriteInteger("CONFIG", "LedLight", 3);
    ini.WriteInteger("CONFIG", "LedMode", 2);
    const ConfigChoices choices = DecideConfigChoices(ini, b.d);
    ConfigSelection only{};
    only[static_cast<size_t>(ConfigItem::Led)] = true;
    b.link.hit = [](const uint8_t* q, int n) { return n >= 2 && q[1] == 0xCC; };  // LED write
    b.link.times = times;
    bool editLocked = false;
    const FileOpResult r = ApplyConfiguration(b.link, b.d, b.presets, ini, choices, only, editLocked);
    EXPECT_EQ(r.status, FileOpStatus::Done);
    EXPECT_EQ(b.sim.tx()->state().ledLight, 3);
    EXPECT_EQ(r.completedWithGaps(), times < 0);
    EXPECT_EQ(r.title, times < 0 ? kTitleWarning : kTitleCompleted);
    if (times < 0) {
      EXPECT_EQ(r.gaps, std::vector<std::string>{"Not written (led)"});
    }
  }
}

}  // namespace
}  // namespace zentra::filetest
