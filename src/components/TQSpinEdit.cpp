#include "components/TQSpinEdit.h"

#include <QKeyEvent>
#include <algorithm>
#include <utility>

namespace zentra {

TQSpinEdit::TQSpinEdit(QWidget* parent) : QSpinBox(parent) {
  // A typed value counts once it is confirmed, not at every key: "-12" is one change.
  setKeyboardTracking(false);
  connect(this, &QSpinBox::valueChanged, this, [this](int v) { OnValueChanged(v); });
}

void TQSpinEdit::setLimits(int minimum, int maximum) {
  limitsSet_ = true;
  limitMin_ = minimum;
  limitMax_ = std::max(minimum, maximum);
  FitRange(value());
}

int TQSpinEdit::limitMinimum() const { return limitsSet_ ? limitMin_ : minimum(); }

int TQSpinEdit::limitMaximum() const { return limitsSet_ ? limitMax_ : maximum(); }

void TQSpinEdit::showValue(int value) {
  FitRange(value);
  setValue(value);
}

void TQSpinEdit::FitRange(int shown) {
  if (!limitsSet_) {  // the form's range is the user's: it is only widened for the value
    limitsSet_ = true;
    limitMin_ = minimum();
    limitMax_ = maximum();
  }
  setRange(std::min(limitMin_, shown), std::max(limitMax_, shown));
}

void TQSpinEdit::stepBy(int steps) {
  ++userDepth_;
  // A value typed but not yet confirmed is taken first, as the plain spin box does.
  interpretText();
  const long long target = static_cast<long long>(value()) +
                           static_cast<long long>(steps) * singleStep();
  const int low = limitMinimum();
  const int high = limitMaximum();
  const int bounded = static_cast<int>(std::clamp<long long>(target, low, high));
  // From a shown value outside the limits, a step toward them lands on the nearest limit;
  // a step further out changes nothing.
  const bool away = (value() < low && steps < 0) || (value() > high && steps > 0);
  if (!away && bounded != value()) setValue(bounded);
  --userDepth_;
}

QValidator::State TQSpinEdit::validate(QString& input, int& pos) const {
  // The text of the value shown is always acceptable, even outside the limits: leaving
  // the field without typing changes nothing.
  if (input == textFromValue(value())) return QValidator::Acceptable;
  const QValidator::State state = QSpinBox::validate(input, pos);
  if (state != QValidator::Acceptable) return state;
  const int typed = valueFromText(input);
  return typed >= limitMinimum() && typed <= limitMaximum() ? QValidator::Acceptable
                                                            : QValidator::Intermediate;
}

void TQSpinEdit::fixup(QString& input) const {
  // A typed number beyond the limits becomes the nearest limit.
  bool ok = false;
  const int typed = input.trimmed().toInt(&ok);
  if (ok) input = textFromValue(std::clamp(typed, limitMinimum(), limitMaximum()));
}

void TQSpinEdit::keyPressEvent(QKeyEvent* event) {
  ++userDepth_;
  QSpinBox::keyPressEvent(event);
  --userDepth_;
}

void TQSpinEdit::focusOutEvent(QFocusEvent* event) {
  ++userDepth_;
  QSpinBox::focusOutEvent(event);
  --userDepth_;
}

void TQSpinEdit::OnValueChanged(int v) {
  if (userDepth_ == 0) return;
  // The handler shows the transmitter's answer: that is the program's value, not the
  // user's.
  const int depth = std::exchange(userDepth_, 0);
  emit valueEdited(v);
  userDepth_ = depth;
}

}  // namespace zentra
