// A round indicator light, as used for the link indicators of the Interface box: a
// circle drawn 2 pixels inside its bounds, outlined in its on or off colour and filled
// with its background-on or background-off colour as the light is on or off.
#pragma once

#include <QColor>
#include <QWidget>

namespace zentra {

class TQLed : public QWidget {
  Q_OBJECT
  Q_PROPERTY(bool light READ light WRITE setLight)
  Q_PROPERTY(QColor onColor READ onColor WRITE setOnColor)
  Q_PROPERTY(QColor offColor READ offColor WRITE setOffColor)
  Q_PROPERTY(QColor backOnColor READ backOnColor WRITE setBackOnColor)
  Q_PROPERTY(QColor backOffColor READ backOffColor WRITE setBackOffColor)

 public:
  explicit TQLed(QWidget* parent = nullptr);

  bool light() const { return light_; }
  // Repaints only when the state actually changes, so a link that reports "on" for
  // every byte does not flood the window with paint requests.
  void setLight(bool on);

  QColor onColor() const { return onColor_; }
  QColor offColor() const { return offColor_; }
  QColor backOnColor() const { return backOnColor_; }
  QColor backOffColor() const { return backOffColor_; }
  void setOnColor(const QColor& c);
  void setOffColor(const QColor& c);
  void setBackOnColor(const QColor& c);
  void setBackOffColor(const QColor& c);

  // The colours the circle is drawn with in the current state (outline, fill).
  QColor outlineColor() const { return light_ ? onColor_ : offColor_; }
  QColor fillColor() const { return light_ ? backOnColor_ : backOffColor_; }

  // Number of paints so far; lets a caller see that an unchanged state costs nothing.
  int paintCount() const { return paintCount_; }

  QSize sizeHint() const override { return {12, 12}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool light_ = false;
  QColor onColor_{0x80, 0x00, 0x00};      // maroon
  QColor offColor_{0x00, 0x00, 0x80};     // navy
  QColor backOnColor_{0x00, 0xFF, 0x00};  // lime
  QColor backOffColor_{0xC0, 0xC0, 0xC0}; // silver
  int paintCount_ = 0;
};

}  // namespace zentra
