// The frequency entry dialog of the frequency grid: the user types a channel frequency
// in MHz; OK accepts it only when it is a valid frequency on the tuning step, inside the
// transmitter's range and in a sub-band it may use. The result is in kHz, 0 when the
// dialog was cancelled.
#pragma once

#include <QDialog>
#include <cstdint>
#include <memory>

namespace Ui {
class TformFrequency;
}

namespace zentra {

struct TDeviceData;

class TformFrequency : public QDialog {
  Q_OBJECT

 public:
  // The range, step and sub-band table are taken from data, which must outlive the
  // dialog.
  TformFrequency(const TDeviceData& data, QWidget* parent = nullptr);
  ~TformFrequency() override;

  Ui::TformFrequency& form() { return *ui; }

  // Shows the dialog modally; returns the frequency entered in kHz, 0 when cancelled.
  int32_t Run();
  int32_t result() const { return result_; }

  // Only digits (typed input is whole MHz), Backspace, Delete, Left and Right reach the
  // edit; Enter runs OK. Returns true when the key was consumed here.
  bool editFrequencyKeyDown(QKeyEvent* event);
  // Checks the text; a refused entry shows its warning and the dialog stays open.
  void btnOKClick();
  void btnCancelClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::unique_ptr<Ui::TformFrequency> ui;
  const TDeviceData& data_;
  int32_t result_ = 0;
};

}  // namespace zentra
