#include "ui/TformStation.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHeaderView>
#include <QTableWidget>
#include <QTimer>

#include "device/ModelTable.h"
#include "device/TDeviceData.h"
#include "files/TextFile.h"
#include "link/IrLink.h"
#include "ui/FileDialogs.h"
#include "ui/UserMessages.h"
#include "ui/WindowState.h"
#include "ui/WindowView.h"
#include "ui_TformStation.h"

namespace zentra {

namespace {

constexpr int kTickMs = 1200;  // the presence poll's tick
const char* const kCsvFilter = "CSV files (*.csv)";
const char* const kCsvSuffix = "csv";
const QColor kOkColour(200, 238, 200);
const QColor kFailedColour(248, 202, 202);
const QColor kBusyColour(255, 241, 150);

enum GridColumn { kLine, kName, kGroup, kChannel, kFrequency, kSettings, kState, kColumns };
const char* const kHeaders[kColumns] = {"Line", "Name", "Group", "Channel", "Frequency", "Settings", "State"};
constexpr int kWidths[kColumns] = {40, 90, 46, 56, 74, 150, 110};

QString Text(const std::string& s) { return QString::fromStdString(s); }

void SetCell(QTableWidget* grid, int row, int column, const QString& text, const QColor& colour) {
  QTableWidgetItem* item = grid->item(row, column);
  if (item == nullptr) {
    item = new QTableWidgetItem;
    grid->setItem(row, column, item);
  }
  item->setText(text);
  item->setToolTip(text);
  item->setBackground(colour.isValid() ? QBrush(colour) : QBrush());
}

void Paint(QLabel* label, const QColor& colour) {
  QPalette palette = label->palette();
  palette.setColor(QPalette::Window, colour.isValid() ? colour : label->parentWidget()->palette().color(QPalette::Window));
  label->setPalette(palette);
}

}  // namespace

TformStation::TformStation(WindowState& state, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TformStation>()), state_(state) {
  ui->setupUi(this);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setFixedSize(size());
  NameControlsByCaption(this);
  QTableWidget* grid = ui->gridLines;
  for (int c = 0; c < kColumns; ++c) {
    grid->setHorizontalHeaderItem(c, new QTableWidgetItem(kHeaders[c]));
    grid->setColumnWidth(c, kWidths[c]);
  }
  grid->horizontalHeader()->setStretchLastSection(true);
  grid->verticalHeader()->setVisible(false);
  grid->verticalHeader()->setDefaultSectionSize(20);

  timer_ = new QTimer(this);
  timer_->setObjectName("timerStation");
  timer_->setInterval(kTickMs);
  timer_->setSingleShot(true);
  connect(timer_, &QTimer::timeout, this, [this] { RunGuarded([this] { timerStationTimer(); }); });
  connect(ui->btnOpenList, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnOpenListClick(); }); });
  connect(ui->btnSaveReport, &QPushButton::clicked, this,
          [this] { RunGuarded([this] { btnSaveReportClick(); }); });
  connect(ui->btnStart, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnStartClick(); }); });
  connect(ui->btnStop, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnStopClick(); }); });
  connect(ui->btnClose, &QPushButton::clicked, this, [this] { reject(); });
  ShowState();
}

TformStation::~TformStation() = default;

bool TformStation::OpenList(const QString& path) {
  StationListRead read = ReadStationList(path.toStdString());
  if (!read.ok) {
    ShowUserMessage(this, "ERROR", path + ": " + Text(read.error), QMessageBox::Critical);
    return false;
  }
  list_ = std::move(read.list);
  station_.reset();
  ui->valueList->setText(path);
  ShowLines();
  return true;
}

void TformStation::btnOpenListClick() {
  if (running_) return;
  const QString path = ChooseFile(this, {FileRequest::Kind::Open, kCsvFilter, kCsvSuffix});
  if (!path.isEmpty()) OpenList(path);
  ShowState();
}

