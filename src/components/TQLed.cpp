#include "components/TQLed.h"

#include <QPainter>

namespace zentra {

TQLed::TQLed(QWidget* parent) : QWidget(parent) {
  resize(12, 12);
  setAttribute(Qt::WA_TranslucentBackground);
}

void TQLed::setLight(bool on) {
  if (on == light_) return;
  light_ = on;
  update();
}

void TQLed::setOnColor(const QColor& c) {
  onColor_ = c;
  update();
}
void TQLed::setOffColor(const QColor& c) {
  offColor_ = c;
  update();
}
void TQLed::setBackOnColor(const QColor& c) {
  backOnColor_ = c;
  update();
}
void TQLed::setBackOffColor(const QColor& c) {
  backOffColor_ = c;
  update();
}

void TQLed::paintEvent(QPaintEvent*) {
  ++paintCount_;
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(outlineColor(), 1));
  painter.setBrush(fillColor());
  // The circle sits 2 pixels inside the bounds on every side.
  painter.drawEllipse(QRectF(rect()).adjusted(2, 2, -2, -2));
}

}  // namespace zentra
