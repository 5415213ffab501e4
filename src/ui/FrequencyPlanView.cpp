#include "ui/FrequencyPlanView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QScrollBar>

#include "device/CommandSet.h"
#include "device/FullRead.h"
#include "device/ItemLists.h"
#include "device/MenuFlags.h"
#include "device/TDeviceData.h"
#include "link/IrLink.h"
#include "link/LinkWait.h"
#include "ui/UserMessages.h"
#include "ui/WindowState.h"
#include "ui_FrequencyPlanView.h"

namespace zentra {

namespace {
// Column widths of the frequency grid: channel, frequency, lock, hidden.
constexpr int kGridColumnWidths[4] = {30, 80, 70, 70};
constexpr int kGridRowHeight = 18;
constexpr int kGroupNameLength = 8;
constexpr int kSyncNameLength = 12;

QString Latin1(const std::string& s) { return QString::fromLatin1(s.c_str()); }

}  // namespace

FrequencyPlanView::FrequencyPlanView(QWidget* parent)
    : WindowView(parent), ui(std::make_unique<Ui::FrequencyPlanView>()) {
  ui->setupUi(this);
  QTableWidget* grid = ui->gridFrequencies;
  for (int c = 0; c < 4; ++c) grid->setColumnWidth(c, kGridColumnWidths[c]);
  grid->verticalHeader()->setVisible(false);
  grid->verticalHeader()->setDefaultSectionSize(kGridRowHeight);
  grid->setHorizontalHeaderLabels({"CH", "Frequency", "Lock", "Hidden"});
  grid->setItemDelegate(new FrequencyCellDelegate(*this, grid));
}

FrequencyPlanView::~FrequencyPlanView() = default;

void FrequencyPlanView::Attach(WindowState& s) {
  WindowView::Attach(s);
  QTableWidget* grid = ui->gridFrequencies;
  grid->viewport()->installEventFilter(this);
  grid->verticalScrollBar()->installEventFilter(this);
  connect(grid, &QTableWidget::currentCellChanged, this,
          [this] { RunGuarded([this] { gridFrequenciesSelectCell(); }); });
  // The group shown is the user's choice (activated); the program selecting a group
  // reads it itself.
  connect(ui->listFrequenciesGroup, &QComboBox::activated, this, [this](int index) {
    if (index >= 0 && !state->updating) RunGuarded([this] { listFrequenciesGroupChange(); });
  });
  connect(ui->ckGroupLock, &QCheckBox::clicked, this,
          [this] { RunGuarded([this] { ckGroupLockClick(); }); });
  connect(ui->ckGroupHidden, &QCheckBox::clicked, this,
          [this] { RunGuarded([this] { ckGroupHiddenClick(); }); });
  connect(ui->ButtonSaveLockHidden, &QPushButton::clicked, this,
          [this] { RunGuarded([this] { ButtonSaveLockHiddenClick(); }); });
  // The Tuning box (or a preset) moved the tuning: the yellow cell follows it, and the
  // grid's selection is cleared as after every tuning.
  connect(state, &WindowState::tuningChanged, this, [this] {
    ui->gridFrequencies->clearSelection();
    ui->gridFrequencies->viewport()->update();
  });
}

// ---------------------------------------------------------------------------------
// Showing the transmitter

void FrequencyPlanView::ResetDisplay() {
  ++generation_;
  shown_ = GroupView{};
  marks_.clear();
  lastHitColumn_ = lastHitRow_ = -1;
  QTableWidget* grid = ui->gridFrequencies;
  grid->clearContents();
  grid->setRowCount(1);
  grid->clearSelection();
  WindowView::ResetDisplay();
}

void FrequencyPlanView::ShowReadResult(const FullReadResult& result) {
  ++generation_;
  const TDeviceData& d = state->device;
  QTableWidget* grid = ui->gridFrequencies;
  const bool flags = d.channelFlagsSupported != 0;
  grid->setHorizontalHeaderLabels({"CH", "Frequency", flags ? "Lock" : "-", flags ? "Hidden" : "-"});
  grid->clearContents();
  grid->setRowCount(std::max(1, std::min<int>(d.channelCount, kMaxChannels)));
  ClearChannelCells();

  const ItemList groups = GroupListItems(d);
  QComboBox* list = ui->listFrequenciesGroup;
  list->clear();
  for (const std::string& item : groups) list->addItem(Latin1(item));
  if (groups.empty()) return;  // the table size could not be read: nothing to browse

  // The grid, the group list and the table-file buttons come to life with the table.
  for (QWidget* control : {static_cast<QWidget*>(grid), static_cast<QWidget*>(list),
                           static_cast<QWidget*>(ui->btnFrequenciesLoad),
                           static_cast<QWidget*>(ui->btnFrequenciesSave),
                           static_cast<QWidget*>(ui->ckLoadSaveAllGroups),
                           static_cast<QWidget*>(ui->CheckBoxSaveLegacy),
                           static_cast<QWidget*>(ui->ckOutLock2Hidden)}) {
    EnableControl(control);
  }
  ShowGroupBoxesEnabled();
  list->setCurrentIndex(0);
  // The full read has brought in the first group already.
  ShowGroup(result.firstGroup);
}

void FrequencyPlanView::ShowGroupBoxesEnabled() {
  const TDeviceData& d = state->device;
  // The group boxes and SAVE write the lock bytes with both group masks: only once the
  // transmitter's own bytes were read, so a save changes nothing the user did not choose.
  const LockPanel locks = LockPanelState(d);
  const bool known = d.locksRead != 0;
  groupLockEnabled_ = known && locks.groupLockEnabled && d.groupLockSupported;
  groupHiddenEnabled_ = known && locks.groupHiddenEnabled && d.groupHiddenSupported;
  SetControlEnabled(ui->ButtonSaveLockHidden,
                    known && (groupLockEnabled_ || groupHiddenEnabled_ || d.groupNamesSupported));
}

void FrequencyPlanView::ShowEditLock() {
  const TDeviceData& d = state->device;
  if (!d.groupNamesSupported || shown_.group < 0) return;
  SetControlEnabled(ui->EditGroupName, !state->editLocked);
  // Either way the edit shows the transmitter's name again: locking drops a name typed
  // but not saved, unlocking starts from what the transmitter holds.
  std::string name;
  const bool read = shown_.isSync ? state->commands.ReadSyncGroupName(name)
                                  : state->commands.ReadGroupName(shown_.group, name);
  if (!read) return;
  shown_.name = name;
  shown_.nameRead = true;
  UpdatingScope updating(*state);
  ui->EditGroupName->setText(Latin1(name));
}

void FrequencyPlanView::ShowFromData() {
  // A configuration load or a preset activation changed the tuning and the group flags
  // and read them back: the yellow cell and the group boxes follow.
  ShowGroupBoxesEnabled();
  ShowGroupChecks();
  ui->gridFrequencies->clearSelection();
  ui->gridFrequencies->viewport()->update();
}

bool FrequencyPlanView::Reload() {
  const TDeviceData& d = state->device;
  if (d.modelType == 0 || shown_.group < 0) return true;
  QComboBox* list = ui->listFrequenciesGroup;
  const int index = list->currentIndex();
  UpdatingScope updating(*state);
  list->clear();
  for (const std::string& item : GroupListItems(d)) list->addItem(Latin1(item));
  if (list->count() == 0) return false;
  list->setCurrentIndex(index >= 0 && index < list->count() ? index : 0);
  return listFrequenciesGroupChange();
}

void FrequencyPlanView::ShowGroup(const GroupView& view) {
  shown_ = view;
  ShowChannelRows();
  ShowGroupChecks();
  ShowGroupName(view);
  ui->gridFrequencies->clearSelection();
  ui->gridFrequencies->viewport()->update();
}

void FrequencyPlanView::ShowGroupChecks() {
  const TDeviceData& d = state->device;
  QCheckBox* lock = ui->ckGroupLock;
  QCheckBox* hidden = ui->ckGroupHidden;
  if (shown_.group < 0 || shown_.isSync) {
    DisableControl(lock);
    DisableControl(hidden);
    return;
  }
  // An ordinary group shown after SYNC gets its boxes back as the read at connect
  // enabled them.
  SetControlEnabled(lock, groupLockEnabled_);
  SetControlEnabled(hidden, groupHiddenEnabled_);
  if (d.groupLockSupported) lock->setChecked(d.IsGroupLocked(shown_.group));
  if (d.groupHiddenSupported) hidden->setChecked(d.IsGroupHidden(shown_.group));
}

void FrequencyPlanView::ShowGroupName(const GroupView& view) {
  const TDeviceData& d = state->device;
  // Without a sync channel no name is read and the edit stays as it is.
  if (!d.syncSupported) return;
  QLineEdit* edit = ui->EditGroupName;
  edit->setMaxLength(view.isSync ? kSyncNameLength : kGroupNameLength);
  SetControlEnabled(edit, d.groupNamesSupported && !state->editLocked);
  // A name that could not be read leaves the edit empty rather than showing the name
  // of the group shown before.
  edit->setText(view.nameRead ? Latin1(view.name) : QString());
}

std::string FrequencyPlanView::GroupNameText() const {
  std::string text;
  for (const QChar ch : ui->EditGroupName->text()) {
    const char16_t u = ch.unicode();
    text.push_back(u >= 32 && u <= 126 ? static_cast<char>(u) : ' ');
  }
  return text;
}

void FrequencyPlanView::WarnWithBeep(const std::string& text) {
  if (state->beep) state->beep();
  ShowUserMessage(state->window, kWarningTitle, Latin1(text), QMessageBox::Warning);
}

bool FrequencyPlanView::StillShowing(int generation) const {
  return generation == generation_ && state->device.modelType != 0;
}

// ---------------------------------------------------------------------------------
// The group box

bool FrequencyPlanView::listFrequenciesGroupChange() {
  const int group = ui->listFrequenciesGroup->currentIndex();
  if (group < 0 || state->device.modelType == 0) return false;
  UpdatingScope updating(*state);
  const int generation = generation_;
  ClearChannelCells();
  // Events run between the commands so the window stays alive through up to 60
  // channels; user input waits.
  const GroupView view =
      ReadGroup(state->link, state->device, group, [] { PumpEvents(); });
  if (!StillShowing(generation)) return false;
  ShowGroup(view);
  return view.ok;
}

void FrequencyPlanView::ckGroupLockClick() {
  if (!state->AcceptUserChange([this] { ShowGroupChecks(); })) return;
  if (shown_.group < 0) return;
  ui->ckGroupLock->setChecked(
      GroupLockClick(state->device, shown_.group, ui->ckGroupLock->isChecked()));
}

void FrequencyPlanView::ckGroupHiddenClick() {
  if (!state->AcceptUserChange([this] { ShowGroupChecks(); })) return;
  if (shown_.group < 0) return;
  UpdatingScope updating(*state);
  PlanWarning warning;
  ui->ckGroupHidden->setChecked(GroupHiddenClick(state->device, shown_.group,
                                                 ui->ckGroupHidden->isChecked(), warning));
  if (!warning.empty()) WarnWithBeep(warning.text);
}

void FrequencyPlanView::ButtonSaveLockHiddenClick() {
  if (!state->AcceptUserChange([this] { ShowGroupChecks(); })) return;
  if (shown_.group < 0) return;
  UpdatingScope updating(*state);
  TDeviceData& d = state->device;
  const int group = shown_.group;
  // A name that could not be read is written only when the user typed one.
  const bool nameKnown = shown_.nameRead || ui->EditGroupName->isModified();
  const GroupSaveResult saved = SaveGroupFlagsAndName(
      state->link, d, group, ui->ckGroupLock->isChecked(), ui->ckGroupHidden->isChecked(),
      nameKnown ? std::optional<std::string>(GroupNameText()) : std::nullopt);
  if (!shown_.isSync) {
    ui->ckGroupLock->setChecked(saved.lockChecked);
    ui->ckGroupHidden->setChecked(saved.hiddenChecked);
  }
  if (d.groupNamesSupported && nameKnown) ui->EditGroupName->setText(Latin1(saved.nameText));
  if (saved.nameWritten) {
    shown_.name = saved.nameText;
    shown_.nameRead = true;
  }
  for (const PlanWarning& warning : saved.warnings) WarnWithBeep(warning.text);
  if (saved.nameRefused && state->beep) state->beep();
  emit state->frequencyTableChanged(group);
}

}  // namespace zentra
