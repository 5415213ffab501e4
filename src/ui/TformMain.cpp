#include "ui/TformMain.h"

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QStringList>
#include <QSvgRenderer>
#include <QPainter>
#include <QTimer>
#include <utility>

#include "buildinfo/BuildInfo.h"
#include "device/CommandSet.h"
#include "device/Settings.h"
#include "device/FrequencyPlan.h"
#include "device/Presence.h"
#include "link/LinkWait.h"
#include "link/UsbDiagnostics.h"
#include "ui/ActivePresetView.h"
#include "ui/ConfigFileHandlers.h"
#include "ui/FrequencyPlanView.h"
#include "ui/HelpLocation.h"
#include "ui/PresetPanelView.h"
#include "ui/ServiceView.h"
#include "ui/SettingsPanelsView.h"
#include "ui/StationHandlers.h"
#include "ui/TFormPowerProfile.h"
#include "ui/PlanFileMenu.h"
#include "ui/TableFileHandlers.h"
#include "ui/UserMessages.h"
#include "ui/WindowView.h"
#include "ui_TformMain.h"

// Resources of a static library are registered by name, outside any namespace.
static void InitPictureResources() { Q_INIT_RESOURCE(pictures); }

namespace zentra {

namespace {
constexpr int kPingIntervalMs = 1200;
constexpr int kUsbTimeoutMs = 2000;
const QColor kLockedColour(254, 241, 7);  // the yellow of "LOCKED"
constexpr int kClientWidth = 1016;
constexpr int kClientHeight = 593;
}  // namespace

QString PictureResource(const QString& name) { return ":/" + name; }

TformMain::TformMain(Platform platform, std::unique_ptr<DeviceWatcher> watcher, QWidget* parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::TformMain>()) {
  InitPictureResources();
  // Creation in the order the link expects: the form, the link with its codec, the
  // device data and the state the views share, the flag that keeps handlers quiet while
  // controls are filled, the picture, the indicators, the USB timeouts, device-change
  // watching, then the interface list.
  ui->setupUi(this);
  // The caption carries the version every program's --version prints.
  setWindowTitle(QString("Quorvex Zentra - ") + kZentraVersion);
  link_ = std::make_unique<IrLink>(std::move(platform));
  deviceData_ = std::make_unique<TDeviceData>();
  commands_ = std::make_unique<CommandSet>(*link_, *deviceData_);
  state_ = std::make_unique<WindowState>(*link_, *deviceData_, *commands_, presets_, this);
  views_ = {ui->frequencyPlan, ui->settingsPanels, ui->activePreset, ui->presetPanel,
            ui->service};
  for (WindowView* view : views_) view->Attach(*state_);
  // The file operations have handler classes of their own, children of the window.
  new TableFileHandlers(*state_, *ui->frequencyPlan, this);
  new ConfigFileHandlers(*state_, ui->mnuLoadConfig, ui->mnuSaveConfig, this);
  planMenu_ = new PlanFileMenu(*state_, *ui->frequencyPlan, ui->mnuFile, ui->FrequencyTable1, this);
  new StationHandlers(*this, ui->mnuStation, this);
  state_->updating = true;
  ShowPicture("PICTURE_LOGO");
  ui->ledError->setBackOnColor(QColor(255, 0, 0));
  link_->serialOpen = false;
  link_->serialBusy = false;
  link_->usbHandle = 0;
  link_->usb().SI_SetTimeouts(kUsbTimeoutMs, kUsbTimeoutMs);

  link_->onActivity = [this](bool on) { ui->ledActivity->setLight(on); };
  link_->onError = [this](bool on) { ui->ledError->setLight(on); };
  link_->onSingleMessageWait = [this] {
    ShowUserMessage(nullptr, "Msg Wait", "Press OK to continue", QMessageBox::NoIcon);
  };

  timerPing_ = new QTimer(this);
  timerPing_->setObjectName("timerPing");
  timerPing_->setInterval(kPingIntervalMs);
  timerPing_->setSingleShot(false);

  watcher_ = watcher ? std::move(watcher) : MakeSystemDeviceWatcher();
  watching_ = watcher_->Start();
  if (!watching_) {
    ShowUserMessage(this, "ERROR", "Error enabling device notification", QMessageBox::Critical);
  }
  link_->rxTimedOut = true;

  ConnectHandlers();
  NameControls();

  helpFolders = HelpFolders(QCoreApplication::applicationDirPath());
  openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };

  BuildInterfaceList();
  SwitchIndicatorsOff();
  state_->updating = false;
  SetServiceMode(false);

  // Fixed size: the client area is 1016 x 593 below the menu bar, centred on the desktop.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
}

TformMain::~TformMain() {
  // Destruction in the reverse order of need: stop watching, close the link, then
  // the device data.
  timerPing_->stop();
  if (watcher_) watcher_->Stop();
  watching_ = false;
  link_->onActivity = nullptr;
  link_->onError = nullptr;
  link_->CloseInterface();
  commands_.reset();
  link_.reset();
  deviceData_.reset();
}

void TformMain::ConnectHandlers() {
  connect(ui->btnConnection, &QPushButton::clicked, this,
          [this] { RunGuarded([this] { btnConnectionClick(); }); });
  connect(ui->Button4, &QPushButton::clicked, this,
          [this] { RunGuarded([this] { Button4Click(); }); });
  connect(ui->mnuExit, &QAction::triggered, this, [this] { mnuExitClick(); });
  connect(ui->mnuHelpIndex, &QAction::triggered, this,
          [this] { RunGuarded([this] { mnuHelpIndexClick(); }); });
  connect(ui->FrequencyTable1, &QAction::triggered, this,
          [this] { RunGuarded([this] { FrequencyTable1Click(); }); });
  auto* confirmGroup = new QActionGroup(this);
  const std::pair<QAction*, ReadConfirmation> confirmActions[] = {
      {ui->mnuConfirmReadsAuto, ReadConfirmation::Auto},
      {ui->mnuConfirmReadsAlways, ReadConfirmation::Always},
      {ui->mnuConfirmReadsNever, ReadConfirmation::Never}};
  for (const auto& [action, mode] : confirmActions) {
    confirmGroup->addAction(action);
    connect(action, &QAction::triggered, this, [this, mode = mode] { ConfirmReadsClick(mode); });
  }
  ui->mnuConfirmReads->setToolTipsVisible(true);
  // The Service menu opens the memory dialogs of the service view.
  ServiceView* service = ui->service;
  const std::pair<QAction*, void (ServiceView::*)()> serviceActions[] = {
      {ui->SaveXEEPROM1, &ServiceView::SaveXEEPROM1Click},
      {ui->LoadXEEPROM1, &ServiceView::LoadXEEPROM1Click},
      {ui->VerifyXEEPROM1, &ServiceView::VerifyXEEPROM1Click},
      {ui->SaveCalEEPROM1, &ServiceView::SaveCalEEPROM1Click},
      {ui->LoadCalEEPROM1, &ServiceView::LoadCalEEPROM1Click},
      {ui->VerifyCalEEPROM1, &ServiceView::VerifyCalEEPROM1Click}};
  for (const auto& [action, handler] : serviceActions) {
    connect(action, &QAction::triggered, service,
            [service, handler = handler] { RunGuarded([service, handler] { (service->*handler)(); }); });
  }
  connect(service, &ServiceView::identityChanged, this, [this] { ShowIdentity(); });
  connect(timerPing_, &QTimer::timeout, this,
          [this] { RunGuarded([this] { timerPingTimer(); }); });
  connect(watcher_.get(), &DeviceWatcher::deviceChanged, this,
          [this](const DeviceChange& change) {
            RunGuarded([this, &change] { DeviceChangeHandler(change); });
          });
  ui->panelLock->installEventFilter(this);
  connect(state_.get(), &WindowState::settingsReread, this,
          [this] { RunGuarded([this] { ShowViewsFromData(); }); });
  connect(state_.get(), &WindowState::editLockChanged, this,
          [this] { RunGuarded([this] { ShowEditLock(); }); });
  // The name is sent by SET and when the user leaves the field after typing.
  connect(ui->ButtonSetTXname, &QPushButton::clicked, this,
          [this] { RunGuarded([this] { ButtonSetTXnameClick(); }); });
  connect(ui->EditTXname, &QLineEdit::editingFinished, this, [this] {
    if (ui->EditTXname->isModified()) RunGuarded([this] { ButtonSetTXnameClick(); });
  });
  // The menu-info box is one of the user menu's hidden flags (the others are in the
  // setting boxes); a click writes both hidden bytes.
  connect(ui->ckMenuInfoHidden, &QCheckBox::clicked, this, [this] {
    RunGuarded([this] { HiddenBoxClick(*state_, HiddenBox::MenuInfo, ui->ckMenuInfoHidden); });
  });
  connect(state_.get(), &WindowState::menuFlagsChanged, this,
          [this] { ShowHiddenBox(*state_, HiddenBox::MenuInfo, ui->ckMenuInfoHidden); });
}

