// The transmitter's RF power frequency profile: its sub-band table as rows (number,
// start and stop frequency in kHz, maximum power in mW) and as the steps of a plot of
// maximum power against frequency across the tuning range. Shared by the power profile
// dialog of the window and `zentra-cli power-profile`; nothing here talks to the
// transmitter, it shows what the full read put into the device data.
#pragma once

#include <cstdint>
#include <vector>

namespace zentra {

struct TDeviceData;

// Rows of the profile grid, always kMaxBands of them numbered 1..16; only the first
// bandCount carry a segment.
struct PowerProfileRow {
  int num = 0;
  bool filled = false;
  int32_t startKHz = 0;  // the first segment starts at the lower tuning limit, each
                         // later one a tuning step (whole kHz) above the previous edge
  int32_t stopKHz = 0;   // the segment's upper edge
  int32_t maxPowerMW = 0;  // 0: no transmission allowed
};
std::vector<PowerProfileRow> PowerProfileRows(const TDeviceData& data);

// One horizontal step of the plot: power maxPowerMW from fromKHz to toKHz.
struct PowerStep {
  int32_t fromKHz = 0;
  int32_t toKHz = 0;
  int32_t maxPowerMW = 0;
};
// The segments clipped to the tuning range (freqMinMHz..freqMaxMHz), in frequency
// order, each running up to where the next one starts. Segments wholly outside the
// range are left out; the range above the last edge has no limit in the table and is
// left out too. Empty when the transmitter has no band plan.
std::vector<PowerStep> PowerProfileSteps(const TDeviceData& data);

}  // namespace zentra
