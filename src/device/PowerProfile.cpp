#include "device/PowerProfile.h"

#include <algorithm>

#include "device/TDeviceData.h"

namespace zentra {

namespace {
// The table holds at most 15 segments; a count read beyond that is held at 15.
int SegmentCount(const TDeviceData& d) { return std::clamp(d.bandCount, 0, kMaxBands - 1); }
int32_t EdgeKHz(const TDeviceData& d, int r) { return d.bandEdgeMHz[r] * 1000 + d.bandEdgeKHz[r]; }
}  // namespace

std::vector<PowerProfileRow> PowerProfileRows(const TDeviceData& d) {
  std::vector<PowerProfileRow> rows(kMaxBands);
  const int count = SegmentCount(d);
  for (int r = 0; r < kMaxBands; ++r) {
    PowerProfileRow& row = rows[static_cast<size_t>(r)];
    row.num = r + 1;
    if (r >= count) continue;
    row.filled = true;
    row.startKHz = r == 0 ? d.freqMinMHz * 1000 : EdgeKHz(d, r - 1) + d.stepHz / 1000;
    row.stopKHz = EdgeKHz(d, r);
    row.maxPowerMW = d.bandAllowed[r];
  }
  return rows;
}

std::vector<PowerStep> PowerProfileSteps(const TDeviceData& d) {
  std::vector<PowerStep> steps;
  const int32_t low = d.freqMinMHz * 1000;
  const int32_t high = d.freqMaxMHz * 1000;
  if (high <= low) return steps;
  const std::vector<PowerProfileRow> rows = PowerProfileRows(d);
  for (size_t r = 0; r < rows.size() && rows[r].filled; ++r) {
    // A segment reaches up to where the next one starts, so the steps join up.
    const bool next = r + 1 < rows.size() && rows[r + 1].filled;
    const int32_t from = std::max(rows[r].startKHz, low);
    const int32_t to = std::min(next ? rows[r + 1].startKHz : rows[r].stopKHz, high);
    if (from >= to) continue;
    steps.push_back({from, to, rows[r].maxPowerMW});
  }
  return steps;
}

}  // namespace zentra
