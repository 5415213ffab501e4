#include "device/FullRead.h"

#include <algorithm>

#include "device/CommandSet.h"
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
  CommandSet commands(link, data);
  auto step = [&](ReadStep which, bool ok) {
    if (!ok) {
      result.faulty = true;
      result.failedSteps.push_back(which);
    }
    RunPump(options.pump);
  };

  // Nothing read from the transmitter before this one may shape what is shown now.
  data.ForgetSettings();
  // Identity with the full identification: model code and capability flags. A failed
  // read leaves the identity the poll read a moment ago (the one the window shows); the
  // identification runs from it all the same, so the capability flags are always this
  // transmitter's and never those of the one before.
  result.identified = commands.ReadDeviceId();
  IdentifyCapabilities(data);
  step(ReadStep::DeviceId, result.identified);
  step(ReadStep::SerialNumber, commands.ReadSerialNumber());
  step(ReadStep::TableSize, commands.ReadTableSize());
  step(ReadStep::TuningRange, commands.ReadTuningRange());
  step(ReadStep::TuningStep, commands.ReadTuningStep());
  step(ReadStep::Frequency, commands.ReadFrequency());
  step(ReadStep::GroupChannel, commands.ReadGroupChannel());

  if (data.optionsSupported) {
    step(ReadStep::Options, commands.ReadOptionTexts());
    step(ReadStep::InfoText, commands.ReadInfoText());
  }

  // Audio, then the model's lists with the microphone read.
  step(ReadStep::Audio, RefreshAudio(link, data));
  step(ReadStep::ModelPanels, RefreshModelPanels(link, data));

  if (data.bandPlanSupported) {
    step(ReadStep::RfPowerLevels, LoadRfPowerLevels(link, data));
    LoadPowerSetting(link, data);  // its result is not part of the read's verdict
    RunPump(options.pump);
    step(ReadStep::BandTable, commands.ReadBandTable());
  }
  if (data.txNameSupported) {
    commands.ReadTxName();
    RunPump(options.pump);
  }
  if (data.bootVersionSupported) {
    LoadBootVersion(link, data);
    RunPump(options.pump);
  }

  step(ReadStep::Battery, commands.ReadBattery());
  step(ReadStep::RfPower, commands.ReadRfPower());
  step(ReadStep::Led, commands.ReadLed());
  step(ReadStep::Locks, RefreshLockFlags(link, data));
  if (data.hiddenMenuSupported) step(ReadStep::HiddenFlags, RefreshHiddenFlags(link, data));

  if (data.presetsSupported) {
    step(ReadStep::Presets, ReadPresets(link, data, presets));
  } else {
    presets.Clear();
  }

  // The first entry of the group list, as the window's group selector loads it.
  if (options.readFirstGroup && data.groupCount > 0)
    result.firstGroup = ReadGroup(link, data, 0, options.pump);
  return result;
}

}  // namespace zentra
