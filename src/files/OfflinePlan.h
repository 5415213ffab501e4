// A frequency table edited at a desk, without a transmitter: a .qdf file opened (or made
// new) as a plan, browsed one group at a time like the transmitter's table, edited with
// the same checks and refusals (range and step of the file, "Not All Channels Hidden",
// "Not All Groups Hidden"), coordinated, and saved back into the same file format.
//
// The plan keeps the file's own group numbering ("GROUP00" or "GROUP01" first) and every
// section and key it does not edit as it was; groups it edits are written whole in the
// order a transmitter save writes them, so a file saved by a transmitter and saved again
// here unchanged comes out byte for byte the same.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/FrequencyPlan.h"
#include "device/TDeviceData.h"
#include "plan/TableCsv.h"

namespace zentra {

class IniFile;

// What a new table holds, as the "DATA" section gives it.
struct PlanLayout {
  int channels = 16;          // 1..60
  int groups = 8;             // 1..40
  int freqMinMHz = 470;
  int freqMaxMHz = 542;
  int stepHz = 25000;
  int firstGroupNumber = 0;   // 0: "GROUP00" is the first group; 1: "GROUP01"
  bool sync = true;           // the table has a SYNC channel
  // An empty string when the layout can be used, else what is wrong with it.
  std::string Problem() const;
};

class OfflinePlan {
 public:
  OfflinePlan();
  ~OfflinePlan();
  OfflinePlan(const OfflinePlan&) = delete;
  OfflinePlan& operator=(const OfflinePlan&) = delete;

  // A new, empty table of that layout (the caller checked it with Problem()).
  void New(const PlanLayout& layout);
  // Reads a .qdf file. False, with a message, when it cannot be read or holds a
  // frequency that is not a whole number of kHz; the plan is then left as it was.
  bool Open(const std::string& path, std::string& error);
  // Writes the plan to path (a temporary file renamed into place). Clears `modified`.
  bool Save(const std::string& path, std::string& error);
  // The file text Save writes.
  std::string ToText() const;

  bool modified() const { return modified_; }
  bool empty() const { return data_.channelCount == 0; }
  // What Open had to make up because the file does not say it (a missing range ...).
  const std::vector<std::string>& notes() const { return notes_; }

  // The table as the grid and the frequency dialog see a transmitter: channel and group
  // counts, range, step, the group masks, channel flags and names supported, a SYNC
  // group when the table has one; nothing tuned (curGroup -1).
  const TDeviceData& data() const { return data_; }
  const PlanLayout& layout() const { return layout_; }
  // The group list: the file's section numbers ("00".."07" or "01".."08"), then "SYNC".
  std::vector<std::string> GroupItems() const;
  int groupItemCount() const;
  bool IsSync(int index) const { return data_.syncSupported && index == data_.syncGroup; }

  // One group as the grid shows it (index into GroupItems()).
  GroupView Group(int index) const;
  // The carriers of a group on air: frequencies of the channels that are not hidden.
  std::vector<int32_t> ActiveKHz(int index) const;
  const plan::FrequencyTable& table() const { return table_; }

  // Edits. A frequency outside the range or off the step is refused (nothing changes).
  PlanEditResult SetFrequency(int index, int channel, int32_t freqKHz);
  PlanEditResult ToggleLock(int index, int channel);
  // Hiding the last visible channel is refused with "Not All Channels Hidden".
  PlanEditResult ToggleHidden(int index, int channel);
  // Each returns the state the group's box shows afterwards; hiding the last visible
  // group is refused with "Not All Groups Hidden". SYNC has no group flags.
  bool SetGroupLock(int index, bool locked);
  bool SetGroupHidden(int index, bool hidden, PlanWarning& warning);
  // The name as cleaned for the table (8 characters, SYNC 12); returns it.
  std::string SetGroupName(int index, const std::string& text);
  // The groups of an imported table (CSV) replace the plan's groups of the same number;
  // the others stay. False, with a message, for a group the plan has not.
  bool MergeTable(const plan::FrequencyTable& table, std::string& error);
  // What an imported table must satisfy: the plan's range, step, groups and channels.
  plan::CsvLimits ImportLimits() const;
  // A coordinated set into channels 00.. of a group (see PlaceSetInGroup).
  void WriteGroupSet(int index, const std::vector<int32_t>& freqsKHz, bool hideRest);

 private:
  plan::TableGroup& Edit(int index);
  const plan::TableGroup* Find(int index) const;
  int Number(int index) const { return index + layout_.firstGroupNumber; }
  void Touch() { modified_ = true; }

  std::unique_ptr<IniFile> ini_;
  plan::FrequencyTable table_;
  PlanLayout layout_;
  TDeviceData data_;
  std::vector<std::string> notes_;
  bool modified_ = false;
};

}  // namespace zentra
