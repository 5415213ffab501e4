// The indicator light, the progress bar, the message seam and the device-change filter.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <stdexcept>
#include <vector>

#include "components/TQLed.h"
#include "components/TQProgressBar.h"
#include "components/TQSpinEdit.h"
#include "ui/DeviceWatcher.h"
#include "ui/UserMessages.h"

namespace zentra {
namespace {

TEST(TQSpinEdit, ReportsOnlyTheUsersChangesAndKeepsThemWithinTheLimits) {
  TQSpinEdit spin;
  spin.setRange(-60, 60);
  std::vector<int> edited;
  QObject::connect(&spin, &TQSpinEdit::valueEdited, [&](int v) { edited.push_back(v); });
  // The program's own changes: showing, a range that clamps, a reset.
  spin.setLimits(-40, 40);
  spin.showValue(-52);  // a transmitter value below what the user may choose
  EXPECT_EQ(spin.value(), -52);
  spin.setValue(0);
  spin.setLimits(-20, 10);
  spin.showValue(30);
  EXPECT_TRUE(edited.empty());
  // The user's: steps stay within the limits, a step further out changes nothing.
  spin.stepBy(1);
  EXPECT_EQ(spin.value(), 30);
  spin.stepBy(-1);
  EXPECT_EQ(spin.value(), 10);
  spin.stepBy(-100);
  EXPECT_EQ(spin.value(), -20);
  // A typed value counts once, when confirmed; a key that would pass the limits is not
  // taken ("99" stays "9").
  spin.selectAll();
  QTest::keyClicks(&spin, "-12");
  QTest::keyClick(&spin, Qt::Key_Return);
  spin.selectAll();
  QTest::keyClicks(&spin, "99");
  QTest::keyClick(&spin, Qt::Key_Return);
  EXPECT_EQ(edited, (std::vector<int>{10, -20, -12, 9}));
}

TEST(TQLed, ColoursFollowTheLight) {
  TQLed led;
  EXPECT_EQ(led.size(), QSize(12, 12));
  struct Case {
    bool on;
    QColor outline;
    QColor fill;
  };
  const Case cases[] = {
      {false, QColor(0x00, 0x00, 0x80), QColor(0xC0, 0xC0, 0xC0)},  // navy on silver
      {true, QColor(0x80, 0x00, 0x00), QColor(0x00, 0xFF, 0x00)},   // maroon on lime
      {false, QColor(0x00, 0x00, 0x80), QColor(0xC0, 0xC0, 0xC0)},
  };
  for (const Case& c : cases) {
    led.setLight(c.on);
    EXPECT_EQ(led.light(), c.on);
    EXPECT_EQ(led.outlineColor(), c.outline) << c.on;
    EXPECT_EQ(led.fillColor(), c.fill) << c.on;
  }
  // The error indicator is given a red background-on colour.
  led.setBackOnColor(QColor(255, 0, 0));
  led.setLight(true);
  EXPECT_EQ(led.fillColor(), QColor(255, 0, 0));
}

TEST(TQLed, RepaintsOnlyWhenTheStateChanges) {
  TQLed led;
  led.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&led));
  QApplication::processEvents();
  const int settled = led.paintCount();

  led.setLight(false);  // already off
  QApplication::processEvents();
  EXPECT_EQ(led.paintCount(), settled);

  led.setLight(true);
  QApplication::processEvents();
  EXPECT_EQ(led.paintCount(), settled + 1);

  led.setLight(true);  // already on
  QApplication::processEvents();
  EXPECT_EQ(led.paintCount(), settled + 1);
}

