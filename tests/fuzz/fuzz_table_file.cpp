// Arbitrary bytes as a .qdf frequency table, loaded into a transmitter simulated in the
// same process. Whatever the file says, a frequency the transmitter does not accept
// never reaches it, the load keeps a group visible, and the save that follows reads
// the table back without failing a command.
#include <string_view>

#include "FuzzRig.h"
#include "files/IniFile.h"
#include "files/TableFile.h"

using namespace zentra;
using namespace zentra::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  Rig rig(data[0] % kModelCount);
  const uint8_t how = data[1];
  IniFile ini;
  if (ini.LoadText(std::string_view(reinterpret_cast<const char*>(data + 2), size - 2)) !=
      IniFile::Status::Ok)
    return 0;
  TDeviceData& d = rig.data;
  TableLoadOptions options;
  switch (how % 3) {
    case 0: options.scope = TableScope::All(); break;
    case 1: options.scope = TableScope::SyncOnly(); break;
    default: options.scope = TableScope::OneGroup((how >> 2) % (d.groupCount + 2)); break;
  }
  options.outLockToHidden = (how & 0x80) != 0;
  const auto before = rig.state().table;

  NullProgress progress;
  const FileOpResult r = LoadFrequencyTable(rig.link, d, ini, options, progress);
  FUZZ_CHECK(r.status == FileOpStatus::Done);
  FUZZ_CHECK(r.failedCommands == 0 && r.gaps.empty());

  const auto& after = rig.state().table;
  for (size_t g = 0; g < after.size(); ++g) {
    for (size_t c = 0; c < after[g].size(); ++c) {
      const uint32_t f = after[g][c].freqKHz;
      if (f != before[g][c].freqKHz) {
        FUZZ_CHECK(d.IsFrequencyAllowed(static_cast<int32_t>(f)));
      }
    }
  }
  if (d.groupHiddenSupported) FUZZ_CHECK(!d.EveryGroupHidden());

  IniFile saved;
  TableSaveOptions save;
  save.scope = options.scope;
  const FileOpResult s = SaveFrequencyTable(rig.link, d, saved, save, progress);
  FUZZ_CHECK(s.status == FileOpStatus::Done && s.gaps.empty());
  return 0;
}
