// What the fuzz targets share: a transmitter simulated in the same process (requests
// go straight to it, so a run takes microseconds), read in full once per model, and a
// way to hand file bytes to the loaders that take a path.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "device/FullRead.h"
#include "device/Presence.h"
#include "device/Presets.h"
#include "device/SimTransactor.h"
#include "device/TDeviceData.h"

namespace zentra::fuzz {

// Models of both numbering families and the different capability shapes.
inline const char* const kModels[][2] = {
    {"ZQL22X", "129"}, {"ZQL21", "123"}, {"ZQK120", "103"}, {"ZQK230", "129"},
    {"ZQN21X", "129"}, {"ZQL11", "123"}, {"ZQL22", "129"}, {"ZQK220", "123"},
};
inline constexpr size_t kModelCount = sizeof kModels / sizeof kModels[0];

// A fresh transmitter of model m with the device data of its full read.
struct Rig {
  seqtest::SimTransactor link;
  TDeviceData data;
  PresetStore presets;

  explicit Rig(size_t m) {
    // A small table (4 groups of 8 channels) keeps a run short; the shapes stay the
    // model's own.
    sim::TransmitterSpec spec = seqtest::Spec(kModels[m % kModelCount][0], kModels[m % kModelCount][1]);
    spec.groups = 4;
    spec.channels = 8;
    link.Enter(spec);
    // The full read of each model runs once; later rigs copy its outcome.
    static std::map<size_t, std::pair<TDeviceData, PresetStore>> read;
    auto it = read.find(m % kModelCount);
    if (it == read.end()) {
      TDeviceData d;
      PresetStore p;
      PresenceProbe(link, d, 4);
      FullReadOptions options;
      options.readFirstGroup = false;
      FullRead(link, d, p, options);
      if (d.modelType == 0) std::abort();  // the rig itself is broken
      it = read.emplace(m % kModelCount, std::make_pair(d, p)).first;
    }
    data = it->second.first;
    presets = it->second.second;
  }
  sim::SimTransmitterState& state() { return link.tx()->state(); }
};

// A file of this process's own, rewritten for each input.
inline const std::string& ScratchFile(const char* suffix) {
  // Removed when the process ends normally (libFuzzer ends with exit()).
  static struct Paths {
    std::map<std::string, std::string> bySuffix;
    ~Paths() {
      for (const auto& entry : bySuffix) unlink(entry.second.c_str());
    }
  } paths;
  auto& path = paths.bySuffix[suffix];
  if (path.empty()) {
    // A memory file system where there is one: a file rewritten a million times should
    // not wait for a disk that builds share.
    const char* dir = std::getenv("TMPDIR");
    const std::string base = dir && *dir ? dir : access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    path = base + "/zentra-fuzz-" + std::to_string(getpid()) + suffix;
  }
  return path;
}

inline bool WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

// A broken promise of the code under test: libFuzzer keeps the input that led here.
#define FUZZ_CHECK(cond)                                                 \
  do {                                                                   \
    if (!(cond)) {                                                       \
      std::fprintf(stderr, "check failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__); \
      std::abort();                                                      \
    }                                                                    \
  } while (0)

}  // namespace zentra::fuzz
