#include "ui/ConfigFileHandlers.h"

#include <QAction>

#include "device/TDeviceData.h"
#include "files/ConfigFile.h"
#include "files/IniFile.h"
#include "link/IrLink.h"
#include "ui/FileDialogs.h"
#include "ui/TformConfiguration.h"
#include "ui/UserMessages.h"
#include "ui/WindowState.h"

namespace zentra {

namespace {

const char* const kConfigFilter = "configuration file (*.qcf)";
const char* const kConfigSuffix = "qcf";

QString Latin1(const std::string& s) { return QString::fromLatin1(s.c_str()); }

}  // namespace

ConfigFileHandlers::ConfigFileHandlers(WindowState& state, QAction* loadItem, QAction* saveItem,
                                       QObject* parent)
    : QObject(parent), state_(state) {
  setObjectName("configFileHandlers");
  loadItem->setEnabled(true);
  saveItem->setEnabled(true);
  connect(loadItem, &QAction::triggered, this,
          [this] { RunGuarded([this] { mnuLoadConfigClick(); }); });
  connect(saveItem, &QAction::triggered, this,
          [this] { RunGuarded([this] { mnuSaveConfigClick(); }); });
}

void ConfigFileHandlers::Show(const FileOpResult& r) {
  last_ = r;
  for (const std::string& m : r.earlierMessages) {
    ShowUserMessage(state_.window, kTitleCompleted, Latin1(m), QMessageBox::Information);
  }
  if (!r.message.empty()) {
    ShowUserMessage(state_.window, Latin1(r.title), Latin1(r.message), FileResultIcon(r));
  }
}

void ConfigFileHandlers::mnuSaveConfigClick() {
  if (state_.busy) return;
  if (state_.device.modelType == 0) {
    IniFile none;
    Show(SaveConfiguration(state_.link, state_.device, state_.presets, none));
    return;
  }
  const QString path =
      ChooseFile(state_.window, {FileRequest::Kind::Save, kConfigFilter, kConfigSuffix});
  if (path.isEmpty()) return;
  state_.busy = true;
  const FileOpResult r =
      SaveConfiguration(state_.link, state_.device, state_.presets, path.toStdString());
  state_.busy = false;
  // The save read the presets again.
  emit state_.presetsChanged();
  Show(r);
}

void ConfigFileHandlers::mnuLoadConfigClick() {
  if (state_.busy) return;
  TDeviceData& d = state_.device;
  IniFile ini;
  if (d.modelType == 0) {
    Show(OpenConfiguration(d, {}, ini));
    return;
  }
  const QString path =
      ChooseFile(state_.window, {FileRequest::Kind::Open, kConfigFilter, kConfigSuffix});
  if (path.isEmpty()) return;
  const FileOpResult opened = OpenConfiguration(d, path.toStdString(), ini);
  if (!opened.ok()) {
    Show(opened);
    return;
  }
  const ConfigChoices choices = DecideConfigChoices(ini, d);
  ConfigSelection selection{};
  {
    TformConfiguration dialog(choices, state_.window);
    if (dialog.exec() != QDialog::Accepted) return;  // nothing sent, nothing said
    selection = dialog.Selection();
  }
  if (d.modelType == 0) return;  // the transmitter left while the dialog was open
  FileOpResult r;
  {
    UpdatingScope updating(state_);
    state_.busy = true;
    r = ApplyConfiguration(state_.link, d, state_.presets, ini, choices, selection,
                           state_.editLocked);
    state_.busy = false;
  }
  if (d.modelType != 0) {
    // Every view shows the transmitter's values as the load read them back (tuning,
    // panels, group boxes, presets), then the edit lock as the user left it.
    emit state_.settingsReread();
    emit state_.tuningChanged();
    emit state_.editLockChanged();
  }
  Show(r);
}

}  // namespace zentra
