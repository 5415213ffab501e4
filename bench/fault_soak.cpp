// Fault soak: the operations a user runs most, over many seeded runs against a simulated
// ZQL22X (40 groups x 60 channels) behind a DGLnano interface that loses and garbles
// transmitter replies. After each operation the simulated transmitter's state and the
// saved file are compared with what was intended, and the operation is counted as
//   completed      - it reported success and the result is right;
//   failed         - it reported a failure or a gap (a message the user sees);
//   silently wrong - it reported success, but the result differs.
// Operations: the full read, a table save (every group and SYNC), a table load, a
// configuration load (the settings, not the presets) and a calibration-EEPROM load.
//
// Usage: fault_soak [--runs N] [--first-seed S] [--loss R] [--corrupt R]
//                   [--confirm-reads auto|always|never] [--verbose]
// Defaults: 200 runs from seed 1, 5 % lost and 1 % corrupted replies, auto.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "device/CommandSet.h"
#include "device/FullRead.h"
#include "device/Presence.h"
#include "device/ServiceCommands.h"
#include "files/ConfigFile.h"
#include "files/FileProgress.h"
#include "files/IniFile.h"
#include "files/MemoryTransfer.h"
#include "files/TableFile.h"
#include "link/IrLink.h"
#include "link/LinkHealth.h"
#include "sim/SimWorld.h"
#include "support/TempDir.h"

using namespace zentra;

namespace {

enum class Outcome { Completed, Failed, SilentlyWrong };

struct Counts {
  int completed = 0, failed = 0, wrong = 0;
  void Add(Outcome o) {
    (o == Outcome::Completed ? completed : o == Outcome::Failed ? failed : wrong)++;
  }
};

struct Options {
  int runs = 200;
  uint32_t firstSeed = 1;
  double loss = 0.05, corrupt = 0.01;
  ReadConfirmation mode = ReadConfirmation::Auto;
  bool verbose = false;
};

// An operation is clean when it says so: finished, no command passed over, no memo line
// about something not read or not written.
bool Clean(const FileOpResult& r) {
  if (r.status != FileOpStatus::Done || r.failedCommands > 0) return false;
  for (const auto& line : r.memo)
    if (line.rfind("Not read", 0) == 0 || line.rfind("Not written", 0) == 0) return false;
  return true;
}

Outcome Judge(bool reportedClean, bool right) {
  if (!reportedClean) return Outcome::Failed;
  return right ? Outcome::Completed : Outcome::SilentlyWrong;
}

class Run {
 public:
  Run(uint32_t seed, const Options& o) : seed_(seed), opt_(o), rng_(seed) {}

  // Sets up the world; false when the soak itself could not start (not counted).
  bool Start() {
    std::string error;
    world_ = sim::SimWorld::FromSpec("nano:ZQL22X@129,groups=40,channels=60", error);
    if (!world_) {
      std::fprintf(stderr, "fault_soak: %s\n", error.c_str());
      return false;
    }
    link_ = std::make_unique<IrLink>(world_->platform());
    link_->linkHealth.mode = opt_.mode;
    const auto entries = link_->BuildInterfaceList();
    if (entries.empty() || link_->Connect(entries, 0) != IrLink::ConnectResult::Connected)
      return false;
    if (PresenceProbe(*link_, ref_, 4).event != PresenceEvent::Arrived) return false;
    FullReadOptions options;
    options.readFirstGroup = false;
    const FullReadResult r = FullRead(*link_, ref_, refPresets_, options);
    return r.identified && !r.faulty;
  }

