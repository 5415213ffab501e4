#include "plan/TableCsv.h"

#include <algorithm>
#include <array>
#include <map>

#include "plan/Coordination.h"

namespace zentra::plan {

namespace {

std::string TwoDigits(int n) {
  std::string s = std::to_string(n);
  return s.size() < 2 ? "0" + s : s;
}

const char* FlagText(Flag f) {
  switch (f) {
    case Flag::Set: return "yes";
    case Flag::Clear: return "no";
    case Flag::NotGiven: break;
  }
  return "";
}

std::optional<Flag> ParseFlag(const std::string& text) {
  const std::string v = LowerAscii(TrimField(text));
  if (v.empty()) return Flag::NotGiven;
  for (const char* yes : {"yes", "y", "true", "1", "on"}) {
    if (v == yes) return Flag::Set;
  }
  for (const char* no : {"no", "n", "false", "0", "off"}) {
    if (v == no) return Flag::Clear;
  }
  return std::nullopt;
}


std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

void AddRow(std::string& out, std::initializer_list<std::string> fields) {
  bool first = true;
  for (const std::string& f : fields) {
    if (!first) out += ',';
    out += CsvField(f);
    first = false;
  }
  out += "\r\n";
}

enum Column { kGroup, kName, kChannel, kFrequency, kLock, kHidden, kColumns };
constexpr std::array<const char*, kColumns> kHeader = {"Group", "Group name", "Channel",
                                                       "Frequency (MHz)", "Lock", "Hidden"};

// Column indexes from the header; false with a message for a missing one.
bool MapColumns(const std::vector<std::string>& header, std::array<size_t, kColumns>& at,
                std::string& missing) {
  for (size_t c = 0; c < kColumns; ++c) {
    at[c] = SIZE_MAX;
    const std::string want = LowerAscii(kHeader[c]);
    for (size_t i = 0; i < header.size(); ++i) {
      const std::string have = LowerAscii(TrimField(header[i]));
      if (have == want || (c == kFrequency && (have == "frequency" || have == "frequency mhz"))) {
        at[c] = i;
        break;
      }
    }
    if (at[c] == SIZE_MAX) {
      missing = kHeader[c];
      return false;
    }
  }
  return true;
}

struct GroupSeen {
  TableGroup group;
  int nameLine = 0;
  int flagsLine = 0;
  std::map<int, int> channelLines;  // channel -> line
};

}  // namespace

std::string TableGroup::label() const { return sync ? "SYNC" : TwoDigits(number); }

std::vector<int32_t> TableGroup::ActiveKHz() const {
  std::vector<int32_t> out;
  for (const TableChannel& c : channels) {
    if (c.freqKHz && c.hidden != Flag::Set) out.push_back(*c.freqKHz);
  }
  return out;
}

const TableGroup* FrequencyTable::Find(bool sync, int number) const {
  for (const TableGroup& g : groups) {
    if (g.sync == sync && (sync || g.number == number)) return &g;
  }
  return nullptr;
}

std::string TrimField(std::string_view v) {
  while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
  while (!v.empty() && (v.back() == ' ' || v.back() == '\t')) v.remove_suffix(1);
  return std::string(v);
}

std::string LowerAscii(std::string v) {
  for (char& c : v) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return v;
}

std::optional<int> DigitsNumber(const std::string& text, size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits) return std::nullopt;
  int n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + (c - '0');
  }
  return n;
}

