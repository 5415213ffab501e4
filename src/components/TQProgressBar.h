// The progress bar of the memory-transfer dialogs: a position within a range (0 to 100
// by default), drawn as a bar in three colours (track, filled part, text) with the
// position as a percentage in its middle.
#pragma once

#include <QColor>
#include <QWidget>

namespace zentra {

class TQProgressBar : public QWidget {
  Q_OBJECT
  Q_PROPERTY(int minimum READ minimum WRITE setMinimum)
  Q_PROPERTY(int maximum READ maximum WRITE setMaximum)
  Q_PROPERTY(int position READ position WRITE setPosition)

 public:
  explicit TQProgressBar(QWidget* parent = nullptr);

  int minimum() const { return min_; }
  int maximum() const { return max_; }
  int position() const { return pos_; }
  void setMinimum(int v);
  void setMaximum(int v);
  void setRange(int lo, int hi);
  // Positions outside the range are held at its ends.
  void setPosition(int v);

  // Share of the range covered, 0..100; an empty range counts as complete.
  int percent() const;
  // The text drawn on the bar, such as "42%".
  QString positionText() const;

  QColor trackColor = QColor(0xE0, 0xE0, 0xE0);
  QColor barColor = QColor(0x00, 0x78, 0xD4);
  QColor textColor = QColor(0x20, 0x20, 0x20);

  QSize sizeHint() const override { return {150, 16}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int min_ = 0;
  int max_ = 100;
  int pos_ = 0;
};

}  // namespace zentra
