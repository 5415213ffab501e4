// The table-file buttons, the progress dialog and the configuration menu items of the
// real window against a simulated transmitter. File dialogs and questions are answered
// through their seams; the configuration dialog from inside its modal loop.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <functional>

#include "cli/CliRun.h"
#include "files/ConfigFile.h"
#include "files/IniFile.h"
#include "ui/ConfigFileHandlers.h"
#include "ui/FileDialogForms.h"
#include "ui/FileDialogs.h"
#include "ui/TableFileHandlers.h"
#include "ui/TformConfiguration.h"
#include "ui/TformMainForm.h"
#include "ui/TformProgress.h"
#include "ui/WindowFixture.h"

namespace zentra {
namespace {

constexpr uint8_t kWriteChannelFrequency = '>';

class FileHandlersTest : public WindowFixture {
 protected:
  void SetUp() override {
    WindowFixture::SetUp();
    previousChooser_ = SetFileChooser([this](QWidget*, const FileRequest& r) {
      requests.push_back(r);
      return chosenFile;
    });
    previousAsker_ = SetQuestionAsker([this](QWidget*, const QString& title, const QString& text) {
      questions.push_back(title + "|" + text);
      return answerYes;
    });
  }
  void TearDown() override {
    SetFileChooser(previousChooser_);
    SetQuestionAsker(previousAsker_);
    WindowFixture::TearDown();
  }
  TableFileHandlers& tables() { return *window->findChild<TableFileHandlers*>(); }
  ConfigFileHandlers& configs() { return *window->findChild<ConfigFileHandlers*>(); }
  QStringList Memo() { return tables().progressDialog()->form().MemoFileLoad->toPlainText().split('\n'); }
  sim::SimTransmitterState& tx() { return world->transmitter()->state(); }
  QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
  }
  void Write(const QString& path, const QByteArray& text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
  }
  // Runs the load menu item; `answer` works on the selection dialog, then OK or cancel.
  void LoadConfig(const std::function<void(TformConfiguration&)>& answer, bool ok = true) {
    WhenModal<TformConfiguration>([this] { ui->mnuLoadConfig->trigger(); },
                                  [&](TformConfiguration& dialog) {
                                    answer(dialog);
                                    (ok ? dialog.form().btnOK : dialog.form().btnCancel)->click();
                                  });
  }

  QTemporaryDir dir;
  QString chosenFile;
  bool answerYes = true;
  std::vector<FileRequest> requests;
  QStringList questions;

 private:
  FileChooser previousChooser_;
  QuestionAsker previousAsker_;
};

TEST_F(FileHandlersTest, SaveGivesTheBytesOfTheCommandLine) {
  const std::string spec = "nano:ZQL21@129,groups=3,channels=4";
  Arrive(spec);
  plan->ckLoadSaveAllGroups->setChecked(true);
  chosenFile = dir.filePath("window.qdf");
  plan->btnFrequenciesSave->click();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].filter, "QDF files (*.qdf)");
  EXPECT_TRUE(questions.isEmpty());  // a new file: nothing to ask
  ASSERT_TRUE(messages.size() == 1 && messages[0].text == "File saved!");
  EXPECT_TRUE(Memo().contains("Saved Group=02"));
  EXPECT_EQ(tables().progressDialog()->windowTitle(), "Saving file...");

  const QString cliFile = dir.filePath("cli.qdf");
  const cli::CliRun r = cli::RunCli({"--simulate", QString::fromStdString(spec), "table", "save", cliFile});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(Bytes(chosenFile), Bytes(cliFile));

  // Saving over it asks first; No leaves the file as it was and says nothing.
  answerYes = false;
  messages.clear();
  world->ClearRequestLog();
  plan->btnFrequenciesSave->click();
  ASSERT_EQ(questions.size(), 1);
  EXPECT_EQ(questions[0], "Warning!|File exist Overwrite?\r\nYES = Overwrite\r\nNO = Cancel");
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(Requests(), 0u);
}

TEST_F(FileHandlersTest, HandWrittenLoadReportsItsMemoLines) {
  Arrive("nano:ZQL21@129,groups=3,channels=4");
  const uint32_t before = tx().table[0][1].freqKHz;
  chosenFile = dir.filePath("hand.qdf");
  Write(chosenFile,
        "[GROUP00]\r\nCH01=512.125\r\nCH00_HIDDEN=0\r\nCH01_HIDDEN=0\r\nCH02_HIDDEN=0\r\n"
        "CH03_HIDDEN=0\r\n");
  plan->listFrequenciesGroup->setCurrentIndex(0);
  plan->ckLoadSaveAllGroups->setChecked(false);
  plan->btnFrequenciesLoad->click();
  const QStringList memo = Memo();
  EXPECT_EQ(memo.value(0), "Warnings:");
  EXPECT_TRUE(memo.contains("Not Supported Freq 512.125 (channel=01-group=01)")) << memo.join('|').toStdString();
  EXPECT_TRUE(memo.contains("Not all channels hidden -> free Channel=00 Group=01"));
  EXPECT_TRUE(memo.contains("Loaded Group=00"));
  EXPECT_FALSE(memo.contains("Loaded SYNC"));  // one group shown: no SYNC
  EXPECT_EQ(tx().table[0][1].freqKHz, before);
  EXPECT_FALSE(tx().table[0][0].hidden);
  EXPECT_TRUE(tx().table[0][2].hidden);
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back().text, "File loaded!");
  // The dialog stays with its memo until the user closes it; Close then closes it.
  TformProgress* dialog = tables().progressDialog();
  EXPECT_TRUE(dialog->isVisible());
  dialog->form().ButtonCloseProgress->click();
  EXPECT_FALSE(dialog->isVisible());
}

