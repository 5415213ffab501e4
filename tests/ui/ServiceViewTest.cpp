// Service mode of the real window against the simulator: what it shows and hides, the
// memory dialogs driven as a user would (the dialog shown, fields typed, start pressed),
// the factory operations with their refusals, and the power profile dialog.
#include <gtest/gtest.h>
#include <functional>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QChart>
#include <QLineSeries>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include "cli/CliRun.h"
#include "device/PowerProfile.h"
#include "files/MemoryTransfer.h"
#include "ui/ServiceDialogForms.h"
#include "ui/WindowFixture.h"

namespace zentra {
namespace {

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
void WriteAll(const QString& path, const QByteArray& data) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(data);
}

class ServiceViewTest : public WindowFixture {
 protected:
  // What a memory dialog looked like when its transfer had ended.
  struct DialogRun {
    bool opened = false;
    bool stillOpen = false;
    QString caption;
    QString memo;
  };
  // Opens a memory dialog through `open`, lets `fill` type into it, presses start and
  // records the outcome; the dialog is shown without blocking.
  DialogRun RunDialog(void (ServiceView::*open)(),
                      const std::function<void(Ui::TFormMemoryTransfer&)>& fill) {
    DialogRun run;
    ui->service->runDialog = [&](TFormMemoryTransfer& dialog) {
      run.opened = true;
      dialog.show();
      fill(dialog.form());
      dialog.ButtonStartClick();
      run.stillOpen = dialog.isVisible();
      run.caption = dialog.windowTitle();
      run.memo = dialog.form().MemoVerify->toPlainText();
    };
    std::invoke(open, *ui->service);
    return run;
  }
  QString Path(const char* name) const { return QDir(dir.path()).filePath(name); }
  std::vector<QString> Texts() const {
    std::vector<QString> t;
    for (const UserMessage& m : messages) t.push_back(m.text);
    return t;
  }

