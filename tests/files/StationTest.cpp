// The programming station against the simulator's queue of transmitters: lists refused
// before anything is sent, mixed models programmed in order, a transmitter presented
// twice, one that leaves in the middle and comes back, a line refused for one model and
// kept for the next, a configuration applied first, and the report continued after a
// stop.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "device/FullRead.h"
#include "files/IniFile.h"
#include "files/ProgrammingStation.h"
#include "link/IrLink.h"
#include "sim/SimWorld.h"

namespace zentra {
namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The link with a hand on it: a test can change or drop a request before it goes out.
class TamperingLink : public Transactor {
 public:
  explicit TamperingLink(Transactor& link) : link_(link) {}
  bool Transact(const uint8_t* request, uint8_t n, uint8_t* response, uint8_t& length) override {
    std::vector<uint8_t> q(request, request + n);
    if (tamper && !tamper(q)) {
      length = 0;
      return false;
    }
    return link_.Transact(q.data(), static_cast<uint8_t>(q.size()), response, length);
  }
  // Returns false to drop the request (no answer).
  std::function<bool(std::vector<uint8_t>&)> tamper;

 private:
  Transactor& link_;
};

// A simulated interface with its queue, connected, and a station over it. Each tick the
// test drives is one tick of the station's poll.
struct StationRig {
  std::shared_ptr<sim::SimWorld> world;
  std::unique_ptr<IrLink> link;
  std::unique_ptr<TamperingLink> hand;
  TDeviceData data;
  PresetStore presets;
  QTemporaryDir dir;
  std::unique_ptr<ProgrammingStation> station;
  std::string report;

