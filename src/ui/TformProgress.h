// The progress dialog of the frequency-table walks: a bar, a memo with every line the
// operation reports and a Close button. It is shown without blocking the main window.
// While the walk runs, Close (or closing the window) asks the walk to stop at the next
// command, keeping what was done so far; afterwards the memo stays to be read and
// copied until the user closes the dialog.
#pragma once

#include <QDialog>
#include <memory>

#include "files/FileProgress.h"

namespace Ui {
class TformProgress;
}

namespace zentra {

class TformProgress : public QDialog, public FileProgress {
  Q_OBJECT

 public:
  explicit TformProgress(QWidget* parent = nullptr);
  ~TformProgress() override;

  Ui::TformProgress& form() { return *ui; }

  // --- FileProgress ---
  void Begin(const std::string& caption, int maximum) override;
  void SetPosition(int position) override;
  void AddLine(const std::string& line) override;
  bool AbortRequested() override { return abort_; }
  // Lets every pending event run, user input included, so that Close works; input
  // meant for other windows is held back by the caller's InputGate.
  void Pump() override;

  // The walk has ended: Close now closes the dialog, which then deletes itself. A
  // dialog closed during the walk goes at once.
  void Finished();
  bool running() const { return running_; }

  // "Close": during the walk it sets the abort flag, afterwards it closes the dialog.
  void ButtonCloseProgressClick();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;  // Escape behaves as Close

 private:
  std::unique_ptr<Ui::TformProgress> ui;
  bool abort_ = false;
  bool running_ = false;
  bool closeWhenDone_ = false;
};

// While it lives, user input and close requests reach only the given dialog (and its
// children): the main window keeps painting through a walk that lets events run, but
// nothing there can start a second operation or close the window under the walk.
class InputGate : public QObject {
 public:
  explicit InputGate(QWidget* open);
  ~InputGate() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* open_;
};

}  // namespace zentra
