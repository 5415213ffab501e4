// The item texts of every setting list, by model, capability and mode, in one place: the
// window's main panels, its preset panel and the command line show the same names. An
// item's position is the value sent to the transmitter, except for the PTT lists, whose
// positions go through the PTT mapping below.
#pragma once

#include <string>
#include <vector>

namespace zentra {

struct TDeviceData;

using ItemList = std::vector<std::string>;

// What a panel does with one list after the model is known: refill it with items, disable
// it (no selection), or leave the items it already holds.
struct ListSpec {
  enum class Action { Fill, Disable, Keep };
  Action action = Action::Keep;
  ItemList items;

  static ListSpec Fill(ItemList items) { return {Action::Fill, std::move(items)}; }
  static ListSpec Disable() { return {Action::Disable, {}}; }
  static ListSpec Keep() { return {Action::Keep, {}}; }
  bool operator==(const ListSpec&) const = default;
};

// --- fixed lists ---
const ItemList& BatteryTwoItems();        // "Alkaline", "NiMH"
const ItemList& BatteryThreeItems();      // + "Lithium"
const ItemList& MicThreeModeItems();      // "2 wires", "2 wires+bias", "3 wires"
const ItemList& MicFiveModeItems();       // + "2 wires&pha", "2 w+bias&pha"
const ItemList& MicPhaseSwitchItems();    // main panel texts of the phase-switch modes
const ItemList& MicTwoModeItems();        // "2 wires", "2 wires+bias"
const ItemList& MicPhantomItems();        // "Phantom Off", "Phantom On"
const ItemList& PttFourItems();           // "disabled", "standard", "muting", "no data"
const ItemList& PttThreeItems();          // "disabled", "standard", "muting"
const ItemList& PttTwoItems();            // "disabled", "no data"
const ItemList& PttDataItems();           // "Data(TSQ) On", "Data(TSQ) Off"
const ItemList& FilterSevenItems();       // "Flat", "60Hz" .. "400Hz"
const ItemList& FilterFiveItems();        // preset panel list of model codes 1 and 2
const ItemList& FilterFormItems();        // the main filter list before any model: "FLAT", "65 Hz"..
const ItemList& PowerTwoStepItems();      // "Low", "High"
const ItemList& Power10_50Items();        // "10mW", "50mW"
const ItemList& Power10_50_100Items();    // "10mW", "50mW", "100mW"
const ItemList& PhaseItems();             // "0°", "180°"
const ItemList& AudioDisplayItems();      // "AF In Gain", "AF Max Lev"
const ItemList& ModulationItems();        // "Narrow", "Wide"
const ItemList& LowPassItems();           // "12KHz", "15KHz", "20KHz"

// The transmitter's own power table: the rfLevelCount texts of rfLevelNames.
ItemList PowerDeviceTableItems(const TDeviceData& d);

// Pre-emphasis (noise reduction) names: the "JP " region has its own.
ItemList PreEmphasisItems(const TDeviceData& d);

// --- main panels (what RefreshModelPanels and the refreshes build) ---
// For models 1, 2, 4 and 10 the mic-mode, filter or power lists may be Keep.
ListSpec MainBatteryList(const TDeviceData& d);
ListSpec MainMicModeList(const TDeviceData& d);
// Depends on the microphone mode read (micMode) for models 3, 5, 7 and 9.
ListSpec MainPttList(const TDeviceData& d);
// True for the models whose PTT list is built from the microphone read (3, 5, 7, 9):
// after a failed read it keeps the items it holds.
bool MainPttListFollowsMicRead(const TDeviceData& d);
ListSpec MainFilterList(const TDeviceData& d);
// The power list after a full read: the device table once read (codes 3..10), the fixed
// list of the model, or Keep for models 1, 2, 4 and 10 without a device table and for a
// model with a band plan whose table could not be read.
ListSpec MainPowerList(const TDeviceData& d);
bool MainPhaseEnabled(const TDeviceData& d);
// The LED mode list of the LED refresh; index is the ledMode read, returned adjusted to
// the rebuilt list (an index past the end becomes 0).
ItemList MainLedModeItems(const TDeviceData& d, int& index);

struct GainLimits {
  int increment = 1;
  int minimum = -20;
  int maximum = 60;
  bool operator==(const GainLimits&) const = default;
};
// Gain spin limits of the main panel, by model, microphone mode and variant.
GainLimits MainGainLimits(const TDeviceData& d);

// The PTT list shows device values through this mapping (reduced lists carry only
// "disabled"/"no data", device values 0 and 3).
bool MainPttReduced(const TDeviceData& d);
int PttValueToIndex(const TDeviceData& d, int value);
int PttIndexToValue(const TDeviceData& d, int index);
// The value a write sends for a list the user may not have touched: while the list
// shows the item of the value held (or nothing), the held value itself, so a value the
// reduced list cannot show (PTT "standard" under "disabled", LED "PTT" under "none") is
// not replaced by the item that stands for it; otherwise the user's item.
int PttValueToSend(const TDeviceData& d, int listIndex);
int LedModeToSend(const TDeviceData& d, int listIndex);

// Level text of the audio gain: dB, or dBu when the display is "AF Max Lev".
struct GainText {
  std::string value;    // "%d"
  std::string caption;  // "AF Gain:" or "AF Lev:"
  std::string unit;     // "[dB]" or "[dBu]"
};
GainText AudioGainText(int gainDb, bool showDbu);

// --- preset panel (same settings, the preset's own microphone mode) ---
ListSpec PresetMicModeList(const TDeviceData& d);
ListSpec PresetPttList(const TDeviceData& d, int presetMicMode);
ItemList PresetFilterItems(const TDeviceData& d);
ItemList PresetBatteryItems(const TDeviceData& d);
ItemList PresetPowerItems(const TDeviceData& d);
ItemList PresetLedModeItems(const TDeviceData& d, int presetMicMode);
ItemList PresetLowPassItems(int modulation);
GainLimits PresetGainLimits(const TDeviceData& d, int presetMicMode);
bool PresetPttReduced(const TDeviceData& d, int presetMicMode);
int PresetPttValueToIndex(const TDeviceData& d, int presetMicMode, int value);
int PresetPttIndexToValue(const TDeviceData& d, int presetMicMode, int index);
// Gain as shown and stored for model codes 1 and 2: rounded toward zero to even.
int EvenGain(int gain);

// --- tuning lists ---
// Group items: with a sync channel groupCount + 1 items, "SYNC" at syncGroup, the others
// 0-based ("%02d") for model codes 3..10 and 1-based for codes 1 and 2; without a sync
// channel "%02d" of 1..groupCount. The item index is always the group sent.
ItemList GroupListItems(const TDeviceData& d);
ItemList ChannelListItems(const TDeviceData& d);  // "%02d" of 0..channelCount-1

// Preset names in the preset lists: "FACTORY", "USER", "Preset01", ...
std::string PresetListName(int index);
ItemList PresetListNames(int presetCount);

}  // namespace zentra