  StationRig(const std::string& spec, const std::string& rows) {
    std::string error;
    world = sim::SimWorld::FromSpec(spec, error);
    EXPECT_TRUE(world) << error;
    link = std::make_unique<IrLink>(world->platform());
    const auto entries = link->BuildInterfaceList();
    EXPECT_EQ(link->Connect(entries, 0), IrLink::ConnectResult::Connected);
    hand = std::make_unique<TamperingLink>(*link);
    report = dir.filePath("report.csv").toStdString();
    Open(rows);
  }
  // A station over the list text (a new one continues the report on disk).
  void Open(const std::string& rows) {
    StationListRead list = ParseStationList(rows, dir.path().toStdString());
    ASSERT_TRUE(list.ok) << list.error;
    station = std::make_unique<ProgrammingStation>(*hand, data, presets, std::move(list.list),
                                                   report, link->interfaceKind);
    station->clock = [] { return std::string("2024-05-01 10:00:00"); };
    ASSERT_EQ(station->Start(), "");
  }
  sim::VirtualTransmitter& tx() { return *world->transmitter(); }
  // Ticks until a transmitter has been handled (at most `ticks`); its report line.
  StationEntry NextHandled(const StationHooks& hooks = {}, int ticks = 12) {
    if (early) {
      const StationEntry e = *early;
      early.reset();
      return e;
    }
    for (int i = 0; i < ticks; ++i) {
      const StationTick t = station->Tick(hooks);
      if (t.event == StationEvent::Handled) return *t.entry;
      EXPECT_NE(t.event, StationEvent::ReportFailed) << t.error;
    }
    ADD_FAILURE() << "no transmitter was handled";
    return {};
  }
  // Takes the transmitter handled away; the next of the queue steps in a few requests
  // later (a handheld's successor may answer in the very tick that finds it gone).
  void TakeAway() {
    world->Leave();
    for (int i = 0; i < 4 && station->phase() == StationPhase::WaitingForDeparture; ++i) {
      const StationTick t = station->Tick();
      if (t.event == StationEvent::Handled) early = *t.entry;
    }
    EXPECT_TRUE(early || station->phase() == StationPhase::WaitingForTransmitter);
  }
  std::optional<StationEntry> early;
};

std::string Name(const sim::VirtualTransmitter& tx) {
  std::string n(tx.state().txName.begin(), tx.state().txName.end());
  while (!n.empty() && (n.back() == '\0' || n.back() == ' ')) n.pop_back();
  return n;
}

TEST(StationList, RefusesABadLineWithItsNumberBeforeAnythingIsSent) {
  const std::string head = "Name,Group,Channel,Frequency,gain,rf-power,led-light,Lock\n";
  const struct {
    std::string text;
    const char* error;
  } cases[] = {
      {"Name,Group,Channel,Colour\nA,01,02,red\n", "line 1: unknown column \"Colour\""},
      {"Name,Channel\nA,02\n", "line 1: missing column \"Group\""},
      {"Name,Group,Channel,GAIN,gain\nA,01,02,1,2\n", "column \"gain\" is given twice"},
      {head + "A,01,02,,,,,\nB,7A,02,,,,,\n", "line 3: group \"7A\""},
      {head + "A,01,60,,,,,\n", "line 2: channel \"60\""},
      {head + "A,SYNC,01,,,,,\n", "line 2: the SYNC group has only channel 00"},
      {head + "A,01,02,512.1255,,,,\n", "line 2: frequency \"512.1255\""},
      {head + "A,01,02,,loud,,,\n", "line 2: gain: Gain 'loud' refused"},
      {head + "A,01,02,,,banana,,\n", "line 2: rf-power: Value 'banana' is no rf-power"},
      {head + "A,01,02,,,,17,\n", "line 2: led-light: LED light '17' refused"},
      {head + "A,01,02,,,,,\"tuning,bogus\"\n", "line 2: Lock: \"bogus\" is not a menu item"},
      {head + "Thirteen chars,01,02,,,,,\n", "line 2: name \"Thirteen chars\" is longer than 12"},
      {head + "A,01,02,,,\n", "line 2: 6 fields, 8 expected"},
      {"Name,Group,Channel,Config\nA,01,02,missing.qcf\n", "line 2: Config \"missing.qcf\": File not found"},
      {head, "the list holds no transmitter to program"},
  };
  for (const auto& c : cases) {
    const StationListRead r = ParseStationList(c.text, "/nonexistent");
    EXPECT_FALSE(r.ok) << c.text;
    EXPECT_NE(r.error.find(c.error), std::string::npos) << r.error;
  }
}

// Columns by name in any order; a group a spreadsheet left as "1" is "01".
TEST(StationList, ReadsColumnsByNameInAnyOrder) {
  const StationListRead r = ParseStationList(
      "rf-power,CHANNEL,group,name,Hidden\n10 mW,5,1,Vocal 1,none\n,0,sync,,presets+led\n", "");
  ASSERT_TRUE(r.ok) << r.error;
  ASSERT_EQ(r.list.lines.size(), 2u);
  const StationLine& a = r.list.lines[0];
  EXPECT_EQ(a.line, 2);
  EXPECT_EQ(a.group, "01");
  EXPECT_EQ(a.channel, "05");
  EXPECT_EQ(a.name, "Vocal 1");
  ASSERT_EQ(a.settings.size(), 1u);
  EXPECT_EQ(a.settings[0].first, NamedSetting::RfPower);
  ASSERT_TRUE(a.hiddenItems.has_value());
  EXPECT_TRUE(a.hiddenItems->empty());
  const StationLine& b = r.list.lines[1];
  EXPECT_EQ(b.group, "SYNC");
  EXPECT_FALSE(b.nameGiven);
  EXPECT_EQ(b.hiddenItems->size(), 2u);
}

// Three models, each with its own lists, programmed in the order of the list; every
// value is on the transmitter afterwards and the report holds what was read back.
TEST(Station, ProgramsAQueueOfMixedModelsInOrder) {
  StationRig rig("nano:ZQL22X@129,next=ZQL21X@129,next=ZQK230@129,next=ZQL21@123",
                 "Name,Group,Channel,Frequency,gain,led-mode,rf-power,Lock\n"
                 "Vocal 1,01,05,512.500,-10,none,10 mW,\"tuning,rf-power\"\n"
                 "Vocal 2,02,03,,,mod. peak,,none\n"
                 "Hand,00,07,530.000,6,,,\n"
                 "Old,SYNC,00,,,,,\n");
  const char* models[] = {"ZQL22X", "ZQL21X", "ZQK230", "ZQL21"};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(models[i]);
    const StationEntry e = rig.NextHandled();
    EXPECT_EQ(OutcomeText(e), "OK");
    EXPECT_EQ(e.line, i + 2);
    EXPECT_EQ(e.model, models[i]);
    const std::string serial(rig.tx().state().serial.begin(), rig.tx().state().serial.end());
    EXPECT_EQ(e.serial, serial);
    const sim::SimTransmitterState& s = rig.tx().state();
    switch (i) {
      case 0:
        EXPECT_EQ(Name(rig.tx()), "Vocal 1");
        EXPECT_EQ(s.curGroup, 1);
        EXPECT_EQ(s.curChannel, 5);
        EXPECT_EQ(s.table[1][5].freqKHz, 512500u);
        EXPECT_EQ(s.gain, -10);
        EXPECT_EQ(s.ledMode, 0);
        EXPECT_EQ(e.frequency, "512.500");
        EXPECT_EQ(e.settings, (std::vector<std::string>{"-10", "none", "10  mW"}));
        EXPECT_EQ(e.lock, "tuning,rf-power");
        break;
      case 1:
        EXPECT_EQ(s.curGroup, 2);
        EXPECT_EQ(s.curChannel, 3);
        EXPECT_EQ(s.ledMode, 1);
        EXPECT_EQ(e.lock, "none");
        break;
      case 2:
        EXPECT_EQ(s.curChannel, 7);
        EXPECT_EQ(s.curFreqKHz, 530000u);
        EXPECT_EQ(s.gain, 6);
        break;
      case 3:
        // The sync channel, on a transmitter of the first family with names.
        EXPECT_EQ(s.curGroup, s.groupCount);
        EXPECT_EQ(e.group, "SYNC");
        break;
    }
    if (i < 3) rig.TakeAway();
  }
  EXPECT_TRUE(rig.station->AllDone());
  // The report on disk is the report of these four lines.
  EXPECT_EQ(ReadFile(rig.report), StationReportCsv(rig.station->list(), rig.station->entries()));
}

