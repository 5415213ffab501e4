// A frequency table as plain data, and its CSV form for spreadsheets and other
// coordination tools: one row per channel with the columns
//   Group, Group name, Channel, Frequency (MHz), Lock, Hidden
// after a header row, fields quoted as RFC 4180 says, lines ending in CRLF.
// - Group is the number of the table file's group section ("00", "01", ...) or "SYNC"
//   for the sync channel; Channel is "00".."59" (the SYNC channel is "00").
// - Frequency is MHz with three decimals; Lock and Hidden read "yes", "no" or nothing
//   (the table gives no value: loading it leaves the transmitter's flag as it is).
// - A row with an empty Channel and Frequency carries the group's own lock and hidden
//   flags.
// - An empty Group name means the group has no name in the table.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentra::plan {

enum class Flag { NotGiven, Set, Clear };

struct TableChannel {
  int channel = 0;
  std::optional<int32_t> freqKHz;  // none: the table gives no frequency
  Flag lock = Flag::NotGiven;
  Flag hidden = Flag::NotGiven;
};

struct TableGroup {
  bool sync = false;
  int number = 0;  // the section number as the file writes it; unused for SYNC
  std::optional<std::string> name;
  Flag lock = Flag::NotGiven;    // the group's own flags
  Flag hidden = Flag::NotGiven;
  std::vector<TableChannel> channels;  // ascending channel numbers

  std::string label() const;  // "00" or "SYNC"
  // The carriers on air: channels with a frequency that are not hidden.
  std::vector<int32_t> ActiveKHz() const;
};

// Groups in ascending number, SYNC last.
struct FrequencyTable {
  std::vector<TableGroup> groups;
  const TableGroup* Find(bool sync, int number) const;
};

std::string TableToCsv(const FrequencyTable& table);

// What an imported frequency must satisfy. Unset limits are not checked.
struct CsvLimits {
  std::optional<int32_t> lowKHz, highKHz;  // inclusive
  int32_t stepHz = 0;                      // 0: no step check
  int maxGroupNumber = 40;
  int channelCount = 60;
};

struct CsvImport {
  bool ok = false;
  std::string error;  // "line N: ..." when not ok
  FrequencyTable table;
};

// Reads a CSV table. The first record must be the header (columns matched by name,
// without regard to case, in any order; further columns are ignored). Refused, with one
// message naming the line: a missing column, a short row, an unknown group or channel,
// a frequency that is not MHz with at most three decimals or breaks the limits, a flag
// that is not yes/no, a group or channel given twice, two names for one group, a name
// longer than the transmitter holds (8, SYNC 12), broken quoting.
CsvImport TableFromCsv(std::string_view text, const CsvLimits& limits);

// RFC 4180 records with the line each starts on; false (and `error`) on broken quoting.
struct CsvRecord {
  int line = 0;
  std::vector<std::string> fields;
};
bool ParseCsv(std::string_view text, std::vector<CsvRecord>& records, std::string& error);
// One field, quoted when it holds a comma, a quote, a line break or edge blanks.
std::string CsvField(std::string_view value);
// A field without the blanks and tabs around it, and text with its ASCII letters in lower
// case: how the CSV readers compare column titles and words.
std::string TrimField(std::string_view field);
std::string LowerAscii(std::string text);
// A field of decimal digits only, at most maxDigits of them (group and channel numbers;
// a spreadsheet drops the leading zero of "05"); nullopt for anything else.
std::optional<int> DigitsNumber(const std::string& text, size_t maxDigits);

}  // namespace zentra::plan
