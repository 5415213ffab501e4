// Frequency table files (.qdf) as plain tables for coordination and for exchange as CSV:
// reading the group and SYNC sections of a file, writing groups back into a file, and
// the conversions `.qdf` -> CSV and CSV -> `.qdf`.
//
// A file's groups keep the file's own numbering ("GROUP00" is group 00 in the table,
// "GROUP01" group 01), so a table goes back into the sections it came from whichever
// transmitter family wrote it. Flags follow the load's reading of a file (0 = set,
// 1 = clear, anything else no value).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "files/FileProgress.h"
#include "plan/Exclusions.h"
#include "plan/TableCsv.h"

namespace zentra {

class IniFile;

// The groups and the SYNC channel of a file. False, with a message naming the section
// and key, for a frequency that is not a whole number of kHz above 0.
bool ReadTablePlan(const IniFile& ini, plan::FrequencyTable& table, std::string& error);

// Writes the table's groups into ini: each group's section is replaced whole (keys in
// the order a save writes them); every other section stays as it is. Sections end up
// in the order DATA (and any other), groups ascending, SYNC.
void MergeTablePlan(const plan::FrequencyTable& table, IniFile& ini);

// A coordinated set into a group of a table: channel c (from 00) takes the c-th
// frequency. With hideRest the set's channels are made visible and every other channel
// up to channelCount hidden, so exactly the set is on air; otherwise the channels past
// the set stay as they were.
void PlaceSetInGroup(plan::TableGroup& group, const std::vector<int32_t>& freqsKHz, bool hideRest,
                     size_t channelCount);

// The checks an imported table must pass, from the file's DATA section (range, step,
// channel count) where it has one.
plan::CsvLimits CsvLimitsOf(const IniFile& ini);

// table export: the table of the .qdf at qdfPath as CSV at csvPath.
FileOpResult ExportTableCsv(const std::string& qdfPath, const std::string& csvPath);

// table import: the CSV at csvPath into the .qdf at qdfPath. An existing file is updated
// (the CSV's groups replace its groups; its DATA section and other groups stay); a new
// file holds the CSV's groups. The limits override those of the file's DATA section.
// Nothing is written when the CSV is refused.
struct CsvImportLimits {
  std::optional<int32_t> lowKHz, highKHz;
  int32_t stepHz = 0;  // 0: the file's step, if it gives one
};
FileOpResult ImportTableCsv(const std::string& csvPath, const std::string& qdfPath,
                            const CsvImportLimits& limits);

// Reads a spectrum scan export (see plan/Exclusions.h); the error names the file.
plan::ScanImport ReadScanFile(const std::string& path);

// Reads a .qdf into ini; a missing file gives an empty ini when allowMissing is set.
// False, with a message, when the file cannot be read.
bool OpenTableFile(const std::string& path, bool allowMissing, IniFile& ini, std::string& error);

}  // namespace zentra
