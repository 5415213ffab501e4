#include "device/FullRead.h"

#include <algorithm>
#include <functional>
#include <utility>

#include "device/CommandSet.h"
#include "device/ConfirmedReads.h"
#include "device/Identification.h"
#include "device/MenuFlags.h"
#include "device/Settings.h"
#include "device/TDeviceData.h"

namespace zentra {

const char* ReadStepName(ReadStep step) {
  switch (step) {
    case ReadStep::DeviceId: return "ReadDeviceId";
    case ReadStep::SerialNumber: return "ReadSerialNumber";
    case ReadStep::TableSize: return "ReadTableSize";
    case ReadStep::TuningRange: return "ReadTuningRange";
    case ReadStep::TuningStep: return "ReadTuningStep";
    case ReadStep::Frequency: return "ReadFrequency";
    case ReadStep::GroupChannel: return "ReadGroupChannel";
    case ReadStep::Options: return "ReadOption";
    case ReadStep::InfoText: return "ReadInfoText";
    case ReadStep::Audio: return "ReadAudio";
    case ReadStep::ModelPanels: return "ReadMic";
    case ReadStep::RfPowerLevels: return "ReadRfPowerLevel";
    case ReadStep::BandTable: return "ReadBandTable";
    case ReadStep::Battery: return "ReadBattery";
    case ReadStep::RfPower: return "ReadRfPower";
    case ReadStep::Led: return "ReadLed";
    case ReadStep::Locks: return "ReadLocks";
    case ReadStep::HiddenFlags: return "ReadHiddenFlags";
    case ReadStep::Presets: return "ReadPresets";
  }
  return "";
}

bool FullReadResult::Failed(ReadStep step) const {
  return std::find(failedSteps.begin(), failedSteps.end(), step) != failedSteps.end();
}

FullReadResult FullRead(Transactor& link, TDeviceData& data, PresetStore& presets,
                        const FullReadOptions& options) {
  FullReadResult result;
  // Every value of the read is confirmed by a second read (see ConfirmedReads.h); the
  // group list shown afterwards is read as any group is.
  ConfirmingTransactor confirmed(link);
  CommandSet commands(confirmed, data);
  // A step that failed after the link's own retries runs once more when the read has
  // run through: a lost reply now and then is normal over IR and should not spoil the
  // whole read.
  std::vector<std::pair<ReadStep, std::function<bool()>>> again;
  auto step = [&](ReadStep which, std::function<bool()> read) {
    if (!read()) again.emplace_back(which, std::move(read));
    RunPump(options.pump);
  };

  // Nothing read from the transmitter before this one may shape what is shown now.
  data.ForgetSettings();
  // Identity with the full identification: model code and capability flags. Every later
  // step depends on them, so a failed identity read is repeated at once. A read that
  // fails again leaves the identity the poll read a moment ago (the one the window
  // shows); the identification runs from it all the same, so the capability flags are
  // always this transmitter's and never those of the one before.
  result.identified = commands.ReadDeviceId() || commands.ReadDeviceId();
  IdentifyCapabilities(data);
  if (!result.identified) result.failedSteps.push_back(ReadStep::DeviceId);
  RunPump(options.pump);
  step(ReadStep::SerialNumber, [&] { return commands.ReadSerialNumber(); });
  step(ReadStep::TableSize, [&] { return commands.ReadTableSize(); });
  step(ReadStep::TuningRange, [&] { return commands.ReadTuningRange(); });
  step(ReadStep::TuningStep, [&] { return commands.ReadTuningStep(); });
  step(ReadStep::Frequency, [&] { return commands.ReadFrequency(); });
  step(ReadStep::GroupChannel, [&] { return commands.ReadGroupChannel(); });

  if (data.optionsSupported) {
    step(ReadStep::Options, [&] { return commands.ReadOptionTexts(); });
    step(ReadStep::InfoText, [&] { return commands.ReadInfoText(); });
  }

  // Audio, then the model's lists with the microphone read.
  step(ReadStep::Audio, [&] { return RefreshAudio(confirmed, data); });
  step(ReadStep::ModelPanels, [&] { return RefreshModelPanels(confirmed, data); });

  if (data.bandPlanSupported) {
    step(ReadStep::RfPowerLevels, [&] { return LoadRfPowerLevels(confirmed, data); });
    LoadPowerSetting(confirmed, data);  // its result is not part of the read's verdict
    RunPump(options.pump);
    step(ReadStep::BandTable, [&] { return commands.ReadBandTable(); });
  }
  if (data.txNameSupported) {
    commands.ReadTxName();
    RunPump(options.pump);
  }
  if (data.bootVersionSupported) {
    LoadBootVersion(confirmed, data);
    RunPump(options.pump);
  }

  step(ReadStep::Battery, [&] { return commands.ReadBattery(); });
  step(ReadStep::RfPower, [&] { return commands.ReadRfPower(); });
  step(ReadStep::Led, [&] { return commands.ReadLed(); });
  step(ReadStep::Locks, [&] { return RefreshLockFlags(confirmed, data); });
  if (data.hiddenMenuSupported) {
    step(ReadStep::HiddenFlags, [&] { return RefreshHiddenFlags(confirmed, data); });
  }

  if (data.presetsSupported) {
    step(ReadStep::Presets, [&] { return ReadPresets(confirmed, data, presets); });
  } else {
    presets.Clear();
  }

  for (auto& [which, read] : again) {
    ++result.retriedSteps;
    if (!read()) result.failedSteps.push_back(which);
    RunPump(options.pump);
  }
  result.faulty = !result.failedSteps.empty();

  // The first entry of the group list, as the window's group selector loads it.
  if (options.readFirstGroup && data.groupCount > 0)
    result.firstGroup = ReadGroup(link, data, 0, options.pump);
  return result;
}

}  // namespace zentra
