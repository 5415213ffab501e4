#include "files/TableFile.h"

#include <cstdio>
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

FileOpResult SaveFrequencyTable(Transactor& link, TDeviceData& data, IniFile& ini,
                                const TableSaveOptions& options, FileProgress& progress) {
  FileOpResult result;
  CommandSet commands(link, data);
  const TDeviceData& d = data;
  CommandTally tally(progress, result);
  const bool legacy = options.legacy;
  const TableScope& scope = options.scope;

  WriteDataSection(ini, d);
  progress.Begin(legacy ? "Saving to file..." : "Saving file...",
                 scope.groupsCovered(d) * d.channelCount);
  Memo(progress, result, "Info:");
  Memo(progress, result, "");

  bool aborted = false;
  int position = 0;
  for (int g = scope.firstGroup(d); g < scope.endGroup(d) && g < d.groupCount; ++g) {
    const std::string section = GroupSectionName(d, g);
    if (!legacy) {
      std::string name;
      if (d.groupNamesSupported && tally(commands.ReadGroupName(g, name))) {
        ini.WriteString(section, "NAME", name);
      }
      if (d.groupLockSupported) ini.WriteInteger(section, "LOCK", d.IsGroupLocked(g) ? 0 : 1);
      if (d.groupHiddenSupported) {
        ini.WriteInteger(section, "HIDDEN", d.IsGroupHidden(g) ? 0 : 1);
      }
    }
    for (int c = 0; c < d.channelCount; ++c) {
      // A channel that cannot be read is left out rather than given another channel's
      // value: loading the file then leaves that channel as it is.
      int32_t freq = 0;
      const bool freqRead = tally(commands.ReadChannelFrequency(c, g, freq));
      if (freqRead) ini.WriteInteger(section, ChannelKey(c), freq);
      bool flagsRead = true;
      if (!legacy) {
        bool locked = false, hidden = false;
        if (d.channelFlagsSupported) flagsRead = tally(commands.ReadChannelFlags(c, g, locked, hidden));
        if (flagsRead) {
          ini.WriteInteger(section, ChannelKey(c, "_LOCK"), locked ? 0 : 1);
          ini.WriteInteger(section, ChannelKey(c, "_HIDDEN"), hidden ? 0 : 1);
        }
      }
      if (!freqRead || !flagsRead) {
        Memo(progress, result, Fmt("Not read (channel=%02d-group=%02d)", c, g + 1));
      }
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

  if (!legacy && !aborted && scope.includesSync() && d.syncSupported) {
    std::string name;
    if (d.groupNamesSupported && tally(commands.ReadSyncGroupName(name))) {
      ini.WriteString("SYNC", "NAME", name);
    }
    int32_t freq = 0;
    if (tally(commands.ReadChannelFrequency(0, d.syncGroup, freq))) {
      ini.WriteInteger("SYNC", "CH00", freq);
    }
    if (tally.lost()) return Lost(result);
    Memo(progress, result, "Sync");
  }
  return Finish(result, aborted, kMsgFileSaved, "File saving Interrupted!");
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

// Step 3 of a group: the channel lock and hidden flags the file gives.
void LoadChannelFlags(CommandSet& commands, const IniFile& ini, const std::string& section,
                      int g, const TableLoadOptions& options, CommandTally& tally,
                      FileProgress& progress, FileOpResult& result) {
  const TDeviceData& d = commands.data();
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

  bool hiddenChanged = false;
  bool allHidden = true;
  for (int c = 0; c < d.channelCount; ++c) {
    const auto& f = file[static_cast<size_t>(c)];
    bool locked = false, hidden = false;
    if (!tally(commands.ReadChannelFlags(c, g, locked, hidden))) {
      // The transmitter's flags are unknown: leave the channel as it is, and count it
      // as visible so that no other channel is freed on a guess.
      allHidden = false;
      if (tally.lost()) return;
      continue;
    }
    const bool newLocked = f.lock == FileFlag::NotGiven ? locked : f.lock == FileFlag::Set;
    const bool newHidden = f.hidden == FileFlag::NotGiven ? hidden : f.hidden == FileFlag::Set;
    if (newLocked != locked || newHidden != hidden) {
      hiddenChanged = hiddenChanged || newHidden != hidden;
      tally(commands.WriteChannelFlags(c, g, newLocked, newHidden));
      if (tally.lost()) return;
    }
    allHidden = allHidden && newHidden;
    // Stopped by the user: no channel is freed on the strength of a half-done group.
    if (progress.AbortRequested()) return;
  }
  if (hiddenChanged && allHidden && d.channelCount > 0) {
    tally(commands.WriteChannelFlags(0, g, false, false));
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
  const TableScope& scope = options.scope;

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
      tally(commands.WriteGroupName(
          g, Unpadded(FileNameField(ini.ReadString(section, "NAME", ""), 8))));
    }
    if (d.channelFlagsSupported) {
      LoadChannelFlags(commands, ini, section, g, options, tally, progress, result);
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
          tally(commands.WriteChannelFrequency(c, g, freq));
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
    tally(commands.SendLockBytes());
    if (tally.lost()) return Lost(result);
  }

  if (d.syncSupported && scope.includesSync() && !aborted) {
    if (d.groupNamesSupported) {
      const std::string name = ini.ReadString("SYNC", "NAME", "");
      if (!name.empty()) tally(commands.WriteSyncGroupName(Unpadded(FileNameField(name, 12))));
    }
    const std::string text = ini.ReadString("SYNC", "CH00", "");
    if (!text.empty()) {
      int32_t freq = 0;
      if (ParseFileFrequency(text, d, freq)) {
        tally(commands.WriteChannelFrequency(0, d.syncGroup, freq));
      } else {
        char buf[128];
        std::snprintf(buf, sizeof buf, "Not Supported Freq %.60s SYNC channel", text.c_str());
        Memo(progress, result, buf);
      }
    }
    if (tally.lost()) return Lost(result);
    Memo(progress, result, "Loaded SYNC");
  }

  // A hidden tuned channel could not be used any more: tune the sync channel instead.
  if (d.syncSupported && d.curGroup >= 0 && d.curChannel >= 0 && d.curGroup != d.syncGroup &&
      IsTunedChannelHidden(link, data, d.curGroup, d.curChannel)) {
    tally(commands.WriteGroupChannel(0, d.syncGroup));
    Memo(progress, result,
         Fmt("Tuning Channel hidden (channel=%02d-group=%02d) -> Tune Sync channel",
             d.curChannel, d.curGroup + 1));
  }
  tally(commands.ReadGroupChannel());
  tally(commands.ReadFrequency());
  if (tally.lost()) return Lost(result);
  return Finish(result, aborted, kMsgFileLoaded, "File loaded Interrupted!");
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