void TformStation::btnSaveReportClick() {
  if (running_) return;
  const QString path = ChooseFile(this, {FileRequest::Kind::Save, kCsvFilter, kCsvSuffix});
  if (path.isEmpty()) return;
  if (station_ && list_) {
    // What this station has done goes into the new file now; the next Start continues
    // from it.
    std::string error;
    if (!WriteWholeFile(path.toStdString(), StationReportCsv(*list_, station_->entries()), error)) {
      ShowUserMessage(this, "ERROR", Text(error), QMessageBox::Critical);
      return;
    }
    station_.reset();
  }
  reportPath_ = path;
  ui->valueReport->setText(path);
  ShowState();
}

void TformStation::btnStartClick() {
  if (running_ || !list_) return;
  if (!state_.link.IsOpen()) {
    ShowUserMessage(this, "WARNING", "Connect an IR interface first!", QMessageBox::Warning);
    return;
  }
  if (reportPath_.isEmpty()) {
    btnSaveReportClick();
    if (reportPath_.isEmpty()) return;  // no report, no run: nothing done may be lost
  }
  if (!station_) {
    auto station = std::make_unique<ProgrammingStation>(state_.link, state_.device, state_.presets,
                                                        *list_, reportPath_.toStdString(),
                                                        state_.link.interfaceKind);
    const std::string error = station->Start();
    if (!error.empty()) {
      ShowUserMessage(this, "ERROR", Text(error), QMessageBox::Critical);
      return;
    }
    station_ = std::move(station);
  }
  stop_ = false;
  running_ = !station_->AllDone();
  ShowLines();
  ShowState();
  if (running_) timer_->start(0);
}

void TformStation::btnStopClick() {
  stop_ = true;
  if (!inTick_) {
    timer_->stop();
    running_ = false;
  }
  ShowState();
}

void TformStation::timerStationTimer() {
  timer_->stop();
  if (!running_ || !station_ || inTick_) return;
  if (!state_.link.IsOpen()) {
    running_ = false;
    ShowState();
    ShowUserMessage(this, "ERROR", "The IR interface is not connected any more.", QMessageBox::Critical);
    return;
  }
  inTick_ = true;
  StationHooks hooks;
  // Everything runs between the commands, the Stop button included; the dialog is modal,
  // so the main window takes no input meanwhile.
  hooks.pump = [] { QCoreApplication::processEvents(); };
  hooks.stopRequested = [this] { return stop_; };
  hooks.onStep = [this](const std::string& step) {
    step_ = Text(step);
    ShowLines();
    ShowState();
  };
  const StationTick tick = station_->Tick(hooks);
  inTick_ = false;
  step_.clear();
  if (tick.event == StationEvent::ReportFailed) {
    running_ = false;
    ShowUserMessage(this, "ERROR", Text(tick.error), QMessageBox::Critical);
  }
  if (stop_ || station_->AllDone()) running_ = false;
  ShowLines();
  ShowState();
  if (closeAfterTick_) {
    closeAfterTick_ = false;
    QDialog::reject();
    return;
  }
  if (running_) timer_->start(kTickMs);
}

void TformStation::ShowLines() {
  QTableWidget* grid = ui->gridLines;
  if (!list_) {
    grid->setRowCount(0);
    return;
  }
  const std::vector<StationLine>& lines = list_->lines;
  grid->setRowCount(static_cast<int>(lines.size()));
  for (size_t i = 0; i < lines.size(); ++i) {
    const StationLine& l = lines[i];
    QString state = "pending";
    QColor colour;
    if (station_) {
      const bool busy = station_->phase() == StationPhase::Programming && station_->currentLine() == i;
      switch (station_->lineState(i)) {
        case LineState::Done:
          state = "OK " + Text(station_->lineSerial(i));
          colour = kOkColour;
          break;
        case LineState::Failed:
          for (const StationEntry& e : station_->entries()) {
            if (e.line == l.line && e.outcome != StationOutcome::AlreadyDone) state = Text(OutcomeText(e));
          }
          colour = kFailedColour;
          break;
        case LineState::Pending:
          break;
      }
      if (busy) {
        state = "programming";
        colour = kBusyColour;
      }
    }
    const int row = static_cast<int>(i);
    SetCell(grid, row, kLine, QString::number(l.line), colour);
    SetCell(grid, row, kName, Text(l.name), colour);
    SetCell(grid, row, kGroup, Text(l.group), colour);
    SetCell(grid, row, kChannel, Text(l.channel), colour);
    SetCell(grid, row, kFrequency, l.freqKHz ? QString::asprintf("%.3f", *l.freqKHz / 1000.0) : QString(), colour);
    SetCell(grid, row, kSettings, Text(StationLineSettingsText(l)), colour);
    SetCell(grid, row, kState, state, colour);
  }
}

