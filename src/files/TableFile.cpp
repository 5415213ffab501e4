#include "files/TableFile.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "device/FrequencyPlan.h"
#include "device/ModelTable.h"
#include "files/IniFile.h"

namespace zentra {

namespace {

std::string Fmt(const char* format, int a) {
  char buf[64];
  std::snprintf(buf, sizeof buf, format, a);
  return buf;
}

std::string Fmt(const char* format, int a, int b) {
  char buf[96];
  std::snprintf(buf, sizeof buf, format, a, b);
  return buf;
}

std::string ChannelKey(int c) { return Fmt("CH%02d", c); }
std::string ChannelKey(int c, const char* suffix) { return Fmt("CH%02d", c) + suffix; }

// Group number shown in the memo: 0-based for the new family, 1-based for the old.
int ShownGroup(const TDeviceData& data, int g) { return IsNewFamily(data.modelType) ? g : g + 1; }

void WriteDataSection(IniFile& ini, const TDeviceData& d) {
  ini.WriteString("DATA", "matricola", d.SerialText());
  ini.WriteString("DATA", "ID", d.IdText());
  ini.WriteInteger("DATA", "Channels", d.channelCount);
  ini.WriteInteger("DATA", "Groups", d.groupCount);
  ini.WriteInteger("DATA", "FreqMin", d.freqMinMHz);
  ini.WriteInteger("DATA", "FreqMax", d.freqMaxMHz);
  ini.WriteInteger("DATA", "Step", d.stepHz);
}

FileOpResult Finish(FileOpResult r, bool aborted, const char* doneText,
                    const char* interruptedText) {
  r.status = aborted ? FileOpStatus::Interrupted : FileOpStatus::Done;
  r.title = kTitleCompleted;
  r.message = aborted ? interruptedText : doneText;
  return r;
}

FileOpResult Lost(FileOpResult r) {
  r.status = FileOpStatus::DeviceLost;
  r.title = kTitleError;
  r.message = kMsgDeviceLost;
  return r;
}

FileOpResult FileFailed(FileOpResult r, const std::string& text) {
  r.status = FileOpStatus::FileError;
  r.title = kTitleError;
  r.message = text;
  return r;
}

}  // namespace

TableScope TableScope::FromList(bool allGroups, int shownItem, const TDeviceData& data) {
  if (allGroups) return All();
  if (data.syncSupported && shownItem == data.syncGroup) return SyncOnly();
  return OneGroup(shownItem);
}

int TableScope::firstGroup(const TDeviceData&) const { return kind == Kind::Group ? group : 0; }

int TableScope::endGroup(const TDeviceData& data) const {
  switch (kind) {
    case Kind::AllGroups: return data.groupCount;
    case Kind::Sync: return 0;
    case Kind::Group: return (group >= 0 && group < data.groupCount) ? group + 1 : group;
  }
  return 0;
}

int TableScope::groupsCovered(const TDeviceData& data) const {
  const int n = endGroup(data) - firstGroup(data);
  return n > 0 ? n : 0;
}

std::string GroupSectionName(const TDeviceData& data, int group) {
  return Fmt("GROUP%02d", IsNewFamily(data.modelType) ? group : group + 1);
}

bool ParseFileFrequency(const std::string& text, const TDeviceData& data, int32_t& freqKHz) {
  const size_t cut = text.find_last_of(",.");
  freqKHz = ToIntDef(cut == std::string::npos ? text : text.substr(0, cut), 0);
  return data.IsFrequencyAllowed(freqKHz);
}

FileFlag ParseFileFlag(const std::string& text) {
  if (text.empty()) return FileFlag::NotGiven;
  switch (ToIntDef(text, 1)) {
    case 0: return FileFlag::Set;
    case 1: return FileFlag::Clear;
    default: return FileFlag::NotGiven;
  }
}

std::string FileNameField(const std::string& text, size_t n) {
  return text.empty() ? std::string(n, ' ') : CleanTextField(text, n);
}

namespace {
// The name command pads with zero bytes itself: hand it the name without its padding.
std::string Unpadded(const std::string& field) { return field.substr(0, field.find('\0')); }
}  // namespace

// ---------------------------------------------------------------- save

namespace {

// What the walk read of one group; the section is written when the walk is over, so a
// channel read on the second try still stands in its place among the keys.
struct GroupRead {
  int group = 0;
  bool nameRead = false;
  std::string name;
  std::vector<bool> freqRead, flagsRead;
  std::vector<int32_t> freq;
  std::vector<bool> locked, hidden;
};

// A frequency off the transmitter's range or step is more likely a garbled reply than
// the table: a fault of the link, and the channel is read again (confirmed from then
// on). A plausible second answer is taken; an implausible one is believed only when the
// reads agree on it (the same garbling twice in a row is rare, but over thousands of
// channels on a poor link it happens).
bool PlausibleFrequency(const TDeviceData& d, int32_t freqKHz) {
  if (freqKHz < d.freqMinMHz * 1000 || freqKHz > d.freqMaxMHz * 1000) return false;
  return d.stepHz <= 0 || (static_cast<int64_t>(freqKHz) * 1000) % d.stepHz == 0;
}

bool ReadFrequencyChecked(CommandSet& commands, int c, int g, int32_t& freq) {
  int32_t first = 0;
  if (!commands.ReadChannelFrequency(c, g, first)) return false;
  if (PlausibleFrequency(commands.data(), first)) {
    freq = first;
    return true;
  }
  NoteFault(commands.link());
  int32_t second = 0;
  if (!commands.ReadChannelFrequency(c, g, second)) return false;
  if (PlausibleFrequency(commands.data(), second)) {
    freq = second;
    return true;
  }
  int32_t third = 0;
  if (second != first || !commands.ReadChannelFrequency(c, g, third) || third != second)
    return false;
  freq = second;
  return true;
}

// A write whose answer was lost or garbled may still have reached the transmitter: when
// trying it again fails too, reading the channel back tells whether it holds the value.
bool FrequencyHeld(CommandSet& reading, int c, int g, int32_t freq) {
  int32_t now = 0;
  return ReadFrequencyChecked(reading, c, g, now) && now == freq;
}

bool FlagsHeld(CommandSet& reading, int c, int g, bool locked, bool hidden) {
  bool l = false, h = false;
  return reading.ReadChannelFlags(c, g, l, h) && l == locked && h == hidden;
}

void WriteGroupSection(IniFile& ini, const TDeviceData& d, const GroupRead& r, bool legacy) {
  const std::string section = GroupSectionName(d, r.group);
  if (!legacy) {
    if (r.nameRead) ini.WriteString(section, "NAME", r.name);
    if (d.groupLockSupported) ini.WriteInteger(section, "LOCK", d.IsGroupLocked(r.group) ? 0 : 1);
    if (d.groupHiddenSupported) {
      ini.WriteInteger(section, "HIDDEN", d.IsGroupHidden(r.group) ? 0 : 1);
    }
  }
  for (size_t c = 0; c < r.freq.size(); ++c) {
    const int ch = static_cast<int>(c);
    if (r.freqRead[c]) ini.WriteInteger(section, ChannelKey(ch), r.freq[c]);
    if (!legacy && r.flagsRead[c]) {
      ini.WriteInteger(section, ChannelKey(ch, "_LOCK"), r.locked[c] ? 0 : 1);
      ini.WriteInteger(section, ChannelKey(ch, "_HIDDEN"), r.hidden[c] ? 0 : 1);
    }
  }
}

}  // namespace

FileOpResult SaveFrequencyTable(Transactor& link, TDeviceData& data, IniFile& ini,
                                const TableSaveOptions& options, FileProgress& progress) {
  FileOpResult result;
  const TDeviceData& d = data;
  CommandTally tally(progress, result);
  RetryList retries;
  // Every command of a save is a read.
  WalkReads reads(link, data, tally, retries, progress);
  CommandSet& commands = reads.commands();
  const bool legacy = options.legacy;
  const TableScope& scope = options.scope;

  WriteDataSection(ini, d);
  progress.Begin(legacy ? "Saving to file..." : "Saving file...",
                 scope.groupsCovered(d) * d.channelCount);
  Memo(progress, result, "Info:");
  Memo(progress, result, "");

  // Every group's reads, kept until the walk is over (retries hold on to them).
  std::vector<std::unique_ptr<GroupRead>> groups;
  bool aborted = false;
  int position = 0;
  for (int g = scope.firstGroup(d); g < scope.endGroup(d) && g < d.groupCount; ++g) {
    groups.push_back(std::make_unique<GroupRead>());
    GroupRead& r = *groups.back();
    r.group = g;
    const size_t n = static_cast<size_t>(std::max(d.channelCount, 0));
    r.freqRead.assign(n, false);
    r.flagsRead.assign(n, legacy || !d.channelFlagsSupported);
    r.freq.assign(n, 0);
    r.locked.assign(n, false);
    r.hidden.assign(n, false);
    if (!legacy && d.groupNamesSupported) {
      reads.Run(Fmt("Not read (name-group=%02d)", g + 1),
                [&commands, &r, g] { return r.nameRead = commands.ReadGroupName(g, r.name); });
    }
    for (int c = 0; c < d.channelCount; ++c) {
      const size_t i = static_cast<size_t>(c);
      // A channel that cannot be read is left out rather than given another channel's
      // value: loading the file then leaves that channel as it is.
      auto readFreq = [&commands, &r, c, g, i] {
        int32_t f = 0;
        const bool ok = ReadFrequencyChecked(commands, c, g, f);
        if (ok) r.freq[i] = f;
        r.freqRead[i] = ok;
        return ok;
      };
      auto readFlags = [&commands, &r, c, g, i] {
        bool locked = false, hidden = false;
        const bool ok = commands.ReadChannelFlags(c, g, locked, hidden);
        if (ok) {
          r.locked[i] = locked;
          r.hidden[i] = hidden;
        }
        r.flagsRead[i] = ok;
        return ok;
      };
      const std::string gapLine = Fmt("Not read (channel=%02d-group=%02d)", c, g + 1);
      reads.Run(gapLine, readFreq);
      if (!legacy && d.channelFlagsSupported) reads.Run(gapLine, readFlags);
      progress.SetPosition(++position);
      if (tally.lost()) return Lost(result);
      // Close stops the walk at the next command; the channels read so far are saved.
      if (progress.AbortRequested()) {
        aborted = true;
        break;
      }
    }
    if (aborted) break;
    Memo(progress, result, Fmt("Saved Group=%02d", legacy ? g + 1 : ShownGroup(d, g)));
  }

  bool syncNameRead = false, syncFreqRead = false;
  std::string syncName;
  int32_t syncFreq = 0;
  const bool sync = !legacy && !aborted && scope.includesSync() && d.syncSupported;
  if (sync) {
    if (d.groupNamesSupported) {
      reads.Run("Not read (SYNC name)",
                [&] { return syncNameRead = commands.ReadSyncGroupName(syncName); });
    }
    reads.Run("Not read (SYNC channel)", [&] {
      return syncFreqRead = ReadFrequencyChecked(commands, 0, d.syncGroup, syncFreq);
    });
    if (tally.lost()) return Lost(result);
    Memo(progress, result, "Sync");
  }

  // What failed is tried once more, unless the user stopped the save.
  retries.RunAgain(tally, progress, result, !aborted);
  if (tally.lost()) return Lost(result);

  for (const auto& r : groups) WriteGroupSection(ini, d, *r, legacy);
  if (sync) {
    if (syncNameRead) ini.WriteString("SYNC", "NAME", syncName);
    if (syncFreqRead) ini.WriteInteger("SYNC", "CH00", syncFreq);
  }
  FileOpResult done = Finish(result, aborted, kMsgFileSaved, "File saving Interrupted!");
  MarkGaps(done);
  return done;
}

FileOpResult SaveFrequencyTable(Transactor& link, TDeviceData& data, const std::string& path,
                                const TableSaveOptions& options, FileProgress& progress) {
  IniFile ini;  // a new file: nothing of the old one survives
  FileOpResult r = SaveFrequencyTable(link, data, ini, options, progress);
  if (r.status != FileOpStatus::Done && r.status != FileOpStatus::Interrupted) return r;
  if (ini.Save(path) != IniFile::Status::Ok) return FileFailed(r, ini.errorText());
  return r;
}

// ---------------------------------------------------------------- load

namespace {

struct ChannelFlagsFromFile {
  FileFlag lock = FileFlag::NotGiven;
  FileFlag hidden = FileFlag::NotGiven;
};

// The flags a channel gets: the file's where it gives them, else the transmitter's.
void MergeFlags(const ChannelFlagsFromFile& f, bool locked, bool hidden, bool& newLocked,
                bool& newHidden) {
  newLocked = f.lock == FileFlag::NotGiven ? locked : f.lock == FileFlag::Set;
  newHidden = f.hidden == FileFlag::NotGiven ? hidden : f.hidden == FileFlag::Set;
}

// Step 3 of a group: the channel lock and hidden flags the file gives. When it gives any,
// every channel's flags are read, and a channel is written only where the file's differ
// from what the transmitter holds.
void LoadChannelFlags(CommandSet& commands, WalkReads& reads, const IniFile& ini,
                      const std::string& section, int g, const TableLoadOptions& options,
                      CommandTally& tally, RetryList& retries, FileProgress& progress,
                      FileOpResult& result) {
  const TDeviceData& d = commands.data();
  CommandSet& reading = reads.commands();
  std::vector<ChannelFlagsFromFile> file(static_cast<size_t>(d.channelCount));
  bool anyGiven = false;
  for (int c = 0; c < d.channelCount; ++c) {
    auto& f = file[static_cast<size_t>(c)];
    f.lock = ParseFileFlag(ini.ReadString(section, ChannelKey(c, "_LOCK"), ""));
    f.hidden = ParseFileFlag(ini.ReadString(section, ChannelKey(c, "_HIDDEN"), ""));
    if (options.outLockToHidden && f.lock == FileFlag::Set) {
      const std::string text = ini.ReadString(section, ChannelKey(c), "");
      int32_t freq = 0;
      if (!text.empty() && !ParseFileFrequency(text, d, freq)) {
        f.lock = FileFlag::Clear;
        f.hidden = FileFlag::Set;
      }
    }
    anyGiven = anyGiven || f.lock != FileFlag::NotGiven || f.hidden != FileFlag::NotGiven;
  }
  if (!anyGiven) return;

  // Whether a channel of the group is known to stay visible, and whether channel 0 was
  // freed because the file hid them all: a channel read again later (after a lost or a
  // contradicted answer) may be hidden only where that leaves the group a channel.
  auto knownVisible = std::make_shared<bool>(false);
  auto freed = std::make_shared<bool>(false);
  bool hiddenChanged = false;
  bool allHidden = true;
  for (int c = 0; c < d.channelCount; ++c) {
    const auto f = file[static_cast<size_t>(c)];
    const std::string gapLine = Fmt("Not written (flags channel=%02d-group=%02d)", c, g + 1);
    auto again = [&commands, &reading, f, c, g, knownVisible, freed] {
      bool l = false, h = false;
      if (!reading.ReadChannelFlags(c, g, l, h)) return false;
      bool newLocked = false, newHidden = false;
      MergeFlags(f, l, h, newLocked, newHidden);
      if (newHidden && !h && (!*knownVisible || (c == 0 && *freed))) newHidden = false;
      if (newLocked == l && newHidden == h) return true;
      return commands.WriteChannelFlags(c, g, newLocked, newHidden) ||
             FlagsHeld(reading, c, g, newLocked, newHidden);
    };
    bool locked = false, hidden = false;
    bool read = false;
    reads.Run(gapLine, [&] { return read = reading.ReadChannelFlags(c, g, locked, hidden); },
              again);
    if (tally.lost()) return;
    if (!read) {
      // The transmitter's flags are unknown: leave the channel as it is for now, and
      // count it as visible so that no other channel is freed on a guess.
      allHidden = false;
      continue;
    }
    bool newLocked = false, newHidden = false;
    MergeFlags(f, locked, hidden, newLocked, newHidden);
    if (newLocked != locked || newHidden != hidden) {
      hiddenChanged = hiddenChanged || newHidden != hidden;
      if (!tally(commands.WriteChannelFlags(c, g, newLocked, newHidden))) {
        retries.Add(gapLine, [&commands, &reading, c, g, newLocked, newHidden] {
          return commands.WriteChannelFlags(c, g, newLocked, newHidden) ||
                 FlagsHeld(reading, c, g, newLocked, newHidden);
        });
      }
      if (tally.lost()) return;
    }
    allHidden = allHidden && newHidden;
    if (!newHidden) *knownVisible = true;
    // Stopped by the user: no channel is freed on the strength of a half-done group.
    if (progress.AbortRequested()) return;
  }
  if (hiddenChanged && allHidden && d.channelCount > 0) {
    *freed = true;
    auto free0 = [&commands, g] { return commands.WriteChannelFlags(0, g, false, false); };
    if (!tally(free0())) {
      retries.Add(Fmt("Not written (flags channel=%02d-group=%02d)", 0, g + 1), free0);
    }
    Memo(progress, result,
         Fmt("Not all channels hidden -> free Channel=%02d Group=%02d", 0, g + 1));
  }
}

}  // namespace

FileOpResult LoadFrequencyTable(Transactor& link, TDeviceData& data, const IniFile& ini,
                                const TableLoadOptions& options, FileProgress& progress) {
  FileOpResult result;
  CommandSet commands(link, data);
  TDeviceData& d = data;
  CommandTally tally(progress, result);
  RetryList retries;
  // The reads of the load (channel flags, the tuned channel, the tuning read back).
  WalkReads reads(link, data, tally, retries, progress);
  CommandSet& reading = reads.commands();
  const TableScope& scope = options.scope;
  // A write that fails is tried once more when the walk is over (writes of the same
  // value may be repeated without harm).
  auto write = [&](std::function<bool()> command, std::string gapLine) {
    if (!tally(command())) retries.Add(std::move(gapLine), std::move(command));
  };

  progress.Begin("Loading from file...", scope.groupsCovered(d) * d.channelCount);
  Memo(progress, result, "Warnings:");
  Memo(progress, result, "");

  bool aborted = false;
  int position = 0;
  for (int g = scope.firstGroup(d); g < scope.endGroup(d) && g < d.groupCount; ++g) {
    const std::string section = GroupSectionName(d, g);
    // Group flags: only the data model changes here; they reach the transmitter with
    // the lock bytes after the last group.
    if (d.groupLockSupported) {
      const std::string v = ini.ReadString(section, "LOCK", "");
      if (!v.empty()) d.SetGroupLock(g, ToIntDef(v, 1) == 0);
    }
    if (d.groupHiddenSupported) {
      const std::string v = ini.ReadString(section, "HIDDEN", "");
      if (!v.empty()) d.SetGroupHidden(g, ToIntDef(v, 1) == 0);
    }
    if (d.groupNamesSupported && ini.KeyExists(section, "NAME")) {
      const std::string name = Unpadded(FileNameField(ini.ReadString(section, "NAME", ""), 8));
      write([&commands, g, name] { return commands.WriteGroupName(g, name); },
            Fmt("Not written (name-group=%02d)", g + 1));
    }
    if (d.channelFlagsSupported) {
      LoadChannelFlags(commands, reads, ini, section, g, options, tally, retries, progress,
                       result);
    }
    if (tally.lost()) return Lost(result);
    if (progress.AbortRequested()) {
      aborted = true;
      break;
    }
    for (int c = 0; c < d.channelCount; ++c) {
      const std::string text = ini.ReadString(section, ChannelKey(c), "");
      if (!text.empty()) {
        int32_t freq = 0;
        if (ParseFileFrequency(text, d, freq)) {
          if (!tally(commands.WriteChannelFrequency(c, g, freq))) {
            retries.Add(Fmt("Not written (channel=%02d-group=%02d)", c, g + 1),
                        [&commands, &reading, c, g, freq] {
                          return commands.WriteChannelFrequency(c, g, freq) ||
                                 FrequencyHeld(reading, c, g, freq);
                        });
          }
        } else {
          char buf[160];
          std::snprintf(buf, sizeof buf, "Not Supported Freq %.60s (channel=%02d-group=%02d)",
                        text.c_str(), c, g + 1);
          Memo(progress, result, buf);
        }
      }
      progress.SetPosition(++position);
      if (tally.lost()) return Lost(result);
      // Close stops the walk at the next command; what was written so far stays.
      if (progress.AbortRequested()) {
        aborted = true;
        break;
      }
    }
    if (aborted) break;
    Memo(progress, result, Fmt("Loaded Group=%02d", ShownGroup(d, g)));
  }

  // The group masks go out even after an interruption, so that the flags of the
  // groups loaded so far reach the transmitter.
  if (d.groupLockSupported || d.groupHiddenSupported) {
    if (d.EveryGroupHidden()) {
      d.SetGroupHidden(0, false);
      Memo(progress, result, Fmt("Not all groups hidden -> free Group=%02d", 1));
    }
    write([&commands] { return commands.SendLockBytes(); }, "Not written (group lock and hidden flags)");
    if (tally.lost()) return Lost(result);
  }

  if (d.syncSupported && scope.includesSync() && !aborted) {
    if (d.groupNamesSupported) {
      const std::string name = ini.ReadString("SYNC", "NAME", "");
      if (!name.empty()) {
        const std::string field = Unpadded(FileNameField(name, 12));
        write([&commands, field] { return commands.WriteSyncGroupName(field); },
              "Not written (SYNC name)");
      }
    }
    const std::string text = ini.ReadString("SYNC", "CH00", "");
    if (!text.empty()) {
      int32_t freq = 0;
      if (ParseFileFrequency(text, d, freq)) {
        const int sg = d.syncGroup;
        write([&commands, sg, freq] { return commands.WriteChannelFrequency(0, sg, freq); },
              "Not written (SYNC channel)");
      } else {
        char buf[128];
        std::snprintf(buf, sizeof buf, "Not Supported Freq %.60s SYNC channel", text.c_str());
        Memo(progress, result, buf);
      }
    }
    if (tally.lost()) return Lost(result);
    Memo(progress, result, "Loaded SYNC");
  }

  // What failed is tried once more before the tuned channel is looked at, unless the
  // user stopped the load.
  retries.RunAgain(tally, progress, result, !aborted);
  if (tally.lost()) return Lost(result);

  // A hidden tuned channel could not be used any more: tune the sync channel instead.
  bool tunedHidden = false;
  if (d.syncSupported && d.curGroup >= 0 && d.curChannel >= 0 && d.curGroup != d.syncGroup) {
    // A channel whose flags cannot be read counts as hidden (no gap: the sync channel is
    // tuned instead).
    reads.Run("", [&] {
      tunedHidden = IsTunedChannelHidden(reads.transactor(), data, d.curGroup, d.curChannel);
      return true;
    });
  }
  if (tunedHidden) {
    const int sg = d.syncGroup;
    write([&commands, sg] { return commands.WriteGroupChannel(0, sg); }, "Not written (tuning)");
    Memo(progress, result,
         Fmt("Tuning Channel hidden (channel=%02d-group=%02d) -> Tune Sync channel",
             d.curChannel, d.curGroup + 1));
  }
  reads.Run("Not read (tuning)", [&reading] { return reading.ReadGroupChannel(); });
  reads.Run("Not read (tuned frequency)", [&reading] { return reading.ReadFrequency(); });
  retries.RunAgain(tally, progress, result, !aborted);
  if (tally.lost()) return Lost(result);
  FileOpResult done = Finish(result, aborted, kMsgFileLoaded, "File loaded Interrupted!");
  MarkGaps(done);
  return done;
}

FileOpResult LoadFrequencyTable(Transactor& link, TDeviceData& data, const std::string& path,
                                const TableLoadOptions& options, FileProgress& progress) {
  IniFile ini;
  if (ini.Load(path) != IniFile::Status::Ok) return FileFailed(FileOpResult{}, ini.errorText());
  // A file without a single section the load would use is no table of ours (a wrong
  // file picked, garbage): refuse it before anything reaches the transmitter.
  bool anySection = options.scope.includesSync() && ini.SectionExists("SYNC");
  for (int g = options.scope.firstGroup(data); g < options.scope.endGroup(data); ++g) {
    anySection = anySection || ini.SectionExists(GroupSectionName(data, g));
  }
  if (!anySection) return FileFailed(FileOpResult{}, kMsgNoTableInFile);
  return LoadFrequencyTable(link, data, ini, options, progress);
}

}  // namespace zentra
