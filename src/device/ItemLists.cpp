#include "device/ItemLists.h"

#include <cstdio>
#include <cstring>

#include "device/TDeviceData.h"

namespace zentra {

namespace {

bool NewFamily(int model) { return model >= 3 && model <= 10; }

std::string TwoDigits(int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", n);
  return buf;
}

}  // namespace

const ItemList& BatteryTwoItems() {
  static const ItemList l{"Alkaline", "NiMH"};
  return l;
}
const ItemList& BatteryThreeItems() {
  static const ItemList l{"Alkaline", "NiMH", "Lithium"};
  return l;
}
const ItemList& MicThreeModeItems() {
  static const ItemList l{"2 wires", "2 wires+bias", "3 wires"};
  return l;
}
const ItemList& MicFiveModeItems() {
  static const ItemList l{"2 wires", "2 wires+bias", "3 wires", "2 wires&pha", "2 w+bias&pha"};
  return l;
}
const ItemList& MicPhaseSwitchItems() {
  static const ItemList l{"2 wires", "2 wires+bias", "2 wires&pha", "2 w+bias&pha"};
  return l;
}
const ItemList& MicTwoModeItems() {
  static const ItemList l{"2 wires", "2 wires+bias"};
  return l;
}
const ItemList& MicPhantomItems() {
  static const ItemList l{"Phantom Off", "Phantom On"};
  return l;
}
const ItemList& PttFourItems() {
  static const ItemList l{"disabled", "standard", "muting", "no data"};
  return l;
}
const ItemList& PttThreeItems() {
  static const ItemList l{"disabled", "standard", "muting"};
  return l;
}
const ItemList& PttTwoItems() {
  static const ItemList l{"disabled", "no data"};
  return l;
}
const ItemList& PttDataItems() {
  static const ItemList l{"Data(TSQ) On", "Data(TSQ) Off"};
  return l;
}
const ItemList& FilterSevenItems() {
  static const ItemList l{"Flat", "60Hz", "80Hz", "120Hz", "170Hz", "250Hz", "400Hz"};
  return l;
}
const ItemList& FilterFiveItems() {
  static const ItemList l{"Flat", "65Hz", "80Hz", "120Hz", "170Hz"};
  return l;
}
const ItemList& FilterFormItems() {
  static const ItemList l{"FLAT", "65 Hz", "80 Hz", "120 Hz", "170 Hz"};
  return l;
}
const ItemList& PowerTwoStepItems() {
  static const ItemList l{"Low", "High"};
  return l;
}
const ItemList& Power10_50Items() {
  static const ItemList l{"10mW", "50mW"};
  return l;
}
const ItemList& Power10_50_100Items() {
  static const ItemList l{"10mW", "50mW", "100mW"};
  return l;
}
const ItemList& PhaseItems() {
  static const ItemList l{"0\u00B0", "180\u00B0"};
  return l;
}
const ItemList& AudioDisplayItems() {
  static const ItemList l{"AF In Gain", "AF Max Lev"};
  return l;
}
const ItemList& ModulationItems() {
  static const ItemList l{"Narrow", "Wide"};
  return l;
}
const ItemList& LowPassItems() {
  static const ItemList l{"12KHz", "15KHz", "20KHz"};
  return l;
}

ItemList PowerDeviceTableItems(const TDeviceData& d) {
  ItemList items;
  const int n = d.rfLevelCount < 0 ? 0 : (d.rfLevelCount > 8 ? 8 : d.rfLevelCount);
  for (int i = 0; i < n; ++i) items.push_back(d.rfLevelNames[i]);
  return items;
}

ItemList PreEmphasisItems(const TDeviceData& d) {
  if (d.optionTexts[0] == "JP ") return {"JNR-Quor", "JNC-Quor"};
  return {"ENR-Quor", "ENC-Quor"};
}

// --- main panels ---

ListSpec MainBatteryList(const TDeviceData& d) {
  switch (d.modelType) {
    case 1:
    case 2:
      return ListSpec::Fill(BatteryTwoItems());
    case 5:
    case 9:
      return ListSpec::Fill(BatteryThreeItems());
    case 3:
    case 4:
    case 6:
    case 7:
    case 8:
    case 10:
      return ListSpec::Fill(d.batteryType3Supported ? BatteryThreeItems() : BatteryTwoItems());
    default:
      return ListSpec::Keep();
  }
}

ListSpec MainMicModeList(const TDeviceData& d) {
  switch (d.modelType) {
    case 1:
      return ListSpec::Disable();
    case 2:
      if (d.micVariant == 1) return ListSpec::Fill(MicPhaseSwitchItems());
      if (d.micVariant == 2) return ListSpec::Fill(MicTwoModeItems());
      return ListSpec::Fill(MicThreeModeItems());
    case 3:
    case 7:
      return ListSpec::Fill(MicFiveModeItems());
    case 5:
    case 9:
      return ListSpec::Fill(MicThreeModeItems());
    case 6:
    case 8:
      return ListSpec::Fill(MicPhantomItems());
    default:  // 4 and 10 have no input mode; the list is left as it is, not enabled
      return ListSpec::Keep();
  }
}

bool MainPttReduced(const TDeviceData& d) {
  switch (d.modelType) {
    case 2:
      return d.micVariant == 1 || d.micVariant == 2;
    case 3:
    case 5:
    case 7:
    case 9:
      return d.micMode >= 2 && d.micMode <= 4;
    case 6:
    case 8:
      return true;
    default:
      return false;
  }
}

ListSpec MainPttList(const TDeviceData& d) {
  switch (d.modelType) {
    case 1:
      if (!d.pttSupported) return ListSpec::Disable();
      return ListSpec::Fill(d.pttMode3Supported ? PttFourItems() : PttThreeItems());
    case 2:
      if (d.micVariant == 1 || d.micVariant == 2) return ListSpec::Fill(PttTwoItems());
      return ListSpec::Fill(d.pttMode3Supported ? PttFourItems() : PttThreeItems());
    case 3:
    case 5:
    case 7:
    case 9:
      return ListSpec::Fill(MainPttReduced(d) ? PttTwoItems() : PttFourItems());
    case 4:
    case 10:
      return ListSpec::Fill(PttFourItems());
    case 6:
    case 8:
      return ListSpec::Fill(PttDataItems());
    default:
      return ListSpec::Keep();
  }
}

bool MainPttListFollowsMicRead(const TDeviceData& d) {
  const int m = d.modelType;
  return m == 3 || m == 5 || m == 7 || m == 9;
}

int PttValueToSend(const TDeviceData& d, int listIndex) {
  const int held = d.micPTT < 0 ? 0 : d.micPTT;
  if (listIndex < 0 || (d.micPTT >= 0 && listIndex == PttValueToIndex(d, d.micPTT))) return held;
  return PttIndexToValue(d, listIndex);
}

int LedModeToSend(const TDeviceData& d, int listIndex) {
  const int held = d.ledMode < 0 ? 0 : d.ledMode;
  int shown = d.ledMode;
  MainLedModeItems(d, shown);
  if (listIndex < 0 || (d.ledMode >= 0 && listIndex == shown)) return held;
  return listIndex;
}

ListSpec MainFilterList(const TDeviceData& d) {
  if (NewFamily(d.modelType)) return ListSpec::Fill(FilterSevenItems());
  return ListSpec::Keep();
}

ListSpec MainPowerList(const TDeviceData& d) {
  const int m = d.modelType;
  if (NewFamily(m) && d.rfLevelsRead) return ListSpec::Fill(PowerDeviceTableItems(d));
  // With a band plan the list is the transmitter's own table: until that table has been
  // read, the list keeps what it holds rather than names the transmitter never gave.
  if (NewFamily(m) && d.bandPlanSupported) return ListSpec::Keep();
  if (m == 3 || (m >= 5 && m <= 9)) {
    if (m == 7) return ListSpec::Fill(Power10_50Items());
    if (d.micVariant == 2 && m == 3) return ListSpec::Fill(Power10_50_100Items());
    if (d.micVariant == 1) return ListSpec::Fill(Power10_50Items());
    return ListSpec::Fill(PowerTwoStepItems());
  }
  return ListSpec::Keep();
}

bool MainPhaseEnabled(const TDeviceData& d) { return d.modelType >= 2 && d.modelType <= 10; }

ItemList MainLedModeItems(const TDeviceData& d, int& index) {
  ItemList items;
  if (d.micVariant == 0 && d.micMode == 2) {
    // With the third input mode the transmitter offers no PTT indication.
    items = {"disabled", "mod. peak"};
    index = 0;
    return items;
  }
  if (d.pttSupported)
    items = {"none", "mod. peak", "PTT"};
  else
    items = {"none", "mod. peak"};
  if (index >= static_cast<int>(items.size())) index = 0;
  return items;
}

namespace {

// Gain increment and minimum by model and microphone mode. The main panel and the preset
// panel differ only in their maximum and in what a model outside 1..10 gets.
GainLimits ModelGainLimits(const TDeviceData& d, int mode, int maximum, GainLimits other) {
  switch (d.modelType) {
    case 1:
      return {2, -20, maximum};
    case 2: {
      int minimum;
      if (d.micVariant == 1)
        minimum = (mode == 1 || mode == 3) ? -20 : -40;
      else if (d.micVariant == 2)
        minimum = -30;
      else
        minimum = mode == 1 ? -20 : -40;
      return {2, minimum, maximum};
    }
    case 3:
      return {1, (mode == 1 || mode == 4) ? -20 : -40, maximum};
    case 4:
    case 10:
      return {1, -20, maximum};
    case 5:
    case 7:
    case 8:  // the preset panel too: the transmitter's range goes down to -60 dB
    case 9:
      return {1, -60, maximum};
    case 6:
      return {1, -40, maximum};
    default:
      return other;
  }
}

}  // namespace

GainLimits MainGainLimits(const TDeviceData& d) {
  return ModelGainLimits(d, d.micMode, 60, {2, -60, 60});  // default: the form's own limits
}

int PttValueToIndex(const TDeviceData& d, int value) {
  if (MainPttReduced(d)) return value == 3 ? 1 : 0;
  return value;
}

int PttIndexToValue(const TDeviceData& d, int index) {
  if (MainPttReduced(d)) return index == 1 ? 3 : 0;
  return index;
}

GainText AudioGainText(int gainDb, bool showDbu) {
  char buf[16];
  if (showDbu) {
    std::snprintf(buf, sizeof buf, "%d", -gainDb - 14);
    return {buf, "AF Lev:", "[dBu]"};
  }
  std::snprintf(buf, sizeof buf, "%d", gainDb);
  return {buf, "AF Gain:", "[dB]"};
}

// --- preset panel ---

ListSpec PresetMicModeList(const TDeviceData& d) {
  switch (d.modelType) {
    case 2:
      if (d.micVariant == 1)
        return ListSpec::Fill({"2 wires", "2 wires+bias", "2 wires&pha", "2 wires+bias&pha"});
      if (d.micVariant == 2) return ListSpec::Fill(MicTwoModeItems());
      return ListSpec::Fill(MicThreeModeItems());
    case 5:
    case 9:
      return ListSpec::Fill(MicThreeModeItems());
    case 3:
    case 7:
      return ListSpec::Fill(MicFiveModeItems());
    case 6:
    case 8:
      return ListSpec::Fill(MicPhantomItems());
    default:
      return ListSpec::Disable();
  }
}

bool PresetPttReduced(const TDeviceData& d, int mode) {
  switch (d.modelType) {
    case 2:
      return d.micVariant == 1 || d.micVariant == 2 || mode == 2;
    case 3:
    case 7:
      return mode >= 2 && mode <= 4;
    case 5:
    case 9:
      return mode == 2;
    case 6:
    case 8:
      return true;
    default:
      return false;
  }
}

ListSpec PresetPttList(const TDeviceData& d, int mode) {
  switch (d.modelType) {
    case 2:
    case 3:
    case 5:
    case 7:
    case 9:
      if (PresetPttReduced(d, mode)) return ListSpec::Fill(PttTwoItems());
      if (d.modelType == 2)
        return ListSpec::Fill(d.pttMode3Supported ? PttFourItems() : PttThreeItems());
      return ListSpec::Fill(PttFourItems());
    case 6:
    case 8:
      return ListSpec::Fill(PttDataItems());
    default:
      if (!d.pttSupported) return ListSpec::Disable();
      return ListSpec::Fill(d.pttMode3Supported ? PttFourItems() : PttThreeItems());
  }
}

ItemList PresetFilterItems(const TDeviceData& d) {
  return NewFamily(d.modelType) ? FilterSevenItems() : FilterFiveItems();
}

ItemList PresetBatteryItems(const TDeviceData& d) {
  // Model 9 is the ZQL22's twin and takes the third type like it (its preset values
  // allow type 2 as well).
  if (d.modelType == 5 || d.modelType == 9 || d.batteryType3Supported)
    return BatteryThreeItems();
  return BatteryTwoItems();
}

ItemList PresetPowerItems(const TDeviceData& d) {
  if (d.rfLevelsRead) return PowerDeviceTableItems(d);
  if (d.modelType == 3 && d.micVariant == 2) return Power10_50_100Items();
  if ((d.modelType == 3 && d.micVariant == 1) || (d.modelType >= 5 && d.modelType <= 9))
    return Power10_50Items();
  return PowerTwoStepItems();
}

ItemList PresetLedModeItems(const TDeviceData& d, int mode) {
  if (d.pttSupported && mode != 2) return {"none", "mod. peak", "PTT"};
  return {"none", "mod. peak"};
}

ItemList PresetLowPassItems(int modulation) {
  if (modulation != 0) return LowPassItems();
  return {"12KHz", "15KHz"};
}

GainLimits PresetGainLimits(const TDeviceData& d, int mode) {
  return ModelGainLimits(d, mode, 40, {2, -20, 40});
}

int PresetPttValueToIndex(const TDeviceData& d, int mode, int value) {
  if (PresetPttReduced(d, mode)) return value == 3 ? 1 : 0;
  return value;
}

int PresetPttIndexToValue(const TDeviceData& d, int mode, int index) {
  if (PresetPttReduced(d, mode)) return index == 1 ? 3 : 0;
  return index;
}

int EvenGain(int gain) { return gain / 2 * 2; }

// --- tuning lists ---

ItemList GroupListItems(const TDeviceData& d) {
  ItemList items;
  const int groups = d.groupCount < 0 ? 0 : (d.groupCount > 40 ? 40 : d.groupCount);
  if (d.syncSupported) {
    const bool oldFamily = d.modelType == 1 || d.modelType == 2;
    for (int i = 0; i <= groups; ++i) {
      if (i == groups)
        items.push_back("SYNC");
      else
        items.push_back(TwoDigits(oldFamily ? i + 1 : i));
    }
  } else {
    for (int i = 1; i <= groups; ++i) items.push_back(TwoDigits(i));
  }
  return items;
}

ItemList ChannelListItems(const TDeviceData& d) {
  ItemList items;
  const int channels = d.channelCount < 0 ? 0 : (d.channelCount > 60 ? 60 : d.channelCount);
  for (int c = 0; c < channels; ++c) items.push_back(TwoDigits(c));
  return items;
}

std::string PresetListName(int index) {
  if (index == 0) return "FACTORY";
  if (index == 1) return "USER";
  char buf[24];
  std::snprintf(buf, sizeof buf, "Preset%02d", index - 1);
  return buf;
}

ItemList PresetListNames(int presetCount) {
  ItemList names;
  const int n = presetCount < 0 ? 0 : (presetCount > 10 ? 10 : presetCount);
  for (int i = 0; i < n; ++i) names.push_back(PresetListName(i));
  return names;
}

}  // namespace zentra
