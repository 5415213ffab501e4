// The programming station over a queue of transmitters behind the simulated serial IR
// interface paced at 115200 baud in both directions. Each transmitter is taken away as
// soon as its report line is written, and the next steps in after the simulator's gap.
//
// Reports, per model and over the run: the requests and bytes of the handling of one
// transmitter (from the tick that finds it to its report line), their wire time at
// 115200 baud, the wall time of the handling and what it adds beyond the wire (host
// work, waits, the report written), and the transmitters per minute that gives, with and
// without the 1200 ms tick of the poll around it.
//
// Usage: station_bench [--quick]   (--quick: one transmitter of each model)

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "device/Presets.h"
#include "device/TDeviceData.h"
#include "files/ProgrammingStation.h"
#include "link/IrLink.h"
#include "sim/SimWorld.h"

#include "PacedPort.h"
#include "support/TempDir.h"

using namespace zentra;

namespace {

constexpr double kPollSeconds = 1.2;

struct Handled {
  std::string model;
  std::string result;
  int requests = 0;
  long long bytes = 0;
  double wallSeconds = 0;
  double linkSeconds = 0;  // of the wall time, inside Transact (link and simulated line)
  double wireSeconds() const { return static_cast<double>(bytes) * kBitsPerByte / kBaud; }
};

}  // namespace

int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
  const std::vector<std::string> models = {"ZQL22X@129", "ZQL21X@129", "ZQK230@129", "ZQL21@123"};
  const int rounds = quick ? 1 : 5;

  std::string spec = "nano:" + models[0] + ",baud=" + std::to_string(kBaud);
  std::string rows = "Name,Group,Channel,Frequency,led-mode,rf-power,Lock\n";
  int n = 0;
  for (int r = 0; r < rounds; ++r) {
    for (const std::string& m : models) {
      if (n > 0) spec += ",next=" + m;
      // Every line changes the tuning, a channel's frequency, the LED, the RF power (the
      // first level of the model's list), the name and the menu locks.
      rows += "Tx " + std::to_string(n) + ",01," + (n % 2 ? "05" : "06") + "," +
              (n % 2 ? "512.500" : "520.125") + ",none,0,tuning\n";
      ++n;
    }
  }

  std::string error;
  auto world = sim::SimWorld::FromSpec(spec, error);
  if (!world) {
    std::fprintf(stderr, "bad SPEC: %s\n", error.c_str());
    return 1;
  }
  auto bytes = std::make_shared<ByteCount>();
  Platform platform = world->platform();
  auto make = platform.makeSerialDevice;
  platform.makeSerialDevice = [make, bytes]() {
    return std::make_unique<CountingPort>(make(), bytes, true, true);
  };
  IrLink link(platform);
  std::chrono::steady_clock::duration inLink{};
  std::chrono::steady_clock::time_point requestAt{};
  link.onTrace = [&](TraceDirection d, const uint8_t*, int) {
    const auto now = std::chrono::steady_clock::now();
    if (d == TraceDirection::Request) requestAt = now;
    else inLink += now - requestAt;
  };
  const auto entries = link.BuildInterfaceList();
  if (entries.empty() || link.Connect(entries, 0) != IrLink::ConnectResult::Connected) {
    std::fprintf(stderr, "no simulated interface\n");
    return 1;
  }
  StationListRead list = ParseStationList(rows, "");
  if (!list.ok) {
    std::fprintf(stderr, "list: %s\n", list.error.c_str());
    return 1;
  }
  testsupport::TempDir dir;
  TDeviceData data;
  PresetStore presets;
  ProgrammingStation station(link, data, presets, std::move(list.list),
                             dir.filePath("report.csv"), link.interfaceKind);
  if (const std::string e = station.Start(); !e.empty()) {
    std::fprintf(stderr, "%s\n", e.c_str());
    return 1;
  }

  std::vector<Handled> handled;
  int ticks = 0;            // every tick of the poll, a transmitter handled or not
  double tickSeconds = 0;   // the wall time of all of them
  for (int guard = 0; guard < 40 * n && !station.AllDone(); ++guard) {
    const long long before = bytes->written + bytes->read;
    const auto linkBefore = inLink;
    const auto t0 = std::chrono::steady_clock::now();
    const StationTick tick = station.Tick();
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    ++ticks;
    tickSeconds += wall;
    if (tick.event == StationEvent::ReportFailed) {
      std::fprintf(stderr, "%s\n", tick.error.c_str());
      return 1;
    }
    if (tick.event != StationEvent::Handled) continue;
    Handled h;
    h.model = tick.entry->model;
    h.result = OutcomeText(*tick.entry);
    h.requests = tick.entry->requests;
    h.bytes = bytes->written + bytes->read - before;
    h.wallSeconds = wall;
    h.linkSeconds = std::chrono::duration<double>(inLink - linkBefore).count();
    handled.push_back(h);
    world->Leave();
  }

  std::map<std::string, std::vector<const Handled*>> byModel;
  bool allOk = station.AllDone();
  double wall = 0, wire = 0, inside = 0;
  for (const Handled& h : handled) {
    byModel[h.model].push_back(&h);
    wall += h.wallSeconds;
    wire += h.wireSeconds();
    inside += h.linkSeconds;
    if (h.result != "OK") {
      allOk = false;
      std::printf("  %s: %s\n", h.model.c_str(), h.result.c_str());
    }
  }
  std::printf("programming station, %zu transmitters over a DGLnano paced at %d baud\n",
              handled.size(), kBaud);
  for (const auto& [model, list] : byModel) {
    double w = 0, l = 0;
    int requests = 0;
    for (const Handled* h : list) {
      w += h->wallSeconds;
      l += h->wireSeconds();
      requests += h->requests;
    }
    const double k = static_cast<double>(list.size());
    std::printf("  %-7s %5.1f requests, wire %6.1f ms, handling %6.1f ms, beyond the wire "
                "%5.1f ms (ratio %.3f)\n",
                model.c_str(), requests / k, 1000 * l / k, 1000 * w / k, 1000 * (w - l) / k, w / l);
  }
  if (handled.empty()) return 1;
  const double k = static_cast<double>(handled.size());
  std::printf("mean per transmitter: wire %.1f ms, handling %.1f ms, beyond the wire %.1f ms "
              "(ratio %.3f)\n",
              1000 * wire / k, 1000 * wall / k, 1000 * (wall - wire) / k, wall / wire);
  std::printf("  of the time beyond the wire, %.1f ms inside Transact (the link and the simulated "
              "line) and %.1f ms in the station's own work (sequences, checks, the report written)\n",
              1000 * (inside - wire) / k, 1000 * (wall - inside) / k);
  std::printf("transmitters per minute: %.1f at the wire bound, %.1f handled back to back, "
              "%.1f with the poll's %.1f s pause after every tick (%.1f ticks per transmitter: "
              "it is found, seen to leave, the next one found)\n",
              60 / (wire / k), 60 / (wall / k), 60 / ((tickSeconds + kPollSeconds * ticks) / k),
              kPollSeconds, ticks / k);
  return allOk ? 0 : 1;
}
