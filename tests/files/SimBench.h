// A simulated transmitter in front of a simulated USB message interface, connected and
// fully read, as the window has it after Connect: the bench of the file tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

#include "device/FullRead.h"
#include "device/Presets.h"
#include "device/TDeviceData.h"
#include "files/FileProgress.h"
#include "link/IrLink.h"
#include "sim/SimWorld.h"

namespace zentra::filetest {

struct SimBench {
  std::shared_ptr<sim::SimWorld> world;
  std::unique_ptr<IrLink> link;
  TDeviceData data;
  PresetStore presets;

  explicit SimBench(const std::string& spec) {
    std::string error;
    world = sim::SimWorld::FromSpec(spec, error);
    if (!world) {
      ADD_FAILURE() << "bad SPEC " << spec << ": " << error;
      return;
    }
    link = std::make_unique<IrLink>(world->platform());
    const auto entries = link->BuildInterfaceList();
    EXPECT_FALSE(entries.empty());
    EXPECT_EQ(link->Connect(entries, 0), IrLink::ConnectResult::Connected);
    FullReadOptions options;
    options.readFirstGroup = false;
    FullReadResult r = FullRead(*link, data, presets, options);
    EXPECT_TRUE(r.identified);
    EXPECT_FALSE(r.faulty) << spec;
  }

  sim::VirtualTransmitter& tx() { return *world->transmitter(); }
  sim::SimTransmitterState& state() { return tx().state(); }
  bool ok() const { return world && link && data.modelType != 0; }
};

// Collects what a file operation shows. The operation asks for an abort after every
// channel; once the bar has reached abortAtPosition (0: never) the answer is yes, as a
// Close pressed at that moment would give, and questionsAfterAbort counts the questions
// asked after it (each stands for one more command sent).
class RecordingProgress : public FileProgress {
 public:
  std::string caption;
  int maximum = -1;
  int position = 0;
  std::vector<std::string> lines;
  int abortAtPosition = 0;
  int questionsAfterAbort = 0;

  void Begin(const std::string& c, int max) override {
    caption = c;
    maximum = max;
    position = 0;
    lines.clear();
  }
  void SetPosition(int p) override { position = p; }
  void AddLine(const std::string& line) override { lines.push_back(line); }
  bool AbortRequested() override {
    const bool abort = abortAtPosition > 0 && position >= abortAtPosition;
    if (abort) ++questionsAfterAbort;
    return abort;
  }
  void Pump() override {}
};

inline bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  for (const auto& l : lines) {
    if (l == line) return true;
  }
  return false;
}

}  // namespace zentra::filetest
