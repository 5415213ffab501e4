// The report of the programming station: one line per transmitter handled, with the
// list line it got, its serial and model, what it holds as read back (name, tuning, the
// settings of the list's columns, the menu flags), the result and the time. As CSV:
//   Line, Serial, Model, Name, Group, Channel, Frequency, <setting columns>, [Lock],
//   [Hidden], Result, Time
// fields quoted as RFC 4180 says, lines ending in CRLF. A report read back lets a run
// that stopped (or crashed) go on where it was: its OK lines count as done.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "files/StationList.h"

namespace zentra {

enum class StationOutcome { Ok, Failed, Interrupted, AlreadyDone, Refused };

struct StationEntry {
  int line = 0;  // the list line it got (or was refused, or already had); 0: none
  std::string serial;
  std::string model;
  std::string name;       // as read back; "" when the model has none or it was not read
  std::string group;      // as the model shows it
  std::string channel;    // "%02d"
  std::string frequency;  // MHz, three decimals
  std::vector<std::string> settings;  // one per setting column of the list, as read back
  std::string lock;       // the locked menu items ("tuning,rf-power", "none")
  std::string hidden;
  StationOutcome outcome = StationOutcome::Failed;
  std::string what;       // the reason of FAILED, INTERRUPTED and REFUSED
  std::string time;       // "YYYY-MM-DD HH:MM:SS", local time
  int requests = 0;       // requests sent from its arrival to its result
};

// "OK", "FAILED: what", "INTERRUPTED: what", "ALREADY DONE", "REFUSED: what".
std::string OutcomeText(const StationEntry& entry);

// The column titles of a report for this list.
std::vector<std::string> StationReportHeader(const StationList& list);
// The whole report file.
std::string StationReportCsv(const StationList& list, const std::vector<StationEntry>& entries);

struct StationReportRead {
  bool ok = false;
  std::string error;
  std::vector<StationEntry> entries;
};
// Reads a report written for this list. Refused: a report with lines whose header is not
// the one of this list's report (another list, or not a report), a line it cannot read.
// A file without any report line counts as nothing done yet.
StationReportRead ParseStationReport(std::string_view text, const StationList& list);

}  // namespace zentra
