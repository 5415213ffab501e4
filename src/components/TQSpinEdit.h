// The spin edit of the setting panels: a number the user steps with the arrows, the
// wheel or the keys, or types and confirms with Enter or by leaving the field.
//
// Two things set it apart from a plain spin box:
// - valueEdited is emitted only for a value the user made (a step, or a typed value
//   confirmed); a value the program shows, a range change that clamps it, or a reset
//   never emits it. Handlers that write to a transmitter hang on valueEdited, so filling
//   or clearing the field can never send anything.
// - The user's limits are kept apart from what the field may show: a transmitter may
//   hold a value outside the limits its model normally allows (a gain read before a
//   microphone mode change raised the minimum), and the field shows that value as it
//   is, while the user can only step or type within the limits.
#pragma once

#include <QSpinBox>

namespace zentra {

class TQSpinEdit : public QSpinBox {
  Q_OBJECT

 public:
  explicit TQSpinEdit(QWidget* parent = nullptr);

  // The range the user may choose from; the value shown is not changed. Until it is set
  // the spin box's own range (the form's) is the user's.
  void setLimits(int minimum, int maximum);
  int limitMinimum() const;
  int limitMaximum() const;
  // Shows a value (the transmitter's), inside the limits or not; emits no valueEdited.
  void showValue(int value);

  void stepBy(int steps) override;
  QValidator::State validate(QString& input, int& pos) const override;
  void fixup(QString& input) const override;

 signals:
  // The user changed the value to `value`.
  void valueEdited(int value);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  // The shown range: the limits, widened to hold the value shown.
  void FitRange(int shown);
  void OnValueChanged(int value);

  bool limitsSet_ = false;
  int limitMin_ = 0;
  int limitMax_ = 0;
  // > 0 while a user event (a step, a key, leaving the field) is being handled: a value
  // change then is the user's.
  int userDepth_ = 0;
};

}  // namespace zentra
