// zentra-cli killed with SIGKILL in the middle of a save onto an existing file: the old
// file is byte-identical afterwards and no temporary file is left beside it.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <string>

#include "CliRun.h"
#include "cli/ExitCodes.h"

namespace zentra::cli {
namespace {

// The transmitter answers a given number of requests and then leaves the IR window
// while the interface stays silent: from then on every command waits out its receive
// time, so the kill lands in the middle of the walk however busy the machine is.
QString Spec(int answered) {
  return QString("nano:ZQL22X@129,groups=40,channels=60,silent,leave-after=%1").arg(answered);
}
const QByteArray kOld = "[OLD]\r\nkept=as it was\r\n";

int RequestLines(const std::string& trace) {
  int n = 0;
  for (size_t at = trace.find(" > "); at != std::string::npos; at = trace.find(" > ", at + 3)) ++n;
  return n;
}

// Runs zentra-cli --verbose until it has sent more than `requests` requests, then kills
// it; true when it was still running at the kill.
bool KillAfter(const QStringList& args, int requests) {
  QProcess p;
  p.setProcessEnvironment(CleanEnvironment());
  p.start(Program("zentra-cli"), QStringList{"--verbose"} + args);
  EXPECT_TRUE(p.waitForStarted(10000));
  std::string err;
  while (RequestLines(err) <= requests && p.state() == QProcess::Running) {
    p.waitForReadyRead(100);
    err += p.readAllStandardError().toStdString();
  }
  const bool running = p.state() == QProcess::Running;
  if (running) ::kill(static_cast<pid_t>(p.processId()), SIGKILL);
  p.waitForFinished(30000);
  return running;
}

TEST(CrashSafety, KilledSaveLeavesTheOldFileWholeAndNoTemporaryFile) {
  // The full read before each command sends this many requests (presence probe
  // included); the transmitter leaves a few requests into the save's own walk.
  QProcess info;
  info.setProcessEnvironment(CleanEnvironment());
  info.start(Program("zentra-cli"), {"--simulate", "nano:ZQL22X@129,groups=40,channels=60",
                                     "--verbose", "info"});
  ASSERT_TRUE(info.waitForFinished(60000));
  ASSERT_EQ(info.exitCode(), kExitOk);
  const int readRequests = RequestLines(info.readAllStandardError().toStdString());
  ASSERT_GT(readRequests, 20);

  struct Case {
    const char* what;
    const char* file;
    QStringList command;
    int into;  // requests of the save answered before the transmitter leaves
  };
  const Case cases[] = {
      {"table save, a few groups into the walk", "table.qdf", {"table", "save", "FILE", "--all"}, 500},
      {"config save, in its preset reads", "config.qcf", {"config", "save", "FILE"}, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    QTemporaryDir dir;
    const QString path = dir.filePath(c.file);
    {
      QFile f(path);
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
      f.write(kOld);
    }
    const int answered = readRequests + c.into;
    QStringList args{"--simulate", Spec(answered)};
    for (const QString& a : c.command) args << (a == "FILE" ? path : a);
    ASSERT_TRUE(KillAfter(args, answered + 1)) << "the save ended before the kill";
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), kOld);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
              QStringList{c.file});
  }
}

}  // namespace
}  // namespace zentra::cli
