// Requests sent per request of the sequence: for the full read of each model code, a
// 40 x 60 table save and load, a configuration load and an external-EEPROM dump
// (0x000-0x2120), against a simulated transmitter behind a DGLnano interface.
//
//   clean        - on a link without faults: the requests that reached the IR window
//                  divided by those of the sequence (RequestSequences.h). Anything but
//                  1.00 is a fault, and the program then exits with 1 (unless every
//                  read is confirmed by choice, --confirm-reads always).
//   under faults - the same with 5 % of the replies lost and 1 % garbled, the mean over
//                  a few seeds, each on a fresh connection (what confirmation and retries
//                  cost where the link is bad).
//   wall / wire  - the clean run paced at 115200 baud in both directions: its wall time
//                  divided by the time its bytes take on the line (10 bits a byte), both
//                  measured in the same run.
//
// Usage: request_bench [--seeds N] [--loss R] [--corrupt R] [--confirm-reads MODE] [--quick]
// Defaults: 5 seeds, 5 % lost, 1 % garbled, auto; --quick: 8 x 16 table, 2 seeds at most
// (ctest runs --quick --seeds 0: only the clean runs, whose exit status it checks).

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "BenchRig.h"
#include "support/TempDir.h"
#include "support/RequestSequences.h"
#include "device/Presence.h"
#include "device/ServiceCommands.h"
#include "files/ConfigFile.h"
#include "files/FileProgress.h"
#include "files/IniFile.h"
#include "files/MemoryTransfer.h"
#include "files/TableFile.h"
#include "link/LinkHealth.h"

using namespace zentra;
using namespace zentra::bench;
using namespace zentra::testsupport;

namespace {

struct Options {
  int seeds = 5;
  double loss = 0.05, corrupt = 0.01;
  ReadConfirmation mode = ReadConfirmation::Auto;
  std::string tableSize = "groups=40,channels=60";
};

// One run of one sequence.
struct Measure {
  long long expected = 0;  // requests of the sequence on this transmitter
  long long sent = 0;      // requests that reached the IR window
  long long bytes = 0;     // bytes on the line, both directions
  double wallSeconds = 0;
  bool ok = false;         // the operation reported success
};

// A sequence: prepare (faults off) returns the expected requests; then run is timed,
// with the faults on when asked.
struct Sequence {
  std::string name;
  std::string model;
  bool connectedAndRead;  // the transmitter is read as after Connect before prepare
  std::function<Requests(Rig&)> prepare;
  std::function<bool(Rig&)> run;
};

Measure RunOnce(const Sequence& s, const Options& opt, bool paced, bool faults, uint32_t seed,
                const std::string& tableSize) {
  Measure m;
  Rig rig;
  std::string spec = "nano:" + s.model + "@129," + tableSize;
  if (paced) spec += ",baud=" + std::to_string(kBaud);
  if (!Connect(rig, spec, paced, true, s.connectedAndRead)) return m;
  rig.link->linkHealth.mode = opt.mode;
  const Requests expected = s.prepare(rig);
  m.expected = expected.size();
  rig.world->ClearRequestLog();
  const long long bytesBefore = rig.bytes->total();
  if (faults) rig.world->SetFaults(opt.loss, opt.corrupt, seed);
  const auto t0 = std::chrono::steady_clock::now();
  m.ok = s.run(rig);
  m.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  rig.world->SetFaults(0, 0, 0);
  m.sent = static_cast<long long>(rig.world->requestLog().size());
  m.bytes = rig.bytes->total() - bytesBefore;
  return m;
}

std::vector<Sequence> Sequences(const std::string& tablePath, const std::string& imagePath) {
  static const char* const kModels[] = {"ZQK120", "ZQL11",  "ZQL21",  "ZQK220", "ZQL22",
                                        "ZQN21",  "ZQL21X", "ZQN21X", "ZQL22X", "ZQK230"};
  std::vector<Sequence> list;
  for (const char* model : kModels) {
    list.push_back({std::string("full read ") + model, model, false,
                    [](Rig& rig) {
                      // The presence poll notices the transmitter first, as after Connect.
                      for (int tick = 0; tick < 3; ++tick)
                        if (PresenceProbe(*rig.link, rig.data, kKindDglNano).event ==
                            PresenceEvent::Arrived)
                          break;
                      return FullReadRequests(*rig.world->transmitter());
                    },
                    [](Rig& rig) {
                      FullReadOptions options;
                      options.readFirstGroup = false;
                      return !FullRead(*rig.link, rig.data, rig.presets, options).faulty;
                    }});
  }
  auto progress = std::make_shared<NullProgress>();
  list.push_back({"table save", "ZQL22X", true,
                  [](Rig& rig) { return TableSaveRequests(*rig.world->transmitter()); },
                  [tablePath, progress](Rig& rig) {
                    TableSaveOptions save;
                    save.scope = TableScope::All();
                    return SaveFrequencyTable(*rig.link, rig.data, tablePath, save, *progress).ok();
                  }});
  list.push_back({"table load", "ZQL22X", true,
                  [tablePath, progress](Rig& rig) {
                    // The file differs from the transmitter in one lock flag a group.
                    TableSaveOptions save;
                    save.scope = TableScope::All();
                    SaveFrequencyTable(*rig.link, rig.data, tablePath, save, *progress);
                    for (auto& group : rig.world->transmitter()->state().table)
                      if (group.size() > 1) group[1].locked = !group[1].locked;
                    return TableLoadRequests(*rig.world->transmitter());
                  },
                  [tablePath, progress](Rig& rig) {
                    TableLoadOptions load;
                    load.scope = TableScope::All();
                    return LoadFrequencyTable(*rig.link, rig.data, tablePath, load, *progress).ok();
                  }});
  auto config = std::make_shared<std::unique_ptr<IniFile>>();
  auto choices = std::make_shared<ConfigChoices>();
  list.push_back({"configuration load", "ZQL22X", true,
                  [config, choices](Rig& rig) {
                    *config = std::make_unique<IniFile>();
                    SaveConfiguration(*rig.link, rig.data, rig.presets, **config);
                    *choices = DecideConfigChoices(**config, rig.data);
                    return ConfigLoadRequests(*rig.world->transmitter(), *choices);
                  },
                  [config, choices](Rig& rig) {
                    ConfigSelection all{};
                    for (size_t i = 0; i < all.size(); ++i) all[i] = (*choices)[i].enabled;
                    bool editLocked = false;
                    return ApplyConfiguration(*rig.link, rig.data, rig.presets, **config, *choices,
                                              all, editLocked)
                        .ok();
                  }});
  constexpr int kStart = 0x000, kStop = 0x2120;
  list.push_back({"EEPROM dump", "ZQL22X", true,
                  [](Rig&) { return XeepromDumpRequests(kStart, kStop, kXeepromBlockSize); },
                  [imagePath](Rig& rig) {
                    ServiceCommands service(*rig.link);
                    TransferObserver quiet;
                    quiet.betweenBlocks = [] {};
                    char start[16], stop[16];
                    std::snprintf(start, sizeof start, "0x%03X", kStart);
                    std::snprintf(stop, sizeof stop, "0x%X", kStop);
                    return DumpXeeprom(XeepromAccess(service), start, stop, imagePath, quiet).ok();
                  }});
  return list;
}

double Ratio(long long sent, long long expected) {
  return expected > 0 ? static_cast<double>(sent) / static_cast<double>(expected) : 0.0;
}

}  // namespace

