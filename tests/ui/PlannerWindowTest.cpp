// The offline plan window and the coordination dialog: a .qdf opened without any
// interface, edited through the grid and its dialog, asked about on closing; a group
// coordinated offline into the plan and live into the simulated transmitter.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include "UserActions.h"
#include "WindowFixture.h"
#include "plan/Coordination.h"
#include "ui/FrequencyPlanView.h"
#include "ui/PlanFileMenu.h"
#include "ui/FileDialogs.h"
#include "ui/SpectrumPlot.h"
#include "ui/PlannerForms.h"
#include "ui/TformFrequencyForm.h"

namespace zentra {
namespace {

const QString kHandMade = QStringLiteral(ZENTRA_TEST_DATA_DIR "/coordination.qdf");

// Runs `answer` on the first modal dialog of type D that opens while `open` runs.
template <typename D>
int Answer(const std::function<void()>& open, const std::function<void(D&)>& answer) {
  int seen = 0;
  QTimer poll;
  poll.setInterval(5);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
    if (dialog == nullptr || seen > 0) return;
    ++seen;
    poll.stop();
    answer(*dialog);
    if (dialog->isVisible()) dialog->reject();
  });
  poll.start();
  open();
  return seen;
}

class PlannerWindowTest : public WindowFixture {
 protected:
  void TearDown() override {
    SetUnsavedAsker(previousAsker_);
    WindowFixture::TearDown();
  }
  void AnswerUnsaved(UnsavedChoice choice) {
    previousAsker_ = SetUnsavedAsker([this, choice](QWidget*, const QString&) {
      ++asked;
      return choice;
    });
  }
  QString Cell(TformPlanner& p, int row, int column) {
    const QTableWidgetItem* item = p.form().gridFrequencies->item(row, column);
    return item ? item->text() : QString();
  }
  int asked = 0;

 private:
  UnsavedAsker previousAsker_;
};

TEST_F(PlannerWindowTest, OpensATableWithoutAnyInterfaceAndEditsItLikeTheLiveGrid) {
  Start("");  // no interface at all
  ASSERT_TRUE(window->interfaces().empty());
  ASSERT_TRUE(window->planMenu().OpenTable(kHandMade));
  TformPlanner& p = *window->planMenu().planner();
  EXPECT_TRUE(p.isVisible());
  EXPECT_TRUE(p.windowTitle().startsWith("coordination.qdf[*] - Offline Frequency Plan"));
  EXPECT_FALSE(p.isWindowModified());
  EXPECT_TRUE(p.form().labelBanner->text().contains("nothing is sent to a transmitter"));
  QStringList items;
  for (int i = 0; i < p.form().listFrequenciesGroup->count(); ++i) items << p.form().listFrequenciesGroup->itemText(i);
  EXPECT_EQ(items, (QStringList{"00", "01", "02", "SYNC"}));
  EXPECT_EQ(p.form().gridFrequencies->rowCount(), 8);
  EXPECT_EQ(Cell(p, 1, 1), "501.000");
  EXPECT_EQ(p.form().EditGroupName->text(), "Stage A");
  // Channels 00..02 of group 00 make 3rd-order products on each other: marked as live.
  ASSERT_EQ(p.conflictMarks().size(), 8u);
  EXPECT_TRUE(p.conflictMarks()[1].conflict());
  EXPECT_GT(p.form().plotSpectrum->PointCount(SpectrumPlot::kConflicted), 0);
  EXPECT_GT(p.form().plotSpectrum->PointCount(SpectrumPlot::kTwoTx3rd), 0);

  // A frequency through the same dialog and its refusals.
  const int dialogs = Answer<TformFrequency>([&] { p.gridFrequenciesDblClick(1, 1); }, [](TformFrequency& d) {
    d.form().editFrequency->setText("600");
    d.btnOKClick();  // outside 470-542: refused, the dialog stays
    d.form().editFrequency->setText("503");
    d.btnOKClick();
  });
  EXPECT_EQ(dialogs, 1);
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.front().text, "Inserted value is outside frequency range!");
  EXPECT_EQ(Cell(p, 1, 1), "503.000");
  EXPECT_TRUE(p.isWindowModified());
  EXPECT_FALSE(p.conflictMarks()[1].conflict());

  // Hiding: the last visible channel of a group stays, with the live warning.
  p.form().listFrequenciesGroup->setCurrentIndex(2);
  p.listFrequenciesGroupChange();
  for (int row = 0; row < 8; ++row) p.gridFrequenciesDblClick(row, 3);
  EXPECT_EQ(messages.back().text, kNotAllChannelsHidden);
  EXPECT_EQ(Cell(p, 7, 3), "");
  EXPECT_EQ(Cell(p, 6, 3), "hidden");

  // Closing asks; Cancel keeps the window, Discard lets it and the main window go.
  AnswerUnsaved(UnsavedChoice::Cancel);
  EXPECT_FALSE(window->close());
  EXPECT_FALSE(p.close());
  EXPECT_TRUE(p.isVisible());
  EXPECT_EQ(asked, 2);
  AnswerUnsaved(UnsavedChoice::Discard);
  EXPECT_TRUE(window->close());
}

