// A part of the main window that is a class of its own with its own form (the setting
// panels, the frequency plan, the preset panel, ...), placed in TformMain.ui as a
// promoted widget. A view works on its own controls and the shared WindowState; the main
// window calls the operations below on every view in turn.
#pragma once

#include <QWidget>
#include <vector>

namespace zentra {

class WindowState;
struct FullReadResult;

class WindowView : public QWidget {
  Q_OBJECT

 public:
  using QWidget::QWidget;

  // Connects the view to the shared state; called once, after the window's form is set
  // up. Views connect their handlers here.
  virtual void Attach(WindowState& state);

  // Every control of the view that edits a transmitter setting: these are disabled and
  // emptied when the transmitter leaves.
  virtual std::vector<QWidget*> EditingControls() const;
  // Empties and disables the view (no transmitter, or a new one about to be read).
  virtual void ResetDisplay();
  // A full read is about to start (with `updating` set).
  virtual void BeginFullRead();
  // Fills the view after a full read, from TDeviceData and what the read brought in.
  // Runs with `updating` set.
  virtual void ShowReadResult(const FullReadResult& result);
  // The edit lock was switched on or off.
  virtual void ShowEditLock();
  // Many settings changed on the transmitter at once and the operation that changed
  // them has read them back (a configuration load, a preset activation): the view shows
  // them again from TDeviceData and the preset store, without reading anything itself.
  // Runs with `updating` set.
  virtual void ShowFromData();

 protected:
  WindowState* state = nullptr;
};

// Enables a control with the window colour.
void EnableControl(QWidget* control);
// Disables a control with the button-face colour and resets its value by its class:
// combo box no selection, edit empty, spin edit 0, progress bar 0, check box unchecked.
void DisableControl(QWidget* control);
// EnableControl or DisableControl.
void SetControlEnabled(QWidget* control, bool enabled);
// Gives every control under root that a caption label names (the label's buddy) the
// caption as its accessible name, unless it has one already.
void NameControlsByCaption(QWidget* root);

}  // namespace zentra