  QTemporaryDir dir;
};

TEST_F(ServiceViewTest, ServiceModeShowsTheServiceControlsAndNothingElseChanges) {
  for (bool on : {false, true}) {
    SCOPED_TRACE(on ? "service mode" : "ordinary");
    Start("nano:ZQL22X@129");
    window->SetServiceMode(on);
    window->show();
    EXPECT_EQ(ui->service->isVisible(), on);
    EXPECT_EQ(ui->mnuService->menuAction()->isVisible(), on);
    EXPECT_EQ(ui->centralwidget->width(), 1016);
    EXPECT_EQ(ui->centralwidget->height() == 593, !on);
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    for (QWidget* w : std::initializer_list<QWidget*>{
             service->GroupBoxSerialNumber, service->GroupBox10, service->ButtonCRC,
             service->BtnWriteXEEPROM, service->StopTime, service->BtnReadXEEPROM,
             service->StartTime, service->ButtonDump, service->EditBattCal}) {
      EXPECT_EQ(w->isVisible(), on) << w->objectName().toStdString();
    }
    QStringList menus;
    for (QAction* a : ui->menuBar->actions()) {
      if (a->isVisible()) menus << a->text();
    }
    EXPECT_EQ(menus, on ? QStringList({"File", "Service", "Help"}) : QStringList({"File", "Help"}));
  }
}

TEST_F(ServiceViewTest, CalibrationDumpWritesTheBytesOfTheCommandLine) {
  const QString cli = cli::Program("zentra-cli");
  if (!QFile::exists(cli)) GTEST_SKIP() << "zentra-cli is not built";
  for (bool page1 : {false, true}) {
    SCOPED_TRACE(page1 ? "page 1" : "page 0");
    Arrive("nano:ZQL22X@129");
    const QString ours = Path(page1 ? "window1.bin" : "window0.bin");
    const DialogRun run = RunDialog(&ServiceView::SaveCalEEPROM1Click, [&](auto& f) {
      f.EditiFileName->setText(ours);
      f.CheckPage->setChecked(page1);
    });
    EXPECT_EQ(run.caption, "Dump Calibration");
    EXPECT_FALSE(run.stillOpen);
    EXPECT_TRUE(messages.empty());
    const QString theirs = Path(page1 ? "cli1.bin" : "cli0.bin");
    const cli::CliRun r = cli::RunCli({"--simulate", "nano:ZQL22X@129", "cal", "dump", theirs,
                                       "--page", page1 ? "1" : "0"});
    ASSERT_EQ(r.code, 0) << r.err;
    const QByteArray image = ReadAll(ours);
    EXPECT_EQ(image.size(), 1024);
    EXPECT_EQ(image, ReadAll(theirs));
  }
}

TEST_F(ServiceViewTest, VerifyListsEveryDifferenceAndStaysOpenToReadThem) {
  Arrive("nano:ZQL22X@129");
  const QString image = Path("x.bin");
  DialogRun run = RunDialog(&ServiceView::SaveXEEPROM1Click, [&](auto& f) {
    EXPECT_EQ(f.EditStartAdd->text(), "0x000");
    EXPECT_EQ(f.EditStopAdd->text(), "0x2120");
    f.EditiFileName->setText(image);
    f.EditStartAdd->setText("16");
    f.EditStopAdd->setText("79");
  });
  EXPECT_EQ(run.caption, "DumpSettings");
  QByteArray bytes = ReadAll(image);
  ASSERT_EQ(bytes.size(), 64);
  const int device0 = uint8_t(bytes[0]);
  const int device33 = uint8_t(bytes[33]);
  bytes[0] = char(device0 ^ 0xFF);
  bytes[33] = char(device33 ^ 0x01);
  WriteAll(image, bytes);

  run = RunDialog(&ServiceView::VerifyXEEPROM1Click, [&](auto& f) {
    f.EditiFileName->setText(image);
    f.EditStartAdd->setText("16");
    f.EditStopAdd->setText("79");
  });
  EXPECT_EQ(Texts(), std::vector<QString>{"Error Verify!"});
  EXPECT_TRUE(run.stillOpen);
  EXPECT_EQ(run.memo, QString("Address = 0: XEEPROM=%1 - File=%2\nAddress = 33: XEEPROM=%3 - File=%4")
                          .arg(device0).arg(device0 ^ 0xFF).arg(device33).arg(device33 ^ 0x01));
  // The verify remembered its file: the next one offers it.
  EXPECT_EQ(ui->service->lastXeepromFile, image);
  messages.clear();
  run = RunDialog(&ServiceView::VerifyXEEPROM1Click, [&](auto& f) {
    EXPECT_EQ(f.EditiFileName->text(), image);
    f.EditStartAdd->setText("17");
    f.EditStopAdd->setText("32");
    WriteAll(image, bytes.mid(1));
  });
  EXPECT_TRUE(messages.empty());
  EXPECT_FALSE(run.stillOpen);
}

TEST_F(ServiceViewTest, RefusedRangeOrFileKeepsTheDialogOpenAndSendsNothing) {
  Arrive("nano:ZQL22X@129");
  WriteAll(Path("short.bin"), QByteArray(8480, 0));
  const struct {
    void (ServiceView::*open)();
    const char* start;
    const char* stop;
    const char* file;
    const char* message;
  } cases[] = {
      {&ServiceView::SaveXEEPROM1Click, "0x10", "0x10", "a.bin", "Wrong address specified!"},
      {&ServiceView::SaveXEEPROM1Click, "0x1G", "0x20", "a.bin", "Wrong address specified!"},
      {&ServiceView::LoadXEEPROM1Click, "100", "0x10000", "short.bin", "Wrong address specified!"},
      {&ServiceView::LoadXEEPROM1Click, "0x000", "0x2120", "short.bin", "Data File too short!"},
      {&ServiceView::VerifyXEEPROM1Click, "0", "31", "missing.bin", "Fatal error loading data file!"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.start) + ".." + c.stop + " " + c.file);
    messages.clear();
    world->ClearRequestLog();
    const DialogRun run = RunDialog(c.open, [&](auto& f) {
      f.EditiFileName->setText(Path(c.file));
      f.EditStartAdd->setText(c.start);
      f.EditStopAdd->setText(c.stop);
    });
    EXPECT_TRUE(run.stillOpen);
    EXPECT_EQ(Texts(), std::vector<QString>{c.message});
    EXPECT_EQ(Requests(), 0u);
  }
  EXPECT_FALSE(QFile::exists(Path("a.bin")));
}

// A dump that ends early, because the transmitter leaves or because the user closes the
// dialog while it runs, stops within a few blocks and leaves the older file as it was.
TEST_F(ServiceViewTest, DumpEndedEarlyKeepsTheOldFile) {
  for (bool userCloses : {false, true}) {
    SCOPED_TRACE(userCloses ? "dialog closed" : "transmitter left");
    Arrive("nano:ZQL22X@129");
    const QString image = Path("keep.bin");
    WriteAll(image, "old image");
    const DialogRun run = RunDialog(&ServiceView::SaveXEEPROM1Click, [&](auto& f) {
      f.EditiFileName->setText(image);
      // Runs between the first blocks of the transfer.
      QWidget* dialog = f.EditiFileName->window();
      QTimer::singleShot(0, dialog, [this, dialog, userCloses] {
        if (userCloses) dialog->close(); else world->Leave();
      });
    });
    EXPECT_EQ(Texts(), userCloses ? std::vector<QString>{} : std::vector<QString>{kMsgDeviceLost});
    EXPECT_EQ(run.stillOpen, !userCloses);
    EXPECT_EQ(ReadAll(image), QByteArray("old image"));
    // Each block is tried up to three times with its unlock (the interface itself
    // sends each request up to three times): five failed blocks are about 45 requests.
    EXPECT_LT(Requests(), 80u) << "the dump stopped instead of trying all 266 blocks";
  }
}

