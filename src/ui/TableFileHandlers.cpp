#include "ui/TableFileHandlers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QPushButton>

#include "device/TDeviceData.h"
#include "files/TableFile.h"
#include "link/IrLink.h"
#include "ui/FileDialogs.h"
#include "ui/FrequencyPlanView.h"
#include "ui/TformProgress.h"
#include "ui/UserMessages.h"
#include "ui/WindowState.h"
#include "ui_FrequencyPlanView.h"

namespace zentra {

namespace {

const char* const kOverwriteTitle = "Warning!";
const char* const kOverwriteQuestion = "File exist Overwrite?\r\nYES = Overwrite\r\nNO = Cancel";

}  // namespace

TableFileHandlers::TableFileHandlers(WindowState& state, FrequencyPlanView& view,
                                     QObject* parent)
    : QObject(parent), state_(state), view_(view) {
  setObjectName("tableFileHandlers");
  Ui::FrequencyPlanView& form = view_.form();
  connect(form.btnFrequenciesSave, &QPushButton::clicked, this,
          [this] { RunGuarded([this] { btnFrequenciesSaveClick(); }); });
  connect(form.btnFrequenciesLoad, &QPushButton::clicked, this,
          [this] { RunGuarded([this] { btnFrequenciesLoadClick(); }); });
}

void TableFileHandlers::RunWalk(const std::function<FileOpResult(FileProgress&)>& walk) {
  // A dialog left open from the walk before goes; each walk has its own.
  if (progress_ && !progress_->running()) progress_->close();
  auto* dialog = new TformProgress(state_.window);
  progress_ = dialog;
  {
    UpdatingScope updating(state_);
    state_.busy = true;
    {
      InputGate gate(dialog);
      last_ = walk(*dialog);
    }
    state_.busy = false;
  }
  dialog->Finished();
  // Refused before it began (a file that cannot be read): the dialog never showed.
  if (!dialog->isVisible()) dialog->deleteLater();
}

void TableFileHandlers::ShowLastResult() {
  if (!last_.message.empty()) {
    ShowUserMessage(state_.window, QString::fromLatin1(last_.title.c_str()),
                    QString::fromLatin1(last_.message.c_str()), FileResultIcon(last_));
  }
}

void TableFileHandlers::btnFrequenciesSaveClick() {
  TDeviceData& d = state_.device;
  if (d.modelType == 0 || state_.busy) return;
  const QString path =
      ChooseFile(state_.window, {FileRequest::Kind::Save, "QDF files (*.qdf)", "qdf"});
  if (path.isEmpty()) return;
  if (QFileInfo::exists(path) && !AskYesNo(state_.window, kOverwriteTitle, kOverwriteQuestion)) {
    return;
  }
  const Ui::FrequencyPlanView& form = view_.form();
  TableSaveOptions options;
  options.scope = TableScope::FromList(form.ckLoadSaveAllGroups->isChecked(),
                                       form.listFrequenciesGroup->currentIndex(), d);
  options.legacy = form.CheckBoxSaveLegacy->isChecked();
  const std::string file = path.toStdString();
  RunWalk([&](FileProgress& progress) {
    return SaveFrequencyTable(state_.link, d, file, options, progress);
  });
  ShowLastResult();
}

void TableFileHandlers::btnFrequenciesLoadClick() {
  TDeviceData& d = state_.device;
  if (d.modelType == 0 || state_.busy) return;
  const QString path = ChooseFile(
      state_.window, {FileRequest::Kind::Open, "QDF files (*.qdf);;Any file (*)", "qdf"});
  if (path.isEmpty()) return;
  const Ui::FrequencyPlanView& form = view_.form();
  TableLoadOptions options;
  options.scope = TableScope::FromList(form.ckLoadSaveAllGroups->isChecked(),
                                       form.listFrequenciesGroup->currentIndex(), d);
  options.outLockToHidden = form.ckOutLock2Hidden->isChecked();
  const std::string file = path.toStdString();
  RunWalk([&](FileProgress& progress) {
    return LoadFrequencyTable(state_.link, d, file, options, progress);
  });
  // Refused before anything was sent, or the transmitter left: nothing to show again.
  if (last_.status == FileOpStatus::FileError || d.modelType == 0 || !state_.link.IsOpen()) {
    ShowLastResult();
    return;
  }
  // The table and perhaps the tuning changed under the views: the shown group is read
  // again before the result is told, so the grid behind the message is the new table.
  {
    UpdatingScope updating(state_);
    view_.Reload();
  }
  emit state_.tuningChanged();
  const int group = form.listFrequenciesGroup->currentIndex();
  if (group >= 0) emit state_.frequencyTableChanged(group);
  ShowLastResult();
}

}  // namespace zentra
