// The frequency planner's entries in the main window's File menu: "Open Frequency
// Table...", "New Frequency Table…", "Save Frequency Table" and "Save As…" act on the
// offline plan window (made on first use), and "Coordinate…" opens the coordination
// dialog on the group shown in the live "Tuning Frequencies" box, writing its result
// into the transmitter through the table load with its progress dialog.
#pragma once

#include <QObject>
#include <QPointer>

#include "ui/TformCoordinate.h"
#include "ui/TformPlanner.h"
#include "ui/TformProgress.h"

class QAction;
class QMenu;

namespace zentra {

class FrequencyPlanView;
class WindowState;

class PlanFileMenu : public QObject {
  Q_OBJECT

 public:
  // Puts the entries into fileMenu before `before`.
  PlanFileMenu(WindowState& state, FrequencyPlanView& view, QMenu* fileMenu, QAction* before,
               QObject* parent = nullptr);

  QAction* mnuOpenTable = nullptr;
  QAction* mnuNewTable = nullptr;
  QAction* mnuSaveTable = nullptr;
  QAction* mnuSaveTableAs = nullptr;
  QAction* mnuCoordinate = nullptr;

  void mnuOpenTableClick();
  void mnuNewTableClick();
  void mnuSaveTableClick();
  void mnuSaveTableAsClick();
  void mnuCoordinateClick();

  // Opens a file in the plan window (the program's file argument); false when it was
  // not opened.
  bool OpenTable(const QString& path);
  // The plan window while it exists.
  TformPlanner* planner() const { return planner_; }
  // True when the main window may close: the plan has no unsaved changes, or the user
  // saved or dropped them.
  bool MayClose();
  // The progress dialog of the last coordination written to the transmitter.
  TformProgress* progressDialog() const { return progress_; }

 private:
  TformPlanner& Planner();
  void ShowPlanActions();

  WindowState& state_;
  FrequencyPlanView& view_;
  QPointer<TformPlanner> planner_;
  QPointer<TformProgress> progress_;
  CoordinationChoices liveChoices_;
  int liveGroup_ = -1;  // the group liveChoices_.onAir was chosen for
};

}  // namespace zentra