TEST_F(ServiceViewTest, FactoryNumbersAreCheckedBeforeAnythingIsSent) {
  Arrive("nano:ZQL22X@129");
  const struct {
    QLineEdit* Ui::ServiceView::*edit;
    QPushButton* Ui::ServiceView::*button;
    const char* text;
    bool sent;
  } cases[] = {
      {&Ui::ServiceView::EditBattCal, &Ui::ServiceView::ButtonBatteryCal, "EditBattCal", false},
      {&Ui::ServiceView::EditBattCal, &Ui::ServiceView::ButtonBatteryCal, "12.5", false},
      {&Ui::ServiceView::EditBattCal, &Ui::ServiceView::ButtonBatteryCal, "", false},
      {&Ui::ServiceView::EditFastFreq, &Ui::ServiceView::ButtonFastFreq, "9999999999", false},
      {&Ui::ServiceView::EditFastFreq, &Ui::ServiceView::ButtonFastFreq, "4x", false},
      {&Ui::ServiceView::EditBattCal, &Ui::ServiceView::ButtonBatteryCal, " 65537 ", true},
      {&Ui::ServiceView::EditFastFreq, &Ui::ServiceView::ButtonFastFreq, "-7", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    messages.clear();
    world->ClearRequestLog();
    (service->*c.edit)->setText(c.text);
    (service->*c.button)->click();
    EXPECT_EQ(Requests() > 0, c.sent);
    EXPECT_EQ(messages.size(), c.sent ? 0u : 1u);
  }
  // The accepted values reached the transmitter as the wire fields carry them.
  EXPECT_EQ(world->transmitter()->state().batteryCalibration, 1);
  EXPECT_EQ(world->transmitter()->state().fastFrequency, uint32_t(-7));
}

TEST_F(ServiceViewTest, MemoryFillAsksFirst) {
  Arrive("nano:ZQL22X@129");
  for (bool yes : {false, true}) {
    world->ClearRequestLog();
    int asked = 0;
    ui->service->confirm = [&](const QString&) { ++asked; return yes; };
    service->Button_MemoryFill->click();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(Requests() > 0, yes);
  }
}

// The service edits start with their own texts, whole, and neither the display reset
// at start nor a departure or a disconnection empties or disables the service box.
TEST_F(ServiceViewTest, ServiceBoxKeepsItsTextsAndButtonsThroughTheDisplayReset) {
  Start("nano:ZQL22X@129");
  window->SetServiceMode(true);
  const std::pair<QLineEdit* Ui::ServiceView::*, const char*> texts[] = {
      {&Ui::ServiceView::EditSerialNumber, "EditSerialNumber"},
      {&Ui::ServiceView::EditDeviceID, "Edit ID be careful!!"},
      {&Ui::ServiceView::EditBattCal, "EditBattCal"},
      {&Ui::ServiceView::EditFastFreq, "EditFastFreq"}};
  for (const auto& [edit, text] : texts) EXPECT_EQ((service->*edit)->text(), text);
  auto expectUsable = [&](const char* when) {
    SCOPED_TRACE(when);
    for (QWidget* w : ui->service->EditingControls()) {
      EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
    }
  };
  expectUsable("at start");
  Connect();
  window->timerPingTimer();
  const QString serial = QString::fromLatin1(window->deviceData().SerialText().c_str());
  EXPECT_EQ(service->EditSerialNumber->text(), serial);
  world->Leave();
  window->timerPingTimer();
  ASSERT_EQ(window->deviceData().modelType, 0);
  expectUsable("after the transmitter left");
  EXPECT_EQ(service->EditSerialNumber->text(), serial);
  ui->btnConnection->click();  // disconnect
  expectUsable("after disconnecting");
}

// A write sends the first 10 characters typed; the read-back shows in the Device box and
// in the service edit, and the CRC check after it in both CRC labels.
TEST_F(ServiceViewTest, IdentityWritesShowTheirReadBackInTheEditAndTheDeviceBox) {
  Arrive("nano:ZQL22X@129");
  const QString id = QString::fromLatin1(window->deviceData().IdText().c_str());
  struct Case {
    QLineEdit* Ui::ServiceView::*edit;
    QPushButton* Ui::ServiceView::*button;
    QString typed;
    QString shown;  // the edit after the read-back
    QLineEdit* Ui::TformMain::*deviceBox;
    QString boxShows;
  };
  const Case cases[] = {
      {&Ui::ServiceView::EditSerialNumber, &Ui::ServiceView::ButtonWriteSerial, "SN4711ABCDEFG",
       "SN4711ABCD", &Ui::TformMain::valueSerial, "SN4711ABCD"},
      // The identity's own first 10 characters and more: the model stays as it was.
      {&Ui::ServiceView::EditDeviceID, &Ui::ServiceView::Button3, id.left(10) + "XYZ",
       id.left(10), &Ui::TformMain::valueID, id}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed.toStdString());
    service->LabelCRC->clear();
    service->LabelCRC_SERIAL->clear();
    (service->*c.edit)->setText(c.typed);
    (service->*c.button)->click();
    EXPECT_EQ((service->*c.edit)->text(), c.shown);
    EXPECT_EQ((ui->*c.deviceBox)->text(), c.boxShows);
    EXPECT_EQ(service->LabelCRC->text(), "CRC OK!");
    EXPECT_EQ(service->LabelCRC_SERIAL->text(), "CRC OK!");
  }
  world->transmitter()->state().crcGood = false;
  service->ButtonCRC->click();
  EXPECT_EQ(service->LabelCRC->text(), "CRC BAD");
  EXPECT_EQ(service->LabelCRC_SERIAL->text(), "CRC BAD");
}

