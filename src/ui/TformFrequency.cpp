#include "ui/TformFrequency.h"

#include <QKeyEvent>
#include <QPushButton>

#include "device/FrequencyPlan.h"
#include "device/TDeviceData.h"
#include "ui/UserMessages.h"
#include "ui_TformFrequency.h"

namespace zentra {

TformFrequency::TformFrequency(const TDeviceData& data, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TformFrequency>()), data_(data) {
  ui->setupUi(this);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setFixedSize(size());
  ui->labelMessage->setText(QString::fromLatin1(FrequencyDialogMessage(data).c_str()));
  ui->labelStep->setText(QString::fromLatin1(FrequencyDialogStep(data).c_str()));
  ui->editFrequency->installEventFilter(this);
  connect(ui->btnOK, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnOKClick(); }); });
  connect(ui->btnCancel, &QPushButton::clicked, this,
          [this] { RunGuarded([this] { btnCancelClick(); }); });
  // Closing the dialog any other way (Escape, the title bar) cancels it.
  connect(this, &QDialog::rejected, this, [this] { result_ = 0; });
}

TformFrequency::~TformFrequency() = default;

int32_t TformFrequency::Run() {
  result_ = 0;
  ui->editFrequency->setFocus();
  exec();
  return result_;
}

bool TformFrequency::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ui->editFrequency && event->type() == QEvent::KeyPress) {
    return editFrequencyKeyDown(static_cast<QKeyEvent*>(event));
  }
  return QDialog::eventFilter(watched, event);
}

bool TformFrequency::editFrequencyKeyDown(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Left:
    case Qt::Key_Right:
      return false;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      RunGuarded([this] { btnOKClick(); });
      return true;
    // Moving between the controls and closing the dialog stay with the dialog.
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Escape:
      return false;
    default:
      break;
  }
  // Digits of the main keys and of the keypad (same key codes, keypad modifier).
  if (event->key() >= Qt::Key_0 && event->key() <= Qt::Key_9) {
    return (event->modifiers() & ~Qt::KeypadModifier & ~Qt::ShiftModifier) != Qt::NoModifier;
  }
  // Pasting stays possible (a pasted value may carry a decimal part); every other key,
  // the point and the comma among them, is discarded.
  return !event->matches(QKeySequence::Paste);
}

void TformFrequency::btnOKClick() {
  const FrequencyEntryCheck check =
      CheckFrequencyEntry(ui->editFrequency->text().toStdString(), data_);
  if (check.status != FrequencyEntryStatus::Ok) {
    ShowUserMessage(this, kWarningTitle, QString::fromStdString(check.message),
                    QMessageBox::Warning);
    return;
  }
  result_ = check.freqKHz;
  accept();
}

void TformFrequency::btnCancelClick() {
  result_ = 0;
  reject();
}

}  // namespace zentra
