// interfaces, info and power-profile: what the interface list, the "Device" box, the
// setting panels and the power profile dialog of the window show, as text or JSON.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>

#include "cli/Commands.h"
#include "cli/ExitCodes.h"
#include "cli/Items.h"
#include "cli/Output.h"
#include "cli/Session.h"
#include "device/Identification.h"
#include "device/ModelTable.h"
#include "device/PowerProfile.h"
#include "link/UsbDiagnostics.h"

namespace zentra::cli {

namespace {

const char* InterfaceKindName(uint8_t kind) {
  switch (kind) {
    case kKindZrv510: return "ZRV510";
    case kKindDgl700: return "dgl700";
    case kKindUsbMessage: return "USB message interface";
    case kKindDglNano: return "DGLnano";
    default: return "none";
  }
}

// --usb-debug: what the USB bus holds of vendor 0x10C4, before the list is built (on
// stderr with --json, so the list stays valid JSON).
void PrintUsbDebugReport(Session& session) {
  const Platform& platform = session.link().platform();
  const std::string report = platform.usbBus ? UsbDebugReport(platform.usbBus->bus())
                                             : "No USB bus: " + platform.usbBusMissing + "\n";
  FILE* out = session.options().json ? stderr : stdout;
  std::fprintf(out, "%s\n", report.c_str());
  std::fflush(out);
}

int RunInterfaces(Session& session, bool usbDebug) {
  if (usbDebug) PrintUsbDebugReport(session);
  const auto entries = session.ListInterfaces();
  const std::string port = session.link().serialPortName;
  auto device = [&](const InterfaceEntry& e) {
    return e.kind == kKindDglNano ? port : "usb " + std::to_string(e.deviceNumber);
  };
  if (session.options().json) {
    std::vector<std::string> rows;
    for (size_t i = 0; i < entries.size(); ++i) {
      JsonObject o;
      o.Add("entry", static_cast<int>(i))
          .Add("kind", static_cast<int>(entries[i].kind))
          .Add("kindName", InterfaceKindName(entries[i].kind))
          .Add("version", entries[i].text)
          .Add("device", device(entries[i]));
      rows.push_back(o.str());
    }
    std::printf("%s\n", JsonArray(rows).c_str());
  } else {
    for (size_t i = 0; i < entries.size(); ++i) {
      std::printf("%zu  kind %d %-22s  %-18s  %s\n", i, entries[i].kind,
                  InterfaceKindName(entries[i].kind),
                  ("\"" + Printable(entries[i].text) + "\"").c_str(),
                  device(entries[i]).c_str());
    }
  }
  if (entries.empty()) {
    PrintError("No IR interface found");
    return kExitNoInterface;
  }
  return kExitOk;
}

template <size_t N>
std::vector<long long> Ints(const std::array<int32_t, N>& values, int count = N) {
  std::vector<long long> out;
  for (int i = 0; i < count && i < static_cast<int>(N); ++i) out.push_back(values[static_cast<size_t>(i)]);
  return out;
}

template <size_t N>
std::vector<long long> Bytes(const std::array<uint8_t, N>& values) {
  return std::vector<long long>(values.begin(), values.end());
}

template <size_t N>
std::vector<std::string> Texts(const std::array<std::string, N>& values) {
  return std::vector<std::string>(values.begin(), values.end());
}

std::string InfoJson(Session& session) {
  const TDeviceData& d = session.data();
  JsonObject o;
  o.Add("modelType", d.modelType)
      .Add("idText", d.IdText())
      .Add("serialText", d.SerialText())
      .Add("channelCount", d.channelCount)
      .Add("groupCount", d.groupCount)
      .Add("freqMinMHz", d.freqMinMHz)
      .Add("freqMaxMHz", d.freqMaxMHz)
      .Add("stepHz", d.stepHz)
      .Add("audioGain", d.audioGain)
      .Add("audioGainRead", d.audioGainRead)
      .Add("curChannel", d.curChannel)
      .Add("curGroup", d.curGroup)
      .Add("curFreqKHz", d.curFreqKHz)
      .Add("audioFilter", d.audioFilter)
      .Add("audioDisplay", d.audioDisplay)
      .Add("audioLimiter", d.audioLimiter)
      .Add("preEmphasis", d.preEmphasis)
      .Add("micMode", d.micMode)
      .Add("micPhase", d.micPhase)
      .Add("micPTT", d.micPTT)
      .Add("batteryType", d.batteryType)
      .Add("batteryLevel", d.batteryLevel)
      .Add("rfPower", d.rfPower)
      .Add("ledLight", d.ledLight)
      .Add("ledMode", d.ledMode)
      .Add("presetCount", d.presetCount)
      .Add("presetIndex", d.presetIndex)
      .Add("pttSupported", d.pttSupported)
      .Add("pttMode3Supported", d.pttMode3Supported)
      .Add("groupLockSupported", d.groupLockSupported)
      .Add("micInputSupported", d.micInputSupported)
      .Add("syncGroup", d.syncGroup)
      .Add("groupHiddenSupported", d.groupHiddenSupported)
      .Add("channelFlagsSupported", d.channelFlagsSupported)
      .Add("syncSupported", d.syncSupported)
      .Add("groupNamesSupported", d.groupNamesSupported)
      .Add("micVariant", d.micVariant)
      .Add("presetsSupported", d.presetsSupported)
      .Add("audioExtended", d.audioExtended)
      .Add("limiterSupported", d.limiterSupported)
      .Add("bandPlanSupported", d.bandPlanSupported)
      .Add("rfLevelsRead", d.rfLevelsRead)
      .Add("rfLevelCount", d.rfLevelCount)
      .Add("powerSetting", d.powerSetting)
      .Add("rfLevelNames", Texts(d.rfLevelNames))
      .Add("rfLevelValues", Ints(d.rfLevelValues))
      .Add("bandCount", d.bandCount)
      .Add("bandEdgeMHz", Ints(d.bandEdgeMHz))
      .Add("bandEdgeKHz", Ints(d.bandEdgeKHz))
      .Add("bandAllowed", Ints(d.bandAllowed))
      .Add("optionsSupported", d.optionsSupported)
      .Add("infoText", d.infoText)
      .Add("optionTexts", Texts(d.optionTexts))
      .Add("txNameSupported", d.txNameSupported)
      .Add("txName", d.txName)
      .Add("extendedLockSupported", d.extendedLockSupported)
      .Add("bootVersionSupported", d.bootVersionSupported)
      .Add("bootVersion", d.bootVersion)
      .Add("hiddenMenuSupported", d.hiddenMenuSupported)
      .Add("hiddenBits", d.hiddenBits)
      .Add("hiddenBitsExt", d.hiddenBitsExt)
      .Add("lockBits", d.lockBits)
      .Add("lockBitsExt", d.lockBitsExt)
      .Add("groupLockMask", Bytes(d.groupLockMask))
      .Add("groupHiddenMask", Bytes(d.groupHiddenMask))
      .Add("batteryType3Supported", d.batteryType3Supported)
      .Add("txNameLength", d.txNameLength)
      .Add("menuInfoHiddenSupported", d.menuInfoHiddenSupported)
      .Add("audioModLpfSupported", d.audioModLpfSupported)
      .Add("audioMod", d.audioMod)
      .Add("audioLpf", d.audioLpf)
      .Add("modelName", ModelName(d.modelType))
      .Add("versionNumber", VersionNumber(d.IdText()))
      .Add("readFaulty", session.lastRead.faulty);
  return o.str();
}

std::string Join(const std::vector<std::string>& items, const char* none = "none") {
  if (items.empty()) return none;
  std::string out;
  for (const auto& s : items) out += (out.empty() ? "" : ", ") + s;
  return out;
}

void Line(const char* label, const std::string& value) {
  std::printf("%-18s %s\n", label, value.c_str());
}

std::vector<std::string> CapabilityNames(const TDeviceData& d) {
  const std::pair<const char*, uint8_t> flags[] = {
      {"pttSupported", d.pttSupported},
      {"pttMode3Supported", d.pttMode3Supported},
      {"groupLockSupported", d.groupLockSupported},
      {"groupHiddenSupported", d.groupHiddenSupported},
      {"micInputSupported", d.micInputSupported},
      {"channelFlagsSupported", d.channelFlagsSupported},
      {"syncSupported", d.syncSupported},
      {"groupNamesSupported", d.groupNamesSupported},
      {"presetsSupported", d.presetsSupported},
      {"audioExtended", d.audioExtended},
      {"limiterSupported", d.limiterSupported},
      {"bandPlanSupported", d.bandPlanSupported},
      {"optionsSupported", d.optionsSupported},
      {"txNameSupported", d.txNameSupported},
      {"extendedLockSupported", d.extendedLockSupported},
      {"bootVersionSupported", d.bootVersionSupported},
      {"hiddenMenuSupported", d.hiddenMenuSupported},
      {"batteryType3Supported", d.batteryType3Supported},
      {"menuInfoHiddenSupported", d.menuInfoHiddenSupported},
      {"audioModLpfSupported", d.audioModLpfSupported},
  };
  std::vector<std::string> out;
  for (const auto& [name, on] : flags) {
    if (on) out.push_back(name);
  }
  return out;
}

void PrintInfoText(Session& session) {
  const TDeviceData& d = session.data();
  const ModelInfo* model = FindModel(d.modelType);
  char text[160];

  Line("Identity:", "\"" + Printable(d.IdText()) + "\"");
  std::snprintf(text, sizeof text, "%s (code %d, %s)", model ? model->name : "unknown",
                d.modelType, model ? KindName(model->kind) : "-");
  Line("Model:", text);
  std::snprintf(text, sizeof text, "0x%X", VersionNumber(d.IdText()));
  Line("Version:", text);
  Line("Serial:", Printable(d.SerialText()));
  Line("Capabilities:", Join(CapabilityNames(d)));
  if (d.micVariant) Line("Mic variant:", std::to_string(d.micVariant));
  std::snprintf(text, sizeof text, "%d channels x %d groups%s", d.channelCount, d.groupCount,
                d.syncSupported ? " + SYNC" : "");
  Line("Table:", text);
  std::snprintf(text, sizeof text, "%d-%d MHz", d.freqMinMHz, d.freqMaxMHz);
  Line("Range:", text);
  std::snprintf(text, sizeof text, "%.3f kHz", d.stepHz * 0.001);
  Line("Step:", text);

  const ItemList groups = GroupListItems(d);
  Line("Tuning:", "group " + ItemText(groups, d.curGroup) + ", channel " +
                      (d.curChannel < 0 ? std::string("-") : TwoDigits(d.curChannel)) + ", " +
                      MHzText(d.curFreqKHz) + " MHz");

  const GainText gain = AudioGainText(d.audioGain, d.audioExtended && d.audioDisplay == 1);
  Line("Audio gain:", d.audioGainRead ? std::to_string(d.audioGain) + " dB (" + gain.caption +
                                            " " + gain.value + " " + gain.unit + ")"
                                      : std::string("-"));
  Line("HP filter:", ItemText(FilterItems(d), d.audioFilter));
  if (d.audioExtended) {
    Line("Display:", ItemText(DisplayItemsFor(d), d.audioDisplay));
    if (d.modelType >= 3) Line("Noise reduction:", ItemText(PreEmphasisItemsFor(d), d.preEmphasis));
  }
  if (d.limiterSupported) Line("Limiter:", d.audioLimiter ? "on" : "off");
  if (d.audioModLpfSupported) {
    Line("Modulation:", ItemText(ModulationItemsFor(d), d.audioMod));
    Line("LP filter:", ItemText(LowPassItemsFor(d), d.audioLpf));
  }
  const ItemList micModes = MicModeItems(d);
  if (!micModes.empty()) Line("Mic mode:", ItemText(micModes, d.micMode));
  const ItemList phases = PhaseItemsFor(d);
  if (!phases.empty()) Line("Phase:", ItemText(phases, d.micPhase));
  const ItemList ptt = PttItems(d);
  if (!ptt.empty()) {
    Line("PTT:", d.micPTT < 0 ? std::string("-")
                              : ItemText(ptt, PttValueToIndex(d, d.micPTT)));
  }
  std::snprintf(text, sizeof text, ", level %d of 7", d.batteryLevel);
  Line("Battery:", ItemText(BatteryItems(d), d.batteryType) + text);
  const ItemList power = PowerItems(d);
  Line("RF power:", ItemText(power, d.rfPower) + " (levels: " + Join(power) + ")");
  Line("LED:", "mode " + ItemText(LedModeItems(d), d.ledMode) + ", light " +
                   (d.ledLight < 0 ? std::string("-") : std::to_string(d.ledLight)));
  if (d.optionsSupported) {
    std::vector<std::string> options;
    for (const auto& o : d.optionTexts) options.push_back("\"" + Printable(o) + "\"");
    Line("Options:", Join(options));
    Line("Info text:", "\"" + Printable(d.infoText) + "\"");
  }
  if (d.bandPlanSupported) {
    std::vector<std::string> bands;
    for (int i = 0; i < d.bandCount && i < kMaxBands; ++i) {
      std::snprintf(text, sizeof text, "to %d.%03d MHz: %d mW", d.bandEdgeMHz[i],
                    d.bandEdgeKHz[i], d.bandAllowed[i]);
      bands.push_back(text);
    }
    Line("Band plan:", Join(bands, "empty"));
  }
  Line("Menu locks:", Join(LockedItems(d)));
  if (d.hiddenMenuSupported) Line("Menu hidden:", Join(HiddenItems(d)));
  if (d.groupLockSupported) Line("Locked groups:", Join(GroupsInMask(d, false)));
  if (d.groupHiddenSupported) Line("Hidden groups:", Join(GroupsInMask(d, true)));
  if (d.txNameSupported) Line("Name:", "\"" + Printable(d.txName) + "\"");
  if (d.bootVersionSupported) Line("Boot version:", "\"" + Printable(d.bootVersion) + "\"");
  if (d.presetsSupported) {
    std::vector<std::string> presets;
    for (int i = 0; i < d.presetCount && i < kMaxPresets; ++i) {
      presets.push_back(PresetListName(i) + " \"" + Printable(session.presets().Name(i)) +
                        "\"" + (i == d.presetIndex ? " (active)" : ""));
    }
    Line("Presets:", Join(presets));
  }
  if (session.lastRead.faulty) Line("Read:", "faulty (read error)");
}

int RunInfo(Session& session) {
  if (session.options().json) {
    std::printf("%s\n", InfoJson(session).c_str());
  } else {
    PrintInfoText(session);
  }
  return kExitOk;
}

// The sub-band power table as the power profile dialog shows it: 16 numbered rows,
// each segment starting one tuning step (whole kHz) above the previous upper edge.
int RunPowerProfile(Session& session) {
  const std::vector<PowerProfileRow> rows = PowerProfileRows(session.data());
  if (session.options().json) {
    std::vector<std::string> out;
    for (const PowerProfileRow& r : rows) {
      if (!r.filled) continue;
      JsonObject o;
      o.Add("num", r.num).Add("startKHz", r.startKHz).Add("stopKHz", r.stopKHz).Add("maxPowerMW", r.maxPowerMW);
      out.push_back(o.str());
    }
    std::printf("%s\n", JsonArray(out).c_str());
    return kExitOk;
  }
  std::printf("%-4s %-22s %-22s %s\n", "Num", "Start Frequency [KHz]", "Stop Frequency [KHz]",
              "Max Power [mW]");
  for (const PowerProfileRow& r : rows) {
    if (r.filled) {
      std::printf("%-4d %-22d %-22d %d\n", r.num, r.startKHz, r.stopKHz, r.maxPowerMW);
    } else {
      std::printf("%d\n", r.num);
    }
  }
  return kExitOk;
}

}  // namespace

void AddInfoCommands(CLI::App& app, ChosenCommand& chosen) {
  auto* interfaces = app.add_subcommand("interfaces", "List the IR interfaces found");
  auto usbDebug = std::make_shared<bool>(false);
  interfaces->add_flag("--usb-debug", *usbDebug,
                       "First describe every USB device of vendor 10c4: descriptors, "
                       "endpoints, strings (with --verbose: every USB transfer)");
  interfaces->callback([&chosen, usbDebug] {
    chosen.name = "interfaces";
    chosen.run = [usbDebug](Session& session) { return RunInterfaces(session, *usbDebug); };
    chosen.needsInterface = false;
    chosen.needsTransmitter = false;
  });

  auto* info = app.add_subcommand(
      "info", "Read the transmitter in front of the IR window and print everything it holds");
  info->callback([&chosen] {
    chosen.name = "info";
    chosen.run = RunInfo;
  });

  auto* profile = app.add_subcommand(
      "power-profile", "Print the transmitter's RF power frequency profile (sub-band table)");
  profile->callback([&chosen] {
    chosen.name = "power-profile";
    chosen.run = RunPowerProfile;
  });
}

}  // namespace zentra::cli