// The poll goes on while the power profile is open: a transmitter that leaves empties
// it, one that arrives fills it.
TEST_F(ServiceViewTest, PowerProfileFollowsTheTransmitterWhileItIsOpen) {
  Arrive("nano:ZQL22X@129");
  std::vector<int> filledRows;
  auto look = [&](TFormPowerProfile& dialog) {
    QTableWidget* grid = dialog.form().gridPowerFrequencies;
    auto filled = [grid] {
      int n = 0;
      for (int r = 0; r < grid->rowCount(); ++r) n += grid->item(r, 1) ? 1 : 0;
      return n;
    };
    filledRows.push_back(filled());
    world->Leave();
    window->timerPingTimer();
    filledRows.push_back(filled());
    world->SetTransmitterPresent(true);
    window->timerPingTimer();
    filledRows.push_back(filled());
    dialog.reject();
  };
  WhenModal<TFormPowerProfile>([this] { ui->FrequencyTable1->trigger(); }, look);
  EXPECT_EQ(filledRows, (std::vector<int>{3, 0, 3}));
}

TEST_F(ServiceViewTest, PowerProfileShowsTheBandPlanOrOnlyTheRowNumbers) {
  for (bool bandPlan : {true, false}) {
    const char* spec = bandPlan ? "nano:ZQL22X@129" : "nano:ZQK120@129";
    SCOPED_TRACE(spec);
    Arrive(spec);
    const TDeviceData& d = window->deviceData();
    ASSERT_EQ(d.bandPlanSupported != 0, bandPlan);
    TFormPowerProfile dialog(d);
    dialog.show();
    QTableWidget* grid = dialog.form().gridPowerFrequencies;
    ASSERT_EQ(grid->rowCount(), 16);
    EXPECT_EQ(grid->horizontalHeaderItem(1)->text(), "Start Frequency [KHz]");
    auto cell = [&](int r, int c) { return grid->item(r, c) ? grid->item(r, c)->text() : QString(); };
    int filled = 0;
    for (int r = 0; r < 16; ++r) {
      EXPECT_EQ(cell(r, 0), QString::number(r + 1));
      if (!cell(r, 1).isEmpty()) ++filled;
    }
    auto* power = qobject_cast<QLineSeries*>(dialog.chart()->series().at(0));
    ASSERT_NE(power, nullptr);
    if (d.bandPlanSupported) {
      // The simulated band plan: up to 508 MHz 100 mW, up to 510 MHz nothing, then 50 mW.
      ASSERT_EQ(filled, 3);
      EXPECT_EQ(cell(0, 1), QString::number(d.freqMinMHz * 1000));
      EXPECT_EQ(cell(0, 2), "508000");
      EXPECT_EQ(cell(1, 1), QString::number(508000 + d.stepHz / 1000));
      EXPECT_EQ(cell(1, 3), "0");
      EXPECT_EQ(cell(2, 2), QString::number(d.freqMaxMHz * 1000));
      EXPECT_EQ(power->count(), 6);
      EXPECT_EQ(power->at(2).y(), 0);
    } else {
      EXPECT_EQ(filled, 0);
      EXPECT_EQ(power->count(), 0);
    }
  }
}

}  // namespace
}  // namespace zentra
