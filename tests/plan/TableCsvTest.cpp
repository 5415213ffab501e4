#include <gtest/gtest.h>

#include "plan/TableCsv.h"

using namespace zentra::plan;

namespace {

constexpr const char* kHead = "Group,Group name,Channel,Frequency (MHz),Lock,Hidden\r\n";

CsvLimits Limits() {
  CsvLimits l;
  l.lowKHz = 470000;
  l.highKHz = 542000;
  l.stepHz = 25000;
  l.channelCount = 16;
  return l;
}

TEST(TableCsvTest, ReadsWhatItWritesWithQuotingAndFlagStates) {
  FrequencyTable t;
  TableGroup g;
  g.number = 3;
  g.name = "Say \"hi\"";
  g.lock = Flag::Set;
  g.channels = {{0, 470100, Flag::Set, Flag::Clear}, {1, 480025, Flag::NotGiven, Flag::Set}, {2, {}, Flag::Clear, Flag::NotGiven}};
  TableGroup sync;
  sync.sync = true;
  sync.name = "a,b";
  sync.channels = {{0, 540000, Flag::NotGiven, Flag::NotGiven}};
  t.groups = {g, sync};
  const std::string csv = TableToCsv(t);
  EXPECT_EQ(csv, std::string(kHead) +
                     "03,\"Say \"\"hi\"\"\",,,yes,\r\n"
                     "03,\"Say \"\"hi\"\"\",00,470.100,yes,no\r\n"
                     "03,\"Say \"\"hi\"\"\",01,480.025,,yes\r\n"
                     "03,\"Say \"\"hi\"\"\",02,,no,\r\n"
                     "SYNC,\"a,b\",00,540.000,,\r\n");
  const CsvImport back = TableFromCsv(csv, Limits());
  ASSERT_TRUE(back.ok) << back.error;
  ASSERT_EQ(back.table.groups.size(), 2u);
  const TableGroup& g2 = back.table.groups[0];
  EXPECT_EQ(g2.name, g.name);
  EXPECT_EQ(g2.lock, Flag::Set);
  EXPECT_EQ(g2.hidden, Flag::NotGiven);
  ASSERT_EQ(g2.channels.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(g2.channels[i].freqKHz, g.channels[i].freqKHz);
    EXPECT_EQ(g2.channels[i].lock, g.channels[i].lock);
    EXPECT_EQ(g2.channels[i].hidden, g.channels[i].hidden);
  }
  EXPECT_EQ(g2.ActiveKHz(), (std::vector<int32_t>{470100}));  // 01 hidden, 02 has no frequency
  EXPECT_EQ(back.table.groups[1].label(), "SYNC");

  // Columns found by name in any order, spreadsheet habits tolerated: a byte-order mark,
  // LF line ends, blank rows, extra columns, other spellings of the flags.
  const CsvImport loose = TableFromCsv(
      "\xEF\xBB\xBFnotes,hidden,LOCK,frequency,channel,group name,group\n"
      "x,Y,off,470.1,0,Lead,0\n\n,,,,,,\n", Limits());
  ASSERT_TRUE(loose.ok) << loose.error;
  EXPECT_EQ(loose.table.groups[0].channels[0].hidden, Flag::Set);
  EXPECT_EQ(loose.table.groups[0].channels[0].lock, Flag::Clear);
  EXPECT_EQ(loose.table.groups[0].channels[0].freqKHz, 470100);
}

TEST(TableCsvTest, BadLinesAreRefusedNamingTheLine) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"Group,Channel,Frequency (MHz),Lock,Hidden\r\n", "line 1: missing column \"Group name\""},
      {"", "line 1: no header row"},
      {"00,A,00,470.000,,\r\n00,A,01\r\n", "line 3: 3 fields, 6 expected"},
      {"00,A,00,470.010,,\r\n", "line 2: 470.010 MHz is not on the 25.000 kHz step"},
      {"00,A,00,542.025,,\r\n", "line 2: 542.025 MHz is outside 470.000-542.000 MHz"},
      {"00,A,00,470.0001,,\r\n", "line 2: frequency \"470.0001\" is not MHz"},
      {"00,A,00,470.000,,\r\n00,A,01,471.000,,\r\n00,A,00,472.000,,\r\n", "line 4: group 00 channel 00 is also on line 2"},
      {"00,A,,,yes,\r\n00,A,,,no,\r\n", "line 3: the flags of group 00 are also on line 2"},
      {"00,A,00,470.000,,\r\n00,B,01,471.000,,\r\n", "line 3: group 00 is named \"B\" here but \"A\" on line 2"},
      {"00,NineChars,00,470.000,,\r\n", "line 2: group name \"NineChars\" is longer than 8 characters"},
      {"00,A,00,470.000,maybe,\r\n", "line 2: Lock must be yes, no or empty, not \"maybe\""},
      {"41,A,00,470.000,,\r\n", "line 2: group \"41\" is not a group number"},
      {"00,A,16,470.000,,\r\n", "line 2: channel \"16\" is not a channel of the table (00..15)"},
      {"SYNC,S,01,470.000,,\r\n", "line 2: channel \"01\" is not a channel of SYNC"},
      {"SYNC,S,00,470.000,yes,\r\n", "line 2: the SYNC channel has no lock or hidden flag"},
      {"00,A,,470.000,,\r\n", "line 2: a frequency needs a channel"},
      {"00,\"A\r\nB\",00,470.000,,\r\n", "line 2: group name \"A\r\nB\" holds a line break"},
      {"00,\"A,00,470.000,,\r\n", "line 2: a quoted field is not closed"},
      {"00,\"A\"x,00,470.000,,\r\n", "line 2: text after the closing quote"},
      {"00,A\"x,00,470.000,,\r\n", "line 2: a quote inside a field that is not quoted"},
  };
  for (const auto& [body, error] : cases) {
    const std::string text = body.rfind("Group,Channel", 0) == 0 || body.empty() ? body : kHead + body;
    const CsvImport r = TableFromCsv(text, Limits());
    EXPECT_FALSE(r.ok) << body;
    EXPECT_EQ(r.error.substr(0, error.size()), error) << body;
    EXPECT_TRUE(r.table.groups.empty());
  }
}

}  // namespace
