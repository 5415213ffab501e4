// Parts of the band where no carrier of the plan may go: ranges the user types, TV
// channels by number, and the occupied stretches of a spectrum scan. A coordinated group
// takes its candidates from the tuning grid less every excluded range.
//
// TV channels follow two rasters: 8 MHz channels from 470 MHz (channel 21 = 470-478 MHz,
// up to channel 69 = 854-862 MHz) and 6 MHz channels from 470 MHz (channel 14 =
// 470-476 MHz, up to channel 83 = 884-890 MHz).
//
// A scan is the CSV that handheld scanners export: one line per point with a frequency
// and a level in dBm. The columns are found by their header names ("freq", "MHz",
// "kHz" ...; "dBm", "level", "amplitude" ...) or, without a header, taken as the first
// two; the unit of the frequency is the header's, or else kHz when the values are too
// large for MHz. A stretch of points above the threshold counts as occupied, widened by
// half the distance to the next point on each side.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentra::plan {

// An excluded stretch, both edges included, with what it came from ("typed",
// "TV 21", "scan") for the user.
struct FreqRange {
  int32_t lowKHz = 0;
  int32_t highKHz = 0;
  std::string source;
  bool Contains(int64_t kHz) const { return kHz >= lowKHz && kHz <= highKHz; }
  bool operator==(const FreqRange&) const = default;
};

// "470-478", "470.125-470.500" (MHz, at most three decimals; blanks allowed around the
// numbers). The low edge must be above 0 and below the high one.
std::optional<FreqRange> ParseRangeMHz(std::string_view text);
// "MHZ-MHZ" with three decimals.
std::string RangeText(const FreqRange& range);

enum class TvRaster { Europe8MHz = 8, America6MHz = 6 };
// The first and last channel numbers a raster has.
int FirstTvChannel(TvRaster raster);
int LastTvChannel(TvRaster raster);
// The range of one TV channel; nullopt for a number the raster has not.
std::optional<FreqRange> TvChannelRange(int channel, TvRaster raster);
// "21,23,30-32" into the ranges of those channels. False (and `error`) for anything
// that is not a channel number or a range of them of that raster.
bool ParseTvChannels(std::string_view list, TvRaster raster, std::vector<FreqRange>& out,
                     std::string& error);

struct ScanPoint {
  int32_t freqKHz = 0;
  double levelDbm = 0;
};

struct ScanImport {
  bool ok = false;
  std::string error;  // "line N: ..." or what is missing
  std::vector<ScanPoint> points;  // ascending frequency
  bool kHzUnit = false;           // the frequencies were given in kHz
};

// Reads a scan export. Lines that are not data (titles, comments, blank lines) before
// the first point are passed over; after it, a line whose frequency or level is not a
// number is refused, naming the line. Fields may be separated by ",", ";" or tabs; with
// ";" or tabs a decimal comma is read as a point.
ScanImport ParseScanCsv(std::string_view text);

// The stretches of the scan above the threshold (dBm), ascending and merged.
std::vector<FreqRange> OccupiedRanges(const std::vector<ScanPoint>& points, double thresholdDbm);

// Sorted and merged (touching or overlapping ranges become one; sources joined).
std::vector<FreqRange> MergeRanges(std::vector<FreqRange> ranges);

// The candidates outside every excluded range.
std::vector<int32_t> WithoutExcluded(const std::vector<int32_t>& candidatesKHz,
                                     const std::vector<FreqRange>& excluded);
// The first range holding f, if any.
const FreqRange* ExcludedBy(int64_t kHz, const std::vector<FreqRange>& excluded);

}  // namespace zentra::plan
