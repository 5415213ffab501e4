// Frequency table files (.qdf): the transmitter's table copied channel by channel to and
// from an INI file with a "DATA" section, one "GROUP%02d" section per group and a
// "SYNC" section for the sync channel. Saving reads the table from the transmitter;
// loading writes it, checking every frequency against the transmitter's range and
// sub-band table and keeping at least one channel and one group visible and the tuned
// channel usable.
//
// Group sections are numbered from 0 for the new family (codes 3..10) and from 1 for
// the old family (codes 1 and 2), so a file goes back correctly only into a transmitter
// of the same family. Flag values in the file are inverted: 0 = set, 1 = clear.
#pragma once

#include <cstdint>
#include <string>

#include "device/CommandSet.h"
#include "files/FileProgress.h"

namespace zentra {

class IniFile;

// Which groups a save or load covers: from "All groups" and the group shown.
struct TableScope {
  enum class Kind { AllGroups, Sync, Group };
  Kind kind = Kind::AllGroups;
  int group = 0;  // Kind::Group: the 0-based group index

  static TableScope All() { return {Kind::AllGroups, 0}; }
  static TableScope SyncOnly() { return {Kind::Sync, 0}; }
  static TableScope OneGroup(int g) { return {Kind::Group, g}; }
  // From the window's controls: "All groups" checked, else the item shown in the group
  // list (the SYNC item is index syncGroup on a transmitter with a sync channel).
  static TableScope FromList(bool allGroups, int shownItem, const TDeviceData& data);

  int firstGroup(const TDeviceData& data) const;
  int endGroup(const TDeviceData& data) const;  // one past the last group covered
  int groupsCovered(const TDeviceData& data) const;
  bool includesSync() const { return kind != Kind::Group; }
};

struct TableSaveOptions {
  TableScope scope;
  bool legacy = false;  // "Save legacy (no lock/hidden)": frequencies only
};

struct TableLoadOptions {
  TableScope scope;
  // "Load Out Freq. (lock->Hidden)": a locked channel whose frequency the transmitter
  // refuses is loaded hidden and not locked instead.
  bool outLockToHidden = false;
};

// Section name of group g for this model ("GROUP%02d" of g, or of g + 1 for codes 1, 2).
std::string GroupSectionName(const TDeviceData& data, int group);

// Frequency value of a file: the part before the last "," or "." counts, converted to an
// integer (0 when it is not a number). Returns true when the transmitter accepts it.
bool ParseFileFrequency(const std::string& text, const TDeviceData& data, int32_t& freqKHz);

// Flag value of a file: 0 = set, 1 = clear (text that is not a number counts as 1);
// anything else, and an empty or missing value, gives nothing.
enum class FileFlag { NotGiven, Set, Clear };
FileFlag ParseFileFlag(const std::string& text);

// A name from a file as n bytes for the transmitter: characters below 32 or above 126
// become blanks, an empty text becomes n blanks, a shorter text is padded with zeros.
std::string FileNameField(const std::string& text, size_t n);

// Reads the table from the transmitter into a new file at path (the file that stood
// there is replaced whole). An interrupted save keeps the sections read so far; a
// transmitter that stops answering leaves the old file untouched.
FileOpResult SaveFrequencyTable(Transactor& link, TDeviceData& data, const std::string& path,
                                const TableSaveOptions& options, FileProgress& progress);
// The same into an INI held in memory (nothing written to disk).
FileOpResult SaveFrequencyTable(Transactor& link, TDeviceData& data, IniFile& ini,
                                const TableSaveOptions& options, FileProgress& progress);

inline constexpr const char* kMsgNoTableInFile =
    "This file holds no frequency table for the groups chosen!";

// Writes the file's table to the transmitter. After it the tuning and tuned frequency in
// the device data are fresh; the front end repaints its frequency views.
// A file on disk that cannot be read, or holds none of the sections of the scope, is
// refused with one message before anything is sent.
FileOpResult LoadFrequencyTable(Transactor& link, TDeviceData& data, const std::string& path,
                                const TableLoadOptions& options, FileProgress& progress);
FileOpResult LoadFrequencyTable(Transactor& link, TDeviceData& data, const IniFile& ini,
                                const TableLoadOptions& options, FileProgress& progress);

}  // namespace zentra
