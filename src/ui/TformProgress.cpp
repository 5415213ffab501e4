#include "ui/TformProgress.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>

#include "ui/UserMessages.h"
#include "ui_TformProgress.h"

namespace zentra {

TformProgress::TformProgress(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TformProgress>()) {
  ui->setupUi(this);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setModal(false);
  connect(ui->ButtonCloseProgress, &QPushButton::clicked, this,
          [this] { RunGuarded([this] { ButtonCloseProgressClick(); }); });
}

TformProgress::~TformProgress() = default;

void TformProgress::Begin(const std::string& caption, int maximum) {
  setWindowTitle(QString::fromLatin1(caption.c_str()));
  ui->ProgressBarFile->setRange(0, maximum > 0 ? maximum : 1);
  ui->ProgressBarFile->setValue(0);
  ui->MemoFileLoad->clear();
  abort_ = false;
  running_ = true;
  closeWhenDone_ = false;
  show();
  raise();
}

void TformProgress::SetPosition(int position) { ui->ProgressBarFile->setValue(position); }

void TformProgress::AddLine(const std::string& line) {
  ui->MemoFileLoad->appendPlainText(QString::fromLatin1(line.c_str()));
}

void TformProgress::Pump() { QApplication::processEvents(QEventLoop::AllEvents); }

void TformProgress::Finished() {
  running_ = false;
  ui->ProgressBarFile->setValue(ui->ProgressBarFile->maximum());
  setAttribute(Qt::WA_DeleteOnClose);
  if (closeWhenDone_) close();
}

void TformProgress::ButtonCloseProgressClick() {
  if (running_) {
    abort_ = true;
    return;
  }
  close();
}

void TformProgress::closeEvent(QCloseEvent* event) {
  if (running_) {
    // The walk still uses this dialog: stop it, and go once it has ended.
    abort_ = true;
    closeWhenDone_ = true;
    hide();
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void TformProgress::reject() {
  if (running_) {
    abort_ = true;
    return;
  }
  QDialog::reject();
}

// ---------------------------------------------------------------------------------

InputGate::InputGate(QWidget* open) : open_(open) { qApp->installEventFilter(this); }

InputGate::~InputGate() { qApp->removeEventFilter(this); }

bool InputGate::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::Close: {
      auto* widget = qobject_cast<QWidget*>(watched);
      if (widget == nullptr) return false;
      if (widget == open_ || open_->isAncestorOf(widget)) return false;
      if (event->type() == QEvent::Close) event->ignore();
      return true;
    }
    default:
      return false;
  }
}

}  // namespace zentra