void TformMain::NameControls() {
  NameControlsByCaption(ui->groupInterface);
  NameControlsByCaption(ui->groupDevice);
  ui->listInterface->setAccessibleName("Interface");
  ui->listInterface->setToolTip("IR interface to connect to");
  ui->btnConnection->setAccessibleName("Connection");
  ui->btnConnection->setToolTip("Connect to or disconnect from the selected interface");
  ui->Button4->setAccessibleName("Search interfaces");
  ui->ledConnection->setAccessibleName(ui->label_1->text());
  ui->ledActivity->setAccessibleName(ui->label_2->text());
  ui->ledError->setAccessibleName(ui->label_3->text());
  // The lock panel's accessible name carries its state (ShowLockPanel).
  ui->imageDevice->setAccessibleName("Transmitter picture");
  ui->valueOpt_1->setAccessibleName("Options 2:");
  ui->EditTXname->setToolTip("Transmitter name; sent when you leave the field");
  ui->ButtonSetTXname->setAccessibleName("Set name");
}

void TformMain::ButtonSetTXnameClick() {
  TDeviceData& d = *deviceData_;
  QLineEdit* edit = ui->EditTXname;
  auto showName = [&] {
    edit->setText(QString::fromLatin1(d.txName.c_str()));
    edit->setModified(false);
  };
  if (!state_->AcceptUserChange(showName)) return;
  if (!d.txNameSupported) return;
  // Only printable ASCII reaches the transmitter.
  std::string name;
  for (const QChar ch : edit->text()) {
    const char16_t u = ch.unicode();
    name.push_back(u >= 32 && u <= 126 ? static_cast<char>(u) : ' ');
  }
  UpdatingScope updating(*state_);
  TxNameChange(*link_, d, name);
  showName();
}

bool TformMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ui->panelLock && event->type() == QEvent::MouseButtonDblClick) {
    RunGuarded([this] { panelLockDblClick(); });
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------
// Pictures and indicators

void TformMain::ShowPicture(const QString& resourceName) {
  currentPicture_ = resourceName;
  QLabel* image = ui->imageDevice;
  QSvgRenderer renderer(PictureResource(resourceName));
  const QSize area = image->contentsRect().size();
  QPixmap pixmap(area * image->devicePixelRatioF());
  pixmap.setDevicePixelRatio(image->devicePixelRatioF());
  pixmap.fill(Qt::transparent);
  if (renderer.isValid()) {
    QSize drawn = renderer.defaultSize().scaled(area, Qt::KeepAspectRatio);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF((area.width() - drawn.width()) / 2.0,
                                             (area.height() - drawn.height()) / 2.0),
                                     drawn));
  }
  image->setPixmap(pixmap);
  image->setToolTip(resourceName.mid(QStringLiteral("PICTURE_").size()));
}

void TformMain::ShowInterfacePicture(uint8_t kind) {
  const char* name = InterfacePicture(kind);
  ShowPicture(*name ? QString::fromLatin1(name) : QStringLiteral("PICTURE_LOGO"));
}

void TformMain::SwitchIndicatorsOff() {
  ui->ledConnection->setLight(false);
  ui->ledActivity->setLight(false);
  ui->ledError->setLight(false);
}

// ---------------------------------------------------------------------------------
// Interface box

