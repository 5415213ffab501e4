#include "ui/SpectrumPlot.h"

#include <QAreaSeries>
#include <QChart>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>
#include <QWheelEvent>
#include <algorithm>

#include "plan/Spectrum.h"

namespace zentra {

const QString SpectrumPlot::kCarriers = "Carriers";
const QString SpectrumPlot::kConflicted = "In conflict";
const QString SpectrumPlot::kOthers = "Other groups";
const QString SpectrumPlot::kTwoTx3rd = "2Tx 3rd";
const QString SpectrumPlot::kTwoTx5th = "2Tx 5th";
const QString SpectrumPlot::kThreeTx3rd = "3Tx 3rd";
const QString SpectrumPlot::kGuards = "Guards";
const QString SpectrumPlot::kExcluded = "Excluded";
const QString SpectrumPlot::kScan = "Scan";
const QString SpectrumPlot::kThreshold = "Threshold";

namespace {

// The picture's level axis in dBm: carriers stand tall, products lower by order, so a
// product that sits in a guard window is seen at once.
constexpr double kFloorDbm = -120, kTopDbm = 0;
constexpr double kCarrierDbm = -20, kOtherDbm = -30, kGuardDbm = -25;
constexpr double kTwoTx3rdDbm = -45, kThreeTx3rdDbm = -53, kTwoTx5thDbm = -61;

double MHz(int64_t kHz) { return static_cast<double>(kHz) / 1000.0; }

// One comb of vertical lines from the floor to `top`, in one series.
QLineSeries* Comb(const QString& name, const std::vector<int32_t>& kHz, double top, const QColor& colour,
                  int width) {
  auto* series = new QLineSeries;
  series->setName(name);
  std::vector<int32_t> sorted = kHz;
  std::sort(sorted.begin(), sorted.end());
  for (int32_t f : sorted) {
    series->append(MHz(f), kFloorDbm);
    series->append(MHz(f), top);
    series->append(MHz(f), kFloorDbm);
  }
  QPen pen(colour);
  pen.setWidth(width);
  series->setPen(pen);
  return series;
}

// Bands [low, high] from the floor to `top`, in one area series.
QAreaSeries* Bands(const QString& name, std::vector<std::pair<int64_t, int64_t>> bands, double top,
                   const QColor& fill) {
  std::sort(bands.begin(), bands.end());
  // An area series does not own its boundary line: the line is its child, so it goes
  // with the area when the chart drops the series.
  auto* area = new QAreaSeries;
  auto* upper = new QLineSeries(area);
  for (const auto& [low, high] : bands) {
    upper->append(MHz(low), kFloorDbm);
    upper->append(MHz(low), top);
    upper->append(MHz(high), top);
    upper->append(MHz(high), kFloorDbm);
  }
  area->setUpperSeries(upper);
  area->setName(name);
  area->setBrush(fill);
  area->setPen(QPen(fill.darker(130), 1));
  return area;
}

QScatterSeries* Markers(const QString& name, const std::vector<plan::Product>& products, plan::ConflictKind kind,
                        double level, const QColor& colour) {
  auto* series = new QScatterSeries;
  series->setName(name);
  series->setMarkerSize(7);
  series->setColor(colour);
  series->setBorderColor(colour.darker(140));
  for (const plan::Product& p : products) {
    if (p.kind == kind) series->append(MHz(p.kHz), level);
  }
  return series;
}

}  // namespace

SpectrumPlot::SpectrumPlot(QWidget* parent) : QChartView(new QChart, parent) {
  setRenderHint(QPainter::Antialiasing);
  setRubberBand(QChartView::HorizontalRubberBand);
  setAccessibleName("Spectrum plot");
  setToolTip("Drag across the plot to zoom into a stretch; the wheel zooms in and out");
  chart()->legend()->setAlignment(Qt::AlignBottom);
  QFont small = chart()->legend()->font();
  small.setPointSizeF(small.pointSizeF() * 0.8);
  chart()->legend()->setFont(small);
  chart()->setMargins(QMargins(4, 4, 4, 4));
}

void SpectrumPlot::Show(const SpectrumScene& s) {
  scene_ = s;
  QChart* c = chart();
  c->removeAllSeries();
  for (QAbstractAxis* axis : c->axes()) {
    c->removeAxis(axis);
    delete axis;
  }
  const int64_t low = s.lowKHz, high = std::max<int64_t>(s.highKHz, s.lowKHz + 1);
  std::vector<QAbstractSeries*> series;

  std::vector<std::pair<int64_t, int64_t>> excluded;
  for (const plan::FreqRange& r : s.excluded) excluded.emplace_back(r.lowKHz, r.highKHz);
  if (!excluded.empty()) series.push_back(Bands(kExcluded, excluded, kTopDbm, QColor(150, 150, 150, 90)));

  const int64_t guard = std::max({s.guards.twoTx3rdKHz, s.guards.twoTx5thKHz, s.guards.threeTx3rdKHz});
  std::vector<int32_t> all = s.carriersKHz;
  all.insert(all.end(), s.othersKHz.begin(), s.othersKHz.end());
  if (!all.empty() && guard > 0) {
    std::vector<std::pair<int64_t, int64_t>> windows;
    for (int32_t f : all) windows.emplace_back(f - guard, f + guard);
    series.push_back(Bands(kGuards, windows, kGuardDbm, QColor(120, 200, 120, 70)));
  }

  if (!s.scan.empty()) {
    auto* trace = new QLineSeries;
    trace->setName(kScan);
    for (const plan::ScanPoint& p : s.scan) {
      if (p.freqKHz >= low && p.freqKHz <= high) trace->append(MHz(p.freqKHz), std::clamp(p.levelDbm, kFloorDbm, kTopDbm));
    }
    trace->setPen(QPen(QColor(90, 90, 90), 1));
    series.push_back(trace);
    if (s.thresholdDbm) {
      auto* line = new QLineSeries;
      line->setName(kThreshold);
      line->append(MHz(low), *s.thresholdDbm);
      line->append(MHz(high), *s.thresholdDbm);
      QPen pen(QColor(200, 120, 0));
      pen.setStyle(Qt::DashLine);
      line->setPen(pen);
      series.push_back(line);
    }
  }

  const std::vector<plan::Product> products = plan::IntermodProducts(all, low, high);
  series.push_back(Markers(kTwoTx3rd, products, plan::ConflictKind::TwoTx3rd, kTwoTx3rdDbm, QColor(255, 140, 0)));
  series.push_back(Markers(kThreeTx3rd, products, plan::ConflictKind::ThreeTx3rd, kThreeTx3rdDbm, QColor(160, 60, 200)));
  series.push_back(Markers(kTwoTx5th, products, plan::ConflictKind::TwoTx5th, kTwoTx5thDbm, QColor(0, 150, 200)));

  if (!s.othersKHz.empty()) series.push_back(Comb(kOthers, s.othersKHz, kOtherDbm, QColor(110, 110, 110), 2));
  std::vector<int32_t> clean;
  for (int32_t f : s.carriersKHz) {
    if (std::find(s.conflictedKHz.begin(), s.conflictedKHz.end(), f) == s.conflictedKHz.end()) clean.push_back(f);
  }
  series.push_back(Comb(kCarriers, clean, kCarrierDbm, QColor(0, 90, 200), 2));
  if (!s.conflictedKHz.empty()) series.push_back(Comb(kConflicted, s.conflictedKHz, kCarrierDbm, QColor(220, 0, 0), 3));

  auto* x = new QValueAxis;
  x->setTitleText("MHz");
  x->setRange(MHz(low), MHz(high));
  x->setLabelFormat("%.3f");
  x->setTickCount(7);
  auto* y = new QValueAxis;
  y->setTitleText("dBm");
  y->setRange(kFloorDbm, kTopDbm);
  y->setTickCount(7);
  c->addAxis(x, Qt::AlignBottom);
  c->addAxis(y, Qt::AlignLeft);
  for (QAbstractSeries* one : series) {
    c->addSeries(one);
    one->attachAxis(x);
    one->attachAxis(y);
  }
}

void SpectrumPlot::ResetZoom() { chart()->zoomReset(); }

int SpectrumPlot::PointCount(const QString& name) const {
  for (QAbstractSeries* one : chart()->series()) {
    if (one->name() != name) continue;
    if (auto* xy = qobject_cast<QXYSeries*>(one)) return static_cast<int>(xy->count());
    if (auto* area = qobject_cast<QAreaSeries*>(one)) return static_cast<int>(area->upperSeries()->count());
  }
  return -1;
}

void SpectrumPlot::wheelEvent(QWheelEvent* event) {
  // Zoom about the frequency under the mouse, the levels staying as they are.
  const double factor = event->angleDelta().y() > 0 ? 1.25 : 0.8;
  QRectF area = chart()->plotArea();
  const double x = event->position().x();
  const double width = area.width() / factor;
  const double left = x - (x - area.left()) / factor;
  chart()->zoomIn(QRectF(left, area.top(), width, area.height()));
  event->accept();
}

}  // namespace zentra
