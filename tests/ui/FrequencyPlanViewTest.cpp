// The "Tuning Frequencies" box of the real window against a simulated transmitter. Mouse
// input goes through the grid's viewport as a user's would; the frequency dialog is
// answered from inside its modal loop.
#include <gtest/gtest.h>

#include <algorithm>

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <functional>

#include "device/TDeviceData.h"
#include "ui/FrequencyPlanView.h"
#include "ui/TformFrequencyForm.h"
#include "ui/TformMainForm.h"
#include "ui/WindowFixture.h"

namespace zentra {
namespace {

constexpr uint8_t kWriteGroupChannel = 0xC3;

class FrequencyPlanViewTest : public WindowFixture {
 protected:
  void Show(const std::string& spec, bool unlock = true) {
    Arrive(spec, unlock);
    window->show();
    view = ui->frequencyPlan;
    grid = plan->gridFrequencies;
  }
  sim::SimTransmitterState& tx() { return world->transmitter()->state(); }
  QString Cell(int row, int column) const {
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text() : QString();
  }
  QStringList GroupItems() const {
    QStringList items;
    for (int i = 0; i < plan->listFrequenciesGroup->count(); ++i)
      items << plan->listFrequenciesGroup->itemText(i);
    return items;
  }
  // Selects a group as the user would; the same group again is read again.
  void SelectGroup(int index) {
    Choose(plan->listFrequenciesGroup, index);
    world->ClearRequestLog();
  }
  QPoint CellCentre(int row, int column) const {
    return grid->visualRect(grid->model()->index(row, column)).center();
  }
  void Click(int row, int column, Qt::KeyboardModifiers modifiers = {}) {
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, modifiers, CellCentre(row, column));
  }
  // Double-clicks a cell; `answer` runs on the frequency dialog if one opens (left open,
  // it is cancelled so the test never hangs).
  void DoubleClick(int row, int column, std::function<void(TformFrequency&)> answer = {}) {
    dialogs = 0;
    WhenModal<TformFrequency>(
        [&] { QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, CellCentre(row, column)); },
        [&](TformFrequency& dialog) {
          ++dialogs;
          if (answer) answer(dialog);
          if (dialog.isVisible()) dialog.form().btnCancel->click();
        });
  }
  QColor Pixel(int row, int column) {
    const QImage image = grid->viewport()->grab().toImage();
    const QRect cell = grid->visualRect(grid->model()->index(row, column));
    return image.pixelColor(cell.right() - 3, cell.center().y());
  }
  std::vector<QString> MessageTexts() const {
    std::vector<QString> texts;
    for (const UserMessage& m : messages) texts.push_back(m.text);
    return texts;
  }

  FrequencyPlanView* view = nullptr;
  QTableWidget* grid = nullptr;
  int dialogs = 0;
};

struct GroupListCase {
  const char* spec;
  const char* items;  // listFrequenciesGroup, joined by blanks
};

class GroupListTest : public FrequencyPlanViewTest,
                      public ::testing::WithParamInterface<GroupListCase> {};

TEST_P(GroupListTest, ListsEveryGroupAndShowsSyncInTheFirstRow) {
  Show(GetParam().spec);
  EXPECT_EQ(GroupItems().join(' '), GetParam().items);
  EXPECT_EQ(grid->rowCount(), 16);  // 16 channel rows below the title row
  EXPECT_EQ(Cell(3, 1), QString::asprintf("%.03f", tx().table[0][3].freqKHz * 0.001));
  const TDeviceData& d = window->deviceData();
  if (!d.syncSupported) {
    EXPECT_EQ(grid->model()->headerData(2, Qt::Horizontal).toString(), "-");
    return;
  }
  tx().table[d.syncGroup][0].freqKHz = 531250;
  SelectGroup(d.syncGroup);
  EXPECT_EQ(Cell(0, 1), "531.250");
  for (int row = 1; row < 16; ++row) EXPECT_TRUE(Cell(row, 1).isEmpty()) << row;
  EXPECT_EQ(plan->EditGroupName->text(), "SYNC CHANNEL");
  EXPECT_FALSE(plan->ckGroupLock->isEnabled());

  // An ordinary group after SYNC gets its boxes back.
  tx().table[2][4].hidden = true;
  window->deviceData().SetGroupLock(2, true);
  SelectGroup(2);
  EXPECT_EQ(Cell(4, 3), "hidden");
  EXPECT_EQ(plan->EditGroupName->text(), "GROUP 02");
  EXPECT_TRUE(plan->ckGroupLock->isEnabled() && plan->ckGroupLock->isChecked());
}