void TformMain::BuildInterfaceList() {
  ui->listInterface->clear();
  interfaces_.clear();
  deviceData_->modelType = 0;
  ResetDisplay();
  link_->CloseInterface();
  ui->btnConnection->setText("connect");
  ShowPicture("PICTURE_LOGO");
  ui->listInterface->setEnabled(true);
  timerPing_->stop();
  link_->CloseSerialPort();

  interfaces_ = link_->BuildInterfaceList();
  for (const InterfaceEntry& entry : interfaces_) {
    ui->listInterface->addItem(QString::fromLatin1(entry.text.c_str()), int(entry.kind));
  }
  if (!interfaces_.empty()) ui->listInterface->setCurrentIndex(0);
  // An interface that is plugged in but could not be opened (most often: no permission
  // without the udev rule) is named, so the user knows why it is missing.
  const std::vector<std::string> problems = UsbOpenProblemTexts(link_->platform());
  QStringList problemTexts;
  for (const std::string& problem : problems) problemTexts << QString::fromStdString(problem);
  ui->listInterface->setToolTip(problemTexts.join('\n'));
  ui->listInterface->setPlaceholderText(problems.empty() ? QString()
                                                         : "Cannot open");
  // Nothing is left open once the list is built.
  link_->usbHandle = 0;
  link_->interfaceKind = kKindNone;
  emit state_->transmitterChanged();
}

void TformMain::btnConnectionClick() {
  link_->serialBusy = false;
  SwitchIndicatorsOff();

  if (link_->IsOpen()) {
    deviceData_->ResetDeviceData();
    link_->CloseInterface();
    ResetDisplay();
  } else {
    const int index = ui->listInterface->currentIndex();
    const IrLink::ConnectResult result = link_->Connect(interfaces_, index);
    if (result == IrLink::ConnectResult::Failed) {
      ui->ledError->setLight(true);
      ui->ledConnection->setLight(false);
    } else {
      ui->ledConnection->setLight(true);
      if (index >= 0 && index < int(interfaces_.size())) {
        link_->interfaceKind = interfaces_[index].kind;
      }
      if (result == IrLink::ConnectResult::FirmwareUnsupported) {
        // The link has closed the interface again; the indicator stays lit so the
        // user sees the interface itself answered.
        ShowUserMessage(this, "ERROR", kFirmwareUnsupportedMessage, QMessageBox::Critical);
      }
    }
  }

  if (link_->usbHandle != 0 || link_->serialOpen) {
    ui->btnConnection->setText("disconnect");
    ShowInterfacePicture(link_->usbHandle != 0 ? link_->interfaceKind : uint8_t(kKindDglNano));
    ui->listInterface->setEnabled(false);
    timerPing_->start();
  } else {
    ui->btnConnection->setText("connect");
    ShowPicture("PICTURE_LOGO");
    ui->listInterface->setEnabled(true);
    timerPing_->stop();
  }
  emit state_->transmitterChanged();
}

bool TformMain::ConnectFirstInterface() {
  if (interfaces_.empty() || link_->IsOpen()) return false;
  ui->listInterface->setCurrentIndex(0);
  btnConnectionClick();
  return link_->IsOpen();
}

void TformMain::Button4Click() {
  BuildInterfaceList();
  SwitchIndicatorsOff();
}

void TformMain::DeviceChangeHandler(const DeviceChange& change) {
  // An IR interface coming or going rebuilds the list (closing an open connection).
  // Another USB device changes nothing while an interface is open; with nothing open a
  // rebuild is harmless and finds an interface whose product text names no family.
  const bool rebuild =
      IsIrInterfaceChange(change) || (IsUsbDeviceChange(change) && !link_->IsOpen());
  if (!rebuild) return;
  BuildInterfaceList();
  SwitchIndicatorsOff();
}

void TformMain::mnuExitClick() { close(); }

void TformMain::closeEvent(QCloseEvent* event) {
  if (planMenu_->MayClose()) {
    event->accept();
  } else {
    event->ignore();
  }
}

// ---------------------------------------------------------------------------------
// Display

std::vector<QWidget*> TformMain::EditingControls() const {
  return {ui->EditTXname, ui->ButtonSetTXname, ui->ckMenuInfoHidden};
}