  Outcome FullReadOp() {
    Faults(true);
    TDeviceData d;
    PresetStore presets;
    Outcome o = Outcome::Failed;
    // The presence poll ticks until the transmitter is noticed (three ticks here).
    bool arrived = false;
    for (int tick = 0; tick < 3 && !arrived; ++tick)
      arrived = PresenceProbe(*link_, d, 4).event == PresenceEvent::Arrived;
    if (arrived) {
      FullReadOptions options;
      options.readFirstGroup = false;
      const FullReadResult r = FullRead(*link_, d, presets, options);
      bool right = r.identified;
      // A value counts as wrong when its step did not report a failure.
      auto check = [&](ReadStep step, bool same, const char* what) {
        if (same || r.Failed(step)) return;
        right = false;
        if (opt_.verbose) std::fprintf(stderr, "seed %u: full read: %s wrong\n", seed_, what);
      };
      if (opt_.verbose)
        for (ReadStep step : r.failedSteps)
          std::fprintf(stderr, "seed %u: full read: %s failed\n", seed_, ReadStepName(step));
      check(ReadStep::SerialNumber, d.serialText == ref_.serialText, "serial number");
      check(ReadStep::TableSize, d.channelCount == ref_.channelCount && d.groupCount == ref_.groupCount, "table size");
      check(ReadStep::TuningRange, d.freqMinMHz == ref_.freqMinMHz && d.freqMaxMHz == ref_.freqMaxMHz, "range");
      check(ReadStep::TuningStep, d.stepHz == ref_.stepHz, "step");
      check(ReadStep::Frequency, d.curFreqKHz == ref_.curFreqKHz, "tuned frequency");
      check(ReadStep::GroupChannel, d.curGroup == ref_.curGroup && d.curChannel == ref_.curChannel, "tuning");
      check(ReadStep::Audio, d.audioGain == ref_.audioGain && d.audioFilter == ref_.audioFilter &&
                                 d.preEmphasis == ref_.preEmphasis, "audio");
      check(ReadStep::ModelPanels, d.micMode == ref_.micMode && d.micPhase == ref_.micPhase &&
                                       d.micPTT == ref_.micPTT, "microphone");
      check(ReadStep::BandTable, d.bandCount == ref_.bandCount && d.bandEdgeMHz == ref_.bandEdgeMHz &&
                                     d.bandAllowed == ref_.bandAllowed, "sub-band table");
      check(ReadStep::Battery, d.batteryType == ref_.batteryType, "battery type");
      check(ReadStep::RfPower, d.rfPower == ref_.rfPower, "RF power");
      check(ReadStep::Led, d.ledLight == ref_.ledLight && d.ledMode == ref_.ledMode, "LED");
      check(ReadStep::Locks, d.lockBits == ref_.lockBits && d.lockBitsExt == ref_.lockBitsExt &&
                                 d.groupLockMask == ref_.groupLockMask &&
                                 d.groupHiddenMask == ref_.groupHiddenMask, "locks");
      check(ReadStep::HiddenFlags, d.hiddenBits == ref_.hiddenBits && d.hiddenBitsExt == ref_.hiddenBitsExt, "hidden items");
      check(ReadStep::Presets, presets.presetNames == refPresets_.presetNames &&
                                   presets.presetRecords == refPresets_.presetRecords, "presets");
      if (opt_.verbose && !right) {
        for (int i = 0; i < 10; ++i)
          for (int b = 0; b < 20; ++b)
            if (presets.presetRecords[i][b] != refPresets_.presetRecords[i][b])
              std::fprintf(stderr, "seed %u: preset %d byte %d: %d, wanted %d\n", seed_, i, b,
                           presets.presetRecords[i][b], refPresets_.presetRecords[i][b]);
        if (presets.presetNames != refPresets_.presetNames) std::fprintf(stderr, "seed %u: names differ\n", seed_);
        std::fprintf(stderr, "seed %u: faults %llu retried %d\n", seed_,
                     static_cast<unsigned long long>(link_->linkHealth.faults()), r.retriedSteps);
      }
      o = Judge(!r.faulty, right);
    }
    Faults(false);
    return o;
  }

