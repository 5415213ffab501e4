// What every part of the main window shares: the one link, the one TDeviceData with its
// command set, the preset store, the flags `updating` and `editLocked`, and the events by
// which one view tells the others that the transmitter changed under them. The main
// window owns it; views hold a reference and never reach a sibling view's controls.
#pragma once

#include <QObject>
#include <functional>

#include "device/MenuFlags.h"

class QWidget;

namespace zentra {

class CommandSet;
class IrLink;
class PresetStore;
struct TDeviceData;

class WindowState : public QObject {
  Q_OBJECT

 public:
  WindowState(IrLink& link, TDeviceData& device, CommandSet& commands, PresetStore& presets,
              QWidget* window);

  IrLink& link;
  TDeviceData& device;
  CommandSet& commands;
  PresetStore& presets;
  // Parent of the message boxes and dialogs the views open.
  QWidget* const window;

  // Set while the program itself fills controls; change handlers then do nothing.
  bool updating = false;
  // The edit lock of panelLock; every full read sets it.
  bool editLocked = false;
  // A long operation (a table-file walk, a configuration load) is running and lets
  // events run between its commands: the presence poll steps aside meanwhile.
  bool busy = false;

  // The first step of every change handler. False when the change must not be sent:
  // while `updating` is set (the program itself is filling controls), or while the edit
  // lock is on, in which case it beeps and runs putBack (with `updating` set, so the
  // put-back fires no handler) to show the transmitter's values again.
  bool AcceptUserChange(const std::function<void()>& putBack);

  // The platform's default beep; tests replace it to count refusals.
  std::function<void()> beep;

  // The fourteen hidden boxes of the user menu as the window shows them. They sit in
  // several views (the setting boxes, the preset box, the device box), and a click on
  // any of them writes the whole two bytes from all of them: this is where the views
  // meet. Filled by the hidden-flag refresh; a view shows its own boxes from it when
  // menuFlagsChanged comes.
  HiddenChecks hiddenShown{};
  std::array<bool, kHiddenBoxCount> hiddenEnabled{};

 signals:
  // The tuned group, channel or frequency of the transmitter changed (a tuning write, a
  // ctrl-click tune, a preset activation): views that show the tuning show it again
  // from TDeviceData.
  void tuningChanged();
  // The audio display unit (dB / dBu) shown in the Audio box changed.
  void audioDisplayChanged();
  // A channel's frequency or flags, or a group's flags or name, were written.
  void frequencyTableChanged(int group);
  // Many settings changed on the transmitter at once and were read back (a
  // configuration load, a preset activation): every view shows them again from
  // TDeviceData and the preset store.
  void settingsReread();
  // An operation that held the edit lock on has put it back as the user left it: the
  // window shows the lock again (caption, name fields, preset panel).
  void editLockChanged();
  // The hidden boxes were read or put back: every view shows its boxes from
  // hiddenShown / hiddenEnabled.
  void menuFlagsChanged();
  // A preset's name or record was written or the presets were read again: views that
  // show preset names show them again from the preset store.
  void presetsChanged();
  // A transmitter arrived and was read, or left, or the interface was closed: what
  // shows the device data as a whole (the power profile dialog) shows it again.
  void transmitterChanged();
};

// Sets `updating` for the life of a handler and puts back what it was, so a view that
// fills its controls inside another's reload leaves the flag as it found it.
class UpdatingScope {
 public:
  explicit UpdatingScope(WindowState& state) : state_(state), previous_(state.updating) {
    state_.updating = true;
  }
  ~UpdatingScope() { state_.updating = previous_; }
  UpdatingScope(const UpdatingScope&) = delete;
  UpdatingScope& operator=(const UpdatingScope&) = delete;

 private:
  WindowState& state_;
  bool previous_;
};

}  // namespace zentra
