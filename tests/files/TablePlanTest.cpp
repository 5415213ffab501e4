#include <gtest/gtest.h>

#include "support/TempDir.h"

#include "SimBench.h"
#include "device/FrequencyPlan.h"
#include "files/GroupCoordination.h"
#include "files/IniFile.h"
#include "files/TableFile.h"
#include "files/TablePlan.h"
#include "plan/Suggest.h"

using namespace zentra;
using namespace zentra::filetest;

namespace {

// Flags, names and group masks that differ from channel to channel, so the CSV has to
// carry each of them.
void VaryTable(SimBench& b) {
  auto& s = b.state();
  for (int g = 0; g < s.groupCount; ++g) {
    for (int c = 0; c < s.channelCount; ++c) {
      s.table[g][c].locked = (g + c) % 3 == 0;
      s.table[g][c].hidden = c > 0 && (g + c) % 4 == 1;
    }
    s.groupNames[g] = {'A', 'b', ',', '"', static_cast<uint8_t>('0' + g), 0, 0, 0};
  }
  s.groupLockMask[0] = 0x05;
  s.groupHiddenMask[0] = 0x02;
  CommandSet commands(*b.link, b.data);
  EXPECT_TRUE(commands.ReadLockBytes());
}

class CsvRoundTrip : public ::testing::TestWithParam<std::tuple<const char*, bool>> {};

// .qdf -> CSV -> .qdf gives the same bytes: the CSV carries everything of the groups and
// the SYNC channel, and an import into a file holding the DATA section rebuilds them.
TEST_P(CsvRoundTrip, QdfToCsvToQdfIsByteIdentical) {
  const auto [model, legacy] = GetParam();
  SimBench b(std::string("usbmsg:") + model + ",groups=4,channels=6");
  ASSERT_TRUE(b.ok());
  VaryTable(b);
  IniFile saved;
  NullProgress progress;
  TableSaveOptions options;
  options.legacy = legacy;
  ASSERT_EQ(SaveFrequencyTable(*b.link, b.data, saved, options, progress).status, FileOpStatus::Done);

  plan::FrequencyTable table;
  std::string error;
  ASSERT_TRUE(ReadTablePlan(saved, table, error)) << error;
  const std::string csv = plan::TableToCsv(table);

  IniFile rebuilt;
  for (const std::string& key : saved.KeyNames("DATA")) rebuilt.WriteString("DATA", key, saved.ReadString("DATA", key, ""));
  const plan::CsvImport imported = plan::TableFromCsv(csv, CsvLimitsOf(rebuilt));
  ASSERT_TRUE(imported.ok) << imported.error;
  MergeTablePlan(imported.table, rebuilt);
  EXPECT_EQ(rebuilt.ToText(), saved.ToText());

  // Importing into the file it came from changes nothing either.
  MergeTablePlan(imported.table, saved);
  EXPECT_EQ(saved.ToText(), rebuilt.ToText());
}

INSTANTIATE_TEST_SUITE_P(BothFamiliesBothFormats, CsvRoundTrip,
                         ::testing::Combine(::testing::Values("ZQL12", "ZQL21", "ZQL22X"), ::testing::Bool()));

using testsupport::FileExists;
using testsupport::ReadAll;
using testsupport::TempDir;
using testsupport::WriteAll;

TEST(TablePlanFiles, HandWrittenFileExportsAndRefusedImportWritesNothing) {
  TempDir dir;
  const std::string csv = dir.filePath("t.csv"), qdf = dir.filePath("t.qdf");
  ASSERT_TRUE(ExportTableCsv(ZENTRA_TEST_DATA_DIR "/handwritten.qdf", csv).ok());
  EXPECT_EQ(ReadAll(csv),
            "Group,Group name,Channel,Frequency (MHz),Lock,Hidden\r\n"
            "00,Vocals,,,no,no\r\n"
            "00,Vocals,00,500.000,yes,no\r\n"
            "00,Vocals,01,500.250,,\r\n"
            "00,Vocals,02,500.500,,\r\n"
            "01,Guitars,00,501.000,,\r\n"
            "SYNC,SyncChan,00,502.000,,\r\n");

  // Into a new file; then a refused CSV leaves that file exactly as it was, and a
  // refused CSV creates no file.
  ASSERT_TRUE(ImportTableCsv(csv, qdf, {}).ok());
  const std::string before = ReadAll(qdf);
  EXPECT_NE(before.find("[GROUP00]\r\nNAME=Vocals\r\nLOCK=1\r\nHIDDEN=1\r\nCH00=500000\r\nCH00_LOCK=0\r\n"),
            std::string::npos);
  ASSERT_TRUE(WriteAll(csv, ReadAll(csv) + "01,Guitars,00,503.000,,\r\n"));
  const FileOpResult dup = ImportTableCsv(csv, qdf, {});
  EXPECT_EQ(dup.status, FileOpStatus::FileError);
  EXPECT_NE(dup.message.find("line 8: group 01 channel 00 is also on line 6"), std::string::npos) << dup.message;
  EXPECT_EQ(ReadAll(qdf), before);
  EXPECT_FALSE(ImportTableCsv(csv, dir.filePath("new.qdf"), {}).ok());
  EXPECT_FALSE(FileExists(dir.filePath("new.qdf")));

  // A table file frequency that is not whole kHz is refused by name, and no CSV written.
  ASSERT_TRUE(WriteAll(qdf, "[GROUP00]\r\nCH05=512.125\r\n"));
  const FileOpResult bad = ExportTableCsv(qdf, dir.filePath("bad.csv"));
  EXPECT_EQ(bad.message, "GROUP00 CH05: \"512.125\" is not a frequency in whole kHz");
  EXPECT_FALSE(FileExists(dir.filePath("bad.csv")));
}

TEST(GroupCoordination, MarksCandidatesAndWritesASuggestionReadBack) {
  SimBench b("usbmsg:ZQL22X@129,groups=4,channels=8");
  ASSERT_TRUE(b.ok());
  ASSERT_GT(b.data.bandCount, 0);

  // Candidates are on the step and never in a sub-band without power.
  const auto candidates = TuningCandidates(b.data, 505000, 512000);
  ASSERT_FALSE(candidates.empty());
  for (int32_t f : candidates) {
    EXPECT_TRUE(b.data.IsFrequencyAllowed(f)) << f;
    EXPECT_EQ(int64_t{f} * 1000 % b.data.stepHz, 0) << f;
  }
  EXPECT_LT(candidates.size(), plan::StepGrid(505000, 512000, b.data.stepHz).size());

  plan::SuggestRequest request;
  request.candidatesKHz = TuningCandidates(b.data, b.data.freqMinMHz * 1000, b.data.freqMaxMHz * 1000);
  request.count = 5;
  const plan::SuggestResult s = plan::SuggestFrequencies(request);
  ASSERT_EQ(s.status, plan::SuggestStatus::Complete);

  b.state().table[1][6].hidden = true;
  NullProgress progress;
  const GroupWriteResult w = WriteGroupFrequencies(*b.link, b.data, 1, s.freqsKHz, true, progress);
  EXPECT_TRUE(w.ok()) << w.load.message;
  for (int c = 0; c < 8; ++c) {
    SCOPED_TRACE(c);
    if (c < 5) {
      EXPECT_EQ(b.state().table[1][c].freqKHz, static_cast<uint32_t>(s.freqsKHz[static_cast<size_t>(c)]));
    }
    EXPECT_EQ(b.state().table[1][c].hidden, c >= 5);
  }
  // The group as read is clean: no channel is marked, and the hidden ones are not on air.
  const GroupView view = ReadGroup(*b.link, b.data, 1);
  const auto marks = GroupConflictMarks(view, plan::Guards{});
  ASSERT_EQ(marks.size(), 8u);
  for (const auto& m : marks) EXPECT_FALSE(m.conflict()) << m.toolTip();
  EXPECT_FALSE(OnAirRows(view)[6].has_value());

  // The factory plan of group 0 (evenly spaced channels) is full of conflicts.
  const auto factory = GroupConflictMarks(ReadGroup(*b.link, b.data, 0), plan::Guards{});
  EXPECT_TRUE(factory[3].conflict());
  EXPECT_NE(factory[3].toolTip().find("3rd-order product of"), std::string::npos);
}

}  // namespace
