#include "ui/PlanFileMenu.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>

#include "device/FrequencyPlan.h"
#include "device/ItemLists.h"
#include "device/TDeviceData.h"
#include "files/GroupCoordination.h"
#include "link/IrLink.h"
#include "link/LinkWait.h"
#include "ui/FileDialogs.h"
#include "ui/FrequencyPlanView.h"
#include "ui/TableFileHandlers.h"
#include "ui/TformNewTable.h"
#include "ui/UserMessages.h"
#include "ui/WindowState.h"
#include "ui_FrequencyPlanView.h"

namespace zentra {

namespace {
QString Latin1(const std::string& s) { return QString::fromLatin1(s.c_str()); }
}  // namespace

PlanFileMenu::PlanFileMenu(WindowState& state, FrequencyPlanView& view, QMenu* fileMenu, QAction* before,
                           QObject* parent)
    : QObject(parent), state_(state), view_(view) {
  setObjectName("planFileMenu");
  const auto add = [&](QAction*& action, const char* name, const char* text, void (PlanFileMenu::*handler)()) {
    action = new QAction(text, this);
    action->setObjectName(name);
    fileMenu->insertAction(before, action);
    connect(action, &QAction::triggered, this, [this, handler] { RunGuarded([this, handler] { (this->*handler)(); }); });
  };
  add(mnuOpenTable, "mnuOpenTable", "Open Frequency Table…", &PlanFileMenu::mnuOpenTableClick);
  add(mnuNewTable, "mnuNewTable", "New Frequency Table…", &PlanFileMenu::mnuNewTableClick);
  add(mnuSaveTable, "mnuSaveTable", "Save Frequency Table", &PlanFileMenu::mnuSaveTableClick);
  add(mnuSaveTableAs, "mnuSaveTableAs", "Save As…", &PlanFileMenu::mnuSaveTableAsClick);
  fileMenu->insertSeparator(before);
  add(mnuCoordinate, "mnuCoordinate", "Coordinate…", &PlanFileMenu::mnuCoordinateClick);
  mnuCoordinate->setToolTip("Suggest compatible frequencies for the group shown in Tuning Frequencies");
  fileMenu->insertSeparator(before);
  ShowPlanActions();
}

TformPlanner& PlanFileMenu::Planner() {
  if (!planner_) {
    planner_ = new TformPlanner(state_.window);
    connect(planner_, &TformPlanner::fileChanged, this, [this] { ShowPlanActions(); });
  }
  planner_->show();
  planner_->raise();
  planner_->activateWindow();
  return *planner_;
}

void PlanFileMenu::ShowPlanActions() {
  const bool open = planner_ && !planner_->plan().empty();
  mnuSaveTable->setEnabled(open);
  mnuSaveTableAs->setEnabled(open);
}

bool PlanFileMenu::OpenTable(const QString& path) {
  const bool opened = Planner().OpenFile(path);
  ShowPlanActions();
  return opened;
}

void PlanFileMenu::mnuOpenTableClick() {
  const QString path = ChooseFile(state_.window, {FileRequest::Kind::Open, "QDF files (*.qdf);;Any file (*)", "qdf"});
  if (!path.isEmpty()) OpenTable(path);
}

void PlanFileMenu::mnuNewTableClick() {
  PlanLayout layout = planner_ ? planner_->plan().layout() : PlanLayout{};
  if (!AskNewTableLayout(state_.window, layout)) return;
  Planner().NewTable(layout);
  ShowPlanActions();
}

void PlanFileMenu::mnuSaveTableClick() {
  if (planner_ && !planner_->plan().empty()) planner_->Save();
}

void PlanFileMenu::mnuSaveTableAsClick() {
  if (planner_ && !planner_->plan().empty()) planner_->SaveAs();
}

bool PlanFileMenu::MayClose() { return !planner_ || planner_->MayClose(); }

void PlanFileMenu::mnuCoordinateClick() {
  TDeviceData& d = state_.device;
  if (d.modelType == 0 || state_.busy) {
    ShowUserMessage(state_.window, "WARNING", "Connect a device!", QMessageBox::Warning);
    return;
  }
  const GroupView shown = view_.shownGroup();
  if (shown.group < 0 || shown.isSync) {
    ShowUserMessage(state_.window, "WARNING", "Show a group (not SYNC) in Tuning Frequencies first",
                    QMessageBox::Warning);
    return;
  }
  if (d.stepHz <= 0) {
    ShowUserMessage(state_.window, "WARNING", "Tuning step unknown: read the transmitter again!", QMessageBox::Warning);
    return;
  }
  if (!state_.AcceptUserChange({})) return;  // the edit lock is on: beep
  const int group = shown.group;
  const ItemList items = GroupListItems(d);
  const auto label = [&](int g) { return Latin1(g >= 0 && g < int(items.size()) ? items[g] : std::to_string(g)); };
  CoordinationSetup setup;
  setup.groupText = "group " + label(group) +
                    (shown.nameRead && !shown.name.empty() ? " \"" + Latin1(shown.name).trimmed() + "\"" : QString()) +
                    " of the transmitter " + Latin1(d.IdText()).trimmed();
  setup.channelCount = d.channelCount;
  setup.minKHz = d.freqMinMHz * 1000;
  setup.maxKHz = d.freqMaxMHz * 1000;
  setup.stepHz = d.stepHz;
  setup.stepFixed = true;
  const std::vector<std::optional<int32_t>> onAir = OnAirRows(shown);
  for (size_t c = 0; c < onAir.size(); ++c) {
    if (onAir[c]) setup.channels.emplace_back(static_cast<int>(c), *onAir[c]);
  }
  std::vector<int> otherGroup;
  for (int g = 0; g < d.groupCount; ++g) {
    if (g == group) continue;
    otherGroup.push_back(g);
    setup.others.push_back({"Group " + label(g), std::nullopt});
  }
  setup.readOther = [this, otherGroup](size_t i) {
    std::vector<int32_t> out;
    if (state_.device.modelType == 0) return out;
    const GroupView view = ReadGroup(state_.link, state_.device, otherGroup[i], [] { PumpEvents(); });
    for (const auto& f : OnAirRows(view)) {
      if (f) out.push_back(*f);
    }
    return out;
  };
  // The transmitter tunes only where its sub-band table allows power.
  setup.candidates = [this](int32_t low, int32_t high, int32_t) { return TuningCandidates(state_.device, low, high); };
  setup.hideRestAvailable = d.channelFlagsSupported != 0;
  const CoordinationWriter writer = [this, group, label](const CoordinationOutcome& outcome, QString& message) {
    TDeviceData& data = state_.device;
    if (data.modelType == 0) {
      message = "Connect a device!";
      return false;
    }
    GroupWriteResult written;
    RunTableWalk(state_, progress_, [&](FileProgress& progress) {
      written = WriteGroupFrequencies(state_.link, data, group, outcome.setKHz,
                                      outcome.hideRest && data.channelFlagsSupported, progress);
      FileOpResult shown = written.load;
      shown.message.clear();  // the coordination dialog tells how it went
      return shown;
    });
    // The grid shows the group as the transmitter now holds it.
    if (view_.form().listFrequenciesGroup->currentIndex() == group && data.modelType != 0) {
      view_.listFrequenciesGroupChange();
    }
    emit state_.frequencyTableChanged(group);
    if (written.ok()) {
      message = QString("Written to group %1, channels 00..%2, every channel read back")
                    .arg(label(group))
                    .arg(static_cast<int>(outcome.setKHz.size()) - 1, 2, 10, QChar('0'));
      return true;
    }
    QString bad;
    for (int c : written.mismatched) bad += QString::asprintf(" CH%02d", c);
    message = "Group " + label(group) + " was not written as suggested" +
              (bad.isEmpty() ? QString() : " (read back wrong:" + bad + ")");
    return false;
  };
  // The groups ticked on air are those of the group they were chosen for.
  if (liveGroup_ != group) liveChoices_.onAir.clear();
  TformCoordinate dialog(setup, liveChoices_, writer, state_.window);
  dialog.exec();
  liveChoices_ = dialog.choices();
  liveGroup_ = group;
}

}  // namespace zentra