TEST_F(PlannerWindowTest, CoordinatesAGroupOfThePlanWithExclusionsAndGroupsOnAir) {
  Start("");
  ASSERT_TRUE(window->planMenu().OpenTable(kHandMade));
  TformPlanner& p = *window->planMenu().planner();
  // Group 00 made anew, with group 02 "Clean" on air (group 01 conflicts in itself).
  std::vector<int32_t> suggested;
  Answer<TformCoordinate>([&] { p.btnCoordinateClick(); }, [&](TformCoordinate& d) {
    d.form().spinCount->setValue(8);
    d.form().editExclude->setText("480-490");
    d.form().editTvChannels->setText("23");  // 486-494 MHz
    d.form().listOnAir->item(1)->setCheckState(Qt::Checked);
    d.btnSuggestClick();
    ASSERT_EQ(d.lastResult().status, plan::SuggestStatus::Complete) << d.lastResult().message;
    suggested = d.lastResult().freqsKHz;
    EXPECT_TRUE(d.form().labelCheck->text().contains("no conflict"));
    EXPECT_GT(d.form().plotSpectrum->PointCount(SpectrumPlot::kExcluded), 0);
    d.btnWriteClick();
    EXPECT_TRUE(d.written());
  });
  ASSERT_EQ(suggested.size(), 8u);
  for (int32_t f : suggested) EXPECT_TRUE(f < 480000 || f > 494000) << f;
  const GroupView written = p.plan().Group(0);
  for (size_t c = 0; c < 8; ++c) EXPECT_EQ(written.rows[c].freqKHz, suggested[c]);
  EXPECT_EQ(Cell(p, 0, 1), QString::fromStdString(plan::MHzText(suggested[0])));
  EXPECT_EQ(p.groupsOnAir(), (std::set<int>{2}));
  EXPECT_EQ(p.form().labelConflicts->text(), "No conflict (on air with group 02)");

  QTemporaryDir dir;
  const QString path = dir.filePath("coordinated.qdf");
  ASSERT_TRUE(p.SaveTo(path));
  EXPECT_FALSE(p.isWindowModified());
  EXPECT_TRUE(p.windowTitle().startsWith("coordinated.qdf[*]"));
  EXPECT_TRUE(window->close());  // nothing unsaved: no question
}

TEST_F(PlannerWindowTest, CoordinationWritesAGroupOfTheTransmitterAndReadsItBack) {
  Arrive("nano:ZQL22X@129");
  FrequencyPlanView* view = ui->frequencyPlan;
  Choose(plan->listFrequenciesGroup, 1);
  ASSERT_EQ(view->shownGroup().group, 1);
  std::vector<int32_t> suggested;
  QString written;
  Answer<TformCoordinate>([&] { window->planMenu().mnuCoordinateClick(); }, [&](TformCoordinate& d) {
    EXPECT_TRUE(d.form().editStep->isReadOnly());
    d.form().spinCount->setValue(6);
    d.btnSuggestClick();
    ASSERT_EQ(d.lastResult().status, plan::SuggestStatus::Complete) << d.lastResult().message;
    suggested = d.lastResult().freqsKHz;
    d.btnWriteClick();
    EXPECT_TRUE(d.written());
  });
  ASSERT_EQ(suggested.size(), 6u);
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back().text, "Written to group 01, channels 00..05, every channel read back");
  const auto& table = world->transmitter()->state().table;
  for (size_t c = 0; c < table[1].size(); ++c) {
    if (c < 6) {
      EXPECT_EQ(table[1][c].freqKHz, static_cast<uint32_t>(suggested[c])) << c;
      EXPECT_FALSE(table[1][c].hidden) << c;
    } else {
      EXPECT_TRUE(table[1][c].hidden) << c;
    }
  }
  // The grid shows the group as read back, clean.
  EXPECT_EQ(view->shownGroup().rows[0].freqKHz, suggested[0]);
  for (const plan::ChannelMark& m : view->conflictMarks()) EXPECT_FALSE(m.conflict());
  ASSERT_NE(window->planMenu().progressDialog(), nullptr);
}

