#include "files/GroupCoordination.h"

#include "device/TDeviceData.h"
#include "files/IniFile.h"
#include "files/TableFile.h"
#include "plan/Suggest.h"

namespace zentra {

std::vector<std::optional<int32_t>> OnAirRows(const GroupView& view) {
  std::vector<std::optional<int32_t>> rows;
  const size_t count = view.isSync ? std::min<size_t>(1, view.rows.size()) : view.rows.size();
  for (size_t i = 0; i < count; ++i) {
    const ChannelRow& r = view.rows[i];
    const bool hidden = r.flagsRead && r.hidden;
    rows.push_back(r.freqRead && !hidden ? std::optional<int32_t>(r.freqKHz) : std::nullopt);
  }
  return rows;
}

std::vector<plan::ChannelMark> GroupConflictMarks(const GroupView& view, const plan::Guards& guards) {
  return GroupConflictMarks(view, guards, {});
}

std::vector<plan::ChannelMark> GroupConflictMarks(const GroupView& view, const plan::Guards& guards,
                                                  const std::vector<int32_t>& onAirKHz) {
  std::vector<std::optional<int32_t>> rows = OnAirRows(view);
  const size_t own = rows.size();
  rows.insert(rows.end(), onAirKHz.begin(), onAirKHz.end());
  std::vector<plan::ChannelMark> marks = plan::MarkChannels(rows, guards);
  marks.resize(own);
  marks.resize(view.rows.size());  // SYNC: the rows past the first stay unmarked
  return marks;
}

std::vector<int32_t> TuningCandidates(const TDeviceData& data, int32_t lowKHz, int32_t highKHz) {
  std::vector<int32_t> out = plan::StepGrid(lowKHz, highKHz, data.stepHz);
  std::erase_if(out, [&](int32_t f) { return !data.IsFrequencyAllowed(f); });
  return out;
}

GroupWriteResult WriteGroupFrequencies(Transactor& link, TDeviceData& data, int group,
                                       const std::vector<int32_t>& freqsKHz, bool hideRest,
                                       FileProgress& progress) {
  GroupWriteResult result;
  IniFile ini;
  const std::string section = GroupSectionName(data, group);
  const size_t count = hideRest ? std::max(freqsKHz.size(), static_cast<size_t>(data.channelCount)) : freqsKHz.size();
  for (size_t c = 0; c < count; ++c) {
    const std::string n = std::to_string(c);
    const std::string key = "CH" + (n.size() < 2 ? "0" + n : n);
    if (c < freqsKHz.size()) ini.WriteInteger(section, key, freqsKHz[c]);
    if (hideRest) ini.WriteInteger(section, key + "_HIDDEN", c < freqsKHz.size() ? 1 : 0);  // 0 = hidden
  }
  TableLoadOptions options;
  options.scope = TableScope::OneGroup(group);
  result.load = LoadFrequencyTable(link, data, ini, options, progress);
  if (result.load.status == FileOpStatus::DeviceLost) return result;
  result.readBack = ReadGroup(link, data, group);
  for (size_t c = 0; c < freqsKHz.size(); ++c) {
    const bool ok = c < result.readBack.rows.size() && result.readBack.rows[c].freqRead &&
                    result.readBack.rows[c].freqKHz == freqsKHz[c];
    if (!ok) result.mismatched.push_back(static_cast<int>(c));
  }
  return result;
}

}  // namespace zentra
