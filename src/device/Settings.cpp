#include "device/Settings.h"

#include "device/FrequencyPlan.h"
#include "device/MenuFlags.h"
#include "device/TDeviceData.h"

namespace zentra {

namespace {

bool NewFamily(int model) { return model >= 3 && model <= 10; }

}  // namespace

// --- refreshes ---

bool RefreshAudio(Transactor& link, TDeviceData& data) {
  CommandSet commands(link, data);
  return data.audioExtended ? commands.ReadAudioEx() : commands.ReadAudio();
}

bool LoadRfPowerLevels(Transactor& link, TDeviceData& data) {
  CommandSet commands(link, data);
  // A table read before stays whole when this read fails part-way: its count and
  // entries are what the transmitter holds, a half-read table is not.
  const bool hadTable = data.rfLevelsRead != 0;
  const int heldCount = data.rfLevelCount;
  const auto heldNames = data.rfLevelNames;
  const auto heldValues = data.rfLevelValues;
  auto fail = [&] {
    if (hadTable) {
      data.rfLevelCount = heldCount;
      data.rfLevelNames = heldNames;
      data.rfLevelValues = heldValues;
    }
    return false;
  };
  if (!commands.ReadRfPowerLevelCount()) return fail();
  const int count = data.rfLevelCount;
  if (count < 1 || count > 7) return fail();
  for (int i = 0; i < count; ++i)
    if (!commands.ReadRfPowerLevel(i)) return fail();
  // The power list of the new family becomes the transmitter's own table; the position
  // in it is the index sent by the power write.
  if (NewFamily(data.modelType)) data.rfLevelsRead = 1;
  return true;
}

bool LoadPowerSetting(Transactor& link, TDeviceData& data) {
  return CommandSet(link, data).ReadPowerSetting();
}

bool LoadBootVersion(Transactor& link, TDeviceData& data) {
  return CommandSet(link, data).ReadBootVersion();
}

bool RefreshLed(Transactor& link, TDeviceData& data) { return CommandSet(link, data).ReadLed(); }

bool RefreshModelPanels(Transactor& link, TDeviceData& data) {
  CommandSet commands(link, data);
  const int model = data.modelType;
  if (model < 1 || model > 10) return false;
  if (model == 1 && !data.pttSupported) return true;  // no microphone setting to read
  if (model == 3 || (model >= 5 && model <= 9)) {
    // The power list is filled before the microphone is read: with the band plan from
    // the transmitter's own level table.
    if (data.bandPlanSupported) {
      LoadRfPowerLevels(link, data);
      LoadPowerSetting(link, data);
    }
  }
  if (commands.ReadMic()) return true;
  if ((model == 4 || model == 10) && data.bandPlanSupported) {
    LoadRfPowerLevels(link, data);
    LoadPowerSetting(link, data);
  }
  return false;
}

PanelsRead ReloadPanels(Transactor& link, TDeviceData& data) {
  CommandSet commands(link, data);
  PanelsRead read;
  read.audio = RefreshAudio(link, data);
  read.modelPanels = RefreshModelPanels(link, data);
  read.battery = commands.ReadBattery();
  read.rfPower = commands.ReadRfPower();
  read.led = RefreshLed(link, data);
  const bool tuning = commands.ReadGroupChannel();
  read.tuning = commands.ReadFrequency() && tuning;
  read.locks = RefreshLockFlags(link, data);
  read.hidden = !data.hiddenMenuSupported || RefreshHiddenFlags(link, data);
  return read;
}

// --- changes ---

AudioRequest CurrentAudio(const TDeviceData& data) {
  AudioRequest r;
  r.gain = data.audioGain;
  r.filter = data.audioFilter < 0 ? 0 : data.audioFilter;
  r.display = data.audioDisplay < 0 ? 0 : data.audioDisplay;
  r.limiter = data.audioLimiter != 0;
  r.preEmphasis = data.preEmphasis < 0 ? 0 : data.preEmphasis;
  r.modulation = data.audioMod;
  r.lowPass = data.audioLpf;
  return r;
}

SettingResult AudioChange(Transactor& link, TDeviceData& data, const AudioRequest& request) {
  SettingResult result;
  CommandSet commands(link, data);
  if (data.audioExtended) {
    const uint8_t modLpf = commands.ModLpfByte(request.modulation, request.lowPass);
    const uint8_t displayLimiter = commands.DisplayLimiterByte(request.display, request.limiter);
    result.written = commands.WriteAudioEx(request.gain, request.filter, displayLimiter,
                                           request.preEmphasis, modLpf);
  } else {
    result.written = commands.WriteAudio(request.gain, request.filter);
  }
  result.readBack = RefreshAudio(link, data);
  return result;
}

MicChangeResult MicChange(Transactor& link, TDeviceData& data, int mode, int phase,
                          int pttValue) {
  MicChangeResult result;
  result.written = CommandSet(link, data).WriteMic(mode, phase, pttValue, &result.message);
  // The PTT list, the gain minimum and the LED list depend on the mode: re-read all.
  result.micRead = RefreshModelPanels(link, data);
  result.ledRead = RefreshLed(link, data);
  result.audioRead = RefreshAudio(link, data);
  result.readBack = result.micRead && result.ledRead && result.audioRead;
  return result;
}

SettingResult RFPowerChange(Transactor& link, TDeviceData& data, int index) {
  SettingResult result;
  CommandSet commands(link, data);
  result.written = commands.WriteRfPower(index);
  result.readBack = commands.ReadRfPower();
  return result;
}

SettingResult BatteryTypeChange(Transactor& link, TDeviceData& data, int index) {
  SettingResult result;
  CommandSet commands(link, data);
  result.written = commands.WriteBatteryType(index);
  result.readBack = commands.ReadBattery();
  return result;
}

SettingResult LedChange(Transactor& link, TDeviceData& data, int light, int mode) {
  SettingResult result;
  CommandSet commands(link, data);
  result.written = commands.WriteLed(light, mode);
  result.readBack = commands.ReadLed();
  return result;
}

SettingResult GroupChannelChange(Transactor& link, TDeviceData& data, int group, int channel,
                                 const PumpHook& pump) {
  SettingResult result;
  if (data.syncSupported && group == data.syncGroup) {
    channel = 0;  // the SYNC group holds a single channel
    RunPump(pump);
  }
  CommandSet commands(link, data);
  if (!IsTunedChannelHidden(link, data, group, channel))
    result.written = commands.WriteGroupChannel(channel, group);
  const bool tuning = commands.ReadGroupChannel();
  const bool frequency = commands.ReadFrequency();
  result.readBack = tuning && frequency;
  return result;
}

SettingResult TxNameChange(Transactor& link, TDeviceData& data, const std::string& name) {
  SettingResult result;
  // WriteTxName reads the name back itself when the write succeeded. A refused or lost
  // write has emptied the name held: it is read again, so what is shown is the
  // transmitter's name and not an empty field.
  CommandSet commands(link, data);
  result.written = commands.WriteTxName(name);
  result.readBack = result.written || commands.ReadTxName();
  return result;
}

bool Button2Click(Transactor& link, TDeviceData& data) {
  return CommandSet(link, data).ReadBattery();
}

}  // namespace zentra
