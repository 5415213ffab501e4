#include "files/ConfigFile.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "device/CommandSet.h"
#include "device/ModelTable.h"
#include "files/IniFile.h"
#include "files/PresetSections.h"

namespace zentra {

namespace {

constexpr const char* kData = "DATA";
constexpr const char* kConfig = "CONFIG";

FileOpResult Refused(FileOpStatus status, const char* title, const std::string& text) {
  FileOpResult r;
  r.status = status;
  r.title = title;
  r.message = text;
  return r;
}

FileOpResult NoDevice() { return Refused(FileOpStatus::NoDevice, kTitleWarning, kMsgConnectDevice); }

// A key counts as missing when reading it as an integer with default -1 gives -1.
bool Missing(const IniFile& ini, const char* key) { return ini.ReadInteger(kConfig, key, -1) == -1; }

// The gain is a number of dB and may well be -1, so it counts as present whenever it is
// a number.
bool GainMissing(const IniFile& ini) {
  const std::string text = ini.ReadString(kConfig, "Gain", "");
  return ToIntDef(text, 0) != ToIntDef(text, 1);  // differs only when it is no number
}

bool NotRead(int value) { return value == kNotRead; }

}  // namespace

const char* ConfigItemKey(ConfigItem item) {
  static const char* const keys[kConfigItemCount] = {
      "tuning", "audio", "mic", "ptt", "battery", "rfpower",
      "led", "lock", "hidden", "name", "presets", "activate"};
  const int i = static_cast<int>(item);
  return (i >= 0 && i < kConfigItemCount) ? keys[i] : "";
}

ConfigChoices DecideConfigChoices(const IniFile& ini, const TDeviceData& d) {
  ConfigChoices c;
  auto set = [&](ConfigItem item, const char* caption, bool available) {
    ConfigChoice& ch = c[static_cast<size_t>(item)];
    ch.caption = caption;
    ch.enabled = available;
    ch.checked = available;
  };
  const bool gainNotRead = !d.audioGainRead;  // an unread gain has its own marker

  set(ConfigItem::Tuning, "Tuning group/channel",
      !(Missing(ini, "Channel") || Missing(ini, "Group") || NotRead(d.curGroup) ||
        NotRead(d.curChannel)));

  const bool basicAudio = !(GainMissing(ini) || Missing(ini, "Filter") || gainNotRead ||
                            NotRead(d.audioFilter));
  if (d.audioExtended && d.audioModLpfSupported) {
    set(ConfigItem::Audio, "Audio gain/HP filter/Display dB-dBu/Audio LPF",
        basicAudio && !Missing(ini, "Display") && !Missing(ini, "AudioMOD") &&
            !Missing(ini, "AudioLPF") && !NotRead(d.audioDisplay));
  } else if (d.audioExtended) {
    set(ConfigItem::Audio, "Audio gain/HP filter/Display dB-dBu",
        basicAudio && !Missing(ini, "Display") && !NotRead(d.audioDisplay));
  } else {
    set(ConfigItem::Audio, "Audio gain/HP filter", basicAudio);
  }

  if (d.modelType == 4 || d.modelType == 10) {
    set(ConfigItem::Mic, "Microphone Phase", !(Missing(ini, "MicPhase") || NotRead(d.micPhase)));
  } else {
    set(ConfigItem::Mic, "Microphone Type/Phase",
        !(Missing(ini, "MicMode") || Missing(ini, "MicPhase") || NotRead(d.micMode) ||
          NotRead(d.micPhase)));
  }
  set(ConfigItem::PTT, "PTT mode",
      !(Missing(ini, "MicPTT") ||
        (ini.ReadInteger(kConfig, "MicPTT", -1) == 3 && !d.pttMode3Supported) ||
        NotRead(d.micPTT)));
  set(ConfigItem::Battery, "Battery type",
      !(Missing(ini, "BatteryType") || NotRead(d.batteryType)));
  set(ConfigItem::RFPower, "RF Power Level", !(Missing(ini, "RFPower") || NotRead(d.rfPower)));
  set(ConfigItem::Led, "Led Intensity/Mode",
      !(Missing(ini, "LedLight") || Missing(ini, "LedMode") || NotRead(d.ledLight) ||
        NotRead(d.ledMode)));
  // A transmitter of the old family without group locks has no lock bytes at all (its
  // lock boxes stay disabled and nothing is read): a lock write would go unanswered.
  const bool hasLocks = !IsOldFamily(d.modelType) || d.groupLockSupported;
  set(ConfigItem::Lock, "User Lock Menu", hasLocks && !Missing(ini, "Lock"));
  set(ConfigItem::Hidden, "User Menu Hidden", d.hiddenMenuSupported && !Missing(ini, "HiddenMenu"));
  set(ConfigItem::Name, "Tx Name", d.txNameSupported && ini.KeyExists(kConfig, "TxName"));

  const int presets = std::min<int>(d.presetCount, kMaxPresets);
  bool anySection = false;
  for (int i = 1; i < presets; ++i) anySection = anySection || ini.SectionExists(PresetSectionName(i));
  set(ConfigItem::Presets, "Presets", d.presetsSupported && anySection);

  // A file saved while no preset was active holds 255: there is nothing to activate then.
  const int active = ini.ReadInteger(kConfig, "PresetIndex", -1);
  set(ConfigItem::ActivatePreset, "Activate Preset",
      d.presetsSupported && active >= 0 && active < presets);
  return c;
}

ConfigSelection DefaultSelection(const ConfigChoices& choices) {
  ConfigSelection s{};
  for (size_t i = 0; i < s.size(); ++i) s[i] = choices[i].enabled && choices[i].checked;
  return s;
}

// ---------------------------------------------------------------- save

FileOpResult SaveConfiguration(Transactor& link, TDeviceData& d, PresetStore& store,
                               IniFile& ini) {
  if (d.modelType == 0) return NoDevice();
  FileOpResult result;

  ini.WriteString(kData, "ID", d.IdText());
  ini.WriteString(kData, "SN", d.SerialText());
  ini.WriteInteger(kData, "Channels", d.channelCount);
  ini.WriteInteger(kData, "Groups", d.groupCount);
  ini.WriteInteger(kData, "FreqMin", d.freqMinMHz);
  ini.WriteInteger(kData, "FreqMax", d.freqMaxMHz);
  ini.WriteInteger(kData, "Step", d.stepHz);

  ini.WriteInteger(kConfig, "Channel", d.curChannel);
  ini.WriteInteger(kConfig, "Group", d.curGroup);
  ini.WriteInteger(kConfig, "Gain", d.audioGain);
  ini.WriteInteger(kConfig, "Filter", d.audioFilter);
  ini.WriteInteger(kConfig, "Display", d.audioDisplay);
  if (d.micInputSupported) {
    ini.WriteInteger(kConfig, "Limiter", d.audioLimiter);
    ini.WriteInteger(kConfig, "MicMode", d.micMode);
  }
  ini.WriteInteger(kConfig, "MicPhase", d.micPhase);
  ini.WriteInteger(kConfig, "MicPTT", d.micPTT);
  ini.WriteInteger(kConfig, "BatteryType", d.batteryType);
  ini.WriteInteger(kConfig, "RFPower", d.rfPower);
  ini.WriteInteger(kConfig, "LedLight", d.ledLight);
  ini.WriteInteger(kConfig, "LedMode", d.ledMode);
  ini.WriteInteger(kConfig, "Lock", d.lockBits);
  ini.WriteInteger(kConfig, "Pre_emphasis", d.preEmphasis);
  // Written again where the limiter exists: the key keeps its place after "Display".
  if (d.limiterSupported) ini.WriteInteger(kConfig, "Limiter", d.audioLimiter);
  if (d.hiddenMenuSupported) {
    ini.WriteInteger(kConfig, "LockExtended", d.lockBitsExt);
    ini.WriteInteger(kConfig, "HiddenMenu", d.hiddenBits);
    ini.WriteInteger(kConfig, "HiddenMenuExtended", d.hiddenBitsExt);
  }
  if (d.txNameSupported) ini.WriteString(kConfig, "TxName", d.txName);
  if (d.audioModLpfSupported) {
    ini.WriteInteger(kConfig, "AudioMOD", d.audioMod);
    ini.WriteInteger(kConfig, "AudioLPF", d.audioLpf);
  }
  if (d.presetsSupported) {
    // The sections must show the transmitter's presets as they are now: each is read
    // again (a preset that failed once more at the end of the walk). A preset that
    // cannot be read leaves a gap: its section is not written, and one left from an
    // earlier save is taken out, so the file never passes off old values as this
    // transmitter's. Everything else is saved.
    NullProgress quiet;
    CommandTally tally(quiet, result);
    RetryList retries;
    WalkReads reads(link, d, tally, retries, quiet);
    const int n = std::min<int>(d.presetCount, kMaxPresets);
    std::vector<char> read(static_cast<size_t>(std::max(n, 0)), 0);
    for (int i = 0; i < n; ++i) {
      reads.Run(PresetGapLine(i), [&reads, &d, &store, &read, i] {
        return read[static_cast<size_t>(i)] = ReloadPreset(reads.transactor(), d, store, i);
      });
    }
    retries.RunAgain(tally, quiet, result);
    // A transmitter that answers nothing any more has left: no file then, the one
    // that stood there stays as it was.
    if (tally.lost()) {
      result.status = FileOpStatus::DeviceLost;
      result.title = kTitleError;
      result.message = kMsgDeviceLost;
      result.gaps.clear();
      return result;
    }
    std::vector<bool> saved(read.begin(), read.end());
    WritePresetSections(ini, d, store, saved);
    ini.WriteInteger(kConfig, "PresetIndex", d.presetIndex);
  }
  result.title = kTitleCompleted;
  result.message = kMsgFileSaved;
  MarkGapsNamed(result);
  return result;
}

FileOpResult SaveConfiguration(Transactor& link, TDeviceData& data, PresetStore& store,
                               const std::string& path) {
  if (data.modelType == 0) return NoDevice();
  IniFile ini;
  const IniFile::Status st = ini.Load(path);
  if (st != IniFile::Status::Ok && st != IniFile::Status::NotFound) {
    // Updating a file we cannot read would throw its content away.
    return Refused(FileOpStatus::FileError, kTitleError, ini.errorText());
  }
  FileOpResult r = SaveConfiguration(link, data, store, ini);
  if (!r.ok()) return r;  // written with gaps: still ok
  if (ini.Save(path) != IniFile::Status::Ok) {
    return Refused(FileOpStatus::FileError, kTitleError, ini.errorText());
  }
  return r;
}

// ---------------------------------------------------------------- load

bool HoldsConfiguration(const IniFile& ini) {
  bool anyPreset = false;
  for (int i = 0; i < kMaxPresets; ++i) anyPreset = anyPreset || ini.SectionExists(PresetSectionName(i));
  return ini.SectionExists(kConfig) || anyPreset;
}

FileOpResult OpenConfiguration(const TDeviceData& data, const std::string& path, IniFile& ini) {
  if (data.modelType == 0) return NoDevice();
  if (ini.Load(path) != IniFile::Status::Ok) {
    return Refused(FileOpStatus::FileError, kTitleError, ini.errorText());
  }
  // Neither settings nor presets: a wrong file picked, or garbage.
  if (!HoldsConfiguration(ini)) {
    ini.Clear();
    return Refused(FileOpStatus::FileError, kTitleError, kMsgNoConfigInFile);
  }
  return FileOpResult{};
}

namespace {

// Holds the window's edit lock on while settings are applied, so that the panels'
// change handlers do not send their own writes when the read-backs refresh them.
class EditLockHold {
 public:
  explicit EditLockHold(bool& flag) : flag_(flag), saved_(flag) { flag_ = true; }
  ~EditLockHold() { flag_ = saved_; }
  EditLockHold(const EditLockHold&) = delete;
  EditLockHold& operator=(const EditLockHold&) = delete;

