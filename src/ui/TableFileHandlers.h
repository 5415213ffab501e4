// The table-file buttons of the "Tuning Frequencies" box: SAVE copies the transmitter's
// frequency table into a .qdf file, LOAD writes a .qdf file into the transmitter, both
// with the scope of "All groups" and the group shown, through the files layer, with the
// progress dialog shown beside the window. Kept apart from the grid's own handlers.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

#include "files/FileProgress.h"
#include "ui/TformProgress.h"

namespace zentra {

class FrequencyPlanView;
class WindowState;

class TableFileHandlers : public QObject {
  Q_OBJECT

 public:
  // Wires btnFrequenciesSave and btnFrequenciesLoad of the view's form.
  TableFileHandlers(WindowState& state, FrequencyPlanView& view, QObject* parent = nullptr);

  void btnFrequenciesSaveClick();
  void btnFrequenciesLoadClick();

  // The progress dialog of the last walk while it is open.
  TformProgress* progressDialog() const { return progress_; }
  // The outcome of the last walk.
  const FileOpResult& lastResult() const { return last_; }

 private:
  // Runs a walk with a new progress dialog, the poll stepping aside and user input held
  // back from every other window. The dialog stays open.
  void RunWalk(const std::function<FileOpResult(FileProgress&)>& walk);
  // The final message of the last walk.
  void ShowLastResult();

  WindowState& state_;
  FrequencyPlanView& view_;
  QPointer<TformProgress> progress_;
  FileOpResult last_;
};

}  // namespace zentra
