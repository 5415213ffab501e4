// Arbitrary bytes as the programming station's list: it is refused with a message naming
// a line, or every line holds a group and a channel as a transmitter shows them and is
// fitted to a transmitter (its plan inside the transmitter's own table and lists, or a
// refusal). A report of the lines read back gives the same lines.
#include <string_view>

#include "FuzzRig.h"
#include "files/ProgrammingStation.h"

using namespace zentra;
using namespace zentra::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  Rig rig(data[0] % kModelCount);
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  const StationListRead read = ParseStationList(text, "/nonexistent-zentra-fuzz");
  if (!read.ok) {
    FUZZ_CHECK(!read.error.empty());
    FUZZ_CHECK(read.list.lines.empty());
    return 0;
  }
  const TDeviceData& d = rig.data;
  std::vector<StationEntry> entries;
  for (const StationLine& line : read.list.lines) {
    FUZZ_CHECK(line.channel.size() == 2 && line.line >= 2);
    FUZZ_CHECK(line.group == "SYNC" || line.group.size() == 2);
    LinePlan plan;
    if (PlanLine(read.list, line, d, plan).empty()) {
      FUZZ_CHECK(plan.group >= 0 && plan.group < static_cast<int>(GroupListItems(d).size()));
      FUZZ_CHECK(plan.channel >= 0 && plan.channel < kMaxChannels);
      FUZZ_CHECK(plan.values.size() == line.settings.size());
      FUZZ_CHECK(!plan.name || plan.name->size() <= d.txNameLength);
    }
    StationEntry e;
    e.line = line.line;
    e.name = line.name;
    e.group = line.group;
    e.channel = line.channel;
    for (const auto& s : line.settings) e.settings.push_back(s.second);
    e.settings.resize(read.list.settingColumns.size());
    e.outcome = StationOutcome::Refused;
    e.what = line.config;
    entries.push_back(e);
  }
  const StationReportRead back = ParseStationReport(StationReportCsv(read.list, entries), read.list);
  FUZZ_CHECK(back.ok);
  FUZZ_CHECK(back.entries.size() == entries.size());
  for (size_t i = 0; i < entries.size() && i < back.entries.size(); ++i) {
    FUZZ_CHECK(back.entries[i].line == entries[i].line && back.entries[i].name == entries[i].name &&
               back.entries[i].settings == entries[i].settings && back.entries[i].what == entries[i].what);
  }
  return 0;
}
