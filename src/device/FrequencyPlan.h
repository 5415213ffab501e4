// The transmitter's frequency table, one group at a time: reading a group (name,
// every channel's frequency and lock/hidden flags), tuning to a channel, writing a
// channel's frequency or flags with the refusals that keep at least one channel and one
// group visible and the tuned channel visible, saving the group flags and name, and the
// checks of the frequency entry. The table itself stays on the transmitter; a GroupView
// is what was last read of one group (the window's grid shows it).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "device/PumpHook.h"

namespace zentra {

class Transactor;
struct TDeviceData;

inline constexpr const char* kWarningTitle = "WARNING";
inline constexpr const char* kNotAllChannelsHidden = "Not All Channels Hidden";
inline constexpr const char* kTuningChannel = "Tuning Channel";
inline constexpr const char* kNotAllGroupsHidden = "Not All Groups Hidden";

// A warning for the front end to show (title "WARNING", exclamation icon); empty = none.
struct PlanWarning {
  std::string text;
  bool empty() const { return text.empty(); }
};

struct ChannelRow {
  int32_t freqKHz = 0;
  bool freqRead = false;   // false: the cell stays empty
  bool locked = false;
  bool hidden = false;
  bool flagsRead = false;  // false: no flags shown (none read or none supported)
};

struct GroupView {
  int group = -1;          // 0-based group index on the link; syncGroup for SYNC
  bool isSync = false;
  bool nameRead = false;
  std::string name;        // group name (8) or sync name (12), cut at zero
  std::vector<ChannelRow> rows;  // channelCount rows; SYNC: row 0 only is filled
  bool ok = true;          // every command of the read succeeded
};

// "%.03f" of kHz x 0.001, e.g. 512125 -> "512.125".
std::string FormatMHz(int32_t freqKHz);

// Reads group `group` (or the SYNC group when group == syncGroup and the transmitter has
// a sync channel): the name, then every channel's frequency and, with per-channel flags,
// its flags. pump runs between commands.
GroupView ReadGroup(Transactor& link, TDeviceData& data, int group,
                    const PumpHook& pump = {});
// Re-reads only the channel flags of the view (after a flag write).
bool RefreshChannelFlags(Transactor& link, TDeviceData& data, GroupView& view,
                         const PumpHook& pump = {});

// True when tuning to this channel must not happen: the transmitter has per-channel
// flags and the group is hidden, the channel's flags cannot be read, or it is hidden.
bool IsTunedChannelHidden(Transactor& link, TDeviceData& data, int group, int channel);

struct TuneResult {
  bool tuned = false;     // WriteGroupChannel was sent and acknowledged
  bool skipped = false;   // hidden channel: nothing sent
  bool readBack = false;  // tuning and frequency read back
};
// Tuning by clicking a channel: unless hidden, WriteGroupChannel, then read back the
// tuning (curGroup, curChannel) and the tuned frequency (curFreqKHz).
TuneResult TuneToChannel(Transactor& link, TDeviceData& data, int group, int channel);

struct PlanEditResult {
  bool written = false;   // the write was sent and acknowledged
  bool refused = false;   // nothing of the request was carried out as asked
  bool tunedFrequencyRead = false;  // the tuned channel was written: curFreqKHz read again
  PlanWarning warning;
};

// Writes a frequency (kHz) to a channel of the view's group (channel 0 for SYNC), then
// re-reads the whole group into view, and the tuned frequency when that channel is the
// tuned one.
PlanEditResult WriteChannelFrequencyAndReload(Transactor& link, TDeviceData& data,
                                              GroupView& view, int channel, int32_t freqKHz,
                                              const PumpHook& pump = {});

// Sets a channel's lock and hidden flags. Hiding a channel that is visible in the view is
// refused ("Not All Channels Hidden") when every other channel is hidden, and ("Tuning
// Channel") when it is the tuned channel; the flag is then written as visible. Then the
// view's flags are re-read. The SYNC group has no channel flags: refused, nothing sent.
PlanEditResult SetChannelFlags(Transactor& link, TDeviceData& data, GroupView& view,
                               int channel, bool locked, bool hidden,
                               const PumpHook& pump = {});
// The double clicks on the Lock and Hidden cells: toggle one flag, keep the other.
PlanEditResult ToggleChannelLock(Transactor& link, TDeviceData& data, GroupView& view,
                                 int channel, const PumpHook& pump = {});
PlanEditResult ToggleChannelHidden(Transactor& link, TDeviceData& data, GroupView& view,
                                   int channel, const PumpHook& pump = {});

// The refusal rule of hiding one channel, on a view already read. Returns the hidden
// flag to write and the warning.
bool DecideChannelHidden(const TDeviceData& data, const GroupView& view, int channel,
                         bool wantHidden, PlanWarning& warning);

// Group check boxes, in the data model only (nothing is sent until the group is saved).
// Lock: ignored for SYNC. Hidden: hiding the last visible group is refused.
// Each returns the state the box shows afterwards.
bool GroupLockClick(TDeviceData& data, int group, bool checked);
bool GroupHiddenClick(TDeviceData& data, int group, bool checked, PlanWarning& warning);

struct GroupSaveResult {
  bool lockChecked = false;    // the boxes after the save, as read back
  bool hiddenChecked = false;
  std::string nameText;        // the name for the edit: as read back, else as cleaned
  bool locksWritten = false;   // WriteLocks / WriteLocksEx acknowledged
  bool nameWritten = false;    // WriteGroupName / WriteSyncGroupName acknowledged
  bool nameRefused = false;    // sync name on a transmitter without a sync channel (beep)
  std::vector<PlanWarning> warnings;
};
// The SAVE button of a group: group lock and hidden bits from the boxes (hiding the last
// visible group or the tuned group refused), the menu lock bytes with both group masks,
// then the group's (or the sync) name from the edit text when the transmitter has names;
// finally the lock bytes and the name are read back. Without a name text (the name could
// not be read and the user typed none) the transmitter keeps its name.
GroupSaveResult SaveGroupFlagsAndName(Transactor& link, TDeviceData& data, int group,
                                      bool lockChecked, bool hiddenChecked,
                                      const std::optional<std::string>& nameText);

// The group name as the edit shows it after cleaning (length 8, or 12 for SYNC): empty
// becomes `length` blanks; otherwise the first `length` characters with control and
// non-ASCII characters made blanks.
std::string CleanGroupNameText(const std::string& text, size_t length);

// --- frequency entry (the dialog's OK button) ---
enum class FrequencyEntryStatus {
  Ok,
  NotValid,        // "Inserted value is not a valid frequency!"
  StepUnknown,     // the tuning step is 0 (not read): no value can be checked
  NotMultiple,     // "Inserted value isn't multiple of %.01f kHz!"
  OutsideRange,    // "Inserted value is outside frequency range!"
};

struct FrequencyEntryCheck {
  FrequencyEntryStatus status = FrequencyEntryStatus::NotValid;
  int32_t freqKHz = 0;   // Ok: the value in kHz
  std::string message;   // the warning text (title "WARNING"); empty when Ok
};

// Parses the entry text: "," counts as "."; with a point (the last one) the part before
// is whole MHz and the part after (at most 3 digits) the fraction; without one the text
// is whole MHz. Parts that are not numbers count as 0. False for empty text and for a
// fraction of 4 or more characters.
bool ParseFrequencyEntry(const std::string& text, int64_t& freqKHz);

// The OK button: parse, then the step, then range and sub-band checks of data.
FrequencyEntryCheck CheckFrequencyEntry(const std::string& text, const TDeviceData& data);

// Texts of the dialog: "Insert frequency value (range %d-%d MHz)" and "Step %.03f kHz".
std::string FrequencyDialogMessage(const TDeviceData& data);
std::string FrequencyDialogStep(const TDeviceData& data);

}  // namespace zentra