int main(int argc, char** argv) {
  Options opt;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
    if (a == "--seeds") {
      opt.seeds = std::max(std::atoi(next().c_str()), 0);
    } else if (a == "--loss") {
      opt.loss = std::atof(next().c_str());
    } else if (a == "--corrupt") {
      opt.corrupt = std::atof(next().c_str());
    } else if (a == "--quick") {
      opt.tableSize = "groups=8,channels=16";
      opt.seeds = std::min(opt.seeds, 2);
    } else if (a == "--confirm-reads") {
      const auto mode = ParseReadConfirmation(next());
      if (!mode) {
        std::fprintf(stderr, "request_bench: --confirm-reads takes auto, always or never\n");
        return 2;
      }
      opt.mode = *mode;
    } else {
      std::fprintf(stderr, "usage: request_bench [--seeds N] [--loss R] [--corrupt R] "
                           "[--confirm-reads auto|always|never] [--quick]\n");
      return 2;
    }
  }
  testsupport::TempDir dir;
  const auto sequences = Sequences(dir.filePath("bench.qdf"), dir.filePath("bench.bin"));

  std::printf("Requests sent per request of the sequence, DGLnano, confirm reads %s; under "
              "faults: %.0f %% lost, %.0f %% garbled, mean of %d seeds; wall / wire: paced at "
              "%d baud, 8N1\n\n",
              ReadConfirmationName(opt.mode), opt.loss * 100, opt.corrupt * 100, opt.seeds, kBaud);
  std::printf("| sequence           | requests | clean | under faults | wire s | wall / wire |\n");
  std::printf("|--------------------|---------:|------:|-------------:|-------:|------------:|\n");
  bool exact = true;
  for (const Sequence& s : sequences) {
    const std::string size = s.name.rfind("table", 0) == 0 ? opt.tableSize : "groups=40,channels=60";
    const Measure clean = RunOnce(s, opt, true, false, 0, size);
    const bool same = clean.expected > 0 && clean.sent == clean.expected;
    exact = exact && same;
    double faultRatio = 0;
    int failed = 0;
    for (int seed = 1; seed <= opt.seeds; ++seed) {
      const Measure m = RunOnce(s, opt, false, true, static_cast<uint32_t>(seed) * 7919u, size);
      faultRatio += Ratio(m.sent, m.expected) / opt.seeds;
      failed += m.ok ? 0 : 1;
    }
    const double wire = WireSeconds(clean.bytes);
    std::string notes;
    if (!same) notes += " clean: " + std::to_string(clean.sent) + " sent";
    if (!clean.ok) notes += " clean run failed";
    if (failed) notes += " " + std::to_string(failed) + " of the runs under faults failed";
    char faulty[16] = "-";
    if (opt.seeds > 0) std::snprintf(faulty, sizeof faulty, "%.2f", faultRatio);
    std::printf("| %-18s | %8lld | %5.2f | %12s | %6.2f | %11.2f |%s\n", s.name.c_str(),
                clean.expected, Ratio(clean.sent, clean.expected), faulty, wire,
                wire > 0 ? clean.wallSeconds / wire : 0.0, notes.c_str());
  }
  // Confirming every read sends more than the sequence by design: nothing to judge then.
  if (opt.mode == ReadConfirmation::Always) {
    std::printf("\n(confirm reads always: the clean ratio is not judged)\n");
    return 0;
  }
  return exact ? 0 : 1;
}