TEST_F(FileHandlersTest, CloseDuringALoadStopsItWithinOneCommand) {
  Arrive("nano:ZQL21@129,groups=4,channels=8");
  chosenFile = dir.filePath("all.qdf");
  plan->ckLoadSaveAllGroups->setChecked(true);
  plan->btnFrequenciesSave->click();
  ASSERT_EQ(messages.back().text, "File saved!");
  messages.clear();
  world->ClearRequestLog();

  // Close is pressed as soon as the bar passes a few channels.
  size_t logAtClose = 0;
  QTimer presser;
  presser.setInterval(0);
  QObject::connect(&presser, &QTimer::timeout, [&] {
    TformProgress* dialog = tables().progressDialog();
    if (dialog == nullptr || !dialog->running() || dialog->form().ProgressBarFile->value() < 3) return;
    presser.stop();
    logAtClose = Requests();
    dialog->form().ButtonCloseProgress->click();
  });
  presser.start();
  plan->btnFrequenciesLoad->click();
  ASSERT_GT(logAtClose, 0u);
  int writesAfter = 0;
  const auto& log = world->requestLog();
  for (size_t i = logAtClose; i < log.size(); ++i)
    if (log[i].request.size() > 1 && log[i].request[1] == kWriteChannelFrequency) ++writesAfter;
  EXPECT_LE(writesAfter, 1);
  EXPECT_EQ(tables().lastResult().status, FileOpStatus::Interrupted);
  EXPECT_EQ(messages.back().text, "File loaded Interrupted!");
}

TEST_F(FileHandlersTest, ConfigurationDialogFollowsTheChoicesOfTwoModels) {
  for (const char* spec : {"nano:ZQL21@129", "nano:ZQK220@129"}) {
    SCOPED_TRACE(spec);
    Arrive(spec);
    chosenFile = dir.filePath("c.qcf");
    QFile::remove(chosenFile);
    ui->mnuSaveConfig->trigger();
    ASSERT_EQ(messages.back().text, "File saved!");
    IniFile ini;
    ASSERT_EQ(ini.Load(chosenFile.toStdString()), IniFile::Status::Ok);
    const ConfigChoices expected = DecideConfigChoices(ini, window->deviceData());

    const int gain = window->deviceData().audioGain;
    tx().gain = static_cast<int8_t>(gain == 0 ? 4 : 0);
    messages.clear();
    LoadConfig([&](TformConfiguration& dialog) {
      for (int i = 0; i < kConfigItemCount; ++i) {
        const QCheckBox* box = dialog.Box(static_cast<ConfigItem>(i));
        EXPECT_EQ(box->text().toStdString(), expected[i].caption) << i;
        EXPECT_EQ(box->isEnabled(), expected[i].enabled) << i;
        EXPECT_EQ(box->isChecked(), expected[i].checked) << i;
        dialog.Box(static_cast<ConfigItem>(i))->setChecked(static_cast<ConfigItem>(i) == ConfigItem::Audio);
      }
    });
    EXPECT_EQ(tx().gain, gain);  // the file's gain is back on the transmitter
    EXPECT_EQ(window->deviceData().audioGain, gain);
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().text, "File loaded!");
    EXPECT_FALSE(window->state().updating);

    // Cancel sends nothing and says nothing.
    messages.clear();
    world->ClearRequestLog();
    LoadConfig([](TformConfiguration&) {}, false);
    EXPECT_EQ(Requests(), 0u);
    EXPECT_TRUE(messages.empty());
  }
}

// A preset that cannot be read no longer stops the save: the file is written with the
// rest and the WARNING names the preset that is missing.
TEST_F(FileHandlersTest, ConfigurationSaveWithAnUnreadablePresetWarnsAndNamesIt) {
  Arrive("nano:ZQL22X@129");
  const int count = window->deviceData().presetCount;
  ASSERT_GE(count, 2);
  tx().presets.resize(static_cast<size_t>(count - 1));  // the last one no longer answers
  chosenFile = dir.filePath("gap.qcf");
  ui->mnuSaveConfig->trigger();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].title, "WARNING");
  EXPECT_EQ(messages[0].icon, QMessageBox::Warning);
  const QString gap = QString::asprintf("Not read (preset=%02d)", count - 1);
  EXPECT_TRUE(messages[0].text.startsWith("File saved!\n")) << messages[0].text.toStdString();
  EXPECT_TRUE(messages[0].text.endsWith("\n" + gap)) << messages[0].text.toStdString();
  IniFile ini;
  ASSERT_EQ(ini.Load(chosenFile.toStdString()), IniFile::Status::Ok);
  EXPECT_TRUE(ini.KeyExists("CONFIG", "LedLight"));
  EXPECT_TRUE(ini.SectionExists(QString::asprintf("PRESET%02d", count - 2).toStdString()));
  EXPECT_FALSE(ini.SectionExists(QString::asprintf("PRESET%02d", count - 1).toStdString()));
}

TEST_F(FileHandlersTest, FilesThatAreNoTablesOrConfigurationsChangeNothing) {
  Arrive("nano:ZQL21@129,groups=3,channels=4");
  chosenFile = dir.filePath("garbage.qdf");
  Write(chosenFile, QByteArray("\x7f\x45\x4c\x46\x02\x01\x01\x00 not an INI at all\n", 27));
  plan->ckLoadSaveAllGroups->setChecked(true);
  plan->btnFrequenciesLoad->click();
  EXPECT_EQ(Requests(), 0u);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].title, "ERROR");
  LoadConfig([](TformConfiguration&) { ADD_FAILURE() << "no dialog for a file that is no configuration"; });
  EXPECT_EQ(Requests(), 0u);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[1].text, kMsgNoConfigInFile);
}

}  // namespace
}  // namespace zentra
