// The File menu's "Programming Station…": while the station's dialog is open the main
// window steps aside. Its poll does nothing and its panels are cleared, since the station
// uses the window's link, device data and preset store for the transmitters it programs;
// when the dialog closes, the panels are cleared again and the poll reads whatever
// transmitter is in front of the IR window then.
#pragma once

#include <QObject>
#include <functional>

class QAction;

namespace zentra {

class TformMain;
class TformStation;

class StationHandlers : public QObject {
  Q_OBJECT

 public:
  StationHandlers(TformMain& window, QAction* item, QObject* parent = nullptr);

  void mnuStationClick();

  // Shows the dialog modally; tests replace it to drive the dialog themselves.
  std::function<void(TformStation&)> runDialog;

 private:
  // The main window without a transmitter: panels cleared, the interface's picture.
  void StepAside();

  TformMain& window_;
};

}  // namespace zentra
