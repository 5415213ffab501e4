// zentra-cli plan check|suggest and table export|import, run as a program: offline on
// table files and against the simulated transmitter.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>

#include "CliRun.h"
#include "cli/ExitCodes.h"

namespace zentra::cli {
namespace {

const QString kHandMade = QStringLiteral(ZENTRA_TEST_DATA_DIR "/coordination.qdf");

// (group, channel, kind, product kHz, makers kHz) of every conflict of the hand-made file.
std::vector<std::string> Conflicts(const QJsonObject& report) {
  std::vector<std::string> out;
  for (const auto& g : report["groups"].toArray()) {
    for (const auto& c : g.toObject()["conflicts"].toArray()) {
      const QJsonObject o = c.toObject();
      std::string line = g.toObject()["group"].toString().toStdString() + " CH" +
                         std::to_string(o["channel"].toInt()) + " " + o["kind"].toString().toStdString() + " " +
                         std::to_string(o["productKHz"].toInt()) + " of";
      for (const auto& m : o["makersKHz"].toArray()) line += " " + std::to_string(m.toInt());
      out.push_back(line);
    }
  }
  return out;
}

TEST(CliPlanTest, CheckReportsTheConflictsOfAHandMadeFileExactly) {
  const CliRun all = RunCli({"--json", "plan", "check", kHandMade});
  EXPECT_EQ(all.code, kExitFailed) << all.err;
  EXPECT_EQ(Conflicts(Json(all)), (std::vector<std::string>{"00 CH1 2Tx 3rd 501000 of 500000 499000",
                                                            "00 CH2 2Tx 3rd 499000 of 500000 501000",
                                                            "01 CH2 2Tx 5th 473000 of 471000 470000"}));
  const CliRun clean = RunCli({"plan", "check", kHandMade, "--group", "02"});
  EXPECT_EQ(clean.code, kExitOk) << clean.err;
  EXPECT_NE(clean.out.find("Group 02 \"Clean\": 3 channel(s) on air, clean"), std::string::npos) << clean.out;
  // A wider spacing makes the clean group conflict too.
  EXPECT_EQ(RunCli({"plan", "check", kHandMade, "--group", "02", "--spacing", "2001"}).code, kExitFailed);
  EXPECT_EQ(RunCli({"plan", "check", kHandMade, "--group", "07"}).code, kExitUsage);
}

TEST(CliPlanTest, SixteenSuggestedInTheRangeCheckClean) {
  QTemporaryDir dir;
  const QString file = dir.filePath("plan.qdf");
  const CliRun s = RunCli({"--json", "plan", "suggest", "16", "--range", "470-542", "--to-file", file});
  ASSERT_EQ(s.code, kExitOk) << s.err;
  const QJsonObject o = Json(s);
  EXPECT_EQ(o["found"].toInt(), 16);
  EXPECT_EQ(o["candidates"].toInt(), 2881);
  const CliRun check = RunCli({"plan", "check", file});
  EXPECT_EQ(check.code, kExitOk) << check.out << check.err;

  // Kept frequencies that conflict are refused, and nothing is suggested.
  const CliRun kept = RunCli({"plan", "suggest", "4", "--range", "470-542", "--keep", "500,501,499"});
  EXPECT_EQ(kept.code, kExitUsage);
  EXPECT_NE(kept.err.find("3rd-order product of 500.000 and 501.000 MHz"), std::string::npos) << kept.err;
}

TEST(CliPlanTest, SuggestionWrittenToTheTransmitterIsReadBack) {
  const QString sim = "nano:ZQL22X@129";
  const CliRun w = RunCli({"--simulate", sim, "plan", "suggest", "6", "--to-group", "01", "--hide-rest"});
  EXPECT_EQ(w.code, kExitOk) << w.err;
  EXPECT_NE(w.out.find("Written to group 01, channels 00..05, every channel read back"), std::string::npos) << w.out;
  EXPECT_EQ(w.err, "");
  // The factory plan (evenly spaced channels) does not pass.
  const CliRun c = RunCli({"--simulate", sim, "--json", "plan", "check", "--device", "--group", "00"});
  EXPECT_EQ(c.code, kExitFailed);
  EXPECT_GT(Json(c)["conflicts"].toInt(), 0);
}

// Exclusions of every kind and a group on air, written into a file; the file then checks
// clean with both groups on air together, and nothing lands in an excluded stretch.
TEST(CliPlanTest, SuggestionKeepsOutOfExcludedRangesAndClearOfGroupsOnAir) {
  QTemporaryDir dir;
  const QString file = dir.filePath("show.qdf"), scan = dir.filePath("scan.csv");
  QFile::copy(kHandMade, file);
  QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
  {
    QFile f(scan);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Freq [kHz];Level [dBm]\n");
    for (int k = 470000; k <= 542000; k += 500) f.write(QString("%1;%2\n").arg(k).arg(k >= 530000 && k <= 534000 ? "-55,5" : "-98").toLatin1());
  }
  const CliRun s = RunCli({"--json", "plan", "suggest", "8", "--to-file", file, "--group", "00", "--hide-rest",
                           "--exclude", "470-476,520-521", "--tv-channels", "23", "--scan", scan, "--threshold", "-80",
                           "--groups-on-air", "02"});
  ASSERT_EQ(s.code, kExitOk) << s.err;
  const QJsonObject o = Json(s);
  EXPECT_EQ(o["onAirKHz"].toArray().size(), 3);
  const QJsonArray excluded = o["excluded"].toArray();
  ASSERT_EQ(excluded.size(), 4);  // 470-476, TV 23 (486-494), 520-521, the scan's 530-534
  EXPECT_EQ(excluded[3].toObject()["lowKHz"].toInt(), 529750);
  EXPECT_EQ(excluded[3].toObject()["source"].toString(), "scan");
  for (const auto& f : o["freqKHz"].toArray()) {
    for (const auto& e : excluded) {
      EXPECT_FALSE(f.toInt() >= e.toObject()["lowKHz"].toInt() && f.toInt() <= e.toObject()["highKHz"].toInt())
          << f.toInt();
    }
  }
  EXPECT_EQ(RunCli({"plan", "check", file, "--groups-on-air", "00,02"}).code, kExitOk);
  const CliRun bad = RunCli({"plan", "suggest", "4", "--range", "470-480", "--tv-channels", "20"});
  EXPECT_EQ(bad.code, kExitUsage);
  EXPECT_NE(bad.err.find("channels 21 to 69"), std::string::npos) << bad.err;
  EXPECT_EQ(RunCli({"plan", "suggest", "4", "--range", "470-480", "--groups-on-air", "01"}).code, kExitUsage);
  EXPECT_EQ(RunCli({"plan", "suggest", "4", "--range", "470-480", "--scan", dir.filePath("none.csv")}).code, kExitUsage);
}

TEST(CliPlanTest, CsvExportImportAndARefusedLine) {
  QTemporaryDir dir;
  const QString csv = dir.filePath("t.csv"), qdf = dir.filePath("t.qdf");
  ASSERT_EQ(RunCli({"table", "export", kHandMade, "--csv", csv}).code, kExitOk);
  ASSERT_EQ(RunCli({"table", "import", csv, "--to", qdf}).code, kExitOk);
  EXPECT_EQ(RunCli({"plan", "check", qdf, "--group", "01"}).code, kExitFailed);  // the table came through

  QFile f(csv);
  ASSERT_TRUE(f.open(QIODevice::Append));
  f.write("02,Clean,03,470.010,,\r\n");
  f.close();
  const CliRun bad = RunCli({"table", "import", csv, "--to", dir.filePath("new.qdf"), "--step", "25"});
  EXPECT_EQ(bad.code, kExitFailed);
  EXPECT_NE(bad.err.find("line 13: 470.010 MHz is not on the 25.000 kHz step"), std::string::npos) << bad.err;
  EXPECT_FALSE(QFile::exists(dir.filePath("new.qdf")));
}

}  // namespace
}  // namespace zentra::cli
