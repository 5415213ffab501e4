// The main window: the interface box (discovery, Connect, indicators), the device box
// filled by the full read, the setting panels, presets and frequency table (brought to
// life step by step), the presence poll and the edit lock. The window owns the one link
// and the one TDeviceData; the command sequences themselves live in the device layer.
#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <memory>
#include <vector>

#include "device/FullRead.h"
#include "device/Presets.h"
#include "device/TDeviceData.h"
#include "link/IrLink.h"
#include "link/Platform.h"
#include "ui/DeviceWatcher.h"
#include "ui/WindowState.h"

class QTimer;
namespace Ui {
class TformMain;
}

namespace zentra {

class CommandSet;
class PlanFileMenu;
class WindowView;

class TformMain : public QMainWindow {
  Q_OBJECT

 public:
  // watcher: the device-change seam; null takes the system's watcher.
  explicit TformMain(Platform platform, std::unique_ptr<DeviceWatcher> watcher = nullptr,
                     QWidget* parent = nullptr);
  ~TformMain() override;

  Ui::TformMain& form() { return *ui; }
  IrLink& link() { return *link_; }
  TDeviceData& deviceData() { return *deviceData_; }
  DeviceWatcher& watcher() { return *watcher_; }
  QTimer& timerPing() { return *timerPing_; }
  const std::vector<InterfaceEntry>& interfaces() const { return interfaces_; }
  // Resource name of the picture shown in imageDevice ("PICTURE_LOGO", ...).
  const QString& currentPicture() const { return currentPicture_; }
  PresetStore& presets() { return presets_; }
  // What the views share: the link, the device data, `updating` and `editLocked`.
  WindowState& state() { return *state_; }
  // The views of the window, in the order they are filled.
  const std::vector<WindowView*>& views() const { return views_; }
  // The frequency planner's File menu entries and its offline plan window.
  PlanFileMenu& planMenu() { return *planMenu_; }

  // Folders searched for the user guide (beside the program, then the installed one;
  // see HelpLocation.h) and how it is opened.
  QStringList helpFolders;
  std::function<bool(const QUrl&)> openUrl;

  // --- interface box ---
  void BuildInterfaceList();
  void btnConnectionClick();
  void Button4Click();
  void mnuExitClick();
  void DeviceChangeHandler(const DeviceChange& change);
  // Presses Connect on the first entry once the list is built (option --connect).
  // Returns false when there is nothing to connect to.
  bool ConnectFirstInterface();

  // --- presence poll, full read and display ---
  void timerPingTimer();
  // Reads a newly identified transmitter into the device data and the window; false
  // when any step failed (the read-error warning has then been shown).
  bool FullRead();
  void ResetDisplay();
  void ShowEditLock();
  void panelLockDblClick();
  // Sends the name typed in EditTXname and shows the name the transmitter then holds.
  void ButtonSetTXnameClick();
  void mnuHelpIndexClick();
  // File menu "Power Frequency Profile": the sub-band table with its plot.
  void FrequencyTable1Click();
  // File menu "Confirm Reads" (Auto, Always, Never): how the link confirms its reads,
  // as zentra-cli --confirm-reads sets it. Kept for this run only; Auto at start.
  void ConfirmReadsClick(ReadConfirmation mode);

  // Service mode (option --service): shows the "Serial Number" and "Debug" boxes below
  // the settings and the "Service" menu of the memory dialogs; the window grows by
  // their height. Off, the window is the ordinary configurator.
  void SetServiceMode(bool on);
  bool serviceMode() const { return serviceMode_; }
  // Shows every view again from TDeviceData after an operation changed many settings
  // at once and read them back (a configuration load, a preset activation).
  void ShowViewsFromData();

  void ShowPicture(const QString& resourceName);
  void SwitchIndicatorsOff();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // An offline plan with unsaved changes is asked about before the window closes.
  void closeEvent(QCloseEvent* event) override;

 private:
  void ConnectHandlers();
  // Accessible names and tool tips of the interface and device boxes.
  void NameControls();
  void ShowInterfacePicture(uint8_t kind);
  // The caption and colour of panelLock.
  void ShowLockPanel();
  // The identity and serial number fields of the Device box, from TDeviceData.
  void ShowIdentity();
  // Fixes the window to its client area, the service boxes included when shown.
  void FixWindowSize();
  // Fills the Device box and every view from what the full read brought in; steps that
  // failed leave their fields empty.
  void ShowReadResult(const FullReadResult& result);
  // The kind of the selected interface entry (0 when the list is empty).
  uint8_t SelectedInterfaceKind() const;
  // The controls of the Device box that edit a transmitter setting (the name, the
  // menu-info hidden flag); the views list their own.
  std::vector<QWidget*> EditingControls() const;

  std::unique_ptr<Ui::TformMain> ui;
  std::unique_ptr<IrLink> link_;
  std::unique_ptr<TDeviceData> deviceData_;
  std::unique_ptr<CommandSet> commands_;
  std::unique_ptr<WindowState> state_;
  std::vector<WindowView*> views_;
  PlanFileMenu* planMenu_ = nullptr;
  std::unique_ptr<DeviceWatcher> watcher_;
  bool watching_ = false;
  QTimer* timerPing_ = nullptr;
  std::vector<InterfaceEntry> interfaces_;
  PresetStore presets_;
  QString currentPicture_;
  bool serviceMode_ = false;
};

// The resource path of a picture name ("PICTURE_ZQK220" -> ":/PICTURE_ZQK220").
QString PictureResource(const QString& name);

}  // namespace zentra
