#include "components/TQProgressBar.h"

#include <QPainter>
#include <algorithm>

namespace zentra {

TQProgressBar::TQProgressBar(QWidget* parent) : QWidget(parent) {}

void TQProgressBar::setMinimum(int v) { setRange(v, std::max(v, max_)); }
void TQProgressBar::setMaximum(int v) { setRange(std::min(v, min_), v); }

void TQProgressBar::setRange(int lo, int hi) {
  if (hi < lo) std::swap(lo, hi);
  min_ = lo;
  max_ = hi;
  pos_ = std::clamp(pos_, min_, max_);
  update();
}

void TQProgressBar::setPosition(int v) {
  v = std::clamp(v, min_, max_);
  if (v == pos_) return;
  pos_ = v;
  update();
}

int TQProgressBar::percent() const {
  const long long span = static_cast<long long>(max_) - min_;
  if (span <= 0) return 100;
  return static_cast<int>((static_cast<long long>(pos_) - min_) * 100 / span);
}

QString TQProgressBar::positionText() const { return QString::number(percent()) + "%"; }

void TQProgressBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect r = rect().adjusted(0, 0, -1, -1);
  painter.setPen(QColor(0x80, 0x80, 0x80));
  painter.setBrush(isEnabled() ? trackColor : trackColor.lighter(110));
  painter.drawRect(r);
  const int filled = (r.width() - 1) * percent() / 100;
  if (filled > 0) {
    painter.fillRect(QRect(r.left() + 1, r.top() + 1, filled, r.height() - 1), barColor);
  }
  painter.setPen(textColor);
  painter.drawText(r, Qt::AlignCenter, positionText());
}

}  // namespace zentra
