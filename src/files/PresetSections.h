// The preset sections of a configuration file: "PRESET00", "PRESET01", ... one per
// preset of the transmitter, each holding the preset's name and every byte of its record
// under its own key. Bytes are written as signed 8-bit numbers ("%d"), and the low 8
// bits of a number read back are kept, so a byte with bit 7 set goes out negative and
// comes back unchanged. Values read from a file pass the per-model checks before they
// replace a record byte; refused values leave the byte as the transmitter had it.
#pragma once

#include <string>
#include <vector>

#include "device/Presets.h"

namespace zentra {

class IniFile;
class Transactor;

std::string PresetSectionName(int index);  // "PRESET%02d"

// Writes the sections of presets 0 .. min(presetCount, 10) - 1 from the store, which the
// caller has just re-read from the transmitter. With `read` given, a preset marked false
// (it could not be read) gets no section, and a section of it from an earlier save is
// removed.
void WritePresetSections(IniFile& ini, const TDeviceData& data, const PresetStore& store,
                         const std::vector<bool>& read = {});
// The gap line of a preset that could not be read: "Not read (preset=02)".
std::string PresetGapLine(int index);

// One preset's record with the values of its section applied, as far as they pass the
// checks; refused lists a line for every value present in the file and not taken.
struct PresetFromFile {
  bool hasName = false;
  std::string name;  // 8 bytes as they go to the transmitter (cleaned)
  PresetRecord record{};
  std::vector<std::string> refused;
};
PresetFromFile ReadPresetSection(const IniFile& ini, const TDeviceData& data, int index,
                                 const PresetRecord& stored);

struct PresetSectionsResult {
  bool ok = true;                     // every command succeeded
  int failedCommands = 0;
  std::vector<std::string> refused;   // "PRESET02: Gain=50 refused", ...
};

// Loads the sections into the transmitter: re-reads all presets, then for each preset
// below min(presetCount, 10) writes its name (never for FACTORY and USER) and its record
// with the file's valid values, then re-reads all presets into the store. The writes go
// over link, the reads over reads (the same link, or one that confirms its reads).
PresetSectionsResult LoadPresetSections(Transactor& link, Transactor& reads, TDeviceData& data,
                                        PresetStore& store, const IniFile& ini);

}  // namespace zentra
