// The offline plan: a .qdf edited without a transmitter, with the transmitter's refusal
// rules, coordinated, and saved back byte-exact.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "SimBench.h"
#include "files/IniFile.h"
#include "files/OfflinePlan.h"
#include "files/TableFile.h"
#include "files/TablePlan.h"
#include "plan/Exclusions.h"
#include "plan/Suggest.h"

using namespace zentra;
using namespace zentra::filetest;

namespace {

std::string ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : "<missing>";
}

// A table saved by each family of transmitter opens with its own numbering and comes
// out of an unchanged plan byte for byte as it went in.
class PlanOfASavedTable : public ::testing::TestWithParam<std::tuple<const char*, const char*>> {};

TEST_P(PlanOfASavedTable, OpensInItsNumberingAndSavesUnchangedBytes) {
  const auto [model, firstItem] = GetParam();
  SimBench b(std::string("usbmsg:") + model + ",groups=4,channels=6");
  ASSERT_TRUE(b.ok());
  b.state().table[1][2].hidden = true;
  QTemporaryDir dir;
  const QString path = dir.filePath("show.qdf"), again = dir.filePath("again.qdf");
  NullProgress progress;
  TableSaveOptions options;
  ASSERT_TRUE(SaveFrequencyTable(*b.link, b.data, path.toStdString(), options, progress).ok());

  OfflinePlan plan;
  std::string error;
  ASSERT_TRUE(plan.Open(path.toStdString(), error)) << error;
  EXPECT_TRUE(plan.notes().empty());
  EXPECT_FALSE(plan.modified());
  const std::vector<std::string> items = plan.GroupItems();
  EXPECT_EQ(items.front(), firstItem);
  EXPECT_EQ(plan.data().channelCount, 6);
  EXPECT_EQ(plan.data().groupCount, 4);
  const GroupView g1 = plan.Group(1);
  ASSERT_EQ(g1.rows.size(), 6u);
  EXPECT_TRUE(g1.rows[2].hidden);
  EXPECT_EQ(plan.ActiveKHz(1).size(), 5u);
  ASSERT_TRUE(plan.Save(again.toStdString(), error)) << error;
  EXPECT_EQ(ReadAll(again), ReadAll(path));
}

INSTANTIATE_TEST_SUITE_P(BothFamilies, PlanOfASavedTable,
                         ::testing::Values(std::tuple("ZQL12", "01"), std::tuple("ZQL22X", "00")));

