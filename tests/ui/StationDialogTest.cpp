// The window's programming station: File -> "Programming Station…" over a simulated
// queue. While the dialog is open the main window's poll sends nothing and its panels are
// empty; the dialog programs the queue line by line, colours each line by its state and
// keeps the report; closed, the main window reads the transmitter in front again.
#include <gtest/gtest.h>

#include <QFile>
#include <QTableWidget>
#include <QTemporaryDir>

#include <deque>

#include "WindowFixture.h"
#include "files/ProgrammingStation.h"
#include "ui/FileDialogs.h"
#include "ui/StationHandlers.h"
#include "ui/TformStationForm.h"

namespace zentra {
namespace {

class StationDialogTest : public WindowFixture {
 protected:
  void SetUp() override {
    WindowFixture::SetUp();
    previousChooser_ = SetFileChooser([this](QWidget*, const FileRequest&) {
      if (answers.empty()) return QString();
      const QString next = answers.front();
      answers.pop_front();
      return next;
    });
  }
  void TearDown() override {
    SetFileChooser(previousChooser_);
    WindowFixture::TearDown();
  }
  QString Write(const char* name, const char* text) {
    const QString path = dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
    return path;
  }
  // Runs the dialog through the window's own menu item, with `body` in place of the
  // user in front of it.
  void RunStation(const std::function<void(TformStation&)>& body) {
    auto* handlers = window->findChild<StationHandlers*>("stationHandlers");
    ASSERT_NE(handlers, nullptr);
    handlers->runDialog = body;
    ui->mnuStation->trigger();
  }

  QTemporaryDir dir;
  std::deque<QString> answers;

 private:
  FileChooser previousChooser_;
};

TEST_F(StationDialogTest, ProgramsTheQueueWhileTheMainWindowStepsAside) {
  Arrive("nano:ZQL22X@129,next=ZQL21X@129,next=ZQK230@129");
  EXPECT_FALSE(ui->valueSerial->text().isEmpty());
  const QString list = Write("rows.csv",
                             "Name,Group,Channel,Frequency,led-mode\n"
                             "Vocal 1,01,05,512.500,none\n"
                             "Vocal 2,01,06,,mod. peak\n"
                             "Hand 3,02,00,520.125,\n");
  const QString report = dir.filePath("report.csv");
  bool ran = false;
  RunStation([&](TformStation& d) {
    ran = true;
    Ui::TformStation& f = d.form();
    d.timerStation().setInterval(3600 * 1000);  // the test drives the ticks
    EXPECT_TRUE(window->state().busy);
    EXPECT_TRUE(ui->valueSerial->text().isEmpty()) << "the panels step aside";
    world->ClearRequestLog();
    window->timerPingTimer();
    EXPECT_EQ(Requests(), 0u) << "the main window's poll sends nothing meanwhile";

    answers = {list, report};
    f.btnOpenList->click();
    EXPECT_EQ(f.gridLines->rowCount(), 3);
    f.btnStart->click();  // asks for the report first
    ASSERT_TRUE(d.running());
    EXPECT_EQ(f.valueReport->text(), report);
    for (int i = 0; i < 30 && d.running(); ++i) {
      d.timerStationTimer();
      if (d.station()->phase() == StationPhase::WaitingForDeparture && !d.station()->AllDone()) {
        EXPECT_TRUE(f.labelPrompt->text().endsWith("take the transmitter away")) << f.labelPrompt->text().toStdString();
        world->Leave();
      }
    }
    EXPECT_FALSE(d.running());
    EXPECT_EQ(f.labelPrompt->text(), "Every line is done");
    EXPECT_EQ(f.progressLines->value(), 3);
    for (int row = 0; row < 3; ++row) {
      EXPECT_TRUE(f.gridLines->item(row, 6)->text().startsWith("OK ZQ")) << row;
      EXPECT_EQ(f.gridLines->item(row, 6)->background().color(), QColor(200, 238, 200));
    }
    EXPECT_EQ(f.valueModel->text(), "ZQK230");
    EXPECT_EQ(f.valueName->text(), "Hand 3");
  });
  ASSERT_TRUE(ran);
  EXPECT_FALSE(window->state().busy);
  QFile r(report);
  ASSERT_TRUE(r.open(QIODevice::ReadOnly));
  EXPECT_EQ(r.readAll().count("\r\n"), 4);  // the header and three lines
  // The main window takes the transmitter in front again.
  window->timerPingTimer();
  EXPECT_EQ(ui->valueSerial->text(), "ZQ10004713");
  EXPECT_EQ(window->deviceData().txName.substr(0, 6), "Hand 3");
}

// A line the model does not offer shows red with the refusal; Stop ends the run, and
// Start goes on with the same station.
TEST_F(StationDialogTest, ShowsARefusedLineAndStopsOnRequest) {
  Start("nano:ZQL21@129,next=ZQL22X@129");
  Connect();
  const QString list = Write("rows.csv", "Name,Group,Channel,limiter\nLimited,01,02,on\n");
  RunStation([&](TformStation& d) {
    Ui::TformStation& f = d.form();
    d.timerStation().setInterval(3600 * 1000);
    answers = {list, dir.filePath("report.csv")};
    f.btnOpenList->click();
    f.btnStart->click();
    for (int i = 0; i < 6 && d.station()->entries().empty(); ++i) d.timerStationTimer();
    ASSERT_EQ(d.station()->entries().size(), 1u);
    EXPECT_EQ(f.gridLines->item(0, 6)->text(), "REFUSED: This transmitter has no setting 'limiter'");
    EXPECT_EQ(f.gridLines->item(0, 6)->background().color(), QColor(248, 202, 202));
    EXPECT_TRUE(f.labelPrompt->text().startsWith("REFUSED"));
    f.btnStop->click();
    EXPECT_FALSE(d.running());
    EXPECT_TRUE(f.btnStart->isEnabled());
    world->Leave();
    f.btnStart->click();
    for (int i = 0; i < 8 && d.running(); ++i) d.timerStationTimer();
    EXPECT_EQ(f.gridLines->item(0, 6)->text().left(5), "OK ZQ");
  });
}

}  // namespace
}  // namespace zentra
