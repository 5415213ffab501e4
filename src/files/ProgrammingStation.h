// The programming station: many transmitters programmed one after another from a list,
// the same run for the window and the command line. Each tick of its poll runs the
// presence probe. A transmitter that answers is identified; a serial that already has an
// OK line is reported "ALREADY DONE"; otherwise it is read in full and programmed with
// the first line not yet done, in this order: the line's configuration file, the
// frequency of its channel, the tuning, the settings (microphone, audio, battery, RF
// power, LED), the name, the menu lock and hidden flags. Every write is read back, a
// value the transmitter already holds is not written again, and at the end every value
// read back must equal the line. A transmitter that leaves in the middle is reported
// "INTERRUPTED" and its line stays pending for the next one. After every transmitter the
// report is written (through a temporary file renamed into place), so a crash loses
// nothing done; then the station waits for the transmitter to leave and for the next.
//
// Nothing is written to a transmitter outside a tick, and the window's edit lock does not
// apply: the user started the run.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "device/AccessCodes.h"
#include "device/PumpHook.h"
#include "files/StationList.h"
#include "files/StationReport.h"
#include "link/Transactor.h"

namespace zentra {

struct PresetStore;
struct TDeviceData;

struct StationHooks {
  PumpHook pump;                        // between commands (the window stays live)
  std::function<bool()> stopRequested;  // Stop / Ctrl-C: the transmitter is left at the next step
  // What the station does now ("Reading the transmitter", "Writing rf-power", ...).
  std::function<void(const std::string&)> onStep;
};

enum class StationEvent {
  Nothing,       // no transmitter came, or the one handled is still there
  Handled,       // a transmitter was handled: entry holds its report line
  Left,          // the transmitter handled before has left the IR window
  ReportFailed,  // the report could not be written: the run must stop (error says why)
};

struct StationTick {
  StationEvent event = StationEvent::Nothing;
  const StationEntry* entry = nullptr;
  std::string error;
};

enum class StationPhase {
  WaitingForTransmitter,  // nothing in front of the window: present the next one
  Programming,            // inside a tick
  WaitingForDeparture,    // the transmitter handled is still in front of the window
};

enum class LineState { Pending, Done, Failed };

class ProgrammingStation {
 public:
  // The link, device data and preset store are the front end's own; interfaceKind is the
  // kind of the interface in use.
  ProgrammingStation(Transactor& link, TDeviceData& data, PresetStore& presets,
                     StationList list, std::string reportPath, uint8_t interfaceKind,
                     const AccessCodes& codes = ActiveAccessCodes());
  ~ProgrammingStation();
  ProgrammingStation(const ProgrammingStation&) = delete;
  ProgrammingStation& operator=(const ProgrammingStation&) = delete;

  // Reads the report at reportPath when there is one (its OK lines count as done: the run
  // goes on where an earlier one stopped) and writes it back at once, so a report that
  // cannot be written shows before any transmitter is touched. "" or why it cannot start.
  std::string Start();

  // One tick of the station's poll (the front end calls it every 1200 ms).
  StationTick Tick(const StationHooks& hooks = {});

  const StationList& list() const { return list_; }
  const std::string& reportPath() const { return reportPath_; }
  StationPhase phase() const { return phase_; }
  LineState lineState(size_t index) const { return lineStates_.at(index); }
  // The serial of the transmitter that got the line (Done), or that last failed it.
  const std::string& lineSerial(size_t index) const { return lineSerials_.at(index); }
  // The first line not yet done (the line the next transmitter gets); none when all are.
  std::optional<size_t> NextLine() const;
  // The line being programmed now, or the one the transmitter in front last got.
  std::optional<size_t> currentLine() const { return current_; }
  size_t linesDone() const;
  bool AllDone() const { return !NextLine().has_value(); }
  bool AllOk() const;  // every line done and nothing failed in this run
  int handled() const { return handled_; }  // transmitters handled in this run
  // Every line of the report: the earlier runs' first, then this run's.
  const std::vector<StationEntry>& entries() const { return entries_; }
  // Requests sent through the station since it was made.
  long long requestsSent() const;

  // The time stamp of the report lines; replaceable for tests.
  std::function<std::string()> clock;

 private:
  enum class Step { Done, Failed, Gone, Stopped };
  class Counter;

  StationEntry Handle(const StationHooks& hooks);
  Step Program(const StationLine& line, LinePlan& plan, const StationHooks& hooks,
               std::string& what);
  // A write step with its read-back; on a failure the presence probe decides whether the
  // transmitter is gone, and if it is still there the step runs once more.
  Step Run(const StationHooks& hooks, const std::string& what, const std::function<bool()>& step);
  bool StillThere();
  void FillReadBack(StationEntry& entry) const;
  std::string WriteReport();

  std::unique_ptr<Counter> link_;
  TDeviceData& data_;
  PresetStore& presets_;
  StationList list_;
  std::string reportPath_;
  uint8_t interfaceKind_;
  AccessCodes codes_;
  StationPhase phase_ = StationPhase::WaitingForTransmitter;
  std::vector<LineState> lineStates_;
  std::vector<std::string> lineSerials_;
  std::set<std::string> doneSerials_;
  std::vector<StationEntry> entries_;
  std::optional<size_t> current_;
  int handled_ = 0;
  bool failedInRun_ = false;
};

// The local time as "YYYY-MM-DD HH:MM:SS".
std::string StationTimeNow();

}  // namespace zentra
