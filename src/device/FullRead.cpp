#include "device/FullRead.h"

#include <algorithm>
#include <functional>
#include <optional>
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
  // Reads are sent once while the link has shown no fault, and confirmed from its
  // first fault on (see ConfirmedReads.h).
  ConfirmedReads reads(link.health());
  reads.betweenReads = [&options] { RunPump(options.pump); };
  ConfirmingTransactor confirmed(link, reads);
  CommandSet commands(confirmed, data);

  // Every step, so that one whose first answer a later read contradicts can be read
  // again; steps without a ReadStep give no verdict.
  struct Step {
    std::optional<ReadStep> which;
    std::function<bool()> read;
    bool failed = false;
  };
  std::vector<Step> steps;
  auto run = [&](size_t i) {
    reads.Step(static_cast<int>(i));
    steps[i].failed = !steps[i].read();
  };
  auto settle = [&] {
    for (int i : reads.TakeContradicted()) run(static_cast<size_t>(i));
  };
  auto step = [&](std::optional<ReadStep> which, std::function<bool()> read) {
    steps.push_back({which, std::move(read)});
    run(steps.size() - 1);
    settle();
    RunPump(options.pump);
  };

  // The identity the presence probe read a moment ago.
  const auto probed = data.idText;
  const bool probedKnown =
      std::any_of(probed.begin(), probed.end(), [](uint8_t b) { return b != 0; });
  // Nothing read from the transmitter before this one may shape what is shown now.
  data.ForgetSettings();
  // Identity with the full identification: model code and capability flags. Every later
  // step depends on them, so a failed identity read is repeated at once. A read that
  // fails again leaves the identity the poll read (the one the window shows); the
  // identification runs from it all the same, so the capability flags are always this
  // transmitter's and never those of the one before. An identity other than the one
  // the poll read moments ago is a garbled answer (one of the two): read again.
  step(std::nullopt, [&] {
    bool ok = commands.ReadDeviceId() || commands.ReadDeviceId();
    if (ok && probedKnown && data.idText != probed) {
      NoteFault(link);
      ok = commands.ReadDeviceId();
    }
    result.identified = ok;
    IdentifyCapabilities(data);
    return ok;
  });
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
    // The plug-ons and bodypacks read the power levels with their lists already: two
    // readings of one table that must agree (a garbled one shows here at no cost).
    const auto names = data.rfLevelNames;
    const auto values = data.rfLevelValues;
    const int count = data.rfLevelCount;
    step(ReadStep::RfPowerLevels, [&] {
      const bool ok = LoadRfPowerLevels(confirmed, data);
      if (ok && count > 0 &&
          (count != data.rfLevelCount || names != data.rfLevelNames || values != data.rfLevelValues))
        NoteFault(link);
      return ok;
    });
    step(std::nullopt, [&] { return LoadPowerSetting(confirmed, data); });
    step(ReadStep::BandTable, [&] { return commands.ReadBandTable(); });
  }
  if (data.txNameSupported) step(std::nullopt, [&] { return commands.ReadTxName(); });
  if (data.bootVersionSupported) step(std::nullopt, [&] { return LoadBootVersion(confirmed, data); });

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

  // A step that failed after the link's own retries runs once more when the read has
  // run through: a lost reply now and then is normal over IR and should not spoil the
  // whole read.
  for (size_t i = 0; i < steps.size(); ++i) {
    if (!steps[i].failed || !steps[i].which) continue;
    ++result.retriedSteps;
    run(i);
    settle();
    RunPump(options.pump);
  }
  if (!result.identified) result.failedSteps.push_back(ReadStep::DeviceId);
  for (const Step& s : steps)
    if (s.failed && s.which) result.failedSteps.push_back(*s.which);
  result.faulty = !result.failedSteps.empty();

  // The first entry of the group list, as the window's group selector loads it.
  if (options.readFirstGroup && data.groupCount > 0) {
    step(std::nullopt, [&] {
      result.firstGroup = ReadGroup(confirmed, data, 0, options.pump);
      return result.firstGroup.ok;
    });
  }
  return result;
}

}  // namespace zentra
