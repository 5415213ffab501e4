#include "ui/TformCoordinate.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProgressDialog>
#include <algorithm>

#include "files/TablePlan.h"
#include "ui/FileDialogs.h"
#include "ui/UserMessages.h"
#include "ui_TformCoordinate.h"

namespace zentra {

namespace {

QString Text(const std::string& s) { return QString::fromStdString(s); }
QString MHz(int64_t kHz) { return Text(plan::MHzText(kHz)); }

std::vector<std::string> SplitList(const QString& text) {
  std::vector<std::string> out;
  for (const QString& part : text.split(',', Qt::SkipEmptyParts)) {
    const QString item = part.trimmed();
    if (!item.isEmpty()) out.push_back(item.toStdString());
  }
  return out;
}

}  // namespace

bool CoordinationChoices::Excluded(std::vector<plan::FreqRange>& out, QString& error) const {
  out.clear();
  for (const std::string& typed : SplitList(excludeText)) {
    const auto range = plan::ParseRangeMHz(typed);
    if (!range) {
      error = "Excluded range \"" + Text(typed) + "\": give MHZ-MHZ, e.g. 606-614";
      return false;
    }
    out.push_back(*range);
  }
  std::string tvError;
  const auto raster = tvRaster == 6 ? plan::TvRaster::America6MHz : plan::TvRaster::Europe8MHz;
  if (!plan::ParseTvChannels(tvChannelsText.toStdString(), raster, out, tvError)) {
    error = Text(tvError);
    return false;
  }
  for (const plan::FreqRange& r : plan::OccupiedRanges(scan, thresholdDbm)) out.push_back(r);
  out = plan::MergeRanges(std::move(out));
  return true;
}

TformCoordinate::TformCoordinate(const CoordinationSetup& setup, const CoordinationChoices& choices,
                                 CoordinationWriter writer, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TformCoordinate>()), setup_(setup), writer_(std::move(writer)) {
  ui->setupUi(this);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setWindowTitle("Coordinate " + setup_.groupText);
  ui->labelGroup->setText("<b>" + setup_.groupText.toHtmlEscaped() + "</b>");
  ui->spinCount->setMaximum(std::max(1, setup_.channelCount));
  ui->spinCount->setValue(std::min(std::max<int>(8, static_cast<int>(setup_.channels.size())), ui->spinCount->maximum()));
  ui->editRangeLow->setText(MHz(setup_.minKHz));
  ui->editRangeHigh->setText(MHz(setup_.maxKHz));
  ui->editStep->setText(MHz(setup_.stepHz));  // Hz as kHz with three decimals
  ui->editStep->setReadOnly(setup_.stepFixed);
  if (setup_.stepFixed) ui->editStep->setToolTip("The transmitter tunes in this step only");
  ui->spinSpacing->setValue(choices.guards.spacingKHz);
  ui->spinGuard2Tx3->setValue(choices.guards.twoTx3rdKHz);
  ui->spinGuard2Tx5->setValue(choices.guards.twoTx5thKHz);
  ui->spinGuard3Tx3->setValue(choices.guards.threeTx3rdKHz);
  for (const auto& [channel, kHz] : setup_.channels) {
    auto* item = new QListWidgetItem(QString::asprintf("CH%02d  ", channel) + MHz(kHz) + " MHz", ui->listKeep);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    item->setData(Qt::UserRole, kHz);
  }
  for (size_t i = 0; i < setup_.others.size(); ++i) {
    const auto& other = setup_.others[i];
    const QString count = other.activeKHz ? QString(" (%1 on air)").arg(other.activeKHz->size()) : QString();
    auto* item = new QListWidgetItem(other.label + count, ui->listOnAir);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    const bool on = std::find(choices.onAir.begin(), choices.onAir.end(), static_cast<int>(i)) != choices.onAir.end();
    item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
  }
  ui->editExclude->setText(choices.excludeText);
  ui->editTvChannels->setText(choices.tvChannelsText);
  ui->listTvRaster->setCurrentIndex(choices.tvRaster == 6 ? 1 : 0);
  scan_ = choices.scan;
  scanPath_ = choices.scanPath;
  ui->editScan->setText(scanPath_.isEmpty() ? QString() : QFileInfo(scanPath_).fileName());
  ui->spinThreshold->setValue(choices.thresholdDbm);
  ui->ckHideRest->setChecked(choices.hideRest && setup_.hideRestAvailable);
  ui->ckHideRest->setEnabled(setup_.hideRestAvailable);

  const auto guarded = [this](void (TformCoordinate::*handler)()) {
    return [this, handler] { RunGuarded([this, handler] { (this->*handler)(); }); };
  };
  connect(ui->btnSuggest, &QPushButton::clicked, this, guarded(&TformCoordinate::btnSuggestClick));
  connect(ui->btnWrite, &QPushButton::clicked, this, guarded(&TformCoordinate::btnWriteClick));
  connect(ui->btnScan, &QPushButton::clicked, this, guarded(&TformCoordinate::btnScanClick));
  connect(ui->btnClearScan, &QPushButton::clicked, this, guarded(&TformCoordinate::btnClearScanClick));
  connect(ui->btnDefaultGuards, &QPushButton::clicked, this, guarded(&TformCoordinate::btnDefaultGuardsClick));
  connect(ui->btnClose, &QPushButton::clicked, this, &QDialog::reject);
  // What is excluded follows what the user types or picks.
  connect(ui->editExclude, &QLineEdit::textEdited, this, [this] { ShowExcluded(); });
  connect(ui->editTvChannels, &QLineEdit::textEdited, this, [this] { ShowExcluded(); });
  connect(ui->listTvRaster, &QComboBox::activated, this, [this] { ShowExcluded(); });
  connect(ui->spinThreshold, &QDoubleSpinBox::editingFinished, this, [this] { ShowExcluded(); });
  ShowExcluded();
}

TformCoordinate::~TformCoordinate() = default;

CoordinationChoices TformCoordinate::choices() const {
  CoordinationChoices c;
  c.guards.spacingKHz = ui->spinSpacing->value();
  c.guards.twoTx3rdKHz = ui->spinGuard2Tx3->value();
  c.guards.twoTx5thKHz = ui->spinGuard2Tx5->value();
  c.guards.threeTx3rdKHz = ui->spinGuard3Tx3->value();
  c.excludeText = ui->editExclude->text();
  c.tvChannelsText = ui->editTvChannels->text();
  c.tvRaster = ui->listTvRaster->currentIndex() == 1 ? 6 : 8;
  c.scanPath = scanPath_;
  c.scan = scan_;
  c.thresholdDbm = ui->spinThreshold->value();
  for (int i = 0; i < ui->listOnAir->count(); ++i) {
    if (ui->listOnAir->item(i)->checkState() == Qt::Checked) c.onAir.push_back(i);
  }
  c.hideRest = ui->ckHideRest->isChecked();
  return c;
}

std::vector<int32_t> TformCoordinate::OnAirKHz() {
  std::vector<int32_t> out;
  for (int i : choices().onAir) {
    auto& other = setup_.others[static_cast<size_t>(i)];
    if (!other.activeKHz) {
      other.activeKHz = setup_.readOther ? setup_.readOther(static_cast<size_t>(i)) : std::vector<int32_t>{};
      ui->listOnAir->item(i)->setText(other.label + QString(" (%1 on air)").arg(other.activeKHz->size()));
    }
    out.insert(out.end(), other.activeKHz->begin(), other.activeKHz->end());
  }
  return out;
}

void TformCoordinate::Warn(const QString& text) {
  ShowUserMessage(this, "WARNING", text, QMessageBox::Warning);
}

void TformCoordinate::ShowExcluded() {
  std::vector<plan::FreqRange> excluded;
  QString error;
  if (!choices().Excluded(excluded, error)) {
    ui->labelExcluded->setText("<span style='color:#b00000'>" + error.toHtmlEscaped() + "</span>");
    return;
  }
  if (excluded.empty()) {
    ui->labelExcluded->setText("Nothing excluded.");
    return;
  }
  QString text = QString("%1 range(s) excluded: ").arg(excluded.size());
  constexpr size_t kShown = 6;
  for (size_t i = 0; i < excluded.size() && i < kShown; ++i) {
    text += (i ? ", " : "") + Text(plan::RangeText(excluded[i])) + " (" + Text(excluded[i].source) + ")";
  }
  if (excluded.size() > kShown) text += QString(", ... %1 more").arg(excluded.size() - kShown);
  ui->labelExcluded->setText(text.toHtmlEscaped());
}

bool TformCoordinate::BuildRequest(plan::SuggestRequest& request, std::vector<plan::FreqRange>& excluded,
                                   QString& error) {
  const auto low = plan::ParseMHz(ui->editRangeLow->text().trimmed().toStdString());
  const auto high = plan::ParseMHz(ui->editRangeHigh->text().trimmed().toStdString());
  if (!low || !high || *low >= *high) {
    error = "The range needs two frequencies in MHz, the lower first";
    return false;
  }
  if (*low < setup_.minKHz || *high > setup_.maxKHz) {
    error = "The range lies outside " + MHz(setup_.minKHz) + "-" + MHz(setup_.maxKHz) + " MHz";
    return false;
  }
  const auto step = plan::ParseMHz(ui->editStep->text().trimmed().toStdString());  // kHz.3 = Hz
  if (!step || *step <= 0) {
    error = "The step takes kHz, e.g. 25 or 12.5";
    return false;
  }
  const CoordinationChoices c = choices();
  if (!c.Excluded(excluded, error)) return false;
  request = plan::SuggestRequest{};
  request.count = ui->spinCount->value();
  request.guards = c.guards;
  for (int i = 0; i < ui->listKeep->count(); ++i) {
    const QListWidgetItem* item = ui->listKeep->item(i);
    if (item->checkState() != Qt::Checked) continue;
    const int32_t kHz = item->data(Qt::UserRole).toInt();
    if (const plan::FreqRange* r = plan::ExcludedBy(kHz, excluded)) {
      error = "The kept " + MHz(kHz) + " MHz lies in an excluded range (" + Text(plan::RangeText(*r)) + ", " +
              Text(r->source) + ")";
      return false;
    }
    request.keptKHz.push_back(kHz);
  }
  if (static_cast<int>(request.keptKHz.size()) > request.count) {
    error = QString("N counts the kept frequencies too: it must be at least %1").arg(request.keptKHz.size());
    return false;
  }
  request.onAirKHz = OnAirKHz();
  request.candidatesKHz = plan::WithoutExcluded(setup_.candidates(*low, *high, *step), excluded);
  return true;
}

void TformCoordinate::btnSuggestClick() {
  std::vector<plan::FreqRange> excluded;
  QString error;
  plan::SuggestRequest request;
  if (!BuildRequest(request, excluded, error)) {
    Warn(error);
    return;
  }
  // The search takes up to a second; the window stays live and Cancel stops it with the
  // best set found so far.
  QProgressDialog progress("Searching compatible frequencies...", "Cancel", 0, 100, this);
  progress.setWindowTitle("Coordinate");
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(300);
  request.progress = [&progress](double share) {
    progress.setValue(static_cast<int>(share * 100));
    QCoreApplication::processEvents();
    return !progress.wasCanceled();
  };
  result_ = plan::SuggestFrequencies(request);
  progress.reset();
  request.progress = nullptr;
  request_ = request;
  if (!result_.offered()) {
    ui->listResult->clear();
    ui->btnWrite->setEnabled(false);
    QString text = Text(result_.message);
    constexpr size_t kShown = 8;
    for (size_t i = 0; i < result_.conflicts.size() && i < kShown; ++i) {
      text += "\n" + MHz(result_.conflicts[i].victimKHz) + " MHz: " + Text(plan::ConflictText(result_.conflicts[i]));
    }
    if (result_.conflicts.size() > kShown) text += QString("\n... %1 more").arg(result_.conflicts.size() - kShown);
    ui->labelCheck->setText("<span style='color:#b00000'>" + text.toHtmlEscaped() + "</span>");
    return;
  }
  ShowResult(excluded);
}

void TformCoordinate::ShowResult(const std::vector<plan::FreqRange>& excluded) {
  ui->listResult->clear();
  for (size_t i = 0; i < result_.freqsKHz.size(); ++i) {
    const int32_t f = result_.freqsKHz[i];
    const bool kept = std::find(request_.keptKHz.begin(), request_.keptKHz.end(), f) != request_.keptKHz.end();
    ui->listResult->addItem(QString::asprintf("CH%02d  ", static_cast<int>(i)) + MHz(f) + " MHz" +
                            (kept ? "  (kept)" : ""));
  }
  // The check of what is offered, with the groups on air: Offer re-checked it, this
  // shows the user the same verdict.
  std::vector<int32_t> all = result_.freqsKHz;
  all.insert(all.end(), request_.onAirKHz.begin(), request_.onAirKHz.end());
  const size_t conflicts = plan::ConflictsInvolving(plan::CheckPlan(all, request_.guards), result_.freqsKHz).size();
  QString text = QString("%1 of %2 found").arg(result_.freqsKHz.size()).arg(request_.count);
  text += QString(" among %1 candidates").arg(request_.candidatesKHz.size());
  if (result_.cancelled) text += " (search cancelled)";
  text += conflicts == 0 ? QString("; checked: no conflict") : QString("; %1 conflict(s)!").arg(conflicts);
  if (!request_.onAirKHz.empty()) text += QString(" with the %1 carrier(s) on air together").arg(request_.onAirKHz.size());
  text += ".";
  const bool complete = result_.status == plan::SuggestStatus::Complete;
  ui->labelCheck->setText(complete ? text.toHtmlEscaped()
                                   : "<span style='color:#b00000'>" + text.toHtmlEscaped() + "</span>");
  ui->btnWrite->setEnabled(!result_.freqsKHz.empty() && conflicts == 0);

  SpectrumScene scene;
  // The range searched (BuildRequest checked it).
  scene.lowKHz = plan::ParseMHz(ui->editRangeLow->text().trimmed().toStdString()).value_or(setup_.minKHz);
  scene.highKHz = plan::ParseMHz(ui->editRangeHigh->text().trimmed().toStdString()).value_or(setup_.maxKHz);
  scene.carriersKHz = result_.freqsKHz;
  scene.othersKHz = request_.onAirKHz;
  scene.guards = request_.guards;
  scene.excluded = excluded;
  scene.scan = scan_;
  if (!scan_.empty()) scene.thresholdDbm = ui->spinThreshold->value();
  ui->plotSpectrum->Show(scene);
}

void TformCoordinate::btnWriteClick() {
  if (!result_.offered() || result_.freqsKHz.empty()) return;
  if (result_.status != plan::SuggestStatus::Complete &&
      !AskYesNo(this, "Coordinate",
                QString("Only %1 of %2 frequencies were found. Write them all the same?")
                    .arg(result_.freqsKHz.size())
                    .arg(request_.count))) {
    return;
  }
  CoordinationOutcome outcome;
  outcome.setKHz = result_.freqsKHz;
  outcome.hideRest = ui->ckHideRest->isChecked() && setup_.hideRestAvailable;
  QString message;
  written_ = writer_(outcome, message);
  if (!message.isEmpty()) {
    ShowUserMessage(this, written_ ? "OPERATION COMPLETED" : "WARNING", message,
                    written_ ? QMessageBox::Information : QMessageBox::Warning);
  }
  if (written_) accept();
}

bool TformCoordinate::LoadScan(const QString& path) {
  const plan::ScanImport scan = ReadScanFile(path.toStdString());
  if (!scan.ok) {
    Warn(Text(scan.error));
    return false;
  }
  scan_ = scan.points;
  scanPath_ = path;
  ui->editScan->setText(QFileInfo(path).fileName() + QString(" (%1 points)").arg(scan_.size()));
  ShowExcluded();
  return true;
}

void TformCoordinate::btnScanClick() {
  const QString path = ChooseFile(this, {FileRequest::Kind::Open, "Scan files (*.csv *.txt);;Any file (*)", "csv"});
  if (!path.isEmpty()) LoadScan(path);
}

void TformCoordinate::btnClearScanClick() {
  scan_.clear();
  scanPath_.clear();
  ui->editScan->clear();
  ShowExcluded();
}

void TformCoordinate::btnDefaultGuardsClick() {
  const plan::Guards defaults;
  ui->spinSpacing->setValue(defaults.spacingKHz);
  ui->spinGuard2Tx3->setValue(defaults.twoTx3rdKHz);
  ui->spinGuard2Tx5->setValue(defaults.twoTx5thKHz);
  ui->spinGuard3Tx3->setValue(defaults.threeTx3rdKHz);
}

}  // namespace zentra
