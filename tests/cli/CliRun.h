// Runs the built zentra-cli with a clean environment and collects its exit status and
// output, for the program tests.
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>

#include <string>

namespace zentra::cli {

struct CliRun {
  int code = -1;
  std::string out;
  std::string err;
};

inline QString Program(const char* name) { return QDir(ZENTRA_BIN_DIR).filePath(name); }

inline QProcessEnvironment CleanEnvironment() {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("ZENTRA_SIMULATE");
  env.remove("ZENTRA_PORT");
  env.remove("ZENTRA_ACCESS_CODES");
  env.remove("ZENTRA_SERIAL_WAIT_MS");
  return env;
}

inline CliRun RunCli(const QStringList& args, int timeoutMs = 60000,
                     const QProcessEnvironment& env = CleanEnvironment()) {
  QProcess p;
  p.setProcessEnvironment(env);
  p.start(Program("zentra-cli"), args);
  EXPECT_TRUE(p.waitForStarted(10000));
  if (!p.waitForFinished(timeoutMs)) {
    p.kill();
    p.waitForFinished();
    ADD_FAILURE() << "zentra-cli did not finish: " << args.join(' ').toStdString();
  }
  CliRun r;
  r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.out = p.readAllStandardOutput().toStdString();
  r.err = p.readAllStandardError().toStdString();
  return r;
}

inline QJsonObject Json(const CliRun& r) {
  QJsonParseError error;
  const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.out), &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << r.out << r.err << " (exit " << r.code << ")";
  return doc.object();
}

}  // namespace zentra::cli