std::string CsvField(std::string_view value) {
  const bool quote = value.find_first_of(",\"\r\n") != std::string_view::npos ||
                     (!value.empty() && (value.front() == ' ' || value.back() == ' '));
  if (!quote) return std::string(value);
  std::string out = "\"";
  for (char c : value) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

bool ParseCsv(std::string_view text, std::vector<CsvRecord>& records, std::string& error) {
  records.clear();
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // byte-order mark
  size_t i = 0;
  int line = 1;
  auto lineEnd = [&](size_t at) { return text[at] == '\r' || text[at] == '\n'; };
  auto skipLineEnd = [&] {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    ++i;
    ++line;
  };
  while (i < text.size()) {
    CsvRecord record;
    record.line = line;
    for (;;) {
      std::string field;
      if (i < text.size() && text[i] == '"') {
        const int opened = line;
        ++i;
        for (;;) {
          if (i >= text.size()) {
            error = "line " + std::to_string(opened) + ": a quoted field is not closed";
            return false;
          }
          if (text[i] == '"') {
            if (i + 1 < text.size() && text[i + 1] == '"') {
              field += '"';
              i += 2;
              continue;
            }
            ++i;
            break;
          }
          if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) ++line;
          field += text[i++];
        }
        if (i < text.size() && text[i] != ',' && !lineEnd(i)) {
          error = "line " + std::to_string(line) + ": text after the closing quote of a field";
          return false;
        }
      } else {
        while (i < text.size() && text[i] != ',' && !lineEnd(i)) {
          if (text[i] == '"') {
            error = "line " + std::to_string(line) + ": a quote inside a field that is not quoted";
            return false;
          }
          field += text[i++];
        }
      }
      record.fields.push_back(std::move(field));
      if (i < text.size() && text[i] == ',') {
        ++i;
        continue;
      }
      break;
    }
    records.push_back(std::move(record));
    if (i < text.size()) skipLineEnd();
  }
  return true;
}

std::string TableToCsv(const FrequencyTable& table) {
  std::string out;
  AddRow(out, {kHeader[0], kHeader[1], kHeader[2], kHeader[3], kHeader[4], kHeader[5]});
  for (const TableGroup& g : table.groups) {
    const std::string name = g.name.value_or("");
    if (g.lock != Flag::NotGiven || g.hidden != Flag::NotGiven || g.channels.empty()) {
      AddRow(out, {g.label(), name, "", "", FlagText(g.lock), FlagText(g.hidden)});
    }
    for (const TableChannel& c : g.channels) {
      AddRow(out, {g.label(), name, TwoDigits(c.channel), c.freqKHz ? MHzText(*c.freqKHz) : "",
                   FlagText(c.lock), FlagText(c.hidden)});
    }
  }
  return out;
}

