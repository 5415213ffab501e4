#include "files/TablePlan.h"

#include <algorithm>
#include <map>

#include "files/IniFile.h"
#include "files/TableFile.h"
#include "files/TextFile.h"

namespace zentra {

namespace {

using plan::Flag;
using plan::TableChannel;
using plan::TableGroup;

std::string Upper(std::string v) {
  for (char& c : v) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  return v;
}

// The number after `prefix` in an upper-case name: one to three digits, nothing else.
std::optional<int> NumberAfter(const std::string& name, const std::string& prefix, size_t end) {
  if (name.compare(0, prefix.size(), prefix) != 0 || end <= prefix.size() || end - prefix.size() > 3) {
    return std::nullopt;
  }
  int n = 0;
  for (size_t i = prefix.size(); i < end; ++i) {
    if (name[i] < '0' || name[i] > '9') return std::nullopt;
    n = n * 10 + (name[i] - '0');
  }
  return n;
}

Flag FlagOf(const std::string& text) {
  switch (ParseFileFlag(text)) {
    case FileFlag::Set: return Flag::Set;
    case FileFlag::Clear: return Flag::Clear;
    case FileFlag::NotGiven: break;
  }
  return Flag::NotGiven;
}

void WriteFlag(IniFile& ini, const std::string& section, const std::string& key, Flag f) {
  if (f != Flag::NotGiven) ini.WriteInteger(section, key, f == Flag::Set ? 0 : 1);
}

std::string ChannelKey(int c) {
  std::string n = std::to_string(c);
  return "CH" + (n.size() < 2 ? "0" + n : n);
}

// A group or SYNC section of the file: which one it is.
struct SectionId {
  bool sync = false;
  int number = 0;
};
std::optional<SectionId> TableSection(const std::string& name) {
  const std::string upper = Upper(name);
  if (upper == "SYNC") return SectionId{true, 0};
  if (const auto n = NumberAfter(upper, "GROUP", upper.size())) return SectionId{false, *n};
  return std::nullopt;
}

// Reads one group or SYNC section.
bool ReadSection(const IniFile& ini, const std::string& section, TableGroup& group, std::string& error) {
  std::map<int, TableChannel> channels;
  for (const std::string& key : ini.KeyNames(section)) {
    const std::string upper = Upper(key);
    const std::string value = ini.ReadString(section, key, "");
    if (upper == "NAME") {
      group.name = value;
      continue;
    }
    if (group.sync) {
      if (upper != "CH00" || value.empty()) continue;
    } else if (upper == "LOCK" || upper == "HIDDEN") {
      (upper == "LOCK" ? group.lock : group.hidden) = FlagOf(value);
      continue;
    }
    const size_t cut = upper.find('_');
    const auto c = NumberAfter(upper, "CH", cut == std::string::npos ? upper.size() : cut);
    if (!c) continue;
    TableChannel& ch = channels[*c];
    ch.channel = *c;
    const std::string suffix = cut == std::string::npos ? "" : upper.substr(cut);
    if (suffix == "_LOCK") {
      ch.lock = FlagOf(value);
    } else if (suffix == "_HIDDEN") {
      ch.hidden = FlagOf(value);
    } else if (suffix.empty() && !value.empty()) {
      const int kHz = ToIntDef(value, 0);
      if (kHz <= 0 || value.find_first_not_of("0123456789") != std::string::npos) {
        error = section + " " + key + ": \"" + value + "\" is not a frequency in whole kHz";
        return false;
      }
      ch.freqKHz = kHz;
    }
  }
  for (auto& [c, ch] : channels) group.channels.push_back(ch);
  return true;
}

void WriteGroup(const TableGroup& g, IniFile& ini) {
  const std::string section = g.sync ? "SYNC" : "GROUP" + g.label();
  if (g.name) ini.WriteString(section, "NAME", *g.name);
  if (!g.sync) {
    WriteFlag(ini, section, "LOCK", g.lock);
    WriteFlag(ini, section, "HIDDEN", g.hidden);
  }
  for (const TableChannel& c : g.channels) {
    const std::string key = ChannelKey(c.channel);
    if (c.freqKHz) ini.WriteInteger(section, key, *c.freqKHz);
    if (g.sync) continue;
    WriteFlag(ini, section, key + "_LOCK", c.lock);
    WriteFlag(ini, section, key + "_HIDDEN", c.hidden);
  }
}

FileOpResult Failed(const std::string& message) {
  FileOpResult r;
  r.status = FileOpStatus::FileError;
  r.title = kTitleError;
  r.message = message;
  return r;
}

FileOpResult Completed(const std::string& message) {
  FileOpResult r;
  r.title = kTitleCompleted;
  r.message = message;
  return r;
}

std::string CountText(const plan::FrequencyTable& table) {
  size_t channels = 0;
  for (const TableGroup& g : table.groups) channels += g.channels.size();
  return std::to_string(table.groups.size()) + " group(s), " + std::to_string(channels) + " channel(s)";
}

}  // namespace

bool ReadTablePlan(const IniFile& ini, plan::FrequencyTable& table, std::string& error) {
  table.groups.clear();
  for (const std::string& section : ini.SectionNames()) {
    const auto id = TableSection(section);
    if (!id) continue;
    TableGroup g;
    g.sync = id->sync;
    g.number = id->number;
    if (!ReadSection(ini, section, g, error)) return false;
    table.groups.push_back(std::move(g));
  }
  std::stable_sort(table.groups.begin(), table.groups.end(), [](const TableGroup& a, const TableGroup& b) {
    return std::pair(a.sync, a.number) < std::pair(b.sync, b.number);
  });
  return true;
}

void MergeTablePlan(const plan::FrequencyTable& table, IniFile& ini) {
  // The sections the file had, each as it was unless the table replaces it.
  std::map<std::pair<bool, int>, std::map<std::string, std::string>> kept;
  std::map<std::pair<bool, int>, std::vector<std::string>> keptOrder;
  for (const std::string& section : ini.SectionNames()) {
    const auto id = TableSection(section);
    if (!id) continue;
    const auto key = std::pair(id->sync, id->sync ? 0 : id->number);
    for (const std::string& k : ini.KeyNames(section)) {
      keptOrder[key].push_back(k);
      kept[key][k] = ini.ReadString(section, k, "");
    }
    ini.DeleteSection(section);
  }
  std::map<std::pair<bool, int>, const TableGroup*> fromTable;
  for (const TableGroup& g : table.groups) fromTable[{g.sync, g.sync ? 0 : g.number}] = &g;
  std::vector<std::pair<bool, int>> order;
  for (const auto& [key, keys] : keptOrder) order.push_back(key);
  for (const auto& [key, group] : fromTable) order.push_back(key);
  std::sort(order.begin(), order.end());
  order.erase(std::unique(order.begin(), order.end()), order.end());
  for (const auto& key : order) {
    if (const auto it = fromTable.find(key); it != fromTable.end()) {
      WriteGroup(*it->second, ini);
      continue;
    }
    TableGroup label;
    label.sync = key.first;
    label.number = key.second;
    const std::string section = label.sync ? "SYNC" : "GROUP" + label.label();
    for (const std::string& k : keptOrder[key]) ini.WriteString(section, k, kept[key][k]);
  }
}

void PlaceSetInGroup(plan::TableGroup& g, const std::vector<int32_t>& freqsKHz, bool hideRest,
                     size_t channelCount) {
  const size_t count = hideRest ? std::max(freqsKHz.size(), channelCount) : freqsKHz.size();
  for (size_t c = 0; c < count; ++c) {
    auto it = std::find_if(g.channels.begin(), g.channels.end(),
                           [&](const TableChannel& ch) { return ch.channel == static_cast<int>(c); });
    if (it == g.channels.end()) {
      TableChannel added;
      added.channel = static_cast<int>(c);
      it = g.channels.insert(g.channels.end(), added);
    }
    if (c < freqsKHz.size()) it->freqKHz = freqsKHz[c];
    if (hideRest) it->hidden = c < freqsKHz.size() ? Flag::Clear : Flag::Set;
  }
  std::sort(g.channels.begin(), g.channels.end(),
            [](const TableChannel& x, const TableChannel& y) { return x.channel < y.channel; });
}

plan::CsvLimits CsvLimitsOf(const IniFile& ini) {
  plan::CsvLimits limits;
  const int low = ini.ReadInteger("DATA", "FreqMin", -1), high = ini.ReadInteger("DATA", "FreqMax", -1);
  if (low > 0 && high >= low && high < 1'000'000) {
    limits.lowKHz = low * 1000;
    limits.highKHz = high * 1000;
  }
  const int step = ini.ReadInteger("DATA", "Step", 0);
  if (step > 0) limits.stepHz = step;
  const int channels = ini.ReadInteger("DATA", "Channels", 0);
  if (channels >= 1 && channels <= 60) limits.channelCount = channels;
  const int groups = ini.ReadInteger("DATA", "Groups", 0);
  if (groups >= 1 && groups <= 40) limits.maxGroupNumber = groups;
  return limits;
}

plan::ScanImport ReadScanFile(const std::string& path) {
  std::string text, error;
  if (ReadWholeFile(path, IniFile::kMaxFileBytes * 4, text, error) != TextFileStatus::Ok) {
    plan::ScanImport failed;
    failed.error = error;
    return failed;
  }
  plan::ScanImport scan = plan::ParseScanCsv(text);
  if (!scan.ok) scan.error = path + ", " + scan.error;
  return scan;
}

bool OpenTableFile(const std::string& path, bool allowMissing, IniFile& ini, std::string& error) {
  const IniFile::Status st = ini.Load(path);
  if (st == IniFile::Status::Ok) return true;
  if (allowMissing && st == IniFile::Status::NotFound) {
    ini.Clear();
    return true;
  }
  error = ini.errorText();
  return false;
}

FileOpResult ExportTableCsv(const std::string& qdfPath, const std::string& csvPath) {
  IniFile ini;
  std::string error;
  plan::FrequencyTable table;
  if (!OpenTableFile(qdfPath, false, ini, error) || !ReadTablePlan(ini, table, error)) return Failed(error);
  if (!WriteWholeFile(csvPath, plan::TableToCsv(table), error)) return Failed(error);
  return Completed("Exported " + CountText(table) + " to " + csvPath);
}

FileOpResult ImportTableCsv(const std::string& csvPath, const std::string& qdfPath,
                            const CsvImportLimits& given) {
  std::string text, error;
  if (ReadWholeFile(csvPath, IniFile::kMaxFileBytes, text, error) != TextFileStatus::Ok) return Failed(error);
  IniFile ini;
  if (!OpenTableFile(qdfPath, true, ini, error)) return Failed(error);
  plan::CsvLimits limits = CsvLimitsOf(ini);
  if (given.lowKHz) limits.lowKHz = given.lowKHz;
  if (given.highKHz) limits.highKHz = given.highKHz;
  if (given.stepHz > 0) limits.stepHz = given.stepHz;
  const plan::CsvImport imported = plan::TableFromCsv(text, limits);
  if (!imported.ok) return Failed(csvPath + ", " + imported.error);
  MergeTablePlan(imported.table, ini);
  if (ini.Save(qdfPath) != IniFile::Status::Ok) return Failed(ini.errorText());
  return Completed("Imported " + CountText(imported.table) + " into " + qdfPath);
}

}  // namespace zentra