INSTANTIATE_TEST_SUITE_P(
    Models, GroupListTest,
    ::testing::Values(
        GroupListCase{"nano:ZQL21@129,groups=8,channels=16", "00 01 02 03 04 05 06 07 SYNC"},
        GroupListCase{"nano:ZQL12@129,groups=8,channels=16", "01 02 03 04 05 06 07 08 SYNC"},
        GroupListCase{"nano:ZQK120@103,groups=8,channels=16", "01 02 03 04 05 06 07 08"}));

TEST_F(FrequencyPlanViewTest, CtrlClickTunesAndTheYellowCellFollowsTheTuning) {
  Show("nano:ZQL22X@129,groups=4,channels=16");
  const QColor yellow(255, 255, 0);
  EXPECT_EQ(Pixel(0, 1), yellow);  // the simulator starts tuned to 00/00
  QSignalSpy tuned(&window->state(), &WindowState::tuningChanged);

  // A plain click never tunes.
  Click(5, 1);
  EXPECT_EQ(Requests(), 0u);

  Click(5, 1, Qt::ControlModifier);
  EXPECT_EQ(tx().curChannel, 5);
  EXPECT_EQ(window->deviceData().curFreqKHz, int32_t(tx().table[0][5].freqKHz));
  EXPECT_EQ(tuned.count(), 1);
  EXPECT_EQ(Pixel(5, 1), yellow);
  EXPECT_NE(Pixel(0, 1), yellow);
  EXPECT_TRUE(grid->selectedItems().isEmpty());

  // A hidden channel is not tuned.
  tx().table[0][7].hidden = true;
  world->ClearRequestLog();
  Click(7, 1, Qt::ControlModifier);
  const std::vector<uint8_t> sent = CommandsSent();
  EXPECT_EQ(std::count(sent.begin(), sent.end(), kWriteGroupChannel), 0);
  EXPECT_EQ(tx().curChannel, 5);

  // The Tuning box moved the tuning: the highlight follows its signal.
  window->deviceData().curChannel = 9;
  emit window->state().tuningChanged();
  EXPECT_EQ(Pixel(9, 1), yellow);
  EXPECT_NE(Pixel(5, 1), yellow);
}

TEST_F(FrequencyPlanViewTest, DoubleClickTogglesFlagsWithTheirRefusals) {
  Show("nano:ZQL22X@129,groups=4,channels=4");
  QSignalSpy changed(&window->state(), &WindowState::frequencyTableChanged);
  DoubleClick(1, 2);
  EXPECT_TRUE(tx().table[0][1].locked);
  EXPECT_EQ(Cell(1, 2), "lock");
  EXPECT_EQ(changed.count(), 1);

  // The last visible channel stays visible; hidden ones may be shown again.
  tx().table[0][1].hidden = tx().table[0][2].hidden = tx().table[0][3].hidden = true;
  SelectGroup(0);
  DoubleClick(0, 3);
  ASSERT_EQ(MessageTexts(), std::vector<QString>{"Not All Channels Hidden"});
  EXPECT_EQ(messages[0].title, "WARNING");
  EXPECT_EQ(beeps, 1);
  EXPECT_FALSE(tx().table[0][0].hidden);
  EXPECT_TRUE(Cell(0, 3).isEmpty());
  DoubleClick(2, 3);
  EXPECT_FALSE(tx().table[0][2].hidden);
  EXPECT_TRUE(Cell(2, 3).isEmpty());
  EXPECT_EQ(dialogs, 0);
}

