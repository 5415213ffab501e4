#include "ui/ServiceView.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "device/FullRead.h"
#include "device/ServiceCommands.h"
#include "device/ServiceOperations.h"
#include "device/TDeviceData.h"
#include "link/IrLink.h"
#include "link/LinkWait.h"
#include "ui/UserMessages.h"
#include "ui/WindowState.h"
#include "ui_ServiceView.h"

namespace zentra {

namespace {
constexpr const char* kConfirmTitle = "WARNING";
}  // namespace

ServiceView::ServiceView(QWidget* parent)
    : WindowView(parent), ui(std::make_unique<Ui::ServiceView>()) {
  ui->setupUi(this);
  confirm = [this](const QString& text) {
    return QMessageBox::question(window(), kConfirmTitle, text,
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
  };
  runDialog = [](TFormMemoryTransfer& dialog) { dialog.exec(); };
}

ServiceView::~ServiceView() = default;

void ServiceView::Attach(WindowState& s) {
  WindowView::Attach(s);
  service_ = std::make_unique<ServiceCommands>(s.link);
  auto on = [this](QPushButton* button, void (ServiceView::*handler)()) {
    connect(button, &QPushButton::clicked, this,
            [this, handler] { RunGuarded([this, handler] { (this->*handler)(); }); });
  };
  on(ui->ButtonWriteSerial, &ServiceView::ButtonWriteSerialClick);
  on(ui->Button3, &ServiceView::Button3Click);
  on(ui->ButtonCRC, &ServiceView::ButtonCRCClick);
  on(ui->Button_MemoryFill, &ServiceView::Button_MemoryFillClick);
  on(ui->ButtonBatteryCal, &ServiceView::ButtonBatteryCalClick);
  on(ui->ButtonFastFreq, &ServiceView::ButtonFastFreqClick);
  on(ui->BtnWriteXEEPROM, &ServiceView::BtnWriteXEEPROMClick);
  on(ui->BtnReadXEEPROM, &ServiceView::BtnReadXEEPROMClick);
  on(ui->ButtonDump, &ServiceView::ButtonDumpClick);
  connect(ui->CheckBox_SingleMessage, &QCheckBox::toggled, this, [this] { ShowDebugSettings(); });
  connect(ui->CheckBox_MsgDelay, &QCheckBox::toggled, this, [this] { ShowDebugSettings(); });
  connect(ui->Edit_MsgDelay, &QLineEdit::textChanged, this, [this] { ShowDebugSettings(); });
}

// The debug pacing of the link follows the boxes: a prompt before every message, or a
// delay (a delay that is not a whole number of milliseconds counts as none).
void ServiceView::ShowDebugSettings() {
  LinkDebugSettings& debug = state->link.debug;
  debug.singleMessage = ui->CheckBox_SingleMessage->isChecked();
  debug.messageDelay = ui->CheckBox_MsgDelay->isChecked();
  const auto ms = ParseServiceNumber(ui->Edit_MsgDelay->text().toStdString(), 0, 60000);
  debug.messageDelayMs = ms ? static_cast<int>(*ms) : 0;
}

std::vector<QWidget*> ServiceView::EditingControls() const {
  // The controls that need a transmitter; the debug pacing and the memory dialogs'
  // "Save" button do not.
  return {ui->EditSerialNumber, ui->ButtonWriteSerial, ui->EditDeviceID,     ui->Button3,
          ui->ButtonCRC,        ui->Button_MemoryFill, ui->EditBattCal,      ui->ButtonBatteryCal,
          ui->EditFastFreq,     ui->ButtonFastFreq,    ui->BtnWriteXEEPROM, ui->BtnReadXEEPROM};
}

void ServiceView::ResetDisplay() {}

void ServiceView::ShowReadResult(const FullReadResult&) {
  for (QWidget* control : EditingControls()) EnableControl(control);
  ShowIdentityEdit();
  ShowSerialEdit();
}

void ServiceView::ShowIdentityEdit() {
  const QString id = QString::fromLatin1(state->device.IdText().c_str());
  ui->EditDeviceID->setText(id.left(kServiceTextLength));
}

void ServiceView::ShowSerialEdit() {
  ui->EditSerialNumber->setText(QString::fromLatin1(state->device.SerialText().c_str()));
}

void ServiceView::ShowCrc(const CrcOutcome& crc) {
  // An exchange that failed leaves the labels as they were.
  if (!crc.answered) return;
  ui->LabelCRC->setText(CrcCaption(crc.good));
  ui->LabelCRC_SERIAL->setText(CrcCaption(crc.good));
}

// ---------------------------------------------------------------------------------
// Factory operations

void ServiceView::ButtonWriteSerialClick() {
  const IdentityWriteOutcome outcome = WriteSerialAndCheck(
      *service_, state->commands, ui->EditSerialNumber->text().toLatin1().toStdString());
  ShowCrc(outcome.crc);
  if (!outcome.reread) return;
  ShowSerialEdit();
  emit identityChanged();
}

void ServiceView::Button3Click() {
  const IdentityWriteOutcome outcome =
      WriteIdentityAndCheck(*service_, state->commands, state->device,
                            ui->EditDeviceID->text().toLatin1().toStdString());
  ShowCrc(outcome.crc);
  if (!outcome.reread) return;
  ShowIdentityEdit();
  emit identityChanged();
}

void ServiceView::ButtonCRCClick() { ShowCrc(RunCrcCheck(*service_)); }

void ServiceView::Button_MemoryFillClick() {
  if (confirm && !confirm("MemoryFill overwrites the memory of the transmitter. Go on?")) return;
  service_->MemoryFill();
}

void ServiceView::ButtonBatteryCalClick() {
  const std::string text = ui->EditBattCal->text().toStdString();
  const auto value = ParseServiceNumber(text, kServiceNumberMin, kServiceNumberMax);
  if (!value) {
    ShowUserMessage(window(), "ERROR",
                    QString::fromStdString(ServiceNumberRefusal("Battery calibration", text)),
                    QMessageBox::Critical);
    return;
  }
  service_->CalibrateBattery(static_cast<int>(*value));
}

void ServiceView::ButtonFastFreqClick() {
  const std::string text = ui->EditFastFreq->text().toStdString();
  const auto value = ParseServiceNumber(text, kServiceNumberMin, kServiceNumberMax);
  if (!value) {
    ShowUserMessage(window(), "ERROR",
                    QString::fromStdString(ServiceNumberRefusal("Fast frequency", text)),
                    QMessageBox::Critical);
    return;
  }
  service_->SetFastFrequency(*value);
}

void ServiceView::BtnWriteXEEPROMClick() {
  if (confirm &&
      !confirm("Write XEEPROM overwrites the external EEPROM below address 9000 with 0xFF. "
               "Go on?")) {
    return;
  }
  WriteXeepromTest(*service_, [this](int address) {
    ui->StopTime->setText(QString::number(address));
    PumpEvents();
  });
  ui->StopTime->setText(QString::number(kXeepromTestEnd));
}

void ServiceView::BtnReadXEEPROMClick() {
  ui->StartTime->setText(QString::number(ReadXeepromTiming(*service_)));
}

// ---------------------------------------------------------------------------------
// Memory dialogs

void ServiceView::OpenDialog(MemoryDialogKind kind) {
  const bool calibration = kind == MemoryDialogKind::CalDump ||
                           kind == MemoryDialogKind::CalLoad ||
                           kind == MemoryDialogKind::CalVerify;
  TFormMemoryTransfer dialog(kind, *service_, calibration ? lastCalFile : lastXeepromFile,
                             window());
  if (runDialog) runDialog(dialog);
}

void ServiceView::ButtonDumpClick() { OpenDialog(MemoryDialogKind::Dump); }
void ServiceView::SaveXEEPROM1Click() { OpenDialog(MemoryDialogKind::Dump); }
void ServiceView::LoadXEEPROM1Click() { OpenDialog(MemoryDialogKind::Load); }
void ServiceView::VerifyXEEPROM1Click() { OpenDialog(MemoryDialogKind::Verify); }
void ServiceView::SaveCalEEPROM1Click() { OpenDialog(MemoryDialogKind::CalDump); }
void ServiceView::LoadCalEEPROM1Click() { OpenDialog(MemoryDialogKind::CalLoad); }
void ServiceView::VerifyCalEEPROM1Click() { OpenDialog(MemoryDialogKind::CalVerify); }

}  // namespace zentra
