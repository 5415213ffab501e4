#include "files/StationReport.h"

#include <algorithm>
#include <charconv>

#include "plan/TableCsv.h"

namespace zentra {

namespace {

constexpr const char* kResultTexts[] = {"OK", "FAILED", "INTERRUPTED", "ALREADY DONE", "REFUSED"};

const char* BaseText(StationOutcome outcome) { return kResultTexts[static_cast<int>(outcome)]; }

// "FAILED: rf-power not written" -> Failed, "rf-power not written".
bool ParseOutcome(const std::string& text, StationOutcome& outcome, std::string& what) {
  for (int i = 0; i < 5; ++i) {
    const std::string base = kResultTexts[i];
    if (text == base || text.rfind(base + ": ", 0) == 0) {
      outcome = static_cast<StationOutcome>(i);
      what = text.size() > base.size() ? text.substr(base.size() + 2) : "";
      return true;
    }
  }
  return false;
}

}  // namespace

std::string OutcomeText(const StationEntry& e) {
  std::string text = BaseText(e.outcome);
  if (!e.what.empty()) text += ": " + e.what;
  return text;
}

std::vector<std::string> StationReportHeader(const StationList& list) {
  std::vector<std::string> header = {"Line", "Serial", "Model", "Name", "Group", "Channel", "Frequency"};
  for (NamedSetting s : list.settingColumns) header.push_back(NamedSettingName(s));
  if (list.hasLock) header.push_back("Lock");
  if (list.hasHidden) header.push_back("Hidden");
  header.push_back("Result");
  header.push_back("Time");
  return header;
}

std::string StationReportCsv(const StationList& list, const std::vector<StationEntry>& entries) {
  std::string out;
  auto row = [&out](const std::vector<std::string>& fields) {
    for (size_t i = 0; i < fields.size(); ++i) out += (i ? "," : "") + plan::CsvField(fields[i]);
    out += "\r\n";
  };
  row(StationReportHeader(list));
  for (const StationEntry& e : entries) {
    std::vector<std::string> fields = {e.line > 0 ? std::to_string(e.line) : "", e.serial, e.model,
                                       e.name, e.group, e.channel, e.frequency};
    for (size_t i = 0; i < list.settingColumns.size(); ++i)
      fields.push_back(i < e.settings.size() ? e.settings[i] : "");
    if (list.hasLock) fields.push_back(e.lock);
    if (list.hasHidden) fields.push_back(e.hidden);
    fields.push_back(OutcomeText(e));
    fields.push_back(e.time);
    row(fields);
  }
  return out;
}

StationReportRead ParseStationReport(std::string_view text, const StationList& list) {
  StationReportRead result;
  std::vector<plan::CsvRecord> records;
  if (!plan::ParseCsv(text, records, result.error)) return result;
  const std::vector<std::string> header = StationReportHeader(list);
  auto blank = [](const plan::CsvRecord& r) {
    return std::all_of(r.fields.begin(), r.fields.end(), [](const std::string& f) { return f.empty(); });
  };
  auto it = std::find_if(records.begin(), records.end(), [&](const auto& r) { return !blank(r); });
  if (it == records.end()) {  // an empty file: nothing done yet
    result.ok = true;
    return result;
  }
  const bool anyEntry = std::any_of(it + 1, records.end(), [&](const auto& r) { return !blank(r); });
  if (!anyEntry) {  // only a header: nothing done yet, whichever list it was for
    result.ok = true;
    return result;
  }
  if (it->fields != header) {
    result.error = "it is not the report of this list (its columns differ)";
    return result;
  }
  const size_t settings = list.settingColumns.size();
  for (++it; it != records.end(); ++it) {
    if (blank(*it)) continue;
    const auto& f = it->fields;
    auto fail = [&](const std::string& why) {
      result.error = "line " + std::to_string(it->line) + ": " + why;
      result.entries.clear();
      return result;
    };
    if (f.size() != header.size()) {
      return fail(std::to_string(f.size()) + " fields, " + std::to_string(header.size()) + " expected");
    }
    StationEntry e;
    size_t at = 0;
    const std::string& lineText = f[at++];
    if (!lineText.empty()) {
      const auto [ptr, ec] = std::from_chars(lineText.data(), lineText.data() + lineText.size(), e.line);
      if (ec != std::errc() || ptr != lineText.data() + lineText.size() || e.line <= 0) {
        return fail("line number \"" + lineText + "\" is not a number");
      }
    }
    e.serial = f[at++];
    e.model = f[at++];
    e.name = f[at++];
    e.group = f[at++];
    e.channel = f[at++];
    e.frequency = f[at++];
    for (size_t i = 0; i < settings; ++i) e.settings.push_back(f[at++]);
    if (list.hasLock) e.lock = f[at++];
    if (list.hasHidden) e.hidden = f[at++];
    if (!ParseOutcome(f[at++], e.outcome, e.what)) return fail("result \"" + f[at - 1] + "\" is not a result");
    e.time = f[at++];
    result.entries.push_back(std::move(e));
  }
  result.ok = true;
  return result;
}

}  // namespace zentra