CsvImport TableFromCsv(std::string_view text, const CsvLimits& limits) {
  CsvImport result;
  std::vector<CsvRecord> records;
  if (!ParseCsv(text, records, result.error)) return result;
  auto blank = [](const CsvRecord& r) {
    return std::all_of(r.fields.begin(), r.fields.end(), [](const std::string& f) { return TrimField(f).empty(); });
  };
  auto it = std::find_if(records.begin(), records.end(), [&](const CsvRecord& r) { return !blank(r); });
  if (it == records.end()) {
    result.error = "line 1: no header row (Group, Group name, Channel, Frequency (MHz), Lock, Hidden)";
    return result;
  }
  std::array<size_t, kColumns> at{};
  std::string missing;
  if (!MapColumns(it->fields, at, missing)) {
    result.error = "line " + std::to_string(it->line) + ": missing column \"" + missing + "\"";
    return result;
  }
  const size_t needed = *std::max_element(at.begin(), at.end()) + 1;

  std::map<std::pair<int, int>, GroupSeen> groups;  // (sync ? 1 : 0, number) -> group
  for (++it; it != records.end(); ++it) {
    const CsvRecord& r = *it;
    if (blank(r)) continue;
    auto fail = [&](const std::string& why) {
      result.error = "line " + std::to_string(r.line) + ": " + why;
      return result;
    };
    if (r.fields.size() < needed) {
      return fail(std::to_string(r.fields.size()) + " fields, " + std::to_string(needed) + " expected");
    }
    const std::string groupText = TrimField(r.fields[at[kGroup]]);
    const bool sync = LowerAscii(groupText) == "sync";
    const auto number = DigitsNumber(groupText, 3);
    if (!sync && (!number || *number > limits.maxGroupNumber)) {
      return fail("group " + Quoted(groupText) + " is not a group number (00.." +
                  TwoDigits(limits.maxGroupNumber) + ") or SYNC");
    }
    GroupSeen& seen = groups[{sync ? 1 : 0, sync ? 0 : *number}];
    TableGroup& group = seen.group;
    group.sync = sync;
    group.number = sync ? 0 : *number;

    const std::string name = TrimField(r.fields[at[kName]]);
    const size_t nameLength = sync ? 12 : 8;
    if (name.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) {
      return fail("group name " + Quoted(name) + " holds a line break");
    }
    if (name.size() > nameLength) {
      return fail("group name " + Quoted(name) + " is longer than " + std::to_string(nameLength) +
                  " characters");
    }
    if (!name.empty()) {
      if (group.name && *group.name != name) {
        return fail("group " + group.label() + " is named " + Quoted(name) + " here but " +
                    Quoted(*group.name) + " on line " + std::to_string(seen.nameLine));
      }
      if (!group.name) seen.nameLine = r.line;
      group.name = name;
    }

    const auto lock = ParseFlag(r.fields[at[kLock]]);
    const auto hidden = ParseFlag(r.fields[at[kHidden]]);
    if (!lock) return fail("Lock must be yes, no or empty, not " + Quoted(TrimField(r.fields[at[kLock]])));
    if (!hidden) return fail("Hidden must be yes, no or empty, not " + Quoted(TrimField(r.fields[at[kHidden]])));
    if (sync && (*lock != Flag::NotGiven || *hidden != Flag::NotGiven)) {
      return fail("the SYNC channel has no lock or hidden flag");
    }

    const std::string channelText = TrimField(r.fields[at[kChannel]]);
    const std::string freqText = TrimField(r.fields[at[kFrequency]]);
    if (channelText.empty()) {
      // The group's own row: its flags.
      if (!freqText.empty()) return fail("a frequency needs a channel");
      if (*lock == Flag::NotGiven && *hidden == Flag::NotGiven) continue;
      if (seen.flagsLine != 0) {
        return fail("the flags of group " + group.label() + " are also on line " + std::to_string(seen.flagsLine));
      }
      seen.flagsLine = r.line;
      group.lock = *lock;
      group.hidden = *hidden;
      continue;
    }
    const auto channel = DigitsNumber(channelText, 3);
    const int channelCount = sync ? 1 : limits.channelCount;
    if (!channel || *channel >= channelCount) {
      return fail("channel " + Quoted(channelText) + " is not a channel of " +
                  (sync ? std::string("SYNC (00)") : "the table (00.." + TwoDigits(channelCount - 1) + ")"));
    }
    if (const auto dup = seen.channelLines.find(*channel); dup != seen.channelLines.end()) {
      return fail("group " + group.label() + " channel " + TwoDigits(*channel) + " is also on line " +
                  std::to_string(dup->second));
    }
    seen.channelLines[*channel] = r.line;
    TableChannel c;
    c.channel = *channel;
    c.lock = *lock;
    c.hidden = *hidden;
    if (!freqText.empty()) {
      const auto kHz = ParseMHz(freqText);
      if (!kHz || *kHz <= 0) return fail("frequency " + Quoted(freqText) + " is not MHz with at most three decimals");
      if ((limits.lowKHz && *kHz < *limits.lowKHz) || (limits.highKHz && *kHz > *limits.highKHz)) {
        return fail(MHzText(*kHz) + " MHz is outside " + MHzText(limits.lowKHz.value_or(0)) + "-" +
                    (limits.highKHz ? MHzText(*limits.highKHz) : std::string("...")) + " MHz");
      }
      if (limits.stepHz > 0 && (int64_t{*kHz} * 1000) % limits.stepHz != 0) {
        return fail(MHzText(*kHz) + " MHz is not on the " + MHzText(limits.stepHz) + " kHz step");
      }
      c.freqKHz = *kHz;
    }
    group.channels.push_back(c);
  }

  for (auto& [key, seen] : groups) {
    std::sort(seen.group.channels.begin(), seen.group.channels.end(),
              [](const TableChannel& a, const TableChannel& b) { return a.channel < b.channel; });
    result.table.groups.push_back(std::move(seen.group));
  }
  result.ok = true;
  return result;
}

}  // namespace zentra::plan
