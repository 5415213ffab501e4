// The full read of a newly identified transmitter: identity with the full
// identification, serial number, table size, tuning limits and step, tuning, options,
// audio, microphone and the model's lists, power levels and sub-band table, name, boot
// version, battery, RF power, LED, menu locks and hidden items, presets, and finally the
// first group of the frequency table. Every step runs even when an earlier one failed;
// a step that failed runs once more at the end, and only a step that fails again marks
// the read faulty.
#pragma once

#include <string>
#include <vector>

#include "device/FrequencyPlan.h"
#include "device/Presets.h"
#include "device/PumpHook.h"

namespace zentra {

class Transactor;
struct TDeviceData;

enum class ReadStep {
  DeviceId,
  SerialNumber,
  TableSize,
  TuningRange,
  TuningStep,
  Frequency,
  GroupChannel,
  Options,
  InfoText,
  Audio,
  ModelPanels,    // the microphone read of the model refresh
  RfPowerLevels,
  BandTable,
  Battery,
  RfPower,
  Led,
  Locks,
  HiddenFlags,
  Presets,
};

// Short name of a step for memo lines and the command line ("ReadTuningStep", ...).
const char* ReadStepName(ReadStep step);

struct FullReadResult {
  bool faulty = false;
  std::vector<ReadStep> failedSteps;  // failed even when run again, in the order they ran
  int retriedSteps = 0;               // steps that failed at first and were run again
  bool identified = false;            // ReadDeviceId succeeded
  GroupView firstGroup;               // the first entry of the group list, as read
  bool Failed(ReadStep step) const;
};

// The warning shown once after a faulty read.
inline constexpr const char* kReadErrorTitle = "WARNING";
inline constexpr const char* kReadErrorMessage =
    "A read error occurred reading data from IR device \n Please press disconnet/connect button";

struct FullReadOptions {
  bool readFirstGroup = true;  // load group 0 as the window's group list change does
  PumpHook pump;
};

// Runs the full read into data and the preset store.
FullReadResult FullRead(Transactor& link, TDeviceData& data, PresetStore& presets,
                        const FullReadOptions& options = {});

}  // namespace zentra
