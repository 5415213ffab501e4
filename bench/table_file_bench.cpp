// Frequency table save and load of a full 40 x 60 table (plus the sync channel) against a
// simulated transmitter behind a serial IR interface.
//
// 1. Paced: 115200 baud, 10 bits a byte, in both directions (the simulator paces the
//    replies, the counting port of BenchRig.h paces what the PC sends). Reports the wall time
//    divided by the wire time of the bytes actually exchanged in the same run: how much
//    the host adds on top of the line itself.
// 2. Unpaced: the host CPU time per transaction (process CPU time over the number of
//    Transact calls) of the same save and load.
//
// Usage: table_file_bench [--quick]   (--quick: 8 x 16 table, for a smoke run)

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "BenchRig.h"
#include "files/FileProgress.h"
#include "files/TableFile.h"
#include "support/TempDir.h"

using namespace zentra;
using namespace zentra::bench;

namespace {

double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

struct Run {
  double wallSeconds = 0;
  double linkSeconds = 0;
  double cpuSeconds = 0;
  long long bytes = 0;
  long long transactions = 0;
  int failedCommands = 0;
  bool ok = false;
};

// One save and one load of the whole table.
Run SaveAndLoad(Rig& rig, const std::string& path) {
  NullProgress quiet;
  Run run;
  const ByteCount before = *rig.bytes;
  const long long tBefore = rig.transactions;
  const auto linkBefore = rig.inLink;
  const double cpu0 = CpuSeconds();
  const auto t0 = std::chrono::steady_clock::now();
  const FileOpResult saved = SaveFrequencyTable(*rig.link, rig.data, path, TableSaveOptions{}, quiet);
  const FileOpResult loaded = LoadFrequencyTable(*rig.link, rig.data, path, TableLoadOptions{}, quiet);
  run.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  run.cpuSeconds = CpuSeconds() - cpu0;
  run.linkSeconds = std::chrono::duration<double>(rig.inLink - linkBefore).count();
  run.bytes = (rig.bytes->written - before.written) + (rig.bytes->read - before.read);
  run.transactions = rig.transactions - tBefore;
  run.failedCommands = saved.failedCommands + loaded.failedCommands;
  run.ok = saved.ok() && loaded.ok();
  if (!run.ok) std::fprintf(stderr, "save: %s / load: %s\n", saved.message.c_str(), loaded.message.c_str());
  return run;
}

}  // namespace

int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
  const std::string size = quick ? "groups=8,channels=16" : "groups=40,channels=60";
  zentra::testsupport::TempDir dir;
  const std::string path = dir.filePath("bench.qdf");

  bool allOk = true;
  for (const bool promptWake : {false, true}) {
    Rig paced;
    if (!Connect(paced, "nano:ZQL22X," + size + ",baud=" + std::to_string(kBaud), true, promptWake)) {
      return 1;
    }
    const Run p = SaveAndLoad(paced, path);
    allOk = allOk && p.ok;
    const double wire = static_cast<double>(p.bytes) * kBitsPerByte / kBaud;
    std::printf("table %d x %d + sync, paced at %d baud, %s: %lld transactions, %lld bytes, "
                "wall %.3f s, wire bound %.3f s, ratio %.3f (target <= 1.15)%s\n",
                paced.data.groupCount, paced.data.channelCount, kBaud,
                promptWake ? "port woken at each arrival" : "simulated port's own wait",
                p.transactions, p.bytes, p.wallSeconds, wire, p.wallSeconds / wire,
                p.ok ? "" : " [operation failed]");
    std::printf("  of the wall time, %.3f s inside Transact (link and simulated line), %.3f s "
                "(%.1f%%) in the file operations around it\n",
                p.linkSeconds, p.wallSeconds - p.linkSeconds,
                100.0 * (p.wallSeconds - p.linkSeconds) / p.wallSeconds);
  }

  Rig fast;
  if (!Connect(fast, "nano:ZQL22X," + size, false, false)) return 1;
  const Run f = SaveAndLoad(fast, path);
  std::printf("unpaced: %lld transactions, CPU %.3f s, %.2f us per transaction (target <= 20)%s\n",
              f.transactions, f.cpuSeconds, f.cpuSeconds * 1e6 / static_cast<double>(f.transactions),
              f.ok ? "" : " [operation failed]");
  return (allOk && f.ok) ? 0 : 1;
}