// Presented again, a transmitter whose serial has an OK line is not programmed again:
// only the probe, the identity and the serial are read.
TEST(Station, ATransmitterPresentedTwiceIsAlreadyDone) {
  StationRig rig("nano:ZQL22X@129", "Name,Group,Channel\nA,01,02\nB,01,03\n");
  EXPECT_EQ(OutcomeText(rig.NextHandled()), "OK");
  rig.TakeAway();
  rig.world->SetTransmitterPresent(true);
  rig.world->ClearRequestLog();
  const StationEntry again = rig.NextHandled();
  EXPECT_EQ(OutcomeText(again), "ALREADY DONE");
  EXPECT_EQ(again.line, 2);
  EXPECT_LE(again.requests, 4);
  EXPECT_EQ(rig.station->lineState(1), LineState::Pending);
  EXPECT_EQ(Name(rig.tx()), "A");
}

// Taken away while it is being written, the transmitter is reported interrupted and its
// line stays pending; brought back, it gets the same line and is programmed in full.
TEST(Station, ATransmitterThatLeavesMidwayGetsItsLineWhenItComesBack) {
  StationRig rig("nano:ZQL22X@129",
                 "Name,Group,Channel,rf-power,led-mode\nBack,01,04,10 mW,none\nNext,01,05,,\n");
  StationHooks hooks;
  hooks.onStep = [&](const std::string& step) {
    if (step == "Writing the RF power") rig.world->Leave();
  };
  const StationEntry cut = rig.NextHandled(hooks);
  EXPECT_EQ(OutcomeText(cut), "INTERRUPTED: left the IR window");
  EXPECT_EQ(cut.line, 2);
  EXPECT_EQ(rig.station->lineState(0), LineState::Failed);
  EXPECT_EQ(rig.station->phase(), StationPhase::WaitingForTransmitter);
  EXPECT_EQ(rig.world->interface().transmitterAt(0).state().curChannel, 4)
      << "the tuning was written before it left";

  rig.world->SetTransmitterPresent(true);
  const StationEntry back = rig.NextHandled();
  EXPECT_EQ(OutcomeText(back), "OK");
  EXPECT_EQ(back.line, 2);
  EXPECT_EQ(Name(rig.tx()), "Back");
  EXPECT_EQ(rig.tx().state().ledMode, 0);
  EXPECT_EQ(rig.station->NextLine(), 1u);
}

// A value the model does not offer refuses the line for that transmitter only: nothing
// is written to it, and the next transmitter gets the line.
TEST(Station, ALineRefusedForOneModelIsKeptForTheNext) {
  StationRig rig("nano:ZQL21@129,next=ZQL22X@129",
                 "Name,Group,Channel,limiter\nLimited,01,02,on\n");
  rig.world->ClearRequestLog();
  const StationEntry refused = rig.NextHandled();
  EXPECT_EQ(OutcomeText(refused), "REFUSED: This transmitter has no setting 'limiter'");
  for (const auto& r : rig.world->requestLog()) {
    ASSERT_GE(r.request.size(), 2u);
    EXPECT_TRUE(r.request[1] != 0x66 && r.request[1] != 0xC3) << "a write was sent";
  }
  EXPECT_FALSE(rig.station->AllDone());
  rig.TakeAway();
  const StationEntry ok = rig.NextHandled();
  EXPECT_EQ(OutcomeText(ok), "OK");
  EXPECT_EQ(ok.line, 2);
  EXPECT_EQ(ok.model, "ZQL22X");
  EXPECT_EQ(ok.settings, std::vector<std::string>{"on"});
  EXPECT_TRUE(rig.station->AllDone());
}

