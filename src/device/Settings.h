// The setting changes of the main panels as write-then-read-back operations, and the
// refreshes that read the settings into TDeviceData. What a panel shows afterwards is
// always the transmitter's answer (the fields of TDeviceData): a failed write shows the
// unchanged value. The updating / edit-lock checks stay in the front end; the values to
// put back on a refused change are the TDeviceData fields.
#pragma once

#include <string>

#include "device/CommandSet.h"
#include "device/PumpHook.h"

namespace zentra {

class Transactor;
struct TDeviceData;

struct SettingResult {
  bool written = false;   // the write was acknowledged
  bool readBack = false;  // the read-back (and follow-up refreshes) succeeded
  CommandMessage message; // "PTT mode not supported!" / "ERROR" of the microphone write
};

// --- refreshes ---
// ReadAudioEx (audioExtended) or ReadAudio.
bool RefreshAudio(Transactor& link, TDeviceData& data);
// Per-model refresh before the lists are rebuilt: for models 3 and 5..9 the power list
// rule (power levels and power setting with the band plan), then ReadMic. Model 1
// without PTT reads nothing and succeeds; models 4 and 10 load the power levels when the
// microphone read fails. False when ReadMic fails or the model is not 1..10.
bool RefreshModelPanels(Transactor& link, TDeviceData& data);
// ReadRfPowerLevelCount and each ReadRfPowerLevel; for models 3..10 the list becomes the
// transmitter's table (rfLevelsRead).
bool LoadRfPowerLevels(Transactor& link, TDeviceData& data);
bool LoadPowerSetting(Transactor& link, TDeviceData& data);
bool LoadBootVersion(Transactor& link, TDeviceData& data);
bool RefreshLed(Transactor& link, TDeviceData& data);  // ReadLed

// Every setting the main panels show, read again after many changed at once (a
// configuration load, a preset activation): audio, the model refresh with the
// microphone, battery, RF power, LED, tuning and frequency, the menu locks and, where the
// transmitter has them, the hidden items. Every read runs; each flag says whether it
// succeeded.
struct PanelsRead {
  bool audio = false;
  bool modelPanels = false;
  bool battery = false;
  bool rfPower = false;
  bool led = false;
  bool tuning = false;
  bool locks = false;
  bool hidden = false;
  bool ok() const {
    return audio && modelPanels && battery && rfPower && led && tuning && locks && hidden;
  }
};
PanelsRead ReloadPanels(Transactor& link, TDeviceData& data);

// --- changes ---
struct AudioRequest {
  int gain = 0;
  int filter = 0;
  int display = 0;        // 0 "AF In Gain", 1 "AF Max Lev"
  bool limiter = false;
  int preEmphasis = 0;
  int modulation = 0;     // 0 "Narrow", 1 "Wide"
  int lowPass = 0;
};
// The request that leaves every audio setting as held in data.
AudioRequest CurrentAudio(const TDeviceData& data);
SettingResult AudioChange(Transactor& link, TDeviceData& data, const AudioRequest& request);

// WriteMic with mode, phase and the device PTT value (PttIndexToValue of the list
// index), then the model refresh, the LED refresh and the audio refresh. Each of the
// three re-reads says whether it came: a list that depends on it is rebuilt only then.
struct MicChangeResult : SettingResult {
  bool micRead = false;    // the microphone read of the model refresh
  bool ledRead = false;
  bool audioRead = false;
};
MicChangeResult MicChange(Transactor& link, TDeviceData& data, int mode, int phase,
                          int pttValue);
SettingResult RFPowerChange(Transactor& link, TDeviceData& data, int index);
SettingResult BatteryTypeChange(Transactor& link, TDeviceData& data, int index);
SettingResult LedChange(Transactor& link, TDeviceData& data, int light, int mode);
// Tuning from the group and channel lists: the SYNC group forces channel 0; a hidden
// channel is not tuned; the tuning and frequency are read back in any case.
SettingResult GroupChannelChange(Transactor& link, TDeviceData& data, int group,
                                 int channel, const PumpHook& pump = {});
// WriteTxName, which reads the name back on success; after a failed write the name is
// read again.
SettingResult TxNameChange(Transactor& link, TDeviceData& data, const std::string& name);
// The battery re-read button.
bool Button2Click(Transactor& link, TDeviceData& data);

}  // namespace zentra