void TformMain::ResetDisplay() {
  // Clearing is the program's doing: no change handler may act on it (they hang on the
  // user's own signals; this is the second guard).
  UpdatingScope updating(*state_);
  for (QLineEdit* field :
       {ui->valueID, ui->valueSerial, ui->valueTuningChannels, ui->valueTuningGroups,
        ui->valueTuningRange, ui->valueTuningStep, ui->EditTXname, ui->valueOpt_0,
        ui->valueOpt_1}) {
    field->clear();
  }
  ui->valueBootVer->clear();
  for (QWidget* control : EditingControls()) DisableControl(control);
  for (WindowView* view : views_) view->ResetDisplay();
  PumpEvents();
}

void TformMain::ShowEditLock() {
  ShowLockPanel();
  if (deviceData_->modelType == 0) return;  // no transmitter: nothing else to show
  UpdatingScope updating(*state_);
  for (WindowView* view : views_) view->ShowEditLock();
  const TDeviceData& d = *deviceData_;
  if (d.txNameSupported) {
    SetControlEnabled(ui->EditTXname, !state_->editLocked);
    if (commands_->ReadTxName()) ui->EditTXname->setText(QString::fromLatin1(d.txName.c_str()));
  }
}

void TformMain::ShowLockPanel() {
  QPalette palette = ui->panelLock->palette();
  const bool locked = state_->editLocked;
  ui->panelLock->setText(locked ? "LOCKED" : "UNLOCKED");
  palette.setColor(QPalette::Window,
                   locked ? kLockedColour : QWidget::palette().color(QPalette::Button));
  ui->panelLock->setPalette(palette);
  // A screen reader says the state with the name, and hears when it changes.
  const QString name = locked ? "Edit lock: LOCKED" : "Edit lock: UNLOCKED";
  if (ui->panelLock->accessibleName() == name) return;
  ui->panelLock->setAccessibleName(name);
  ui->panelLock->setAccessibleDescription(
      locked ? "Editing is locked: a change is refused. Double-click to unlock."
             : "Editing is unlocked: every change is written to the transmitter. "
               "Double-click to lock.");
  QAccessibleEvent changed(ui->panelLock, QAccessible::NameChanged);
  QAccessible::updateAccessibility(&changed);
}

void TformMain::panelLockDblClick() {
  state_->editLocked = !state_->editLocked;
  ShowEditLock();
}

void TformMain::ShowViewsFromData() {
  UpdatingScope updating(*state_);
  for (WindowView* view : views_) view->ShowFromData();
}

void TformMain::FrequencyTable1Click() {
  TFormPowerProfile dialog(*deviceData_, this);
  // The poll goes on while the dialog is open: a transmitter that arrives or leaves
  // shows in it at once.
  connect(state_.get(), &WindowState::transmitterChanged, &dialog, &TFormPowerProfile::FormPaint);
  dialog.exec();
}

void TformMain::ConfirmReadsClick(ReadConfirmation mode) {
  link_->linkHealth.mode = mode;
  ui->mnuConfirmReadsAuto->setChecked(mode == ReadConfirmation::Auto);
  ui->mnuConfirmReadsAlways->setChecked(mode == ReadConfirmation::Always);
  ui->mnuConfirmReadsNever->setChecked(mode == ReadConfirmation::Never);
}

void TformMain::SetServiceMode(bool on) {
  serviceMode_ = on;
  ui->service->setVisible(on);
  ui->mnuService->menuAction()->setVisible(on);
  FixWindowSize();
}

void TformMain::FixWindowSize() {
  const int serviceHeight = serviceMode_ ? ui->service->height() + 4 : 0;
  ui->centralwidget->setFixedSize(kClientWidth, kClientHeight + serviceHeight);
  setMinimumSize(0, 0);
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  adjustSize();
  setFixedSize(sizeHint());
}

void TformMain::ShowIdentity() {
  const TDeviceData& d = *deviceData_;
  ui->valueID->setText(QString::fromLatin1(d.IdText().c_str()));
  ui->valueSerial->setText(QString::fromLatin1(d.SerialText().c_str()));
}

void TformMain::mnuHelpIndexClick() {
  const QString path = FindHelpFile(helpFolders);
  if (path.isEmpty()) {
    ShowUserMessage(this, "ERROR", "Help file not found!", QMessageBox::Information);
    return;
  }
  if (openUrl) openUrl(QUrl::fromLocalFile(path));
}