void TformStation::ShowState() {
  const TDeviceData& d = state_.device;
  const bool front = station_ && d.modelType != 0;
  ui->valueModel->setText(front ? Text(ModelName(d.modelType)) : QString());
  ui->valueSerial->setText(front ? Text(d.SerialText()) : QString());
  std::string name = d.txName;
  while (!name.empty() && (name.back() == ' ' || name.back() == '\0')) name.pop_back();
  ui->valueName->setText(front && d.txNameSupported ? QString::fromLatin1(name.c_str()) : QString());
  ui->valueStep->setText(step_);

  QString prompt, next;
  QColor colour;
  if (!list_) {
    prompt = "Open the list of the transmitters to program";
  } else if (station_ && station_->AllDone()) {
    prompt = "Every line is done";
    colour = kOkColour;
  } else if (!running_) {
    prompt = "Press Start";
  } else if (station_->phase() == StationPhase::Programming) {
    prompt = "Programming… keep the transmitter in front of the IR window";
    colour = kBusyColour;
  } else if (station_->phase() == StationPhase::WaitingForDeparture && !station_->entries().empty()) {
    const StationEntry& last = station_->entries().back();
    prompt = Text(OutcomeText(last).substr(0, OutcomeText(last).find(':'))) + ": take the transmitter away";
    colour = last.outcome == StationOutcome::Ok || last.outcome == StationOutcome::AlreadyDone ? kOkColour
                                                                                                 : kFailedColour;
    const QString line = "line " + QString::number(last.line);
    switch (last.outcome) {
      case StationOutcome::Ok: next = "It got " + line + "."; break;
      case StationOutcome::AlreadyDone:
        next = "It got " + line + " before and is not programmed again.";
        break;
      default: next = Text(OutcomeText(last)) + "\n" + line + " is still to be done."; break;
    }
    const auto following = station_->NextLine();
    next += "\n\nNext: " + (following ? Text(StationLineText(list_->lines[*following])) : "every line is done");
  } else {
    prompt = "Present the next transmitter";
  }
  if (list_ && next.isEmpty()) {
    std::optional<size_t> line;
    if (station_) {
      line = station_->phase() == StationPhase::Programming ? station_->currentLine() : station_->NextLine();
    } else if (!list_->lines.empty()) {
      line = 0;
    }
    if (line) {
      next = (station_ && station_->phase() == StationPhase::Programming ? "It gets " : "It will get ") +
             Text(StationLineText(list_->lines[*line]));
    }
  }
  ui->labelPrompt->setText(prompt);
  Paint(ui->labelPrompt, colour);
  ui->labelNext->setText(next);
  const int lines = list_ ? static_cast<int>(list_->lines.size()) : 0;
  ui->progressLines->setFormat(lines > 0 ? "%v of %m lines done" : "");
  ui->progressLines->setRange(0, std::max(lines, 1));
  ui->progressLines->setValue(station_ ? static_cast<int>(station_->linesDone()) : 0);
  UpdateButtons();
}

void TformStation::UpdateButtons() {
  ui->btnOpenList->setEnabled(!running_);
  ui->btnSaveReport->setEnabled(!running_);
  ui->btnStart->setEnabled(!running_ && list_ && !(station_ && station_->AllDone()));
  ui->btnStop->setEnabled(running_ && !stop_);
}

void TformStation::reject() {
  if (inTick_) {
    // The transmitter in front is left at the next step; the dialog goes after the tick.
    stop_ = true;
    closeAfterTick_ = true;
    ShowState();
    return;
  }
  timer_->stop();
  running_ = false;
  QDialog::reject();
}

void TformStation::closeEvent(QCloseEvent* event) {
  if (inTick_) {
    event->ignore();
    reject();
    return;
  }
  timer_->stop();
  running_ = false;
  QDialog::closeEvent(event);
}

}  // namespace zentra