// A new table, exported to CSV and imported back through the plan's File menu; a CSV the
// plan cannot take changes nothing.
TEST_F(PlannerWindowTest, NewTableThroughCsvAndBackAndARefusedImport) {
  Start("");
  TformPlanner planner;
  PlanLayout bad;
  bad.stepHz = 0;
  EXPECT_FALSE(planner.NewTable(bad));
  PlanLayout layout;
  layout.channels = 4;
  layout.groups = 2;
  layout.firstGroupNumber = 1;
  ASSERT_TRUE(planner.NewTable(layout));
  EXPECT_TRUE(planner.windowTitle().startsWith("New table[*]"));
  EXPECT_EQ(planner.form().listFrequenciesGroup->itemText(0), "01");
  ASSERT_TRUE(planner.plan().SetFrequency(0, 0, 470500).written);
  ASSERT_TRUE(planner.plan().SetFrequency(1, 3, 480000).written);
  const std::string before = planner.plan().ToText();

  QTemporaryDir dir;
  const QString csv = dir.filePath("plan.csv"), badCsv = dir.filePath("bad.csv");
  QString chosen = csv;
  const FileChooser previous = SetFileChooser([&](QWidget*, const FileRequest&) { return chosen; });
  planner.actExportCsvClick();
  ASSERT_TRUE(QFile::exists(csv));
  planner.plan().SetFrequency(0, 0, 471000);
  planner.actImportCsvClick();
  EXPECT_EQ(planner.plan().ToText(), before);
  EXPECT_EQ(planner.form().gridFrequencies->item(0, 1)->text(), "470.500");

  {
    QFile f(badCsv);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Group,Group name,Channel,Frequency (MHz),Lock,Hidden\r\n03,,00,470.000,,\r\n");
  }
  chosen = badCsv;
  messages.clear();
  planner.actImportCsvClick();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(messages[0].text.startsWith("bad.csv, line 2")) << messages[0].text.toStdString();
  EXPECT_EQ(planner.plan().ToText(), before);
  SetFileChooser(previous);
  AnswerUnsaved(UnsavedChoice::Discard);
}

TEST_F(PlannerWindowTest, TheSpectrumShowsEveryPartOfTheScene) {
  SpectrumPlot plot;
  SpectrumScene scene;
  scene.lowKHz = 470000;
  scene.highKHz = 480000;
  scene.carriersKHz = {471000, 472000, 474000};
  scene.conflictedKHz = {474000};
  scene.othersKHz = {478000};
  scene.excluded = {{475000, 476000, "TV"}, {479000, 479500, "typed"}};
  scene.scan = {{470000, -90}, {475500, -60}, {490000, -50}};  // the last lies outside
  scene.thresholdDbm = -80;
  plot.Show(scene);
  EXPECT_EQ(plot.PointCount(SpectrumPlot::kCarriers), 2 * 3);  // a comb: 3 points a line
  EXPECT_EQ(plot.PointCount(SpectrumPlot::kConflicted), 3);
  EXPECT_EQ(plot.PointCount(SpectrumPlot::kOthers), 3);
  EXPECT_EQ(plot.PointCount(SpectrumPlot::kExcluded), 2 * 4);  // a band: 4 points
  EXPECT_EQ(plot.PointCount(SpectrumPlot::kGuards), 4 * 4);
  EXPECT_EQ(plot.PointCount(SpectrumPlot::kScan), 2);
  EXPECT_EQ(plot.PointCount(SpectrumPlot::kThreshold), 2);
  // 2*471 - 472 = 470 MHz lies in the range; every product kind has its series.
  EXPECT_GT(plot.PointCount(SpectrumPlot::kTwoTx3rd), 0);
  EXPECT_GT(plot.PointCount(SpectrumPlot::kThreeTx3rd), 0);
  EXPECT_GT(plot.PointCount(SpectrumPlot::kTwoTx5th), 0);  // 3*472 - 2*471 = 474 MHz
  scene.scan.clear();
  scene.excluded.clear();
  plot.Show(scene);
  EXPECT_EQ(plot.PointCount(SpectrumPlot::kScan), -1);
  EXPECT_EQ(plot.PointCount(SpectrumPlot::kExcluded), -1);
}

// The live entry needs a transmitter and respects the edit lock.
TEST_F(PlannerWindowTest, LiveCoordinationNeedsATransmitterAndAnUnlockedWindow) {
  Start("");
  window->planMenu().mnuCoordinateClick();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, "Connect a device!");
  window.reset();
  Arrive("nano:ZQL22X@129", false);  // the full read leaves the edit lock on
  Choose(plan->listFrequenciesGroup, 1);
  world->ClearRequestLog();
  const int opened = Answer<TformCoordinate>([&] { window->planMenu().mnuCoordinateClick(); },
                                             [](TformCoordinate&) {});
  EXPECT_EQ(opened, 0);
  EXPECT_EQ(beeps, 1);
  EXPECT_EQ(Requests(), 0u);
}

}  // namespace
}  // namespace zentra