  Outcome TableSaveOp(const std::string& path) {
    RandomTable();
    TDeviceData d = ref_;
    TableSaveOptions options;
    options.scope = TableScope::All();
    NullProgress progress;
    Faults(true);
    const FileOpResult r = SaveFrequencyTable(*link_, d, path, options, progress);
    Faults(false);
    IniFile file;
    if (file.Load(path) != IniFile::Status::Ok) return Judge(Clean(r), false);
    const auto& s = world_->transmitter()->state();
    bool right = true, complete = true;
    char key[32];
    for (int g = 0; g < ref_.groupCount; ++g) {
      const std::string section = GroupSectionName(ref_, g);
      for (int c = 0; c < ref_.channelCount; ++c) {
        const sim::SimChannel& ch = s.table[static_cast<size_t>(g)][static_cast<size_t>(c)];
        std::snprintf(key, sizeof key, "CH%02d", c);
        const std::string std = key;
        auto compare = [&](const std::string& k, long want) {
          if (!file.KeyExists(section, k)) {
            complete = false;
          } else if (file.ReadInteger(section, k, -12345) != want) {
            right = false;
            if (opt_.verbose)
              std::fprintf(stderr, "seed %u: table save: %s %s wrong\n", seed_, section.c_str(), k.c_str());
          }
        };
        if (c == 0) {
          const std::string name = file.ReadString(section, "NAME", "\x01");
          if (name == "\x01") complete = false;
          else if (name != world_->transmitter()->groupName(g)) right = false;
        }
        compare(std, static_cast<long>(ch.freqKHz));
        compare(std + "_LOCK", ch.locked ? 0 : 1);
        compare(std + "_HIDDEN", ch.hidden ? 0 : 1);
      }
    }
    if (file.ReadInteger("SYNC", "CH00", -1) != static_cast<int>(s.table.back()[0].freqKHz)) {
      if (file.KeyExists("SYNC", "CH00")) right = false; else complete = false;
    }
    // A missing channel is right only when the save said something was not read.
    return Judge(Clean(r), right && complete);
  }

  Outcome TableLoadOp() {
    // The intended table, then a different one on the transmitter.
    RandomTable();
    const auto intended = world_->transmitter()->state().table;
    const auto intendedNames = world_->transmitter()->state().groupNames;
    IniFile file;
    TDeviceData d = ref_;
    NullProgress progress;
    {
      TableSaveOptions save;
      save.scope = TableScope::All();
      if (SaveFrequencyTable(*link_, d, file, save, progress).status != FileOpStatus::Done)
        return Outcome::Failed;
    }
    RandomTable();
    TableLoadOptions options;
    options.scope = TableScope::All();
    Faults(true);
    const FileOpResult r = LoadFrequencyTable(*link_, d, file, options, progress);
    Faults(false);
    const auto& now = world_->transmitter()->state().table;
    bool right = world_->transmitter()->state().groupNames == intendedNames;
    for (size_t g = 0; g < intended.size(); ++g)
      for (size_t c = 0; c < intended[g].size(); ++c) {
        const sim::SimChannel& a = intended[g][c];
        const sim::SimChannel& b = now[g][c];
        if (a.freqKHz != b.freqKHz || a.locked != b.locked || a.hidden != b.hidden) {
          right = false;
          if (opt_.verbose)
            std::fprintf(stderr, "seed %u: table load: group %zu channel %zu: %u %d %d, wanted %u %d %d\n",
                         seed_, g, c, b.freqKHz, b.locked, b.hidden, a.freqKHz, a.locked, a.hidden);
        }
      }
    if (opt_.verbose && !right) {
      for (const auto& line : r.memo) std::fprintf(stderr, "seed %u: table load memo: %s\n", seed_, line.c_str());
      std::fprintf(stderr, "seed %u: table load: failed commands %d\n", seed_, r.failedCommands);
    }
    return Judge(Clean(r), right);
  }

