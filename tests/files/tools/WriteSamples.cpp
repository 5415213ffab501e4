// Writes a frequency table file (current and legacy format) and a configuration file of
// a simulated transmitter into a folder, for the check that other INI readers take them.
// Usage: zentra_files_samples FOLDER [SPEC]
#include <algorithm>
#include <cstdio>
#include <string>

#include "device/FullRead.h"
#include "files/ConfigFile.h"
#include "files/TableFile.h"
#include "link/IrLink.h"
#include "sim/SimWorld.h"

using namespace zentra;

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FOLDER [SPEC]\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  const std::string spec = argc > 2 ? argv[2] : "usbmsg:ZQK230,groups=3,channels=4";
  std::string error;
  auto world = sim::SimWorld::FromSpec(spec, error);
  if (!world) {
    std::fprintf(stderr, "bad SPEC: %s\n", error.c_str());
    return 2;
  }
  IrLink link(world->platform());
  const auto entries = link.BuildInterfaceList();
  if (entries.empty() || link.Connect(entries, 0) != IrLink::ConnectResult::Connected) {
    std::fprintf(stderr, "no simulated interface\n");
    return 1;
  }
  // A group name with bytes above 0x7F, which must reach the file unchanged.
  if (auto* tx = world->transmitter(); tx && !tx->state().groupNames.empty()) {
    const char name[9] = "Gr\xE9n\xFC" "01";
    std::copy(name, name + 8, tx->state().groupNames[0].begin());
  }
  TDeviceData data;
  PresetStore presets;
  FullReadOptions options;
  options.readFirstGroup = false;
  FullRead(link, data, presets, options);

  NullProgress quiet;
  TableSaveOptions current;
  TableSaveOptions legacy;
  legacy.legacy = true;
  const FileOpResult a = SaveFrequencyTable(link, data, dir + "/table.qdf", current, quiet);
  const FileOpResult b = SaveFrequencyTable(link, data, dir + "/legacy.qdf", legacy, quiet);
  const FileOpResult c = SaveConfiguration(link, data, presets, dir + "/user.qcf");
  for (const FileOpResult* r : {&a, &b, &c}) {
    if (!r->ok()) {
      std::fprintf(stderr, "%s\n", r->message.c_str());
      return 1;
    }
  }
  std::printf("channels=%d groups=%d presets=%d new=%d\n", data.channelCount, data.groupCount,
              static_cast<int>(data.presetCount), data.modelType >= 3 ? 1 : 0);
  return 0;
}