TEST(OfflinePlanTest, EditsFollowTheTransmitterRefusals) {
  OfflinePlan plan;
  PlanLayout layout;
  layout.channels = 3;
  layout.groups = 2;
  ASSERT_EQ(layout.Problem(), "");
  plan.New(layout);
  EXPECT_EQ(plan.GroupItems(), (std::vector<std::string>{"00", "01", "SYNC"}));

  // Range and step of the table, as the frequency dialog checks them.
  EXPECT_TRUE(plan.SetFrequency(0, 0, 470000).written);
  EXPECT_TRUE(plan.SetFrequency(0, 1, 541975).written);
  for (int32_t bad : {469975, 542025, 470010, 0}) EXPECT_TRUE(plan.SetFrequency(0, 2, bad).refused) << bad;
  EXPECT_TRUE(plan.SetFrequency(0, 3, 470000).refused);  // no channel 03
  EXPECT_TRUE(plan.SetFrequency(2, 5, 500000).written);  // SYNC has its one channel
  EXPECT_EQ(plan.Group(2).rows[0].freqKHz, 500000);

  // The last visible channel and the last visible group stay visible.
  EXPECT_TRUE(plan.ToggleHidden(0, 0).written);
  EXPECT_TRUE(plan.ToggleHidden(0, 1).written);
  const PlanEditResult last = plan.ToggleHidden(0, 2);
  EXPECT_TRUE(last.refused);
  EXPECT_EQ(last.warning.text, kNotAllChannelsHidden);
  EXPECT_FALSE(plan.Group(0).rows[2].hidden);
  EXPECT_TRUE(plan.ToggleHidden(0, 0).written);  // shown again
  EXPECT_FALSE(plan.Group(0).rows[0].hidden);
  PlanWarning warning;
  EXPECT_TRUE(plan.SetGroupHidden(0, true, warning));
  EXPECT_FALSE(plan.SetGroupHidden(1, true, warning));
  EXPECT_EQ(warning.text, kNotAllGroupsHidden);
  EXPECT_TRUE(plan.ToggleHidden(2, 0).refused);  // SYNC has no channel flags
  EXPECT_TRUE(plan.ToggleLock(0, 2).written);
  EXPECT_TRUE(plan.Group(0).rows[2].locked);
  EXPECT_TRUE(plan.SetGroupLock(1, true));
  EXPECT_EQ(plan.SetGroupName(1, std::string("Stage\tB is long")), "Stage B ");
  EXPECT_EQ(plan.SetGroupName(2, ""), std::string(12, ' '));
  EXPECT_TRUE(plan.modified());

  const std::string text = plan.ToText();
  EXPECT_NE(text.find("[GROUP00]\r\nLOCK=1\r\nHIDDEN=0\r\nCH00=470000\r\nCH00_LOCK=1\r\nCH00_HIDDEN=1\r\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("[GROUP01]\r\nNAME=Stage B"), std::string::npos) << text;
  EXPECT_NE(text.find("\r\nLOCK=0\r\nHIDDEN=1\r\n\r\n[SYNC]\r\nNAME="), std::string::npos) << text;
}

// The whole offline round: a new table, a group coordinated with exclusions and a
// second group on air, saved; reopened and saved again, and through CSV and back, the
// bytes stay the same.
TEST(OfflinePlanTest, CoordinatedPlanRoundTripsThroughQdfAndCsv) {
  OfflinePlan plan;
  PlanLayout layout;
  layout.channels = 12;
  layout.groups = 2;
  plan.New(layout);
  std::vector<plan::FreqRange> excluded;
  std::string error;
  ASSERT_TRUE(plan::ParseTvChannels("22,24", plan::TvRaster::Europe8MHz, excluded, error));
  excluded.push_back(*plan::ParseRangeMHz("520-530"));

  plan::SuggestRequest first;
  first.candidatesKHz = plan::WithoutExcluded(plan::StepGrid(470000, 542000, 25000), excluded);
  first.count = 10;
  const plan::SuggestResult a = plan::SuggestFrequencies(first);
  ASSERT_EQ(a.status, plan::SuggestStatus::Complete);
  plan.WriteGroupSet(0, a.freqsKHz, true);
  plan::SuggestRequest second = first;
  second.onAirKHz = plan.ActiveKHz(0);
  const plan::SuggestResult b = plan::SuggestFrequencies(second);
  ASSERT_EQ(b.status, plan::SuggestStatus::Complete);
  plan.WriteGroupSet(1, b.freqsKHz, true);
  EXPECT_TRUE(plan.ToggleLock(1, 3).written);
  plan.SetGroupName(0, "Stage A");

  std::vector<int32_t> show = plan.ActiveKHz(0);
  const std::vector<int32_t> other = plan.ActiveKHz(1);
  show.insert(show.end(), other.begin(), other.end());
  ASSERT_EQ(show.size(), 20u);
  EXPECT_TRUE(plan::CheckPlan(show, first.guards).empty());
  for (int32_t f : show) EXPECT_EQ(plan::ExcludedBy(f, excluded), nullptr) << f;
  EXPECT_TRUE(plan.Group(0).rows[11].hidden);  // past the set: off air

  QTemporaryDir dir;
  const QString path = dir.filePath("show.qdf"), again = dir.filePath("again.qdf");
  ASSERT_TRUE(plan.Save(path.toStdString(), error)) << error;
  EXPECT_FALSE(plan.modified());
  OfflinePlan reopened;
  ASSERT_TRUE(reopened.Open(path.toStdString(), error)) << error;
  ASSERT_TRUE(reopened.Save(again.toStdString(), error));
  EXPECT_EQ(ReadAll(again), ReadAll(path));

  // CSV and back into a file that holds only the DATA section.
  IniFile saved;
  ASSERT_EQ(saved.Load(path.toStdString()), IniFile::Status::Ok);
  IniFile rebuilt;
  for (const std::string& key : saved.KeyNames("DATA")) rebuilt.WriteString("DATA", key, saved.ReadString("DATA", key, ""));
  const plan::CsvImport imported = plan::TableFromCsv(plan::TableToCsv(reopened.table()), reopened.ImportLimits());
  ASSERT_TRUE(imported.ok) << imported.error;
  MergeTablePlan(imported.table, rebuilt);
  EXPECT_EQ(rebuilt.ToText(), ReadAll(path));
  // And the plan itself takes the CSV back unchanged.
  ASSERT_TRUE(reopened.MergeTable(imported.table, error)) << error;
  EXPECT_EQ(reopened.ToText(), ReadAll(path));
}

TEST(OfflinePlanTest, FilesThatSayLittleOrLieAreHandled) {
  QTemporaryDir dir;
  const QString sparse = dir.filePath("sparse.qdf"), bad = dir.filePath("bad.qdf");
  {
    QFile f(sparse);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[GROUP01]\r\nCH00=500000\r\nCH04=512500\r\n[GROUP03]\r\nCH01=501000\r\n");
  }
  OfflinePlan plan;
  std::string error;
  ASSERT_TRUE(plan.Open(sparse.toStdString(), error)) << error;
  // Numbered from 01, 3 groups of 5 channels, the range and step guessed and said so.
  EXPECT_EQ(plan.GroupItems(), (std::vector<std::string>{"01", "02", "03"}));
  EXPECT_EQ(plan.data().channelCount, 5);
  EXPECT_EQ(plan.data().freqMinMHz, 500);
  EXPECT_EQ(plan.data().freqMaxMHz, 513);
  EXPECT_EQ(plan.notes().size(), 4u);
  EXPECT_EQ(plan.Group(0).rows[4].freqKHz, 512500);

  {
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[DATA]\r\nChannels=4\r\n[GROUP00]\r\nCH00=512.125\r\n");
  }
  EXPECT_FALSE(plan.Open(bad.toStdString(), error));
  EXPECT_NE(error.find("CH00"), std::string::npos) << error;
  EXPECT_EQ(plan.GroupItems().front(), "01");  // the plan open before is kept
  EXPECT_FALSE(plan.Open(dir.filePath("missing.qdf").toStdString(), error));

  PlanLayout layout;
  layout.freqMaxMHz = layout.freqMinMHz;
  EXPECT_NE(layout.Problem(), "");
}

}  // namespace