struct EntryCase {
  const char* typed;   // typed key by key (through the key filter)
  const char* pasted;  // or set as a whole, as a paste would
  int32_t writtenKHz;  // 0: refused
  const char* warning;
};

TEST_F(FrequencyPlanViewTest, FrequencyDialogWritesWhatItAcceptsAndNothingElse) {
  Show("nano:ZQL22X@129,groups=4,channels=8");
  const EntryCase cases[] = {
      {"5.1,2", nullptr, 512000, ""},  // point and comma are not typed
      {nullptr, "530,5", 530500, ""},
      {nullptr, "512,0125", 0, "Inserted value is not a valid frequency!"},
      {nullptr, "512.010", 0, "Inserted value isn't multiple of 25.0 kHz!"},
      {nullptr, "542.025", 0, "Inserted value is outside frequency range!"},
      {"509", nullptr, 0, "Inserted value is outside frequency range!"},  // no power there
  };
  for (const EntryCase& c : cases) {
    SCOPED_TRACE(c.typed ? c.typed : c.pasted);
    messages.clear();
    world->ClearRequestLog();
    const uint32_t before = tx().table[0][3].freqKHz;
    DoubleClick(3, 1, [&](TformFrequency& dialog) {
      EXPECT_EQ(dialog.form().labelStep->text(), "Step 25.000 kHz");
      if (c.typed) QTest::keyClicks(dialog.form().editFrequency, c.typed);
      else dialog.form().editFrequency->setText(c.pasted);
      QTest::keyClick(dialog.form().editFrequency, Qt::Key_Return);
    });
    EXPECT_EQ(dialogs, 1);
    if (c.writtenKHz != 0) {
      EXPECT_TRUE(messages.empty());
      EXPECT_EQ(tx().table[0][3].freqKHz, uint32_t(c.writtenKHz));
      EXPECT_EQ(Cell(3, 1), QString::asprintf("%.03f", c.writtenKHz * 0.001));
    } else {
      // Refused, then cancelled: nothing is written; the group is read again.
      EXPECT_EQ(MessageTexts(), std::vector<QString>{c.warning});
      const auto codes = CommandsSent();
      EXPECT_EQ(std::count(codes.begin(), codes.end(), uint8_t('>')), 0);
      EXPECT_EQ(std::count(codes.begin(), codes.end(), uint8_t(',')), 8);  // every channel
      EXPECT_EQ(tx().table[0][3].freqKHz, before);
    }
  }
}

TEST_F(FrequencyPlanViewTest, GroupBoxesKeepAGroupVisibleAndSaveReadsBack) {
  Show("nano:ZQL22X@129,groups=4,channels=2");
  for (int g : {1, 2, 0}) {
    SelectGroup(g);
    plan->ckGroupHidden->click();
    EXPECT_TRUE(plan->ckGroupHidden->isChecked()) << g;
  }
  EXPECT_EQ(Requests(), 0u);  // the boxes change the data model only
  SelectGroup(3);
  plan->ckGroupHidden->click();
  EXPECT_FALSE(plan->ckGroupHidden->isChecked());
  EXPECT_EQ(MessageTexts(), std::vector<QString>{"Not All Groups Hidden"});
  EXPECT_FALSE(window->deviceData().IsGroupHidden(3));

  // SAVE writes both masks and the cleaned name, and shows what it reads back.
  QSignalSpy changed(&window->state(), &WindowState::frequencyTableChanged);
  plan->ckGroupLock->click();
  plan->EditGroupName->setText("ST\tAGE");
  plan->ButtonSaveLockHidden->click();
  EXPECT_EQ(world->transmitter()->groupName(3), "ST AGE");
  EXPECT_EQ(plan->EditGroupName->text(), "ST AGE");
  EXPECT_EQ(tx().groupLockMask[0], 0x08);
  EXPECT_EQ(tx().groupHiddenMask[0], 0x07);
  EXPECT_EQ(changed.count(), 1);
}

