// The power profile dialog of the File menu: the transmitter's sub-band table in the
// grid gridPowerFrequencies (Num, start and stop frequency in kHz, maximum power in
// mW; 16 numbered rows), and beside it a step plot of the maximum power against
// frequency across the tuning range with the tuned frequency marked. It sends nothing;
// it shows what the full read put into the device data, while the transmitter is there.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TFormPowerProfile;
}

class QChart;
class QChartView;

namespace zentra {

struct TDeviceData;

class TFormPowerProfile : public QDialog {
  Q_OBJECT

 public:
  TFormPowerProfile(const TDeviceData& data, QWidget* parent = nullptr);
  ~TFormPowerProfile() override;

  Ui::TFormPowerProfile& form() { return *ui; }
  QChart* chart() const;

  // Fills the grid and the plot from the device data (empty while no transmitter is
  // there). The main window calls it again whenever a transmitter arrives or leaves.
  void FormPaint();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ShowPlot();
  const TDeviceData& Shown() const;

  std::unique_ptr<Ui::TFormPowerProfile> ui;
  const TDeviceData& data_;
  QChartView* chartView_ = nullptr;
};

}  // namespace zentra
