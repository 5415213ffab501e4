// The simulated link the benchmarks measure: a transmitter in front of a serial IR
// interface, reached through a port that counts the bytes crossing it and, when paced,
// takes as long to send as a 115200-baud line would (the simulator paces the replies
// itself, option baud). The wire time of a run is its bytes at 10 bits a byte (8N1).
#pragma once

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "device/FullRead.h"
#include "device/Presets.h"
#include "device/TDeviceData.h"
#include "link/IrLink.h"
#include "sim/SimWorld.h"

#include "PacedPort.h"

namespace zentra::bench {

inline double WireSeconds(long long bytes) {
  return static_cast<double>(bytes) * kBitsPerByte / kBaud;
}

struct Rig {
  std::shared_ptr<sim::SimWorld> world;
  std::shared_ptr<ByteCount> bytes = std::make_shared<ByteCount>();
  std::unique_ptr<IrLink> link;
  TDeviceData data;
  PresetStore presets;
  long long transactions = 0;
  // Time spent inside Transact (from the request to its answer or failure).
  std::chrono::steady_clock::duration inLink{};
  std::chrono::steady_clock::time_point requestAt{};
};

// Builds the world of spec (a serial interface), connects to it and, with fullRead, reads
// the transmitter as the window does after Connect. False (with a message) when the
// world or the link could not be set up.
inline bool Connect(Rig& rig, const std::string& spec, bool paced, bool promptWake,
                    bool fullRead = true) {
  std::string error;
  rig.world = sim::SimWorld::FromSpec(spec, error);
  if (!rig.world) {
    std::fprintf(stderr, "bad SPEC %s: %s\n", spec.c_str(), error.c_str());
    return false;
  }
  Platform platform = rig.world->platform();
  auto make = platform.makeSerialDevice;
  auto bytes = rig.bytes;
  platform.makeSerialDevice = [make, bytes, paced, promptWake]() {
    return std::make_unique<CountingPort>(make(), bytes, paced, promptWake);
  };
  rig.link = std::make_unique<IrLink>(platform);
  rig.link->onTrace = [&rig](TraceDirection d, const uint8_t*, int) {
    const auto now = std::chrono::steady_clock::now();
    if (d == TraceDirection::Request) {
      ++rig.transactions;
      rig.requestAt = now;
    } else {
      rig.inLink += now - rig.requestAt;
    }
  };
  const auto entries = rig.link->BuildInterfaceList();
  if (entries.empty() || rig.link->Connect(entries, 0) != IrLink::ConnectResult::Connected) {
    std::fprintf(stderr, "no simulated interface\n");
    return false;
  }
  if (!fullRead) return true;
  FullReadOptions options;
  options.readFirstGroup = false;
  const FullReadResult r = FullRead(*rig.link, rig.data, rig.presets, options);
  if (r.faulty) std::fprintf(stderr, "warning: the full read was faulty\n");
  return rig.data.modelType != 0;
}

}  // namespace zentra::bench
