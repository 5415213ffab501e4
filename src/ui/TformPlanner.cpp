#include "ui/TformPlanner.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QMessageBox>

#include "files/GroupCoordination.h"
#include "files/TextFile.h"
#include "files/IniFile.h"
#include "plan/Suggest.h"
#include "ui/FileDialogs.h"
#include "ui/FrequencyGridRows.h"
#include "ui/TformFrequency.h"
#include "ui/TformNewTable.h"
#include "ui/UserMessages.h"
#include "ui_TformPlanner.h"

namespace zentra {

namespace {

UnsavedChoice AskWithBox(QWidget* parent, const QString& fileName) {
  const auto answer = QMessageBox::question(
      parent, "Quorvex Zentra", "The frequency table " + fileName + " has changes that are not saved.\nSave them?",
      QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
  return answer == QMessageBox::Save      ? UnsavedChoice::Save
         : answer == QMessageBox::Discard ? UnsavedChoice::Discard
                                          : UnsavedChoice::Cancel;
}

UnsavedAsker& Asker() {
  static UnsavedAsker asker;
  return asker;
}

QString Latin1(const std::string& s) { return QString::fromLatin1(s.c_str()); }

constexpr const char* kQdfFilter = "QDF files (*.qdf)";
constexpr const char* kCsvFilter = "CSV files (*.csv)";

}  // namespace

UnsavedAsker SetUnsavedAsker(UnsavedAsker asker) {
  UnsavedAsker before = Asker();
  Asker() = std::move(asker);
  return before;
}

TformPlanner::TformPlanner(QWidget* parent) : QMainWindow(parent), ui(std::make_unique<Ui::TformPlanner>()) {
  ui->setupUi(this);
  setWindowFlag(Qt::Window, true);
  setAttribute(Qt::WA_DeleteOnClose, false);
  SetUpFrequencyGrid(ui->gridFrequencies);
  ui->gridFrequencies->setRowCount(1);

  const auto guarded = [this](void (TformPlanner::*handler)()) {
    return [this, handler] { RunGuarded([this, handler] { (this->*handler)(); }); };
  };
  connect(ui->listFrequenciesGroup, &QComboBox::activated, this, guarded(&TformPlanner::listFrequenciesGroupChange));
  connect(ui->gridFrequencies, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
    RunGuarded([this, row, column] { gridFrequenciesDblClick(row, column); });
  });
  connect(ui->ckGroupLock, &QCheckBox::clicked, this, guarded(&TformPlanner::ckGroupLockClick));
  connect(ui->ckGroupHidden, &QCheckBox::clicked, this, guarded(&TformPlanner::ckGroupHiddenClick));
  connect(ui->EditGroupName, &QLineEdit::editingFinished, this, [this] {
    if (ui->EditGroupName->isModified()) RunGuarded([this] { EditGroupNameEditingFinished(); });
  });
  connect(ui->btnCoordinate, &QPushButton::clicked, this, guarded(&TformPlanner::btnCoordinateClick));
  connect(ui->actCoordinate, &QAction::triggered, this, guarded(&TformPlanner::btnCoordinateClick));
  connect(ui->btnResetZoom, &QPushButton::clicked, this, [this] { ui->plotSpectrum->ResetZoom(); });
  connect(ui->actNewTable, &QAction::triggered, this, [this] {
    RunGuarded([this] {
      PlanLayout layout = plan_.layout();
      if (AskNewTableLayout(this, layout)) NewTable(layout);
    });
  });
  connect(ui->actOpenTable, &QAction::triggered, this, [this] {
    RunGuarded([this] {
      const QString path = ChooseFile(this, {FileRequest::Kind::Open, "QDF files (*.qdf);;Any file (*)", "qdf"});
      if (!path.isEmpty()) OpenFile(path);
    });
  });
  connect(ui->actSaveTable, &QAction::triggered, this, [this] { RunGuarded([this] { Save(); }); });
  connect(ui->actSaveTableAs, &QAction::triggered, this, [this] { RunGuarded([this] { SaveAs(); }); });
  connect(ui->actExportCsv, &QAction::triggered, this, guarded(&TformPlanner::actExportCsvClick));
  connect(ui->actImportCsv, &QAction::triggered, this, guarded(&TformPlanner::actImportCsvClick));
  connect(ui->actClose, &QAction::triggered, this, &QWidget::close);
  ShowPlan();
}

TformPlanner::~TformPlanner() = default;

// ---------------------------------------------------------------------------------
// The plan and its file

bool TformPlanner::MayClose() {
  if (!plan_.modified() || plan_.empty()) return true;
  const QString name = path_.isEmpty() ? QString("(new)") : QFileInfo(path_).fileName();
  const UnsavedChoice choice = Asker() ? Asker()(this, name) : AskWithBox(this, name);
  if (choice == UnsavedChoice::Cancel) return false;
  return choice == UnsavedChoice::Discard || Save();
}

bool TformPlanner::OpenFile(const QString& path) {
  if (!MayClose()) return false;
  std::string error;
  if (!plan_.Open(path.toStdString(), error)) {
    ShowUserMessage(this, "ERROR", QString::fromStdString(error), QMessageBox::Critical);
    return false;
  }
  path_ = QFileInfo(path).absoluteFilePath();
  onAir_.clear();
  ShowPlan();
  emit fileChanged(path_);
  return true;
}

bool TformPlanner::NewTable(const PlanLayout& layout) {
  if (!layout.Problem().empty() || !MayClose()) return false;
  plan_.New(layout);
  path_.clear();
  onAir_.clear();
  ShowPlan();
  return true;
}

bool TformPlanner::Save() { return path_.isEmpty() ? SaveAs() : SaveTo(path_); }

bool TformPlanner::SaveAs() {
  const QString path = ChooseFile(this, {FileRequest::Kind::Save, kQdfFilter, "qdf"});
  if (path.isEmpty()) return false;
  if (QFileInfo::exists(path) && QFileInfo(path).absoluteFilePath() != path_ &&
      !AskYesNo(this, kOverwriteTitle, kOverwriteQuestion)) {
    return false;
  }
  return SaveTo(path);
}

bool TformPlanner::SaveTo(const QString& path) {
  std::string error;
  if (!plan_.Save(path.toStdString(), error)) {
    ShowUserMessage(this, "ERROR", QString::fromStdString(error), QMessageBox::Critical);
    return false;
  }
  const QString absolute = QFileInfo(path).absoluteFilePath();
  const bool moved = absolute != path_;
  path_ = absolute;
  ShowTitle();
  statusBar()->showMessage("Saved " + path_, 5000);
  if (moved) emit fileChanged(path_);
  return true;
}

void TformPlanner::closeEvent(QCloseEvent* event) {
  if (MayClose()) {
    event->accept();
  } else {
    event->ignore();
  }
}

void TformPlanner::actExportCsvClick() {
  if (plan_.empty()) return;
  const QString path = ChooseFile(this, {FileRequest::Kind::Save, kCsvFilter, "csv"});
  if (path.isEmpty()) return;
  if (QFileInfo::exists(path) && !AskYesNo(this, kOverwriteTitle, kOverwriteQuestion)) return;
  std::string error;
  if (!WriteWholeFile(path.toStdString(), plan::TableToCsv(plan_.table()), error)) {
    ShowUserMessage(this, "ERROR", QString::fromStdString(error), QMessageBox::Critical);
    return;
  }
  statusBar()->showMessage("Exported to " + path, 5000);
}

void TformPlanner::actImportCsvClick() {
  if (plan_.empty()) return;
  const QString path = ChooseFile(this, {FileRequest::Kind::Open, "CSV files (*.csv);;Any file (*)", "csv"});
  if (path.isEmpty()) return;
  std::string text, error;
  if (ReadWholeFile(path.toStdString(), IniFile::kMaxFileBytes, text, error) != TextFileStatus::Ok) {
    ShowUserMessage(this, "ERROR", QString::fromStdString(error), QMessageBox::Critical);
    return;
  }
  const plan::CsvImport imported = plan::TableFromCsv(text, plan_.ImportLimits());
  if (!imported.ok || !plan_.MergeTable(imported.table, error)) {
    ShowUserMessage(this, "ERROR",
                    QFileInfo(path).fileName() + ", " + QString::fromStdString(imported.ok ? error : imported.error),
                    QMessageBox::Critical);
    return;
  }
  ShowGroup();
  ShowTitle();
}

// ---------------------------------------------------------------------------------
// Showing the plan

void TformPlanner::ShowTitle() {
  const QString name = path_.isEmpty() ? QString("New table") : QFileInfo(path_).fileName();
  setWindowTitle(name + "[*] - Offline Frequency Plan - Quorvex Zentra");
  setWindowModified(plan_.modified());
  const TDeviceData& d = plan_.data();
  ui->labelBanner->setText(
      QString("<b>Offline plan</b> of %1: %2 group(s) of %3 channels, %4-%5 MHz, step %6 kHz. "
              "Edits change this plan only; nothing is sent to a transmitter. Save writes the file.")
          .arg((path_.isEmpty() ? name : path_).toHtmlEscaped())
          .arg(d.groupCount)
          .arg(d.channelCount)
          .arg(d.freqMinMHz)
          .arg(d.freqMaxMHz)
          .arg(QString::fromStdString(plan::MHzText(d.stepHz))));
  for (QAction* action : {ui->actSaveTable, ui->actSaveTableAs, ui->actExportCsv, ui->actImportCsv, ui->actCoordinate}) {
    action->setEnabled(!plan_.empty());
  }
}

void TformPlanner::ShowPlan() {
  filling_ = true;
  QComboBox* list = ui->listFrequenciesGroup;
  const int before = list->currentIndex();
  list->clear();
  for (const std::string& item : plan_.GroupItems()) list->addItem(Latin1(item));
  if (list->count() > 0) list->setCurrentIndex(before >= 0 && before < list->count() ? before : 0);
  ui->gridFrequencies->setRowCount(std::max(1, plan_.data().channelCount));
  ClearGridChannelCells(ui->gridFrequencies);
  const bool any = !plan_.empty();
  for (QWidget* w : {static_cast<QWidget*>(list), static_cast<QWidget*>(ui->gridFrequencies),
                     static_cast<QWidget*>(ui->btnCoordinate), static_cast<QWidget*>(ui->EditGroupName)}) {
    w->setEnabled(any);
  }
  filling_ = false;
  QString notes;
  for (const std::string& note : plan_.notes()) notes += (notes.isEmpty() ? "" : "; ") + QString::fromStdString(note);
  if (!notes.isEmpty()) statusBar()->showMessage(notes);
  ShowGroup();
  ShowTitle();
}

int TformPlanner::shownGroup() const { return ui->listFrequenciesGroup->currentIndex(); }

std::vector<int32_t> TformPlanner::OnAirKHz() const {
  std::vector<int32_t> out;
  for (int g : onAir_) {
    if (g == shownGroup()) continue;
    const std::vector<int32_t> active = plan_.ActiveKHz(g);
    out.insert(out.end(), active.begin(), active.end());
  }
  return out;
}

void TformPlanner::SetGroupsOnAir(std::set<int> groups) {
  onAir_ = std::move(groups);
  ShowGroup();
}

void TformPlanner::ShowGroup() {
  filling_ = true;
  const int index = shownGroup();
  const GroupView view = plan_.Group(index);
  QTableWidget* grid = ui->gridFrequencies;
  ClearGridChannelCells(grid);
  ShowGridRows(grid, view, true);
  marks_ = view.group < 0 || view.isSync ? std::vector<plan::ChannelMark>{}
                                         : GroupConflictMarks(view, choices_.guards, OnAirKHz());
  ShowGridConflictMarks(grid, marks_);

  const bool ordinary = view.group >= 0 && !view.isSync;
  ui->ckGroupLock->setEnabled(ordinary);
  ui->ckGroupHidden->setEnabled(ordinary);
  ui->ckGroupLock->setChecked(ordinary && plan_.data().IsGroupLocked(index));
  ui->ckGroupHidden->setChecked(ordinary && plan_.data().IsGroupHidden(index));
  ui->EditGroupName->setMaxLength(view.isSync ? 12 : 8);
  ui->EditGroupName->setText(view.nameRead ? Latin1(view.name) : QString());
  ui->btnCoordinate->setEnabled(ordinary);
  ui->actCoordinate->setEnabled(ordinary);

  size_t conflicted = 0;
  for (const plan::ChannelMark& m : marks_) conflicted += m.conflict() ? 1 : 0;
  QString text = conflicted == 0 ? QString("No conflict") : QString("%1 channel(s) in conflict").arg(conflicted);
  QStringList together;
  for (int g : onAir_) {
    if (g != index && g >= 0 && g < ui->listFrequenciesGroup->count()) together << ui->listFrequenciesGroup->itemText(g);
  }
  if (!together.isEmpty()) text += " (on air with group " + together.join(", ") + ")";
  ui->labelConflicts->setText(text);
  filling_ = false;
  ShowSpectrum();
}

void TformPlanner::ShowSpectrum() {
  const int index = shownGroup();
  const GroupView view = plan_.Group(index);
  SpectrumScene scene;
  scene.lowKHz = plan_.data().freqMinMHz * 1000;
  scene.highKHz = plan_.data().freqMaxMHz * 1000;
  for (size_t row = 0; row < view.rows.size(); ++row) {
    const ChannelRow& r = view.rows[row];
    if (!r.freqRead || (r.flagsRead && r.hidden)) continue;
    scene.carriersKHz.push_back(r.freqKHz);
    if (row < marks_.size() && marks_[row].conflict()) scene.conflictedKHz.push_back(r.freqKHz);
  }
  scene.othersKHz = OnAirKHz();
  scene.guards = choices_.guards;
  QString ignored;
  choices_.Excluded(scene.excluded, ignored);
  scene.scan = choices_.scan;
  if (!scene.scan.empty()) scene.thresholdDbm = choices_.thresholdDbm;
  ui->plotSpectrum->Show(scene);
}

void TformPlanner::WarnWithBeep(const std::string& text) {
  QApplication::beep();
  ShowUserMessage(this, kWarningTitle, Latin1(text), QMessageBox::Warning);
}

// ---------------------------------------------------------------------------------
// Handlers

void TformPlanner::listFrequenciesGroupChange() {
  if (!filling_) ShowGroup();
}

void TformPlanner::gridFrequenciesDblClick(int row, int column) {
  const int index = shownGroup();
  if (filling_ || index < 0 || row < 0 || row >= plan_.data().channelCount) return;
  const bool sync = plan_.IsSync(index);
  if (column == kGridFrequencyColumn) {
    if (!sync || row == 0) EditFrequency(row);
    return;
  }
  if (sync || (column != kGridLockColumn && column != kGridHiddenColumn)) return;
  const PlanEditResult result =
      column == kGridLockColumn ? plan_.ToggleLock(index, row) : plan_.ToggleHidden(index, row);
  ShowGroup();
  ShowTitle();
  if (!result.warning.empty()) WarnWithBeep(result.warning.text);
}

void TformPlanner::EditFrequency(int row) {
  int32_t kHz = 0;
  {
    TformFrequency dialog(plan_.data(), this);
    kHz = dialog.Run();
  }
  // Cancelled (0): nothing changes; the grid shows the plan again all the same.
  if (kHz != 0) plan_.SetFrequency(shownGroup(), row, kHz);
  ShowGroup();
  ShowTitle();
}

void TformPlanner::ckGroupLockClick() {
  if (filling_) return;
  ui->ckGroupLock->setChecked(plan_.SetGroupLock(shownGroup(), ui->ckGroupLock->isChecked()));
  ShowTitle();
}

void TformPlanner::ckGroupHiddenClick() {
  if (filling_) return;
  PlanWarning warning;
  ui->ckGroupHidden->setChecked(plan_.SetGroupHidden(shownGroup(), ui->ckGroupHidden->isChecked(), warning));
  ShowTitle();
  if (!warning.empty()) WarnWithBeep(warning.text);
}

void TformPlanner::EditGroupNameEditingFinished() {
  if (filling_ || shownGroup() < 0) return;
  std::string text;
  for (const QChar ch : ui->EditGroupName->text()) {
    const char16_t u = ch.unicode();
    text.push_back(u >= 32 && u <= 126 ? static_cast<char>(u) : ' ');
  }
  ui->EditGroupName->setText(Latin1(plan_.SetGroupName(shownGroup(), text)));
  ui->EditGroupName->setModified(false);
  ShowTitle();
}

void TformPlanner::btnCoordinateClick() {
  const int index = shownGroup();
  if (index < 0 || plan_.IsSync(index) || plan_.empty()) return;
  const GroupView view = plan_.Group(index);
  const QString fileName = path_.isEmpty() ? QString("the new table") : QFileInfo(path_).fileName();
  CoordinationSetup setup;
  setup.groupText = "group " + ui->listFrequenciesGroup->itemText(index) +
                    (view.nameRead && !view.name.empty() ? " \"" + Latin1(view.name).trimmed() + "\"" : QString()) +
                    " of " + fileName;
  setup.channelCount = plan_.data().channelCount;
  setup.minKHz = plan_.data().freqMinMHz * 1000;
  setup.maxKHz = plan_.data().freqMaxMHz * 1000;
  setup.stepHz = plan_.data().stepHz;
  for (size_t c = 0; c < view.rows.size(); ++c) {
    const ChannelRow& r = view.rows[c];
    if (r.freqRead && !r.hidden) setup.channels.emplace_back(static_cast<int>(c), r.freqKHz);
  }
  std::vector<int> otherIndex;
  CoordinationChoices choices = choices_;
  choices.onAir.clear();
  for (int g = 0; g < plan_.data().groupCount; ++g) {
    if (g == index) continue;
    const GroupView other = plan_.Group(g);
    QString label = "Group " + ui->listFrequenciesGroup->itemText(g);
    if (other.nameRead && !other.name.empty()) label += " \"" + Latin1(other.name).trimmed() + "\"";
    if (onAir_.count(g)) choices.onAir.push_back(static_cast<int>(otherIndex.size()));
    otherIndex.push_back(g);
    setup.others.push_back({label, plan_.ActiveKHz(g)});
  }
  setup.candidates = [](int32_t low, int32_t high, int32_t stepHz) { return plan::StepGrid(low, high, stepHz); };
  const CoordinationWriter writer = [this, index](const CoordinationOutcome& outcome, QString& message) {
    plan_.WriteGroupSet(index, outcome.setKHz, outcome.hideRest);
    message = QString("Written to group %1 of the plan, channels 00..%2. Save the file to keep it.")
                  .arg(ui->listFrequenciesGroup->itemText(index))
                  .arg(static_cast<int>(outcome.setKHz.size()) - 1, 2, 10, QChar('0'));
    return true;
  };
  TformCoordinate dialog(setup, choices, writer, this);
  dialog.exec();
  choices_ = dialog.choices();
  std::set<int> onAir;
  if (onAir_.count(index)) onAir.insert(index);
  for (int i : choices_.onAir) onAir.insert(otherIndex[static_cast<size_t>(i)]);
  onAir_ = onAir;
  ShowGroup();
  ShowTitle();
}

}  // namespace zentra
