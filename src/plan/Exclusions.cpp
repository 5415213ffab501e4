#include "plan/Exclusions.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "plan/Coordination.h"

namespace zentra::plan {

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '"')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '"' || s.back() == '\r')) {
    s.remove_suffix(1);
  }
  return s;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return out;
}

std::optional<int> WholeNumber(std::string_view s) {
  s = Trim(s);
  int value = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return value;
}

// A decimal number in the C form (a decimal comma already made a point); nothing else.
std::optional<double> Number(std::string_view s, bool decimalComma) {
  std::string text(Trim(s));
  if (decimalComma) std::replace(text.begin(), text.end(), ',', '.');
  if (!text.empty() && text.front() == '+') text.erase(0, 1);
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::vector<std::string_view> Split(std::string_view line, char separator) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  while (true) {
    const size_t cut = line.find(separator, start);
    fields.push_back(line.substr(start, cut == std::string_view::npos ? std::string_view::npos : cut - start));
    if (cut == std::string_view::npos) return fields;
    start = cut + 1;
  }
}

enum class Unit { Unknown, Hz, KHz, MHz };

Unit UnitOfHeader(const std::string& name) {
  if (name.find("mhz") != std::string::npos) return Unit::MHz;
  if (name.find("khz") != std::string::npos) return Unit::KHz;
  if (name.find("hz") != std::string::npos) return Unit::Hz;
  return Unit::Unknown;
}

bool IsFrequencyName(const std::string& name) {
  return name.find("freq") != std::string::npos || UnitOfHeader(name) != Unit::Unknown;
}

bool IsLevelName(const std::string& name) {
  for (const char* word : {"dbm", "level", "amplitude", "rssi", "power", "signal", "db"}) {
    if (name.find(word) != std::string::npos) return true;
  }
  return false;
}

std::string LineText(int line) { return "line " + std::to_string(line) + ": "; }

}  // namespace

std::optional<FreqRange> ParseRangeMHz(std::string_view text) {
  const size_t dash = text.find('-');
  if (dash == std::string_view::npos) return std::nullopt;
  const auto lo = ParseMHz(Trim(text.substr(0, dash)));
  const auto hi = ParseMHz(Trim(text.substr(dash + 1)));
  if (!lo || !hi || *lo <= 0 || *lo >= *hi) return std::nullopt;
  return FreqRange{*lo, *hi, "typed"};
}

std::string RangeText(const FreqRange& range) {
  return MHzText(range.lowKHz) + "-" + MHzText(range.highKHz);
}

int FirstTvChannel(TvRaster raster) { return raster == TvRaster::Europe8MHz ? 21 : 14; }
int LastTvChannel(TvRaster raster) { return raster == TvRaster::Europe8MHz ? 69 : 83; }

std::optional<FreqRange> TvChannelRange(int channel, TvRaster raster) {
  if (channel < FirstTvChannel(raster) || channel > LastTvChannel(raster)) return std::nullopt;
  const int32_t width = static_cast<int32_t>(raster) * 1000;
  const int32_t low = 470000 + (channel - FirstTvChannel(raster)) * width;
  return FreqRange{low, low + width, "TV " + std::to_string(channel)};
}

bool ParseTvChannels(std::string_view list, TvRaster raster, std::vector<FreqRange>& out,
                     std::string& error) {
  const std::string rasterText = std::to_string(static_cast<int>(raster)) + " MHz";
  for (std::string_view item : Split(list, ',')) {
    item = Trim(item);
    if (item.empty()) continue;
    const size_t dash = item.find('-');
    const auto first = WholeNumber(item.substr(0, dash));
    const auto last = dash == std::string_view::npos ? first : WholeNumber(item.substr(dash + 1));
    if (!first || !last || *first > *last || !TvChannelRange(*first, raster) || !TvChannelRange(*last, raster)) {
      error = "TV channel \"" + std::string(item) + "\": the " + rasterText + " raster has channels " +
              std::to_string(FirstTvChannel(raster)) + " to " + std::to_string(LastTvChannel(raster));
      return false;
    }
    for (int c = *first; c <= *last; ++c) out.push_back(*TvChannelRange(c, raster));
  }
  return true;
}