// ---------------------------------------------------------------------------------
// Presence poll and full read

uint8_t TformMain::SelectedInterfaceKind() const {
  const int index = ui->listInterface->currentIndex();
  if (index < 0 || index >= int(interfaces_.size())) return kKindNone;
  return interfaces_[index].kind;
}

void TformMain::timerPingTimer() {
  // The timer stops while the tick works, so ticks never overlap; the next one comes
  // a full interval after this one ends.
  timerPing_->stop();
  // The poll steps aside while an exchange is running.
  if (link_->serialBusy || link_->InTransaction() || state_->busy) {
    timerPing_->start();
    return;
  }
  if (!link_->IsOpen()) return;

  const uint8_t kind = SelectedInterfaceKind();
  const PresenceTick tick = PresenceProbe(*link_, *deviceData_, kind);
  auto showDeparture = [&] {
    ResetDisplay();
    link_->interfaceKind = kind;
    ShowInterfacePicture(kind);
  };
  switch (tick.event) {
    case PresenceEvent::Arrived:
      // A handheld left and a bodypack answered in the same tick: the display of the
      // one that left is cleared before the new one is read.
      if (tick.leftFirst) showDeparture();
      ShowPicture(QString::fromStdString(tick.picture));
      FullRead();
      break;
    case PresenceEvent::Left:
      showDeparture();
      deviceData_->modelType = 0;
      break;
    case PresenceEvent::Nothing:
    case PresenceEvent::StillThere:
      break;
  }
  if (tick.event == PresenceEvent::Arrived || tick.event == PresenceEvent::Left) {
    emit state_->transmitterChanged();
  }
  // Events ran during the tick; if they closed the interface (Disconnect, a device
  // change), the poll stays stopped.
  if (link_->IsOpen()) timerPing_->start();
}

bool TformMain::FullRead() {
  state_->updating = true;
  state_->editLocked = true;
  // Only the caption here: the name and group fields are filled by the read itself,
  // from the capabilities of this transmitter rather than of the one before.
  ShowLockPanel();
  for (WindowView* view : views_) view->BeginFullRead();

  FullReadOptions options;
  options.pump = [] { PumpEvents(); };
  const FullReadResult result = zentra::FullRead(*link_, *deviceData_, presets_, options);
  if (link_->IsOpen()) {
    ShowReadResult(result);
  } else {
    // The interface went away while the read let events run: show nothing half-read.
    ResetDisplay();
  }
  state_->updating = false;
  if (result.faulty) {
    ShowUserMessage(this, kReadErrorTitle, kReadErrorMessage, QMessageBox::Warning);
  }
  return !result.faulty;
}

void TformMain::ShowReadResult(const FullReadResult& result) {
  const TDeviceData& d = *deviceData_;
  auto latin1 = [](const std::string& s) { return QString::fromLatin1(s.c_str()); };
  ShowIdentity();
  if (!result.Failed(ReadStep::TableSize)) {
    ui->valueTuningChannels->setText(QString::number(d.channelCount));
    ui->valueTuningGroups->setText(QString::number(d.groupCount));
  }
  if (!result.Failed(ReadStep::TuningRange)) {
    ui->valueTuningRange->setText(QString("%1-%2").arg(d.freqMinMHz).arg(d.freqMaxMHz));
  }
  if (!result.Failed(ReadStep::TuningStep)) {
    ui->valueTuningStep->setText(QString::asprintf("%.3f", d.stepHz / 1000.0));
  }
  if (d.optionsSupported && !result.Failed(ReadStep::Options)) {
    ui->valueOpt_0->setText(latin1(d.optionTexts[0]));
    ui->valueOpt_1->setText(latin1(d.optionTexts[1]));
  }
  if (d.txNameSupported) {
    ui->EditTXname->setMaxLength(d.txNameLength);
    ui->EditTXname->setText(latin1(d.txName));
  }
  if (d.bootVersionSupported) ui->valueBootVer->setText(latin1(d.bootVersion));
  ui->ckMenuInfoHidden->setVisible(d.menuInfoHiddenSupported != 0);
  for (WindowView* view : views_) view->ShowReadResult(result);
}

}  // namespace zentra
