// Arbitrary bytes as a .qcf configuration, with its preset sections, applied with every
// choice the file offers to a transmitter simulated in the same process. The preset
// sections are read as the load reads them, the edit lock is given back, and the
// transmitter ends tuned to one of its own channels.
#include <string_view>

#include "FuzzRig.h"
#include "files/ConfigFile.h"
#include "files/IniFile.h"
#include "files/PresetSections.h"

using namespace zentra;
using namespace zentra::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  Rig rig(data[0] % kModelCount);
  IniFile ini;
  if (ini.LoadText(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1)) !=
      IniFile::Status::Ok)
    return 0;
  TDeviceData& d = rig.data;
  const ConfigChoices choices = DecideConfigChoices(ini, d);
  const ConfigSelection selection = DefaultSelection(choices);
  for (int i = 0; i < d.presetCount && i < kMaxPresets; ++i) {
    const PresetFromFile p = ReadPresetSection(ini, d, i, rig.presets.presetRecords[static_cast<size_t>(i)]);
    FUZZ_CHECK(p.name.size() <= 8);
  }
  bool editLocked = false;
  const FileOpResult r = ApplyConfiguration(rig.link, d, rig.presets, ini, choices, selection,
                                            editLocked);
  FUZZ_CHECK(!editLocked);
  FUZZ_CHECK(r.status != FileOpStatus::Cancelled && r.status != FileOpStatus::NoDevice);
  // The tuned channel the transmitter ends on is one of its channels.
  const auto& s = rig.state();
  FUZZ_CHECK(s.curGroup >= 0 && s.curGroup <= s.groupCount);
  FUZZ_CHECK(s.curChannel >= 0 && s.curChannel < s.channelCount);
  return 0;
}