 private:
  bool& flag_;
  bool saved_;
};

}  // namespace

FileOpResult ApplyConfiguration(Transactor& link, TDeviceData& d, PresetStore& store,
                                const IniFile& ini, const ConfigChoices& choices,
                                const ConfigSelection& selection, bool& editLocked,
                                const ConfigAppliedHook& applied) {
  if (d.modelType == 0) return NoDevice();
  EditLockHold hold(editLocked);
  FileOpResult result;
  NullProgress quiet;
  CommandTally tally(quiet, result);
  CommandSet commands(link, d);
  // Each setting is written and read back; a setting whose write or read-back failed
  // is applied once more when the others are done, and reported if it fails again. The
  // read-backs that refresh the device data are confirmed where the link has shown
  // trouble, so a garbled reply does not show a value the transmitter does not hold (a
  // read-back found wrong later is applied again).
  RetryList retries;
  WalkReads reads(link, d, tally, retries, quiet);
  CommandSet& readBack = reads.commands();

  auto chosen = [&](ConfigItem item) {
    const size_t i = static_cast<size_t>(item);
    return choices[i].enabled && selection[i];
  };
  auto value = [&](const char* key) { return ini.ReadInteger(kConfig, key, 0); };
  auto done = [&](ConfigItem item) {
    if (applied) applied(item);
  };
  auto lost = [&]() {
    FileOpResult r = result;
    r.status = FileOpStatus::DeviceLost;
    r.title = kTitleError;
    r.message = kMsgDeviceLost;
    return r;
  };

  auto apply = [&](ConfigItem item, std::function<bool()> run) {
    reads.Run(std::string("Not written (") + ConfigItemKey(item) + ")", std::move(run));
    done(item);
  };

  if (chosen(ConfigItem::Tuning)) {
    apply(ConfigItem::Tuning, [&] {
      return commands.WriteGroupChannel(value("Channel"), value("Group")) &&
             readBack.ReadGroupChannel() && readBack.ReadFrequency();
    });
  }
  if (chosen(ConfigItem::Audio)) {
    apply(ConfigItem::Audio, [&] {
      if (d.audioExtended) {
        const uint8_t displayLimiter = static_cast<uint8_t>((value("Display") != 0 ? 1 : 0) +
                                                            (value("Limiter") != 0 ? 2 : 0));
        uint8_t modLpf = 0;
        if (d.audioModLpfSupported) {
          const int mod = ini.ReadInteger(kConfig, "AudioMOD", -1);
          const int lpf = ini.ReadInteger(kConfig, "AudioLPF", -1);
          // "Narrow" has no 20 kHz low-pass filter.
          if (mod >= 0 && mod <= 1 && lpf >= 0 && lpf <= 2 && !(mod == 0 && lpf == 2)) {
            modLpf = static_cast<uint8_t>(16 * mod + lpf);
          }
        }
        return commands.WriteAudioEx(value("Gain"), value("Filter"), displayLimiter,
                                     value("Pre_Emphasis"), modLpf) &&
               readBack.ReadAudioEx();
      }
      return commands.WriteAudio(value("Gain"), value("Filter")) && readBack.ReadAudio();
    });
  }
  if (chosen(ConfigItem::Mic)) {
    apply(ConfigItem::Mic, [&] {
      return commands.WriteMic(value("MicMode"), value("MicPhase"), d.micPTT) && readBack.ReadMic();
    });
  }
  if (chosen(ConfigItem::PTT)) {
    // Uses the mode and phase just applied when the microphone group went first.
    apply(ConfigItem::PTT, [&] {
      return commands.WriteMic(d.micMode, d.micPhase, value("MicPTT")) && readBack.ReadMic();
    });
  }
  if (tally.lost()) return lost();
  if (chosen(ConfigItem::Battery)) {
    apply(ConfigItem::Battery, [&] {
      return commands.WriteBatteryType(value("BatteryType")) && readBack.ReadBattery();
    });
  }
  if (chosen(ConfigItem::RFPower)) {
    apply(ConfigItem::RFPower,
          [&] { return commands.WriteRfPower(value("RFPower")) && readBack.ReadRfPower(); });
  }
  if (chosen(ConfigItem::Led)) {
    apply(ConfigItem::Led, [&] {
      return commands.WriteLed(value("LedLight"), value("LedMode")) && readBack.ReadLed();
    });
  }
  if (tally.lost()) return lost();
  if (chosen(ConfigItem::Lock)) {
    apply(ConfigItem::Lock, [&] {
      d.lockBits = static_cast<uint8_t>(value("Lock") & 0xFF);
      if (d.extendedLockSupported) d.lockBitsExt = static_cast<uint8_t>(value("LockExtended") & 0xFF);
      return commands.SendMenuLockBytes() && readBack.ReadLockBytes();
    });
  }
  if (chosen(ConfigItem::Hidden)) {
    apply(ConfigItem::Hidden, [&] {
      d.hiddenBits = static_cast<uint8_t>(value("HiddenMenu") & 0xFF);
      d.hiddenBitsExt = static_cast<uint8_t>(value("HiddenMenuExtended") & 0xFF);
      return commands.WriteHiddenFlags() && readBack.ReadHiddenFlags();
    });
  }
  if (chosen(ConfigItem::Name)) {
    std::string name = ini.ReadString(kConfig, "TxName", "");
    name.resize(d.txNameLength, '\0');
    apply(ConfigItem::Name, [&commands, &readBack, name] {
      return commands.SendTxName(name) && readBack.ReadTxName();
    });
  }
  retries.RunAgain(tally, quiet, result);
  // After a name write that failed twice the read puts the transmitter's name back
  // into the device data.
  if (chosen(ConfigItem::Name) && !result.gaps.empty() &&
      result.gaps.back() == std::string("Not written (") + ConfigItemKey(ConfigItem::Name) + ")") {
    tally(readBack.ReadTxName());
  }
  if (tally.lost()) return lost();

  const bool presets = chosen(ConfigItem::Presets);
  const bool activate = chosen(ConfigItem::ActivatePreset);
  if (presets) {
    // The preset records read first are the base of the records written: when one of
    // them turns out wrong, the presets are loaded again as a whole.
    std::vector<std::string> refused;
    reads.Run("Not written (presets)", [&] {
      PresetSectionsResult p = LoadPresetSections(link, reads.transactor(), d, store, ini);
      refused = p.refused;
      return p.ok;
    });
    for (const auto& line : refused) result.memo.push_back(line);
    done(ConfigItem::Presets);
  }
  if (activate) {
    tally(commands.ActivatePreset(value("PresetIndex")));
    done(ConfigItem::ActivatePreset);
  }
  if (presets || activate) {
    // The active preset may have changed every setting: read them all again.
    reads.Run("Not read (presets)", [&] { return ReloadPresets(reads.transactor(), d, store); });
    reads.Run("Not read (settings)", [&] { return RereadAfterPresetChange(reads.transactor(), d); });
    retries.RunAgain(tally, quiet, result);
    if (tally.lost()) return lost();
    result.earlierMessages.push_back(kPresetLoadedMessage);
  }
  result.title = kTitleCompleted;
  result.message = kMsgFileLoaded;
  MarkGapsNamed(result);
  return result;
}

}  // namespace zentra
