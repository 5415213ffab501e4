#include "files/ProgrammingStation.h"

#include <algorithm>
#include <ctime>

#include "device/CommandSet.h"
#include "device/FullRead.h"
#include "device/MenuFlags.h"
#include "device/ModelTable.h"
#include "device/Presence.h"
#include "device/Presets.h"
#include "device/ServiceCommands.h"
#include "device/Settings.h"
#include "device/TDeviceData.h"
#include "files/ConfigFile.h"
#include "files/TextFile.h"
#include "plan/Coordination.h"

namespace zentra {

// Every command of the station goes through here, so each transmitter's report line can
// say how many requests it took.
class ProgrammingStation::Counter : public Transactor {
 public:
  explicit Counter(Transactor& link) : link_(link) {}
  bool Transact(const uint8_t* request, uint8_t requestLength, uint8_t* response,
                uint8_t& responseLength) override {
    ++sent;
    return link_.Transact(request, requestLength, response, responseLength);
  }
  long long sent = 0;

 private:
  Transactor& link_;
};

namespace {

std::string TwoDigits(int n) {
  std::string s = std::to_string(n);
  return s.size() < 2 ? "0" + s : s;
}

// The name as the transmitter holds it, without the blanks and zero bytes that pad it.
std::string TrimmedName(std::string name) {
  while (!name.empty() && (name.back() == ' ' || name.back() == '\0')) name.pop_back();
  return name;
}

std::string Joined(const std::vector<std::string>& items, const char* none) {
  if (items.empty()) return none;
  std::string out;
  for (const std::string& i : items) out += (out.empty() ? "" : ",") + i;
  return out;
}

std::optional<int> Wanted(const LinePlan& plan, NamedSetting setting) {
  for (const auto& [s, v] : plan.values) {
    if (s == setting) return v;
  }
  return std::nullopt;
}

// True when the plan asks for a setting of this kind that the transmitter does not hold.
bool Differs(const LinePlan& plan, const TDeviceData& d, bool (*kind)(NamedSetting)) {
  return std::any_of(plan.values.begin(), plan.values.end(), [&](const auto& sv) {
    return kind(sv.first) && HeldSettingValue(d, sv.first) != sv.second;
  });
}

template <typename Checks, size_t N>
bool SameFlags(const Checks& a, const Checks& b, const std::array<BoxState, N>& boxes) {
  for (size_t i = 0; i < N; ++i) {
    if (boxes[i].enabled && a[i] != b[i]) return false;
  }
  return true;
}

bool LocksAsPlanned(const LinePlan& plan, const TDeviceData& d) {
  return !plan.locks || SameFlags(*plan.locks, LockChecksFromData(d), LockPanelState(d).boxes);
}

bool HiddenAsPlanned(const LinePlan& plan, const TDeviceData& d) {
  const auto boxes = HiddenPanelState(d, HiddenChecksFromData(d));
  return !plan.hidden || SameFlags(*plan.hidden, HiddenChecksFromData(d), boxes);
}

bool IsBattery(NamedSetting s) { return s == NamedSetting::Battery; }
bool IsRfPower(NamedSetting s) { return s == NamedSetting::RfPower; }

// What the transmitter holds that differs from the line, read back; "" when all agree.
std::string Mismatches(const StationLine& line, const LinePlan& plan, const TDeviceData& d) {
  std::vector<std::string> out;
  if (d.curGroup != plan.group || d.curChannel != plan.channel) {
    const ItemList groups = GroupListItems(d);
    out.push_back("tuned to group " + (d.curGroup < 0 ? std::string("-") : ItemText(groups, d.curGroup)) +
                  " channel " + (d.curChannel < 0 ? std::string("-") : TwoDigits(d.curChannel)) +
                  ", not group " + line.group + " channel " + line.channel);
  } else if (plan.freqKHz && d.curFreqKHz != *plan.freqKHz) {
    out.push_back("frequency reads " + plan::MHzText(d.curFreqKHz) + " MHz, not " +
                  plan::MHzText(*plan.freqKHz) + " MHz");
  }
  for (const auto& [setting, value] : plan.values) {
    if (HeldSettingValue(d, setting) == value) continue;
    std::string typed;
    for (const auto& [s, t] : line.settings)
      if (s == setting) typed = t;
    out.push_back(std::string(NamedSettingName(setting)) + " reads '" + HeldSettingText(d, setting) +
                  "', not '" + typed + "'");
  }
  if (plan.name && TrimmedName(d.txName) != *plan.name) {
    out.push_back("name reads '" + TrimmedName(d.txName) + "', not '" + *plan.name + "'");
  }
  if (!LocksAsPlanned(plan, d)) out.push_back("menu locks read " + Joined(LockedItems(d), "none"));
  if (!HiddenAsPlanned(plan, d)) out.push_back("hidden menu items read " + Joined(HiddenItems(d), "none"));
  std::string text;
  for (const std::string& o : out) text += (text.empty() ? "" : "; ") + o;
  return text;
}

void Say(const StationHooks& hooks, const std::string& step) {
  if (hooks.onStep) hooks.onStep(step);
}

}  // namespace

std::string StationTimeNow() {
  const std::time_t now = std::time(nullptr);
  char buf[32] = {};
  if (const std::tm* local = std::localtime(&now)) std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", local);
  return buf;
}

ProgrammingStation::ProgrammingStation(Transactor& link, TDeviceData& data, PresetStore& presets,
                                       StationList list, std::string reportPath,
                                       uint8_t interfaceKind, const AccessCodes& codes)
    : link_(std::make_unique<Counter>(link)),
      data_(data),
      presets_(presets),
      list_(std::move(list)),
      reportPath_(std::move(reportPath)),
      interfaceKind_(interfaceKind),
      codes_(codes),
      lineStates_(list_.lines.size(), LineState::Pending),
      lineSerials_(list_.lines.size()) {
  // Whatever the front end held belongs to the transmitter before: the station starts
  // with nothing in front of the window.
  data_.ResetDeviceData();
  presets_.Clear();
}

ProgrammingStation::~ProgrammingStation() = default;

long long ProgrammingStation::requestsSent() const { return link_->sent; }

std::optional<size_t> ProgrammingStation::NextLine() const {
  for (size_t i = 0; i < lineStates_.size(); ++i) {
    if (lineStates_[i] != LineState::Done) return i;
  }
  return std::nullopt;
}

size_t ProgrammingStation::linesDone() const {
  return static_cast<size_t>(std::count(lineStates_.begin(), lineStates_.end(), LineState::Done));
}

std::string ProgrammingStation::Start() {
  std::string text, error;
  const TextFileStatus st = ReadWholeFile(reportPath_, 16u * 1024u * 1024u, text, error);
  if (st != TextFileStatus::Ok && st != TextFileStatus::NotFound) return "The report " + error;
  if (st == TextFileStatus::Ok) {
    const StationReportRead earlier = ParseStationReport(text, list_);
    if (!earlier.ok) {
      return "The report " + reportPath_ + " cannot be continued: " + earlier.error +
             "; choose another report file";
    }
    for (const StationEntry& e : earlier.entries) {
      if (e.outcome != StationOutcome::Ok) continue;
      const auto at = std::find_if(list_.lines.begin(), list_.lines.end(),
                                   [&](const StationLine& l) { return l.line == e.line; });
      const bool matches = at != list_.lines.end() && at->group == e.group &&
                           at->channel == e.channel && (!at->nameGiven || at->name == e.name);
      if (!matches) {
        return "The report " + reportPath_ + " cannot be continued: it gives line " +
               std::to_string(e.line) + " as done (serial " + e.serial + ", name \"" + e.name +
               "\", group " + e.group + ", channel " + e.channel +
               "), which is not that line of this list; choose another report file";
      }
      const size_t index = static_cast<size_t>(at - list_.lines.begin());
      lineStates_[index] = LineState::Done;
      lineSerials_[index] = e.serial;
      doneSerials_.insert(e.serial);
    }
    entries_ = earlier.entries;
  }
  return WriteReport();
}

std::string ProgrammingStation::WriteReport() {
  std::string error;
  if (!WriteWholeFile(reportPath_, StationReportCsv(list_, entries_), error)) {
    return "The report could not be written: " + error;
  }
  return "";
}

StationTick ProgrammingStation::Tick(const StationHooks& hooks) {
  StationTick tick;
  if (AllDone() && phase_ != StationPhase::WaitingForDeparture) return tick;
  const long long before = link_->sent;
  const PresenceTick probe = PresenceProbe(*link_, data_, interfaceKind_, codes_);
  if (phase_ == StationPhase::WaitingForDeparture) {
    const bool left = probe.event == PresenceEvent::Left ||
                      (probe.event == PresenceEvent::Arrived && probe.leftFirst);
    if (!left) return tick;
    tick.event = StationEvent::Left;
    phase_ = StationPhase::WaitingForTransmitter;
    current_.reset();
    if (probe.event == PresenceEvent::Left) {
      data_.ResetDeviceData();
      presets_.Clear();
      return tick;
    }
  }
  if (probe.event != PresenceEvent::Arrived) return tick;
  if (AllDone()) {
    // Every line is done: a transmitter that comes now is left as it is.
    data_.ResetDeviceData();
    return tick;
  }

  phase_ = StationPhase::Programming;
  StationEntry entry = Handle(hooks);
  entry.requests = static_cast<int>(link_->sent - before);
  entry.time = clock ? clock() : StationTimeNow();
  entries_.push_back(std::move(entry));
  ++handled_;
  tick.event = StationEvent::Handled;
  tick.entry = &entries_.back();
  const std::string error = WriteReport();
  if (!error.empty()) {
    tick.event = StationEvent::ReportFailed;
    tick.error = error;
  }
  return tick;
}

bool ProgrammingStation::StillThere() {
  // The poll's own question, without forgetting the transmitter: its family's code.
  const ModelInfo* model = FindModel(data_.modelType);
  if (model == nullptr) return false;
  ServiceCommands service(*link_);
  return service.Unlock(model->family == ProbeFamily::Handheld ? codes_.handheld : codes_.bodypack);
}

ProgrammingStation::Step ProgrammingStation::Run(const StationHooks& hooks, const std::string& what,
                                                 const std::function<bool()>& step) {
  if (hooks.stopRequested && hooks.stopRequested()) return Step::Stopped;
  Say(hooks, what);
  for (int attempt = 0; attempt < 2; ++attempt) {
    const bool done = step();
    RunPump(hooks.pump);
    if (done) return Step::Done;
    if (!StillThere()) return Step::Gone;
  }
  return Step::Failed;
}

void ProgrammingStation::FillReadBack(StationEntry& e) const {
  const TDeviceData& d = data_;
  e.name = d.txNameSupported ? TrimmedName(d.txName) : "";
  const bool tuned = d.curGroup >= 0 && d.curChannel >= 0;
  e.group = tuned ? ItemText(GroupListItems(d), d.curGroup) : "-";
  e.channel = tuned ? TwoDigits(d.curChannel) : "-";
  e.frequency = tuned ? plan::MHzText(d.curFreqKHz) : "-";
  e.settings.clear();
  for (NamedSetting s : list_.settingColumns) e.settings.push_back(HeldSettingText(d, s));
  if (list_.hasLock) e.lock = d.groupLockSupported ? Joined(LockedItems(d), "none") : "";
  if (list_.hasHidden) e.hidden = d.hiddenMenuSupported ? Joined(HiddenItems(d), "none") : "";
}

StationEntry ProgrammingStation::Handle(const StationHooks& hooks) {
  StationEntry entry;
  entry.model = ModelName(data_.modelType);
  auto finish = [&](StationOutcome outcome, std::string what, StationPhase next) {
    entry.outcome = outcome;
    entry.what = std::move(what);
    phase_ = next;
    if (next == StationPhase::WaitingForTransmitter) {
      // It has left the IR window: the next tick looks for a new one.
      data_.ResetDeviceData();
      presets_.Clear();
    }
    return entry;
  };
  auto gone = [&] { return finish(StationOutcome::Interrupted, "left the IR window", StationPhase::WaitingForTransmitter); };
  auto alreadyDone = [&]() -> std::optional<StationEntry> {
    entry.serial = data_.SerialText();
    if (doneSerials_.count(entry.serial) == 0) return std::nullopt;
    for (size_t i = 0; i < lineSerials_.size(); ++i) {
      if (lineStates_[i] == LineState::Done && lineSerials_[i] == entry.serial) entry.line = list_.lines[i].line;
    }
    return finish(StationOutcome::AlreadyDone, "", StationPhase::WaitingForDeparture);
  };

  // The serial decides whether this transmitter was programmed before: read it alone
  // first, so that one presented twice costs a single request, not a full read.
  Say(hooks, "Reading the serial number");
  CommandSet commands(*link_, data_);
  if (!commands.ReadSerialNumber() && !commands.ReadSerialNumber()) {
    if (!StillThere()) return gone();
    return finish(StationOutcome::Failed, "serial number not read", StationPhase::WaitingForDeparture);
  }
  if (auto done = alreadyDone()) return *done;

  const size_t index = *NextLine();
  const StationLine& line = list_.lines[index];
  current_ = index;
  entry.line = line.line;
  auto lineFailed = [&] {
    lineStates_[index] = LineState::Failed;
    lineSerials_[index] = entry.serial;
  };

  Say(hooks, "Reading the transmitter");
  FullReadOptions options;
  options.readFirstGroup = false;
  options.pump = hooks.pump;
  const FullReadResult read = FullRead(*link_, data_, presets_, options);
  entry.model = ModelName(data_.modelType);
  if (read.faulty) {
    FillReadBack(entry);
    lineFailed();
    if (!StillThere()) return gone();
    std::string steps;
    for (ReadStep s : read.failedSteps) steps += (steps.empty() ? "" : ", ") + std::string(ReadStepName(s));
    return finish(StationOutcome::Failed, "read error (" + steps + ")", StationPhase::WaitingForDeparture);
  }
  // The serial as the full read confirmed it.
  if (auto done = alreadyDone()) return *done;

  LinePlan plan;
  const std::string refusal = PlanLine(list_, line, data_, plan);
  if (!refusal.empty()) {
    FillReadBack(entry);
    lineFailed();
    return finish(StationOutcome::Refused, refusal, StationPhase::WaitingForDeparture);
  }

  std::string what;
  const Step outcome = Program(line, plan, hooks, what);
  FillReadBack(entry);
  switch (outcome) {
    case Step::Done:
      lineStates_[index] = LineState::Done;
      lineSerials_[index] = entry.serial;
      doneSerials_.insert(entry.serial);
      return finish(StationOutcome::Ok, "", StationPhase::WaitingForDeparture);
    case Step::Failed:
      lineFailed();
      return finish(StationOutcome::Failed, what, StationPhase::WaitingForDeparture);
    case Step::Stopped:
      lineFailed();
      return finish(StationOutcome::Interrupted, "stopped", StationPhase::WaitingForDeparture);
    case Step::Gone:
      break;
  }
  lineFailed();
  return gone();
}

ProgrammingStation::Step ProgrammingStation::Program(const StationLine& line, LinePlan& plan,
                                                     const StationHooks& hooks, std::string& what) {
  TDeviceData& d = data_;
  Transactor& link = *link_;
  CommandSet commands(link, d);
  auto failed = [&](Step step, const std::string& text) {
    if (step == Step::Failed) what = text;
    return step;
  };

  // The configuration first: the line's own values then take its place where they differ.
  if (plan.config) {
    if (hooks.stopRequested && hooks.stopRequested()) return Step::Stopped;
    Say(hooks, "Applying the configuration " + line.config);
    const ConfigChoices choices = DecideConfigChoices(*plan.config, d);
    bool editLocked = false;  // the station's writes are the user's: no edit lock
    const FileOpResult r = ApplyConfiguration(link, d, presets_, *plan.config, choices,
                                              DefaultSelection(choices), editLocked);
    RunPump(hooks.pump);
    if (!r.ok() || r.completedWithGaps()) {
      if (!StillThere()) return Step::Gone;
      std::string gaps;
      for (const std::string& g : r.gaps) gaps += (gaps.empty() ? "" : ", ") + g;
      what = "configuration " + line.config + ": " + (gaps.empty() ? r.message : gaps);
      return Step::Failed;
    }
    // The configuration may have changed what the model's lists offer (the microphone
    // mode decides the PTT and LED lists and the gain range).
    const std::string why = PlanLine(list_, line, d, plan);
    if (!why.empty()) {
      what = "after the configuration: " + why;
      return Step::Failed;
    }
  }

  const bool tunedThere = d.curGroup == plan.group && d.curChannel == plan.channel;
  bool frequencyWritten = false;
  if (plan.freqKHz && !(tunedThere && d.curFreqKHz == *plan.freqKHz)) {
    const Step s = Run(hooks, "Writing the frequency of channel " + line.channel, [&] {
      return commands.WriteChannelFrequency(plan.channel, plan.group, *plan.freqKHz);
    });
    if (s != Step::Done) return failed(s, "frequency not written");
    frequencyWritten = true;
  }
  if (!tunedThere) {
    bool hidden = false;
    const Step s = Run(hooks, "Tuning", [&] {
      const SettingResult r = GroupChannelChange(link, d, plan.group, plan.channel, hooks.pump);
      hidden = !r.written && r.readBack && !(d.curGroup == plan.group && d.curChannel == plan.channel);
      return r.readBack && (r.written || hidden);
    });
    if (s != Step::Done) return failed(s, "tuning not written");
    if (hidden) {
      what = "channel " + line.channel + " of group " + line.group + " is hidden: not tuned";
      return Step::Failed;
    }
  } else if (frequencyWritten) {
    // Tuned to that channel already: the tuned frequency reads the new value back.
    const Step s = Run(hooks, "Reading the frequency back", [&] { return commands.ReadFrequency(); });
    if (s != Step::Done) return failed(s, "frequency not read back");
  }

  // The microphone first: its mode decides the gain range and the PTT and LED lists, and
  // the transmitter may change those settings with it.
  if (Differs(plan, d, IsMicSetting)) {
    const int mode = Wanted(plan, NamedSetting::MicMode).value_or(d.micMode);
    const int phase = Wanted(plan, NamedSetting::Phase).value_or(d.micPhase);
    const int ptt = Wanted(plan, NamedSetting::Ptt).value_or(d.micPTT);
    const int modeBefore = d.micMode;
    const Step s = Run(hooks, "Writing the microphone settings", [&] {
      bool ok = commands.WriteMic(std::max(mode, 0), std::max(phase, 0), ptt) && commands.ReadMic();
      if (ok && d.micMode != modeBefore) ok = RefreshAudio(link, d) && RefreshLed(link, d);
      return ok;
    });
    if (s != Step::Done) return failed(s, "microphone settings not written");
  }
  if (Differs(plan, d, IsAudioSetting)) {
    AudioRequest request = CurrentAudio(d);
    for (const auto& [setting, value] : plan.values) {
      switch (setting) {
        case NamedSetting::Gain: request.gain = value; break;
        case NamedSetting::HpFilter: request.filter = value; break;
        case NamedSetting::Display: request.display = value; break;
        case NamedSetting::Limiter: request.limiter = value != 0; break;
        case NamedSetting::NoiseReduction: request.preEmphasis = value; break;
        case NamedSetting::Modulation: request.modulation = value; break;
        case NamedSetting::LowPass: request.lowPass = value; break;
        default: break;
      }
    }
    const Step s = Run(hooks, "Writing the audio settings", [&] {
      const SettingResult r = AudioChange(link, d, request);
      return r.written && r.readBack;
    });
    if (s != Step::Done) return failed(s, "audio settings not written");
  }
  if (Differs(plan, d, IsBattery)) {
    const int type = *Wanted(plan, NamedSetting::Battery);
    const Step s = Run(hooks, "Writing the battery type", [&] {
      const SettingResult r = BatteryTypeChange(link, d, type);
      return r.written && r.readBack;
    });
    if (s != Step::Done) return failed(s, "battery not written");
  }
  if (Differs(plan, d, IsRfPower)) {
    const int level = *Wanted(plan, NamedSetting::RfPower);
    const Step s = Run(hooks, "Writing the RF power", [&] {
      const SettingResult r = RFPowerChange(link, d, level);
      return r.written && r.readBack;
    });
    if (s != Step::Done) return failed(s, "rf-power not written");
  }
  if (Differs(plan, d, IsLedSetting)) {
    const int light = Wanted(plan, NamedSetting::LedLight).value_or(d.ledLight);
    const int mode = Wanted(plan, NamedSetting::LedMode).value_or(d.ledMode);
    const Step s = Run(hooks, "Writing the LED settings", [&] {
      const SettingResult r = LedChange(link, d, light, mode);
      return r.written && r.readBack;
    });
    if (s != Step::Done) return failed(s, "LED settings not written");
  }
  if (plan.name && TrimmedName(d.txName) != *plan.name) {
    const std::string name = *plan.name;
    const Step s = Run(hooks, "Writing the name", [&] {
      const SettingResult r = TxNameChange(link, d, name);
      return r.written && r.readBack;
    });
    if (s != Step::Done) return failed(s, "name not written");
  }
  if (!LocksAsPlanned(plan, d)) {
    const LockChecks checks = *plan.locks;
    const Step s = Run(hooks, "Writing the menu locks", [&] {
      return ckLockClick(link, d, checks) && RefreshLockFlags(link, d);
    });
    if (s != Step::Done) return failed(s, "menu locks not written");
  }
  if (!HiddenAsPlanned(plan, d)) {
    const HiddenChecks checks = *plan.hidden;
    const Step s = Run(hooks, "Writing the hidden menu items", [&] {
      return ckMenuHiddenClick(link, d, checks) && RefreshHiddenFlags(link, d);
    });
    if (s != Step::Done) return failed(s, "hidden menu items not written");
  }

  what = Mismatches(line, plan, d);
  return what.empty() ? Step::Done : Step::Failed;
}

}  // namespace zentra
