// The "Programming Station" dialog (File menu): the list of the transmitters to program,
// each line coloured by its state (pending, OK, failed, in progress), the transmitter in
// front of the IR window now, a large prompt saying what to do next and what the next
// transmitter will get, the progress over the list, and where the report is kept. Start
// runs the station's poll every 1200 ms; each tick is one call of the core's
// ProgrammingStation, which the command line runs the same way.
#pragma once

#include <QDialog>
#include <QString>
#include <memory>
#include <optional>

#include "files/ProgrammingStation.h"

class QTimer;
namespace Ui {
class TformStation;
}

namespace zentra {

class WindowState;

class TformStation : public QDialog {
  Q_OBJECT

 public:
  // state: the window's link, device data and preset store, which the station uses
  // while it runs (the main window's poll steps aside meanwhile).
  TformStation(WindowState& state, QWidget* parent = nullptr);
  ~TformStation() override;

  Ui::TformStation& form() { return *ui; }
  QTimer& timerStation() { return *timer_; }
  ProgrammingStation* station() { return station_.get(); }
  bool running() const { return running_; }

  void btnOpenListClick();
  void btnSaveReportClick();
  void btnStartClick();
  void btnStopClick();
  // One tick of the station's poll.
  void timerStationTimer();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;  // Escape and Close: stop first, leave once the tick is over

 private:
  void ShowLines();
  void ShowState();
  void UpdateButtons();
  bool OpenList(const QString& path);

  std::unique_ptr<Ui::TformStation> ui;
  WindowState& state_;
  QTimer* timer_ = nullptr;
  std::optional<StationList> list_;
  QString reportPath_;
  std::unique_ptr<ProgrammingStation> station_;
  QString step_;
  bool running_ = false;
  bool inTick_ = false;
  bool stop_ = false;
  bool closeAfterTick_ = false;
};

}  // namespace zentra
