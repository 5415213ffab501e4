// set SETTING VALUE...: one setting of the parameter panels or of the user-menu flags,
// written through the device layer and read back; what is printed is what the
// transmitter took. Values are item names of the model's lists or their indexes; a
// value the model does not offer is refused before anything is sent.
#include <CLI/CLI.hpp>

#include <charconv>
#include <cstdio>

#include "cli/Commands.h"
#include "cli/ExitCodes.h"
#include "cli/Items.h"
#include "cli/Output.h"
#include "cli/Session.h"
#include "device/FrequencyPlan.h"
#include "device/Settings.h"

namespace zentra::cli {

namespace {

using Values = std::vector<std::string>;

int Refuse(const std::string& message) {
  PrintError(message);
  return kExitUsage;
}

// Looks a typed group or channel up in the tuning lists; the refusal names what the
// model offers.
std::optional<int> Pick(const char* setting, const ItemList& items, const std::string& typed) {
  if (items.empty()) {
    PrintError(std::string("This transmitter has no setting '") + setting + "'");
    return std::nullopt;
  }
  const auto index = MatchItem(items, typed);
  if (!index) {
    PrintError("Value '" + typed + "' not offered for " + setting + " on this transmitter; " +
               "choose one of: " + OfferedItems(items));
  }
  return index;
}

// A typed value of a named setting, for this transmitter; the refusal is printed.
std::optional<int> Resolve(const TDeviceData& d, const std::string& setting, const std::string& typed) {
  const SettingValue v = ResolveSetting(d, *FindNamedSetting(setting), typed);
  if (!v.ok) {
    PrintError(v.refusal);
    return std::nullopt;
  }
  return v.value;
}

// Prints what the transmitter holds after the change and turns the outcome into an
// exit status: a write that was not acknowledged, a failed read-back or a value other
// than the one asked for is a failure.
int Report(Session& session, const std::string& setting, const SettingResult& result,
           const std::string& shown, bool tookValue) {
  if (session.options().json) {
    JsonObject o;
    o.Add("setting", setting).Add("value", shown).Add("written", result.written)
        .Add("readBack", result.readBack);
    std::printf("%s\n", o.str().c_str());
  } else {
    std::printf("%s: %s\n", setting.c_str(), shown.c_str());
  }
  if (!result.message.empty()) PrintError(result.message.title + ": " + result.message.text);
  if (!result.written) {
    PrintError("The transmitter did not acknowledge the change");
    return kExitFailed;
  }
  if (!result.readBack) {
    PrintError("The setting could not be read back");
    return kExitFailed;
  }
  if (!tookValue) {
    PrintError("The transmitter kept another value");
    return kExitFailed;
  }
  return kExitOk;
}

bool AudioRead(const TDeviceData& d) {
  return d.audioGainRead && d.audioFilter >= 0 && (!d.audioExtended || (d.audioDisplay >= 0 && d.preEmphasis >= 0));
}

// Audio settings travel together: the request keeps every other audio value as held.
int SetAudio(Session& session, const std::string& setting, const std::string& typed) {
  TDeviceData& d = session.data();
  if (!AudioRead(d)) {
    PrintError("The audio settings were not read from the transmitter; nothing sent");
    return kExitFailed;
  }
  AudioRequest request = CurrentAudio(d);
  const auto value = Resolve(d, setting, typed);
  if (!value) return kExitUsage;
  if (setting == "gain") {
    request.gain = *value;
    const SettingResult r = AudioChange(session.link(), d, request);
    return Report(session, setting, r, std::to_string(d.audioGain) + " dB", d.audioGain == *value);
  }
  if (setting == "limiter") {
    request.limiter = *value != 0;
    const SettingResult r = AudioChange(session.link(), d, request);
    return Report(session, setting, r, d.audioLimiter ? "on" : "off",
                  (d.audioLimiter != 0) == (*value != 0));
  }
  const NamedSetting named = *FindNamedSetting(setting);
  int* field = &request.lowPass;
  if (named == NamedSetting::HpFilter) field = &request.filter;
  if (named == NamedSetting::Display) field = &request.display;
  if (named == NamedSetting::NoiseReduction) field = &request.preEmphasis;
  if (named == NamedSetting::Modulation) field = &request.modulation;
  *field = *value;
  const SettingResult r = AudioChange(session.link(), d, request);
  return Report(session, setting, r, HeldSettingText(d, named), HeldSettingValue(d, named) == *value);
}

int SetMic(Session& session, const std::string& setting, const std::string& typed) {
  TDeviceData& d = session.data();
  int mode = d.micMode, phase = d.micPhase, ptt = d.micPTT;
  const auto value = Resolve(d, setting, typed);
  if (!value) return kExitUsage;
  if (setting == "mic-mode") mode = *value;
  if (setting == "phase") phase = *value;
  if (setting == "ptt") ptt = *value;
  // Model 1 sends the PTT value only; models 4 and 10 send mode 0. The other values
  // must have been read, or the write would carry junk.
  const bool modelOne = d.modelType == 1;
  const bool noMode = d.modelType == 4 || d.modelType == 10;
  if (ptt < 0 || (!modelOne && phase < 0) || (!modelOne && !noMode && mode < 0)) {
    PrintError("The microphone settings were not read from the transmitter; nothing sent");
    return kExitFailed;
  }
  const int wanted = *value;
  const SettingResult r =
      MicChange(session.link(), d, std::max(mode, 0), std::max(phase, 0), ptt);
  const NamedSetting named = *FindNamedSetting(setting);
  return Report(session, setting, r, HeldSettingText(d, named), HeldSettingValue(d, named) == wanted);
}

int SetTuning(Session& session, const std::string& setting, const Values& values) {
  TDeviceData& d = session.data();
  const ItemList groups = GroupListItems(d);
  const ItemList channels = ChannelListItems(d);
  int group = d.curGroup, channel = d.curChannel;
  if (setting == "tuning") {
    if (values.size() != 2) return Refuse("tuning takes GROUP CHANNEL");
    const auto g = Pick("group", groups, values[0]);
    if (!g) return kExitUsage;
    const auto c = Pick("channel", channels, values[1]);
    if (!c) return kExitUsage;
    group = *g;
    channel = *c;
  } else if (setting == "group") {
    const auto g = Pick("group", groups, values[0]);
    if (!g) return kExitUsage;
    group = *g;
    if (channel < 0) channel = 0;
  } else {
    const auto c = Pick("channel", channels, values[0]);
    if (!c) return kExitUsage;
    channel = *c;
    if (group < 0) {
      PrintError("The tuned group was not read from the transmitter; nothing sent");
      return kExitFailed;
    }
  }
  if (d.syncSupported && group == d.syncGroup) channel = 0;  // the sync channel
  const SettingResult r = GroupChannelChange(session.link(), d, group, channel);
  const std::string shown = "group " + ItemText(groups, d.curGroup) + ", channel " +
                            (d.curChannel < 0 ? std::string("-") : TwoDigits(d.curChannel)) +
                            ", " + MHzText(d.curFreqKHz) + " MHz";
  if (!r.written && r.readBack && !(d.curGroup == group && d.curChannel == channel)) {
    std::printf("tuning: %s\n", shown.c_str());
    PrintError("Channel is hidden: not tuned");
    return kExitFailed;
  }
  return Report(session, "tuning", r, shown, d.curGroup == group && d.curChannel == channel);
}

int SetMenuFlag(Session& session, bool lock, const Values& values) {
  TDeviceData& d = session.data();
  const char* what = lock ? "lock" : "hidden";
  if (values.size() != 2) return Refuse(std::string(what) + " takes ITEM on|off");
  const auto on = ParseOnOff(values[1]);
  if (!on) return Refuse("Value '" + values[1] + "' refused: use on or off");
  const auto& names = lock ? LockItemNames() : HiddenItemNames();
  const auto box = MatchMenuItem(names, values[0]);
  std::string offered;
  bool enabled = false;
  if (lock) {
    const LockPanel panel = LockPanelState(d);
    for (const auto& n : names) {
      if (panel.boxes[static_cast<size_t>(n.box)].enabled) offered += std::string(offered.empty() ? "" : ", ") + n.name;
    }
    enabled = box && d.groupLockSupported && panel.boxes[static_cast<size_t>(*box)].enabled;
  } else {
    const auto boxes = HiddenPanelState(d, HiddenChecksFromData(d));
    for (const auto& n : names) {
      if (boxes[static_cast<size_t>(n.box)].enabled) offered += std::string(offered.empty() ? "" : ", ") + n.name;
    }
    enabled = box && d.hiddenMenuSupported && boxes[static_cast<size_t>(*box)].enabled;
  }
  if (!enabled) {
    return Refuse("Menu " + std::string(what) + " item '" + values[0] +
                  "' not offered by this transmitter; choose one of: " +
                  (offered.empty() ? std::string("none") : offered));
  }
  SettingResult r;
  bool now = false;
  if (lock) {
    LockChecks checks = LockChecksFromData(d);
    checks[static_cast<size_t>(*box)] = *on;
    r.written = ckLockClick(session.link(), d, checks);
    r.readBack = RefreshLockFlags(session.link(), d);
    now = LockChecksFromData(d)[static_cast<size_t>(*box)];
  } else {
    HiddenChecks checks = HiddenChecksFromData(d);
    checks[static_cast<size_t>(*box)] = *on;
    r.written = ckMenuHiddenClick(session.link(), d, checks);
    r.readBack = RefreshHiddenFlags(session.link(), d);
    now = HiddenChecksFromData(d)[static_cast<size_t>(*box)];
  }
  return Report(session, std::string(what) + " " + values[0], r, now ? "on" : "off", now == *on);
}

struct SettingHelp {
  const char* name;
  const char* usage;
};

const SettingHelp kSettings[] = {
    {"tuning", "GROUP CHANNEL   tune to a channel (group as listed: 00.., 01.., SYNC)"},
    {"group", "GROUP            tune to a group, keeping the channel"},
    {"channel", "CHANNEL        tune to a channel of the tuned group"},
    {"gain", "DB                audio gain in dB"},
    {"hp-filter", "ITEM         high-pass filter"},
    {"display", "ITEM           gain display: AF In Gain or AF Max Lev"},
    {"limiter", "on|off         audio limiter"},
    {"noise-reduction", "ITEM   noise reduction (pre-emphasis)"},
    {"modulation", "ITEM        Narrow or Wide"},
    {"lp-filter", "ITEM         low-pass filter"},
    {"mic-mode", "ITEM          microphone input mode"},
    {"phase", "ITEM             microphone phase"},
    {"ptt", "ITEM               PTT mode"},
    {"battery", "ITEM           battery type"},
    {"rf-power", "ITEM          RF power"},
    {"led-mode", "ITEM          LED mode"},
    {"led-light", "N            LED light 0..16"},
    {"name", "TEXT              transmitter name"},
    {"lock", "ITEM on|off       user-menu lock of an item (tuning, audio, rf-power, battery, mic, led, modulation, noise-reduction, hp-filter, limiter, phase, ptt, led-light)"},
    {"hidden", "ITEM on|off     user-menu hidden flag (the lock items plus presets, menu-info)"},
};

int RunSet(Session& session, const std::string& setting, const Values& values) {
  TDeviceData& d = session.data();
  if (setting == "lock" || setting == "hidden") return SetMenuFlag(session, setting == "lock", values);
  if (setting == "tuning" || setting == "group" || setting == "channel") {
    return SetTuning(session, setting, values);
  }
  if (values.size() != 1) return Refuse(setting + " takes one value");
  const std::string& typed = values[0];
  if (setting == "gain" || setting == "hp-filter" || setting == "display" ||
      setting == "limiter" || setting == "noise-reduction" || setting == "modulation" ||
      setting == "lp-filter") {
    return SetAudio(session, setting, typed);
  }
  if (setting == "mic-mode" || setting == "phase" || setting == "ptt") {
    return SetMic(session, setting, typed);
  }
  if (setting == "battery" || setting == "rf-power") {
    const auto index = Resolve(d, setting, typed);
    if (!index) return kExitUsage;
    const SettingResult r = setting == "battery" ? BatteryTypeChange(session.link(), d, *index)
                                                 : RFPowerChange(session.link(), d, *index);
    const NamedSetting named = *FindNamedSetting(setting);
    return Report(session, setting, r, HeldSettingText(d, named), HeldSettingValue(d, named) == *index);
  }
  if (setting == "led-mode" || setting == "led-light") {
    if (d.ledLight < 0 || d.ledMode < 0) {
      PrintError("The LED settings were not read from the transmitter; nothing sent");
      return kExitFailed;
    }
    const auto value = Resolve(d, setting, typed);
    if (!value) return kExitUsage;
    const int light = setting == "led-light" ? *value : d.ledLight;
    const int mode = setting == "led-mode" ? *value : d.ledMode;
    const SettingResult r = LedChange(session.link(), d, light, mode);
    const NamedSetting named = *FindNamedSetting(setting);
    return Report(session, setting, r, HeldSettingText(d, named), HeldSettingValue(d, named) == *value);
  }
  if (setting == "name") {
    if (!d.txNameSupported) return Refuse("This transmitter has no setting 'name'");
    if (typed.size() > d.txNameLength) {
      return Refuse("Name '" + typed + "' refused: this transmitter takes at most " +
                    std::to_string(d.txNameLength) + " characters");
    }
    for (char c : typed) {
      const auto u = static_cast<unsigned char>(c);
      if (u < 0x20 || u > 0x7E) return Refuse("Name refused: use printable ASCII characters");
    }
    const SettingResult r = TxNameChange(session.link(), d, typed);
    std::string shown = d.txName;
    while (!shown.empty() && (shown.back() == ' ' || shown.back() == '\0')) shown.pop_back();
    return Report(session, setting, r, "\"" + Printable(shown) + "\"", shown == typed ||
                  (typed.empty() && shown.empty()));
  }
  std::string known;
  for (const auto& s : kSettings) known += std::string(known.empty() ? "" : ", ") + s.name;
  return Refuse("Unknown setting '" + setting + "'; settings: " + known);
}

}  // namespace

void AddSetCommands(CLI::App& app, ChosenCommand& chosen) {
  std::string description =
      "Write one setting to the transmitter and read it back. Values are the item names "
      "the window shows for this model (case ignored) or their index.\nSettings:\n";
  for (const auto& s : kSettings) description += std::string("  ") + s.name + " " + s.usage + "\n";
  auto* set = app.add_subcommand("set", description);
  auto setting = std::make_shared<std::string>();
  auto values = std::make_shared<Values>();
  set->add_option("setting", *setting, "The setting to change")->required();
  set->add_option("values", *values, "The value(s)")->required();
  set->callback([&chosen, setting, values] {
    chosen.name = "set " + *setting;
    chosen.run = [setting, values](Session& s) { return RunSet(s, *setting, *values); };
  });
}

}  // namespace zentra::cli