TEST_F(FrequencyPlanViewTest, TheWheelDoesNotScrollTheGrid) {
  Show("nano:ZQL22X@129,groups=2,channels=60");
  QScrollBar* bar = grid->verticalScrollBar();
  ASSERT_GT(bar->maximum(), 0);
  for (QWidget* target : {grid->viewport(), static_cast<QWidget*>(bar)}) {
    const QPointF at(target->width() / 2.0, target->height() / 2.0);
    QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &wheel);
    EXPECT_EQ(bar->value(), 0);
  }
}

TEST_F(FrequencyPlanViewTest, TheEditLockRefusesEveryChangeAndPutsItBack) {
  Show("nano:ZQL22X@129,groups=4,channels=4", /*unlock=*/false);
  EXPECT_FALSE(plan->EditGroupName->isEnabled());
  EXPECT_EQ(plan->EditGroupName->text(), "GROUP 00");  // shown, not editable

  plan->ckGroupLock->click();
  EXPECT_FALSE(plan->ckGroupLock->isChecked());
  EXPECT_FALSE(window->deviceData().IsGroupLocked(0));
  plan->ButtonSaveLockHidden->click();
  DoubleClick(1, 2);
  DoubleClick(1, 1);
  Click(2, 1, Qt::ControlModifier);
  EXPECT_EQ(beeps, 5);
  EXPECT_EQ(dialogs, 0);
  EXPECT_EQ(Requests(), 0u);

  // Unlocked, the name may be edited; locking again shows the transmitter's name.
  window->panelLockDblClick();
  EXPECT_TRUE(plan->EditGroupName->isEnabled());
  plan->EditGroupName->setText("unsaved");
  window->panelLockDblClick();
  EXPECT_EQ(plan->EditGroupName->text(), "GROUP 00");
}

TEST_F(FrequencyPlanViewTest, SettingsReadBackShowTheGroupFlagsWithoutReadingTheTable) {
  Show("nano:ZQL22X@129,groups=4,channels=4");
  SelectGroup(2);
  const QString before = Cell(1, 1);
  window->deviceData().SetGroupHidden(2, true);  // as a configuration load leaves it
  emit window->state().settingsReread();
  EXPECT_EQ(plan->listFrequenciesGroup->currentIndex(), 2);
  EXPECT_EQ(Cell(1, 1), before);
  EXPECT_TRUE(plan->ckGroupHidden->isChecked());
  // The table itself did not change: no channel is read again.
  const auto codes = CommandsSent();
  EXPECT_EQ(std::count(codes.begin(), codes.end(), uint8_t(',')), 0);
}

TEST_F(FrequencyPlanViewTest, ChannelsDisturbedByIntermodulationAreMarkedUntilTheCulpritIsHidden) {
  Show("nano:ZQL22X@129,groups=2,channels=4");
  // 2 x 500.400 - 500.000 lands on 500.800 and 2 x 500.400 - 500.800 on 500.000;
  // 500.400 itself is hit only by products it takes part in, which do not count.
  // 520.000 is far from every product.
  const uint32_t freqs[4] = {500000, 500400, 500800, 520000};
  for (int ch = 0; ch < 4; ++ch) {
    tx().table[1][ch].freqKHz = freqs[ch];
    tx().table[1][ch].hidden = false;
  }
  SelectGroup(1);
  for (int row = 0; row < 4; ++row) EXPECT_EQ(view->HasConflict(row), row == 0 || row == 2) << row;
  EXPECT_TRUE(grid->item(2, 1)->toolTip().contains("3rd-order product of 500.400 and 500.000 MHz"))
      << grid->item(2, 1)->toolTip().toStdString();
  EXPECT_TRUE(grid->item(3, 1)->toolTip().isEmpty());

  // Hiding the middle channel takes it off the air: what is left is clean.
  DoubleClick(1, 3);
  ASSERT_TRUE(tx().table[1][1].hidden);
  for (int row = 0; row < 4; ++row) EXPECT_FALSE(view->HasConflict(row)) << row;
  EXPECT_TRUE(grid->item(2, 1)->toolTip().isEmpty());
}

}  // namespace
}  // namespace zentra