  Outcome ConfigLoadOp() {
    TDeviceData d = ref_;
    PresetStore presets = refPresets_;
    CommandSet commands(*link_, d);
    // The intended settings: written without faults and saved.
    auto pick = [&](int n) { return static_cast<int>(rng_() % static_cast<uint32_t>(n)); };
    // New settings, read back into the device data as the window would show them.
    auto settle = [&] {
      commands.WriteLed(pick(17), pick(3));
      commands.WriteRfPower(pick(std::max(ref_.rfLevelCount, 1)));
      commands.WriteBatteryType(pick(2));
      commands.WriteGroupChannel(pick(ref_.channelCount), pick(ref_.groupCount));
      return commands.ReadLed() && commands.ReadRfPower() && commands.ReadBattery() &&
             commands.ReadGroupChannel() && commands.ReadFrequency();
    };
    if (!settle()) return Outcome::Failed;
    IniFile file;
    if (SaveConfiguration(*link_, d, presets, file).status != FileOpStatus::Done) return Outcome::Failed;
    const sim::SimTransmitterState intended = world_->transmitter()->state();
    if (!settle()) return Outcome::Failed;
    const ConfigChoices choices = DecideConfigChoices(file, d);
    ConfigSelection selection = DefaultSelection(choices);
    selection[static_cast<size_t>(ConfigItem::Presets)] = false;
    selection[static_cast<size_t>(ConfigItem::ActivatePreset)] = false;
    bool editLocked = false;
    Faults(true);
    const FileOpResult r = ApplyConfiguration(*link_, d, presets, file, choices, selection, editLocked);
    Faults(false);
    const auto& s = world_->transmitter()->state();
    if (opt_.verbose) {
      std::fprintf(stderr,
                   "seed %u: config: led %d/%d %d/%d rf %d/%d bat %d/%d tune %d,%d/%d,%d gain %d/%d "
                   "filter %d/%d mic %d/%d lock %d/%d hidden %d/%d name %d; shown led %d,%d rf %d bat %d "
                   "tune %d,%d; %s\n",
                   seed_, s.ledLight, intended.ledLight, s.ledMode, intended.ledMode, s.rfPower,
                   intended.rfPower, s.batteryType, intended.batteryType, s.curGroup, s.curChannel,
                   intended.curGroup, intended.curChannel, s.gain, intended.gain, s.filter,
                   intended.filter, s.micMode, intended.micMode, s.lockBits, intended.lockBits,
                   s.hiddenBits, intended.hiddenBits, s.txName == intended.txName, d.ledLight,
                   d.ledMode, d.rfPower, d.batteryType, d.curGroup, d.curChannel,
                   Clean(r) ? "clean" : "reported");
    }
    const bool right =
        s.ledLight == intended.ledLight && s.ledMode == intended.ledMode &&
        s.rfPower == intended.rfPower && s.batteryType == intended.batteryType &&
        s.curGroup == intended.curGroup && s.curChannel == intended.curChannel &&
        s.gain == intended.gain && s.filter == intended.filter && s.micMode == intended.micMode &&
        s.lockBits == intended.lockBits && s.hiddenBits == intended.hiddenBits &&
        s.txName == intended.txName &&
        // What the window shows after the load is what the transmitter holds.
        d.ledLight == s.ledLight && d.ledMode == s.ledMode && d.rfPower == s.rfPower &&
        d.batteryType == s.batteryType && d.curGroup == s.curGroup && d.curChannel == s.curChannel;
    return Judge(Clean(r), right);
  }

  Outcome CalibrationLoadOp(const std::string& path) {
    std::vector<uint8_t> image(kCalPageSize);
    for (auto& b : image) b = static_cast<uint8_t>(rng_());
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return Outcome::Failed;
    std::fwrite(image.data(), 1, image.size(), f);
    std::fclose(f);
    auto& page = world_->transmitter()->state().calEeprom[0];
    for (auto& b : page) b = static_cast<uint8_t>(rng_());
    ServiceCommands service(*link_);
    TransferObserver quiet;
    quiet.betweenBlocks = [] {};
    Faults(true);
    const TransferResult r = LoadCalibration(CalibrationAccess(service), 0, path, quiet);
    Faults(false);
    if (opt_.verbose)
      std::fprintf(stderr, "seed %u: calibration: status %d, failed blocks %d, same %d\n", seed_,
                   static_cast<int>(r.status), r.failedBlocks, page == image);
    return Judge(r.ok(), page == image);
  }

 private:
  void Faults(bool on) {
    world_->SetFaults(on ? opt_.loss : 0.0, on ? opt_.corrupt : 0.0, seed_ * 7919u + faultRound_++);
  }