// A write the transmitter does not take, while it stays in front of the window, is tried
// once more and then reported; a value acknowledged but not kept fails the check. Either
// way the line stays for the next transmitter.
TEST(Station, AWriteNotTakenOrAValueNotKeptFailsTheLine) {
  StationRig rig("nano:ZQL22X@129,next=ZQL22X@129,next=ZQL22X@129",
                 "Name,Group,Channel,rf-power,led-light\nA,01,02,10 mW,12\n");
  int powerWrites = 0;
  rig.hand->tamper = [&](std::vector<uint8_t>& q) {
    if (q.size() >= 2 && q[1] == 0xD0) return ++powerWrites > 2;  // WriteRfPower
    return true;
  };
  const StationEntry refused = rig.NextHandled();
  EXPECT_EQ(OutcomeText(refused), "FAILED: rf-power not written");
  EXPECT_EQ(powerWrites, 2);
  EXPECT_EQ(rig.station->phase(), StationPhase::WaitingForDeparture) << "it is still there";
  EXPECT_EQ(rig.station->lineState(0), LineState::Failed);
  rig.TakeAway();

  rig.hand->tamper = [](std::vector<uint8_t>& q) {
    if (q.size() == 4 && q[1] == 0xCC) q[2] = 3;  // WriteLed: the light arrives as 3
    return true;
  };
  const StationEntry kept = rig.NextHandled();
  EXPECT_EQ(OutcomeText(kept), "FAILED: led-light reads '3', not '12'");
  EXPECT_EQ(kept.settings, (std::vector<std::string>{"10  mW", "3"}));
  rig.TakeAway();

  rig.hand->tamper = nullptr;
  EXPECT_EQ(OutcomeText(rig.NextHandled()), "OK");
  EXPECT_TRUE(rig.station->AllDone());
}

// A configuration file is applied first; the line's own values then win.
TEST(Station, AppliesTheConfigurationFirstAndTheLineOverIt) {
  StationRig rig("nano:ZQL22X@129", "Name,Group,Channel\nX,00,00\n");
  {
    IniFile ini;
    ini.WriteInteger("CONFIG", "Channel", 9);
    ini.WriteInteger("CONFIG", "Group", 3);
    ini.WriteInteger("CONFIG", "LedLight", 3);
    ini.WriteInteger("CONFIG", "LedMode", 0);
    ini.WriteInteger("CONFIG", "RFPower", 0);
    ASSERT_EQ(ini.Save(rig.dir.filePath("show.qcf").toStdString()), IniFile::Status::Ok);
  }
  rig.tx().state().rfPower = 1;
  rig.Open("Name,Group,Channel,Config,led-light\nConf,01,06,show.qcf,12\n");
  const StationEntry e = rig.NextHandled();
  EXPECT_EQ(OutcomeText(e), "OK");
  const sim::SimTransmitterState& s = rig.tx().state();
  EXPECT_EQ(s.rfPower, 0) << "from the configuration";
  EXPECT_EQ(s.ledMode, 0) << "from the configuration";
  EXPECT_EQ(s.ledLight, 12) << "the line over the configuration";
  EXPECT_EQ(s.curGroup, 1);
  EXPECT_EQ(s.curChannel, 6);
}

// A station started again over the same report goes on where the first stopped; a
// report of another list is refused before anything is sent.
TEST(Station, ContinuesItsReportAndRefusesAnotherListsReport) {
  const std::string rows = "Name,Group,Channel\nA,01,02\nB,01,03\n";
  StationRig rig("nano:ZQL22X@129,next=ZQL22X@129", rows);
  EXPECT_EQ(OutcomeText(rig.NextHandled()), "OK");
  rig.Open(rows);
  EXPECT_EQ(rig.station->linesDone(), 1u);
  EXPECT_EQ(rig.station->entries().size(), 1u);
  EXPECT_EQ(OutcomeText(rig.NextHandled()), "ALREADY DONE");
  rig.TakeAway();
  const StationEntry second = rig.NextHandled();
  EXPECT_EQ(second.line, 3);
  EXPECT_TRUE(rig.station->AllDone());

  for (const std::string& other : {std::string("Name,Group,Channel\nA,01,09\nB,01,03\n"),
                                  std::string("Name,Group,Channel,gain\nA,01,02,1\n")}) {
    StationListRead list = ParseStationList(other, "");
    ASSERT_TRUE(list.ok);
    ProgrammingStation station(*rig.link, rig.data, rig.presets, std::move(list.list), rig.report, 4);
    EXPECT_NE(station.Start().find("cannot be continued"), std::string::npos) << other;
  }
}

}  // namespace
}  // namespace zentra
