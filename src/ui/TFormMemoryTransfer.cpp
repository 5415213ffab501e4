#include "ui/TFormMemoryTransfer.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QPushButton>
#include <QShowEvent>

#include "device/ServiceCommands.h"
#include "files/MemoryTransfer.h"
#include "ui/UserMessages.h"
#include "ui_TFormMemoryTransfer.h"

namespace zentra {

namespace {

// The memory dialogs show their messages in plain boxes under the program's title.
constexpr const char* kMessageTitle = "Quorvex Zentra";
constexpr int kHeightWithoutMemo = 152;

struct DialogText {
  const char* caption;
  const char* start;
};

DialogText TextOf(MemoryDialogKind kind) {
  switch (kind) {
    case MemoryDialogKind::Dump: return {"DumpSettings", "Dump"};
    case MemoryDialogKind::Load: return {"LoadSettings", "Load"};
    case MemoryDialogKind::Verify: return {"VerifySettings", "Verify"};
    case MemoryDialogKind::CalDump: return {"Dump Calibration", "Dump"};
    case MemoryDialogKind::CalLoad: return {"Load Calibration", "Load"};
    case MemoryDialogKind::CalVerify: return {"FormCalVerify", "Verify"};
  }
  return {"", ""};
}

void ShowPlain(QWidget* parent, const QString& text) {
  ShowUserMessage(parent, kMessageTitle, text, QMessageBox::NoIcon);
}

}  // namespace

TFormMemoryTransfer::TFormMemoryTransfer(MemoryDialogKind kind, ServiceCommands& service,
                                         QString& lastFile, QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::TFormMemoryTransfer>()),
      kind_(kind),
      service_(service),
      lastFile_(lastFile) {
  ui->setupUi(this);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  const DialogText text = TextOf(kind);
  setWindowTitle(text.caption);
  ui->ButtonStart->setText(text.start);
  ui->ButtonStart->setAccessibleName(text.start);

  for (QWidget* w : {static_cast<QWidget*>(ui->labelStartAdd), static_cast<QWidget*>(ui->EditStartAdd),
                     static_cast<QWidget*>(ui->labelStopAdd), static_cast<QWidget*>(ui->EditStopAdd)}) {
    w->setVisible(!IsCalibration());
  }
  ui->CheckPage->setVisible(IsCalibration());
  ui->labelMemo->setVisible(IsVerify());
  ui->MemoVerify->setVisible(IsVerify());
  setFixedSize(width(), IsVerify() ? height() : kHeightWithoutMemo);

  chooseFile = [this](bool save, const QString& current) {
    const QString filter = "Binary file (*.bin *.BIN)";
    QFileDialog dialog(this, save ? "Save" : "Open", current, filter);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix("BIN");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().first();
  };

  connect(ui->btnFileSettings, &QPushButton::clicked, this,
          [this] { RunGuarded([this] { btnFileSettingsClick(); }); });
  connect(ui->ButtonStart, &QPushButton::clicked, this,
          [this] { RunGuarded([this] { ButtonStartClick(); }); });
}

TFormMemoryTransfer::~TFormMemoryTransfer() = default;

bool TFormMemoryTransfer::IsDump() const {
  return kind_ == MemoryDialogKind::Dump || kind_ == MemoryDialogKind::CalDump;
}
bool TFormMemoryTransfer::IsLoad() const {
  return kind_ == MemoryDialogKind::Load || kind_ == MemoryDialogKind::CalLoad;
}
bool TFormMemoryTransfer::IsVerify() const {
  return kind_ == MemoryDialogKind::Verify || kind_ == MemoryDialogKind::CalVerify;
}
bool TFormMemoryTransfer::IsCalibration() const {
  return kind_ == MemoryDialogKind::CalDump || kind_ == MemoryDialogKind::CalLoad ||
         kind_ == MemoryDialogKind::CalVerify;
}

void TFormMemoryTransfer::showEvent(QShowEvent* event) {
  // The defaults are set once when the dialog opens, so that a repaint (after a message
  // box, say) never throws away what the user typed or the differences listed.
  if (!defaultsSet_) {
    defaultsSet_ = true;
    FormPaint();
  }
  QDialog::showEvent(event);
}

void TFormMemoryTransfer::FormPaint() {
  switch (kind_) {
    case MemoryDialogKind::Dump:
    case MemoryDialogKind::Load:
    case MemoryDialogKind::Verify:
      ui->EditStartAdd->setText(kDefaultXeepromStart);
      ui->EditStopAdd->setText(kDefaultXeepromStop);
      if (kind_ != MemoryDialogKind::Dump && !lastFile_.isEmpty()) {
        ui->EditiFileName->setText(lastFile_);
      }
      if (kind_ == MemoryDialogKind::Verify) ui->MemoVerify->clear();
      break;
    case MemoryDialogKind::CalVerify:
      if (!lastFile_.isEmpty()) ui->EditiFileName->setText(lastFile_);
      ui->MemoVerify->clear();
      ui->CheckPage->setChecked(false);
      break;
    case MemoryDialogKind::CalDump:
    case MemoryDialogKind::CalLoad:
      break;
  }
}

void TFormMemoryTransfer::btnFileSettingsClick() {
  if (transferring_ || !chooseFile) return;
  const QString path = chooseFile(IsDump(), ui->EditiFileName->text());
  if (path.isEmpty()) return;
  ui->EditiFileName->setText(path);
  if (!IsDump()) lastFile_ = path;
}

void TFormMemoryTransfer::SetBusy(bool busy) {
  // During a transfer the fields stay as they were when it started: a second start, a
  // new file or another page half way would mix two transfers.
  for (QWidget* w : std::initializer_list<QWidget*>{ui->ButtonStart, ui->btnFileSettings,
                                                   ui->EditiFileName, ui->EditStartAdd,
                                                   ui->EditStopAdd, ui->CheckPage}) {
    w->setEnabled(!busy);
  }
}

TransferResult TFormMemoryTransfer::RunTransfer() {
  TransferObserver observer;
  observer.setMaximum = [this](int m) {
    ui->progressDump->setMaximum(m);
    ui->progressDump->setPosition(0);
  };
  observer.setPosition = [this](int p) { ui->progressDump->setPosition(p); };
  observer.memo = [this](const std::string& line) {
    ui->MemoVerify->appendPlainText(QString::fromStdString(line));
  };
  observer.aborted = [this] { return abortRequested_; };
  // Every pending event runs between blocks: the window repaints, the bar moves and the
  // dialog's close button can stop the transfer.
  observer.betweenBlocks = [] { QCoreApplication::processEvents(); };

  const std::string path = ui->EditiFileName->text().toStdString();
  const std::string start = ui->EditStartAdd->text().toStdString();
  const std::string stop = ui->EditStopAdd->text().toStdString();
  const int page = ui->CheckPage->isChecked() ? 1 : 0;
  const MemoryBlockAccess xeeprom = XeepromAccess(service_);
  const MemoryBlockAccess calibration = CalibrationAccess(service_);
  switch (kind_) {
    case MemoryDialogKind::Dump: return DumpXeeprom(xeeprom, start, stop, path, observer);
    case MemoryDialogKind::Load: return LoadXeeprom(xeeprom, start, stop, path, observer);
    case MemoryDialogKind::Verify: return VerifyXeeprom(xeeprom, start, stop, path, observer);
    case MemoryDialogKind::CalDump: return DumpCalibration(calibration, page, path, observer);
    case MemoryDialogKind::CalLoad: return LoadCalibration(calibration, page, path, observer);
    case MemoryDialogKind::CalVerify:
      return VerifyCalibration(calibration, page, path, observer);
  }
  return {};
}

void TFormMemoryTransfer::ButtonStartClick() {
  if (transferring_) return;
  if (IsVerify()) ui->MemoVerify->clear();
  transferring_ = true;
  abortRequested_ = false;
  SetBusy(true);
  const TransferResult result = RunTransfer();
  SetBusy(false);
  transferring_ = false;

  // Loads and verifies remember a file they could open.
  if (!IsDump() && result.status != TransferStatus::RangeRefused &&
      result.status != TransferStatus::FileError) {
    lastFile_ = ui->EditiFileName->text();
  }
  if (abortRequested_) {  // closed by the user while the transfer ran
    QDialog::reject();
    return;
  }
  if (!result.message.empty()) ShowPlain(this, QString::fromStdString(result.message));
  switch (result.status) {
    case TransferStatus::RangeRefused:
    case TransferStatus::FileError:
    case TransferStatus::FileTooShort:
    case TransferStatus::DeviceLost:
    case TransferStatus::VerifyFailed:
      return;  // stays open
    case TransferStatus::Done:
      if (result.failedBlocks > 0) {
        // A dump whose image has holes is not a success.
        ShowPlain(this, QString("%1 block(s) could not be read; their bytes are 0 in the file.")
                            .arg(result.failedBlocks));
      }
      break;
    case TransferStatus::WriteFailed:
    case TransferStatus::Aborted:
      break;
  }
  accept();
}

void TFormMemoryTransfer::reject() {
  // Closing while a transfer runs stops it after the current block; the dialog closes
  // once the transfer has returned.
  if (transferring_) {
    abortRequested_ = true;
    return;
  }
  QDialog::reject();
}

}  // namespace zentra
