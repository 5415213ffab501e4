#include "ui/TFormPowerProfile.h"

#include <QChart>
#include <QChartView>
#include <QHeaderView>
#include <QLineSeries>
#include <QScrollBar>
#include <QPainter>
#include <QPen>
#include <QShowEvent>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

#include "device/FrequencyPlan.h"
#include "device/PowerProfile.h"
#include "device/TDeviceData.h"
#include "ui_TFormPowerProfile.h"

namespace zentra {

namespace {
constexpr int kColumnWidths[4] = {40, 120, 120, 90};
const char* const kHeaders[4] = {"Num", "Start Frequency [KHz]", "Stop Frequency [KHz]",
                                 "Max Power [mW]"};
constexpr int kRowHeight = 18;

// What a transmitter that has left holds for the dialog: no band plan, no range.
const TDeviceData& NothingRead() {
  static const TDeviceData none;
  return none;
}
}  // namespace

TFormPowerProfile::TFormPowerProfile(const TDeviceData& data, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TFormPowerProfile>()), data_(data) {
  ui->setupUi(this);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  QTableWidget* grid = ui->gridPowerFrequencies;
  grid->verticalHeader()->setVisible(false);
  grid->verticalHeader()->setDefaultSectionSize(kRowHeight);
  grid->horizontalHeader()->setHighlightSections(false);

  chartView_ = new QChartView(new QChart, ui->chartHolder);
  chartView_->setRenderHint(QPainter::Antialiasing);
  chartView_->setAccessibleName("Maximum power against frequency");
  chartView_->setMinimumSize(360, 280);
  auto* layout = new QVBoxLayout(ui->chartHolder);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(chartView_);
}

TFormPowerProfile::~TFormPowerProfile() = default;

QChart* TFormPowerProfile::chart() const { return chartView_->chart(); }

void TFormPowerProfile::showEvent(QShowEvent* event) {
  FormPaint();
  QDialog::showEvent(event);
}

const TDeviceData& TFormPowerProfile::Shown() const {
  // A transmitter that has left keeps its values in the device data until the next
  // one is read; the dialog shows them only while it is there.
  return data_.modelType != 0 ? data_ : NothingRead();
}

void TFormPowerProfile::FormPaint() {
  QTableWidget* grid = ui->gridPowerFrequencies;
  grid->setHorizontalHeaderLabels(
      {kHeaders[0], kHeaders[1], kHeaders[2], kHeaders[3]});
  // The columns are at least wide enough for their headers in the font in use.
  const QFontMetrics metrics = grid->horizontalHeader()->fontMetrics();
  int total = 2 * grid->frameWidth();
  for (int c = 0; c < 4; ++c) {
    const int width = std::max(kColumnWidths[c], metrics.horizontalAdvance(kHeaders[c]) + 12);
    grid->setColumnWidth(c, width);
    total += width;
  }
  grid->setFixedWidth(total + grid->verticalScrollBar()->sizeHint().width());
  grid->clearContents();
  const std::vector<PowerProfileRow> rows = PowerProfileRows(Shown());
  grid->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < grid->rowCount(); ++r) {
    const PowerProfileRow& row = rows[static_cast<size_t>(r)];
    auto put = [&](int column, int value) {
      auto* item = new QTableWidgetItem(QString::number(value));
      item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      grid->setItem(r, column, item);
    };
    put(0, row.num);
    if (!row.filled) continue;
    put(1, row.startKHz);
    put(2, row.stopKHz);
    put(3, row.maxPowerMW);
  }
  ShowPlot();
}

void TFormPowerProfile::ShowPlot() {
  const TDeviceData& data = Shown();
  QChart* chart = chartView_->chart();
  chart->removeAllSeries();
  for (QAbstractAxis* axis : chart->axes()) {
    chart->removeAxis(axis);
    delete axis;
  }
  const bool ranged = data.freqMaxMHz > data.freqMinMHz;
  const std::vector<PowerStep> steps = PowerProfileSteps(data);
  if (!ranged) {
    chart->setTitle("No transmitter has been read");
  } else if (steps.empty()) {
    chart->setTitle("No band plan: the transmitter holds no power limits by frequency");
  } else {
    chart->setTitle("Maximum RF power across the tuning range");
  }

  int32_t top = 0;
  for (const PowerStep& s : steps) top = std::max(top, s.maxPowerMW);
  const double yMax = top > 0 ? top * 1.15 : 10.0;

  auto* power = new QLineSeries;
  power->setName("Max Power [mW]");
  for (const PowerStep& s : steps) {
    power->append(s.fromKHz / 1000.0, s.maxPowerMW);
    power->append(s.toKHz / 1000.0, s.maxPowerMW);
  }
  chart->addSeries(power);

  auto* tuned = new QLineSeries;
  const int32_t f = data.curFreqKHz;
  if (ranged && f >= data.freqMinMHz * 1000 && f <= data.freqMaxMHz * 1000) {
    tuned->setName(QString("Tuned %1 MHz").arg(QString::fromStdString(FormatMHz(f))));
    tuned->append(f / 1000.0, 0);
    tuned->append(f / 1000.0, yMax);
    QPen pen(Qt::red);
    pen.setWidth(2);
    pen.setStyle(Qt::DashLine);
    tuned->setPen(pen);
  } else {
    tuned->setName("Tuned: none");
  }
  chart->addSeries(tuned);

  auto* x = new QValueAxis;
  x->setTitleText("Frequency [MHz]");
  x->setLabelFormat("%.0f");
  if (ranged) x->setRange(data.freqMinMHz, data.freqMaxMHz);
  auto* y = new QValueAxis;
  y->setTitleText("Max Power [mW]");
  y->setLabelFormat("%.0f");
  y->setRange(0, yMax);
  y->applyNiceNumbers();
  // The tuned-frequency marker spans the whole height of the plot.
  if (tuned->count() == 2) tuned->replace(1, tuned->at(1).x(), y->max());
  chart->addAxis(x, Qt::AlignBottom);
  chart->addAxis(y, Qt::AlignLeft);
  for (QAbstractSeries* series : chart->series()) {
    series->attachAxis(x);
    series->attachAxis(y);
  }
}

}  // namespace zentra