  // Fills the transmitter's table with frequencies it accepts, random flags, each group
  // with a visible channel, and the tuned channel visible.
  void RandomTable() {
    auto& s = world_->transmitter()->state();
    const int32_t lo = ref_.freqMinMHz * 1000, hi = ref_.freqMaxMHz * 1000;
    const int32_t step = std::max(ref_.stepHz / 1000, 1);
    for (size_t g = 0; g < s.table.size(); ++g) {
      for (size_t c = 0; c < s.table[g].size(); ++c) {
        int32_t f = 0;
        do {
          f = lo + static_cast<int32_t>(rng_() % static_cast<uint32_t>((hi - lo) / step)) * step;
        } while (!ref_.IsFrequencyAllowed(f));
        sim::SimChannel& ch = s.table[g][c];
        ch.freqKHz = static_cast<uint32_t>(f);
        const bool sync = g + 1 == s.table.size();
        ch.locked = !sync && rng_() % 4 == 0;
        ch.hidden = !sync && c != 0 && rng_() % 4 == 0;
      }
    }
    static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (auto& name : s.groupNames) {
      name.fill(0);
      const size_t n = 1 + rng_() % name.size();
      for (size_t i = 0; i < n; ++i) name[i] = static_cast<uint8_t>(kChars[rng_() % 36]);
    }
    if (s.curGroup >= 0 && s.curGroup < static_cast<int>(s.table.size()) - 1)
      s.table[static_cast<size_t>(s.curGroup)][static_cast<size_t>(s.curChannel)].hidden = false;
  }

  uint32_t seed_;
  Options opt_;
  std::mt19937 rng_;
  uint32_t faultRound_ = 0;
  std::shared_ptr<sim::SimWorld> world_;
  std::unique_ptr<IrLink> link_;
  TDeviceData ref_;
  PresetStore refPresets_;
};

}  // namespace

int main(int argc, char** argv) {
  Options opt;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : "0"; };
    if (a == "--runs") opt.runs = std::atoi(next());
    else if (a == "--first-seed") opt.firstSeed = static_cast<uint32_t>(std::atol(next()));
    else if (a == "--loss") opt.loss = std::atof(next());
    else if (a == "--corrupt") opt.corrupt = std::atof(next());
    else if (a == "--verbose") opt.verbose = true;
    else if (a == "--confirm-reads" && ParseReadConfirmation(i + 1 < argc ? argv[i + 1] : ""))
      opt.mode = *ParseReadConfirmation(next());
    else {
      std::fprintf(stderr, "usage: fault_soak [--runs N] [--first-seed S] [--loss R] [--corrupt R] "
                           "[--confirm-reads auto|always|never] [--verbose]\n");
      return 2;
    }
  }
  zentra::testsupport::TempDir dir;
  const std::string table = dir.filePath("soak.qdf");
  const std::string image = dir.filePath("soak.bin");

  const char* names[] = {"full read", "table save", "table load", "config load", "calibration load"};
  std::map<std::string, Counts> counts;
  int runs = 0;
  const auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < opt.runs; ++i) {
    Run run(opt.firstSeed + static_cast<uint32_t>(i), opt);
    if (!run.Start()) {
      std::fprintf(stderr, "fault_soak: run %d could not start\n", i);
      continue;
    }
    ++runs;
    counts[names[0]].Add(run.FullReadOp());
    counts[names[1]].Add(run.TableSaveOp(table));
    counts[names[2]].Add(run.TableLoadOp());
    counts[names[3]].Add(run.ConfigLoadOp());
    counts[names[4]].Add(run.CalibrationLoadOp(image));
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();

  std::printf("Fault soak: %d runs, %.0f %% lost and %.0f %% corrupted replies, DGLnano, "
              "ZQL22X 40 x 60, confirm reads %s (%.0f s)\n\n", runs, opt.loss * 100,
              opt.corrupt * 100, ReadConfirmationName(opt.mode), seconds);
  std::printf("| operation        | runs | completed | failed with message | silently wrong |\n");
  std::printf("|------------------|-----:|----------:|--------------------:|---------------:|\n");
  Counts total;
  for (const char* n : names) {
    const Counts& c = counts[n];
    std::printf("| %-16s | %4d | %9d | %19d | %14d |\n", n, c.completed + c.failed + c.wrong,
                c.completed, c.failed, c.wrong);
    total.completed += c.completed;
    total.failed += c.failed;
    total.wrong += c.wrong;
  }
  const int all = total.completed + total.failed + total.wrong;
  std::printf("| %-16s | %4d | %9d | %19d | %14d |\n", "all", all, total.completed,
              total.failed, total.wrong);
  std::printf("\ncompleted correctly: %.1f %%\n", all ? 100.0 * total.completed / all : 0.0);
  return total.wrong == 0 ? 0 : 1;
}