ScanImport ParseScanCsv(std::string_view text) {
  ScanImport scan;
  int freqColumn = 0, levelColumn = 1;
  Unit unit = Unit::Unknown;
  std::vector<std::pair<double, double>> raw;  // frequency as written, level
  int lineNumber = 0;
  size_t start = 0;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") start = 3;
  while (start <= text.size()) {
    const size_t end = std::min(text.find('\n', start), text.size());
    const std::string_view line = Trim(text.substr(start, end - start));
    start = end + 1;
    ++lineNumber;
    if (line.empty() || line.front() == '#') continue;
    const char separator = line.find(';') != std::string_view::npos    ? ';'
                           : line.find('\t') != std::string_view::npos ? '\t'
                                                                       : ',';
    const std::vector<std::string_view> fields = Split(line, separator);
    const size_t needed = static_cast<size_t>(std::max(freqColumn, levelColumn)) + 1;
    const bool decimalComma = separator != ',';
    const auto f = fields.size() >= needed ? Number(fields[freqColumn], decimalComma) : std::nullopt;
    const auto l = fields.size() >= needed ? Number(fields[levelColumn], decimalComma) : std::nullopt;
    if (f && l) {
      if (*f <= 0) {
        scan.error = LineText(lineNumber) + "the frequency must be above 0";
        return scan;
      }
      raw.emplace_back(*f, *l);
      continue;
    }
    if (!raw.empty()) {
      scan.error = LineText(lineNumber) + "expected a frequency and a level in dBm";
      return scan;
    }
    // Before the first point: a header names the columns; anything else is passed over.
    int freq = -1, level = -1;
    for (size_t i = 0; i < fields.size(); ++i) {
      const std::string name = Lower(Trim(fields[i]));
      if (freq < 0 && IsFrequencyName(name)) {
        freq = static_cast<int>(i);
        unit = UnitOfHeader(name);
      } else if (level < 0 && IsLevelName(name)) {
        level = static_cast<int>(i);
      }
    }
    if (freq >= 0 && level >= 0) {
      freqColumn = freq;
      levelColumn = level;
    }
  }
  if (raw.empty()) {
    scan.error = "no scan points (lines of frequency and level in dBm) found";
    return scan;
  }
  if (unit == Unit::Unknown) {
    // No unit named: UHF in MHz is below 10 000, in kHz below 10 000 000.
    double top = 0;
    for (const auto& [f, l] : raw) top = std::max(top, f);
    unit = top < 10'000 ? Unit::MHz : top < 10'000'000 ? Unit::KHz : Unit::Hz;
  }
  const double toKHz = unit == Unit::MHz ? 1000.0 : unit == Unit::KHz ? 1.0 : 0.001;
  for (const auto& [f, l] : raw) {
    const double kHz = std::round(f * toKHz);
    if (kHz < 1 || kHz > 100'000'000) {
      scan.error = "a frequency of the scan is outside 1 kHz to 100 GHz";
      return scan;
    }
    scan.points.push_back({static_cast<int32_t>(kHz), l});
  }
  std::stable_sort(scan.points.begin(), scan.points.end(),
                   [](const ScanPoint& a, const ScanPoint& b) { return a.freqKHz < b.freqKHz; });
  scan.kHzUnit = unit == Unit::KHz;
  scan.ok = true;
  return scan;
}

std::vector<FreqRange> OccupiedRanges(const std::vector<ScanPoint>& points, double thresholdDbm) {
  std::vector<FreqRange> out;
  const size_t n = points.size();
  for (size_t i = 0; i < n;) {
    if (points[i].levelDbm <= thresholdDbm) {
      ++i;
      continue;
    }
    size_t last = i;
    while (last + 1 < n && points[last + 1].levelDbm > thresholdDbm) ++last;
    // Half-way to the neighbouring points below the threshold; a lone point at an edge
    // of the scan is widened by half the distance to its one neighbour.
    const int32_t f0 = points[i].freqKHz, f1 = points[last].freqKHz;
    const int32_t below = i > 0 ? (f0 - points[i - 1].freqKHz) / 2 : (last + 1 < n ? (points[last + 1].freqKHz - f1) / 2 : 0);
    const int32_t above = last + 1 < n ? (points[last + 1].freqKHz - f1) / 2 : below;
    out.push_back({std::max(1, f0 - below), f1 + above, "scan"});
    i = last + 1;
  }
  return MergeRanges(std::move(out));
}

std::vector<FreqRange> MergeRanges(std::vector<FreqRange> ranges) {
  std::sort(ranges.begin(), ranges.end(), [](const FreqRange& a, const FreqRange& b) {
    return std::pair(a.lowKHz, a.highKHz) < std::pair(b.lowKHz, b.highKHz);
  });
  std::vector<FreqRange> out;
  for (FreqRange& r : ranges) {
    if (!out.empty() && int64_t{r.lowKHz} <= int64_t{out.back().highKHz} + 1) {
      FreqRange& last = out.back();
      last.highKHz = std::max(last.highKHz, r.highKHz);
      if (last.source.find(r.source) == std::string::npos) last.source += ", " + r.source;
      continue;
    }
    out.push_back(std::move(r));
  }
  return out;
}

const FreqRange* ExcludedBy(int64_t kHz, const std::vector<FreqRange>& excluded) {
  for (const FreqRange& r : excluded) {
    if (r.Contains(kHz)) return &r;
  }
  return nullptr;
}

std::vector<int32_t> WithoutExcluded(const std::vector<int32_t>& candidatesKHz,
                                     const std::vector<FreqRange>& excluded) {
  const std::vector<FreqRange> merged = MergeRanges(excluded);
  std::vector<int32_t> out;
  for (int32_t f : candidatesKHz) {
    // Merged ranges are ascending: the first one ending at or above f decides.
    const auto it = std::lower_bound(merged.begin(), merged.end(), f,
                                     [](const FreqRange& r, int32_t v) { return r.highKHz < v; });
    if (it == merged.end() || !it->Contains(f)) out.push_back(f);
  }
  return out;
}

}  // namespace zentra::plan
