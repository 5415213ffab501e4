// zentra-cli station run against the simulator's queue: a list refused before anything
// is sent, a run killed after its first transmitter whose report holds exactly what was
// done, and the run started again over that report, which goes on where it stopped.
// (A transmitter presented again after such a restart is tested in files/StationTest.)
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <string>

#include "CliRun.h"
#include "cli/ExitCodes.h"

namespace zentra::cli {
namespace {

const char* const kRows =
    "Name,Group,Channel,Frequency,rf-power,led-mode\r\n"
    "Vocal 1,01,05,512.500,10 mW,none\r\n"
    "Vocal 2,01,06,,,\r\n"
    "Guitar,02,00,520.125,,mod. peak\r\n";

QString Write(const QTemporaryDir& dir, const char* name, const QByteArray& text) {
  const QString path = dir.filePath(name);
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(text);
  return path;
}

QByteArray Read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QJsonObject JsonLine(const std::string& line) {
  return QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
}

int Lines(const QByteArray& text) { return static_cast<int>(text.count('\n')); }

TEST(CliStation, RefusesABadListBeforeAnythingIsSent) {
  QTemporaryDir dir;
  const QString rows = Write(dir, "rows.csv", "Name,Group,Channel,rf-power\nA,01,02,\nB,01,77,\n");
  const CliRun r = RunCli({"--simulate", "nano:ZQL22X@129", "--verbose", "station", "run", rows,
                           "--report", dir.filePath("report.csv")});
  EXPECT_EQ(r.code, kExitUsage);
  EXPECT_NE(r.err.find("line 3: channel \"77\""), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find(" > "), std::string::npos) << "a request was sent:\n" << r.err;
  EXPECT_FALSE(QFile::exists(dir.filePath("report.csv")));
}

TEST(CliStation, AKilledRunLosesNothingAndGoesOnWhereItStopped) {
  QTemporaryDir dir;
  const QString rows = Write(dir, "rows.csv", kRows);
  const QString report = dir.filePath("report.csv");

  // One transmitter alone: how many requests the station's handling of one takes.
  const QString single = dir.filePath("single.csv");
  const CliRun measured = RunCli({"--simulate", "nano:ZQL22X@129", "--json", "station", "run",
                                  rows, "--report", single, "--count", "1"});
  ASSERT_EQ(measured.code, kExitGaps) << measured.err;  // two lines remain
  const QJsonObject first = JsonLine(measured.out.substr(0, measured.out.find('\n')));
  ASSERT_EQ(first["result"].toString(), "OK") << measured.out;
  const int requests = first["requests"].toInt();
  ASSERT_GT(requests, 20);

  // Each transmitter of the queue leaves two probes after it was programmed.
  const QString spec = QString("nano:ZQL22X@129,leave-after=%1,next=ZQL22X@129,next=ZQL22X@129")
                           .arg(requests + 2);
  QProcess p;
  p.setProcessEnvironment(CleanEnvironment());
  p.start(Program("zentra-cli"), {"--simulate", spec, "station", "run", rows, "--report", report});
  ASSERT_TRUE(p.waitForStarted(10000));
  std::string out;
  while (out.find('\n') == std::string::npos && p.waitForReadyRead(60000)) {
    out += p.readAllStandardOutput().toStdString();
  }
  ASSERT_EQ(p.state(), QProcess::Running) << out;
  ::kill(static_cast<pid_t>(p.processId()), SIGKILL);
  p.waitForFinished(30000);
  EXPECT_NE(out.find("line 2: serial "), std::string::npos) << out;
  // The report holds the transmitter done, whole, and nothing else lies beside it.
  const QByteArray kept = Read(report);
  EXPECT_EQ(Lines(kept), 2) << kept.toStdString();
  EXPECT_TRUE(kept.contains("\r\n2,ZQ09004711,ZQL22X,Vocal 1,01,05,512.500,")) << kept.toStdString();
  EXPECT_TRUE(kept.contains(",OK,")) << kept.toStdString();
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
            (QStringList{"report.csv", "rows.csv", "single.csv"}));

  // Started again with two other transmitters: they get the lines not yet done.
  const QString rest = QString("nano:ZQL21X@129,leave-after=%1,next=ZQL22X@129").arg(requests + 2);
  const CliRun again = RunCli({"--simulate", rest, "station", "run", rows, "--report", report}, 180000);
  EXPECT_EQ(again.code, kExitOk) << again.out << again.err;
  EXPECT_NE(again.out.find("line 3: serial ZQ07004711, ZQL21X, \"Vocal 2\", group 01, channel 06"),
            std::string::npos) << again.out;
  EXPECT_NE(again.out.find("line 4: serial ZQ09004712, ZQL22X, \"Guitar\", group 02, channel 00, "
                           "520.125 MHz: OK"), std::string::npos) << again.out;
  EXPECT_NE(again.out.find("Total: 2 transmitters, 2 OK; 3 of 3 lines done"), std::string::npos);
  const QByteArray whole = Read(report);
  EXPECT_EQ(Lines(whole), 4) << whole.toStdString();
  EXPECT_TRUE(whole.startsWith(kept)) << "the earlier run's lines stay first";
}

}  // namespace
}  // namespace zentra::cli