TEST(TQProgressBar, PositionAndPercent) {
  struct Case {
    int lo, hi, pos;
    int expectPos;
    int expectPercent;
    const char* text;
  };
  const Case cases[] = {
      {0, 100, 0, 0, 0, "0%"},
      {0, 100, 42, 42, 42, "42%"},
      {0, 100, 100, 100, 100, "100%"},
      {0, 100, 250, 100, 100, "100%"},  // held at the top
      {0, 100, -5, 0, 0, "0%"},         // held at the bottom
      {0, 7, 3, 3, 42, "42%"},          // battery bar range
      {10, 20, 15, 15, 50, "50%"},
      {5, 5, 5, 5, 100, "100%"},        // empty range counts as complete
      {100, 0, 25, 25, 25, "25%"},      // range given upside down
  };
  for (const Case& c : cases) {
    TQProgressBar bar;
    bar.setRange(c.lo, c.hi);
    bar.setPosition(c.pos);
    EXPECT_EQ(bar.position(), c.expectPos) << c.lo << ".." << c.hi << " @" << c.pos;
    EXPECT_EQ(bar.percent(), c.expectPercent) << c.lo << ".." << c.hi << " @" << c.pos;
    EXPECT_EQ(bar.positionText(), QString(c.text));
  }
  TQProgressBar fresh;
  EXPECT_EQ(fresh.minimum(), 0);
  EXPECT_EQ(fresh.maximum(), 100);
}

TEST(DeviceChangeFilter, OnlyWholeUsbInterfacesCount) {
  using A = DeviceChange::Action;
  struct Case {
    DeviceChange change;
    bool irInterface;
    bool usbDevice;
  };
  const Case cases[] = {
      {{A::Arrived, "usb", "usb_device", "dgl700 IR", "", ""}, true, true},
      {{A::Left, "usb", "usb_device", "ZRV510_Interface", "", ""}, true, true},
      {{A::Arrived, "usb", "usb_device", "DGLnano", "", ""}, true, true},
      {{A::Arrived, "usb", "", "zrv520", "", ""}, true, true},
      {{A::Arrived, "usb", "usb_device", "USB Optical Mouse", "046d", "c077"}, false, true},
      {{A::Arrived, "usb", "usb_interface", "dgl700", "", ""}, false, false},
      {{A::Arrived, "tty", "", "DGLnano", "", ""}, false, false},  // serial ports never
      {{A::Left, "block", "disk", "zrv510 stick", "", ""}, false, false},
      // A known vendor decides: every IR interface is a device of vendor 10c4.
      {{A::Arrived, "usb", "usb_device", "", "10c4", "8e01"}, true, true},
      {{A::Left, "usb", "usb_device", "Some Name", "10C4", "8e03"}, true, true},
      {{A::Arrived, "usb", "usb_device", "dgl700 clone", "0403", "6001"}, false, true},
      {{A::Arrived, "usb", "usb_interface", "", "10c4", "8e01"}, false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsIrInterfaceChange(c.change), c.irInterface) << c.change.product.toStdString();
    EXPECT_EQ(IsUsbDeviceChange(c.change), c.usbDevice) << c.change.product.toStdString();
  }
}

TEST(DeviceChangeFilter, KernelProductPropertyGivesTheIds) {
  struct Case {
    const char* product;
    const char* vendor;
    const char* id;
  };
  for (const Case& c : {Case{"10c4/8e01/100", "10c4", "8e01"}, Case{"46d/c31c/4900", "046d", "c31c"},
                        Case{"10c4/8e01", "", ""}, Case{"10c4x/1/1", "", ""},
                        Case{"12345/1/1", "", ""}, Case{"", "", ""}}) {
    QString vendor = "old", id = "old";
    ParseUeventProduct(c.product, vendor, id);
    EXPECT_EQ(vendor, QString(c.vendor)) << c.product;
    EXPECT_EQ(id, QString(c.id)) << c.product;
  }
}

TEST(UserMessages, EscapingExceptionBecomesAnErrorBox) {
  std::vector<UserMessage> shown;
  const MessageShower previous =
      SetMessageShower([&](QWidget*, const UserMessage& m) { shown.push_back(m); });

  EXPECT_TRUE(RunGuarded([] {}));
  EXPECT_TRUE(shown.empty());

  EXPECT_FALSE(RunGuarded([] { throw std::runtime_error("port vanished"); }));
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].title, "ERROR");
  EXPECT_EQ(shown[0].text, "port vanished");
  EXPECT_EQ(shown[0].icon, QMessageBox::Critical);

  EXPECT_FALSE(RunGuarded([] { throw 42; }));
  EXPECT_EQ(shown.size(), 2u);

  SetMessageShower(previous);
}

}  // namespace
}  // namespace zentra
