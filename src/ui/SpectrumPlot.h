// The spectrum picture of a coordinated group: its carriers over the range (those that
// suffer a conflict in red), the carriers of other groups on air together, where their
// intermodulation products land (3rd order of two, 5th order of two and 3rd order of
// three transmitters, each in its own colour), the guard windows around the carriers in
// which a product counts as a hit, the excluded ranges and an imported scan trace.
// Drag across the plot to zoom into a stretch, turn the wheel to zoom in and out.
#pragma once

#include <QChartView>
#include <optional>
#include <vector>

#include "plan/Coordination.h"
#include "plan/Exclusions.h"

namespace zentra {

struct SpectrumScene {
  int32_t lowKHz = 0;
  int32_t highKHz = 0;
  std::vector<int32_t> carriersKHz;    // the group's carriers on air
  std::vector<int32_t> conflictedKHz;  // those of them that suffer a conflict
  std::vector<int32_t> othersKHz;      // carriers of other groups on air together
  plan::Guards guards;
  std::vector<plan::FreqRange> excluded;
  std::vector<plan::ScanPoint> scan;
  std::optional<double> thresholdDbm;  // drawn with the scan
};

class SpectrumPlot : public QChartView {
  Q_OBJECT

 public:
  explicit SpectrumPlot(QWidget* parent = nullptr);

  void Show(const SpectrumScene& scene);
  void ResetZoom();
  const SpectrumScene& scene() const { return scene_; }
  // Points of the named series; -1 when absent.
  int PointCount(const QString& seriesName) const;

  // Names of the series, as the legend shows them ("Carriers", "In conflict", "2Tx 3rd" ...).
  static const QString kCarriers, kConflicted, kOthers, kTwoTx3rd, kTwoTx5th, kThreeTx3rd,
      kGuards, kExcluded, kScan, kThreshold;

 protected:
  void wheelEvent(QWheelEvent* event) override;

 private:
  SpectrumScene scene_;
};

}  // namespace zentra
