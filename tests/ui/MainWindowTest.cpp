// The real main window against simulated interfaces and transmitters: start-up, Connect
// on every interface kind, the firmware check, the presence poll with its pictures and
// full read, the read-error warning, device changes, the edit lock and the help file.
// Poll ticks are driven directly instead of waiting for the timer.
#include <gtest/gtest.h>

#include <algorithm>

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "buildinfo/BuildInfo.h"
#include "device/AccessCodes.h"
#include "ui/ApplicationNames.h"
#include "sim/SimWorld.h"
#include "ui/TformMain.h"
#include "ui/UserMessages.h"
#include "ui/TformMainForm.h"
#include "ui/WindowFixture.h"

namespace zentra {
namespace {

constexpr uint8_t kUnlockCode = 0xE0;  // not used for matching; requests are counted

class MainWindowTest : public WindowFixture {
 protected:
  // The families probed since the log was cleared, in order, each once however often
  // the link repeated the request: "H" handheld code, "B" bodypack code, "?" other.
  std::string FamiliesProbed() const {
    const AccessCodes& codes = ActiveAccessCodes();
    auto holds = [](const std::vector<uint8_t>& r, const AccessCode& code) {
      return std::search(r.begin(), r.end(), code.begin(), code.end()) != r.end();
    };
    std::string families;
    for (const sim::LoggedRequest& logged : world->requestLog()) {
      const char f = holds(logged.request, codes.handheld)   ? 'H'
                     : holds(logged.request, codes.bodypack) ? 'B'
                                                             : '?';
      if (families.empty() || families.back() != f) families += f;
    }
    return families;
  }
};

TEST_F(MainWindowTest, StartsWithTheListBuiltAndNothingOpen) {
  Start("nano:ZQL22X@129");
  EXPECT_EQ(window->windowTitle(), "Quorvex Zentra - 1.1.15");
  EXPECT_EQ(ui->centralwidget->size(), QSize(1016, 593));
  EXPECT_EQ(window->minimumSize(), window->maximumSize());  // fixed size

  ASSERT_EQ(ui->listInterface->count(), 1);
  EXPECT_EQ(ui->listInterface->currentIndex(), 0);
  EXPECT_FALSE(ui->listInterface->currentText().isEmpty());  // the version text
  EXPECT_EQ(ui->listInterface->currentData().toInt(), int(kKindDglNano));
  EXPECT_TRUE(ui->listInterface->isEnabled());
  EXPECT_EQ(ui->btnConnection->text(), "connect");
  EXPECT_FALSE(ui->ledConnection->light());
  EXPECT_FALSE(ui->ledActivity->light());
  EXPECT_FALSE(ui->ledError->light());
  EXPECT_EQ(ui->ledError->backOnColor(), QColor(255, 0, 0));
  EXPECT_EQ(ui->ledConnection->backOnColor(), QColor(0, 255, 0));
  EXPECT_EQ(window->currentPicture(), "PICTURE_LOGO");
  EXPECT_FALSE(window->link().IsOpen());
  EXPECT_FALSE(window->timerPing().isActive());
  EXPECT_FALSE(window->state().updating);
  EXPECT_EQ(world->usbReadTimeoutMs, 2000u);
  EXPECT_EQ(world->usbWriteTimeoutMs, 2000u);
  EXPECT_TRUE(messages.empty());

  // Controls of later work are present but disabled; the service boxes are hidden.
  for (QWidget* w : std::initializer_list<QWidget*>{panels->listRFPower, panels->ckTuningLock,
                                                     presetPanel->PresetlistRFPower, panels->listGroup,
                                                     plan->gridFrequencies, ui->EditTXname}) {
    EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
  }
  EXPECT_TRUE(ui->service->isHidden());
  EXPECT_FALSE(service->GroupBox10->isVisibleTo(window.get()));
  EXPECT_FALSE(service->GroupBoxSerialNumber->isVisibleTo(window.get()));
  EXPECT_EQ(plan->gridFrequencies->columnCount(), 4);
  EXPECT_EQ(plan->gridFrequencies->columnWidth(1), 80);

  // Menus: File with its separators, Help with Index on F1.
  QStringList file;
  for (QAction* a : ui->mnuFile->actions()) file << (a->isSeparator() ? "-" : a->text());
  EXPECT_EQ(file, QStringList({"Load User Configuration", "Save User Configuration",
                               QString::fromUtf8("Programming Station\u2026"), "-",
                               QString::fromUtf8("Open Frequency Table\u2026"),
                               QString::fromUtf8("New Frequency Table\u2026"), "Save Frequency Table",
                               QString::fromUtf8("Save As\u2026"), "-", QString::fromUtf8("Coordinate\u2026"), "-",
                               "Power Frequency Profile", "-", "Confirm Reads", "-", "Exit"}));
  EXPECT_EQ(ui->mnuHelpIndex->text(), "Index");
  EXPECT_EQ(ui->mnuHelpIndex->shortcut(), QKeySequence(Qt::Key_F1));
}

// The Confirm Reads items set the link's mode as zentra-cli --confirm-reads does, and the
// full read shows it: on a clean link Auto and Never send each read once, Always twice.
TEST_F(MainWindowTest, ConfirmReadsItemsSetTheLinksMode) {
  Arrive("nano:ZQL22X@129");
  EXPECT_TRUE(ui->mnuConfirmReadsAuto->isChecked());
  EXPECT_EQ(window->link().linkHealth.mode, ReadConfirmation::Auto);
  world->ClearRequestLog();
  window->FullRead();
  const size_t once = Requests();
  struct Case {
    QAction* Ui::TformMain::*item;
    ReadConfirmation mode;
    bool twice;
  };
  for (const Case& c : {Case{&Ui::TformMain::mnuConfirmReadsAlways, ReadConfirmation::Always, true},
                        Case{&Ui::TformMain::mnuConfirmReadsNever, ReadConfirmation::Never, false},
                        Case{&Ui::TformMain::mnuConfirmReadsAuto, ReadConfirmation::Auto, false}}) {
    QAction* item = ui->*c.item;
    SCOPED_TRACE(item->text().toStdString());
    item->trigger();
    EXPECT_EQ(window->link().linkHealth.mode, c.mode);
    for (QAction* other : ui->mnuConfirmReads->actions()) {
      EXPECT_EQ(other->isChecked(), other == item) << other->text().toStdString();
    }
    world->ClearRequestLog();
    window->FullRead();
    if (c.twice) {
      EXPECT_GT(Requests(), once * 3 / 2);
    } else {
      EXPECT_EQ(Requests(), once);
    }
  }
}

// Qt appends a display name set by the program to every caption that does not end with
// it ("ERROR — Quorvex Zentra"); the program sets none. Without one, the display name
// follows the application name, so renaming the application shows whether one was set.
TEST(ApplicationNames, LeaveEveryCaptionItsOwnTitle) {
  NameApplication();
  EXPECT_EQ(QCoreApplication::applicationName(), "Quorvex Zentra");
  EXPECT_EQ(QCoreApplication::applicationVersion(), kZentraVersion);
  QCoreApplication::setApplicationName("probe");
  EXPECT_EQ(QGuiApplication::applicationDisplayName(), "probe");
  NameApplication();
}

struct ConnectCase {
  const char* spec;
  uint8_t kind;
  const char* picture;
};

class ConnectTest : public MainWindowTest, public ::testing::WithParamInterface<ConnectCase> {};

TEST_P(ConnectTest, ConnectsAndDisconnects) {
  const ConnectCase& c = GetParam();
  Start(std::string(c.spec) + ",empty");
  ASSERT_EQ(ui->listInterface->count(), 1);
  EXPECT_EQ(ui->listInterface->currentData().toInt(), int(c.kind));

  ui->btnConnection->click();
  EXPECT_TRUE(window->link().IsOpen());
  EXPECT_EQ(window->link().interfaceKind, c.kind);
  EXPECT_EQ(ui->btnConnection->text(), "disconnect");
  EXPECT_TRUE(ui->ledConnection->light());
  EXPECT_FALSE(ui->ledError->light());
  EXPECT_FALSE(ui->listInterface->isEnabled());
  EXPECT_TRUE(window->timerPing().isActive());
  EXPECT_EQ(window->currentPicture(), c.picture);
  EXPECT_TRUE(messages.empty());

  ui->btnConnection->click();
  EXPECT_FALSE(window->link().IsOpen());
  EXPECT_EQ(ui->btnConnection->text(), "connect");
  EXPECT_FALSE(ui->ledConnection->light());
  EXPECT_TRUE(ui->listInterface->isEnabled());
  EXPECT_FALSE(window->timerPing().isActive());
  EXPECT_EQ(window->currentPicture(), "PICTURE_LOGO");
}

INSTANTIATE_TEST_SUITE_P(AllKinds, ConnectTest,
                         ::testing::Values(ConnectCase{"zrv510:ZQL21@123", 1, "PICTURE_ZRV510"},
                                           ConnectCase{"dgl700:ZQK220@129", 2, "PICTURE_IR"},
                                           ConnectCase{"usbmsg:ZQL22X@129", 3, "PICTURE_ZRV520"},
                                           ConnectCase{"nano:ZQL22X@129", 4, "PICTURE_DGLnano"}));

TEST_F(MainWindowTest, ConnectWithAnEmptyListFailsAndLightsTheError) {
  Start("");
  EXPECT_EQ(ui->listInterface->count(), 0);
  ui->btnConnection->click();
  EXPECT_FALSE(window->link().IsOpen());
  EXPECT_TRUE(ui->ledError->light());
  EXPECT_FALSE(ui->ledConnection->light());
  EXPECT_EQ(ui->btnConnection->text(), "connect");
  EXPECT_FALSE(window->timerPing().isActive());
  EXPECT_FALSE(window->ConnectFirstInterface());
}

TEST_F(MainWindowTest, AnInterfaceThatCannotBeOpenedIsNamed) {
  Start("usbmsg:ZQL22X,no-access");
  EXPECT_EQ(ui->listInterface->count(), 0);
  EXPECT_EQ(ui->listInterface->placeholderText(), "Cannot open");
  EXPECT_TRUE(ui->listInterface->toolTip().contains("permission denied: install the udev rule"))
      << ui->listInterface->toolTip().toStdString();
  Start("usbmsg:ZQL22X");  // with permission: listed, nothing to explain
  EXPECT_EQ(ui->listInterface->count(), 1);
  EXPECT_TRUE(ui->listInterface->toolTip().isEmpty());
}

TEST_F(MainWindowTest, OldZrv510FirmwareIsRefused) {
  Start("zrv510:ZQL21@123,firmware=111");
  ui->btnConnection->click();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].title, "ERROR");
  EXPECT_EQ(messages[0].text, "Device version unsupported!\nUpdate Firmware!");
  EXPECT_EQ(messages[0].icon, QMessageBox::Critical);
  EXPECT_FALSE(window->link().IsOpen());
  EXPECT_TRUE(ui->ledConnection->light());  // the interface itself answered
  EXPECT_EQ(ui->btnConnection->text(), "connect");
  EXPECT_EQ(window->currentPicture(), "PICTURE_LOGO");
  EXPECT_FALSE(window->timerPing().isActive());
}

struct ArrivalCase {
  const char* spec;
  const char* picture;
  const char* interfacePicture;
};

class ArrivalTest : public MainWindowTest, public ::testing::WithParamInterface<ArrivalCase> {};

TEST_P(ArrivalTest, TransmitterArrivesIsReadOnceAndLeaves) {
  const ArrivalCase& c = GetParam();
  Start(std::string(c.spec) + ",empty,serial=SN12345678");
  Connect();

  // Nothing in front of the window: both families are probed, the error light stays.
  world->ClearRequestLog();
  window->timerPingTimer();
  EXPECT_EQ(FamiliesProbed(), "HB");
  EXPECT_TRUE(ui->ledError->light());
  EXPECT_TRUE(window->timerPing().isActive());
  EXPECT_EQ(window->currentPicture(), c.interfacePicture);

  world->SetTransmitterPresent(true);
  world->ClearRequestLog();
  window->timerPingTimer();
  EXPECT_EQ(window->currentPicture(), c.picture);
  const size_t fullRead = Requests();
  EXPECT_GT(fullRead, 20u);  // identification and the whole read
  EXPECT_TRUE(messages.empty());
  EXPECT_FALSE(window->state().updating);
  EXPECT_TRUE(window->state().editLocked);
  EXPECT_EQ(ui->panelLock->text(), "LOCKED");

  const sim::VirtualTransmitter& tx = *world->transmitter();
  EXPECT_EQ(ui->valueID->text().toStdString(), tx.identityText());
  EXPECT_EQ(ui->valueSerial->text(), "SN12345678");
  EXPECT_EQ(ui->valueTuningGroups->text(), QString::number(tx.state().groupCount));
  EXPECT_EQ(ui->valueTuningChannels->text(), QString::number(tx.state().channelCount));
  EXPECT_EQ(ui->valueTuningRange->text(),
            QString("%1-%2").arg(tx.state().freqMinMHz).arg(tx.state().freqMaxMHz));
  EXPECT_EQ(ui->valueTuningStep->text(),
            QString::asprintf("%.3f", tx.state().stepCount * 100 / 1000.0));
  EXPECT_EQ(plan->gridFrequencies->rowCount(), tx.state().channelCount);
  EXPECT_EQ(window->deviceData().modelType, tx.caps().modelCode);

  // Later ticks probe only the transmitter's own family and read nothing more.
  world->ClearRequestLog();
  window->timerPingTimer();
  EXPECT_EQ(FamiliesProbed(), tx.caps().handheld ? "H" : "B");
  EXPECT_EQ(Requests(), 1u);
  window->timerPingTimer();
  EXPECT_EQ(Requests(), 2u);
  EXPECT_EQ(ui->valueID->text().toStdString(), tx.identityText());

  // Taken away: the next tick clears the display and shows the interface again.
  world->Leave();
  window->timerPingTimer();
  EXPECT_EQ(window->currentPicture(), c.interfacePicture);
  EXPECT_EQ(window->deviceData().modelType, 0);
  for (QLineEdit* field : {ui->valueID, ui->valueSerial, ui->valueTuningGroups,
                           ui->valueTuningRange, ui->valueTuningStep, panels->valueFrequency}) {
    EXPECT_TRUE(field->text().isEmpty()) << field->objectName().toStdString();
  }
  EXPECT_EQ(plan->gridFrequencies->rowCount(), 1);
  EXPECT_FALSE(plan->gridFrequencies->isEnabled());
  EXPECT_TRUE(window->timerPing().isActive());
  EXPECT_TRUE(messages.empty());

  // With nobody there, both families are probed again.
  world->ClearRequestLog();
  window->timerPingTimer();
  EXPECT_EQ(FamiliesProbed(), "HB");
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ArrivalTest,
    ::testing::Values(ArrivalCase{"nano:ZQL22X@129", "PICTURE_ZQL22X", "PICTURE_DGLnano"},
                      ArrivalCase{"usbmsg:ZQK220@129", "PICTURE_ZQK220", "PICTURE_ZRV520"},
                      ArrivalCase{"zrv510:ZQN21@123", "PICTURE_ZQN21", "PICTURE_ZRV510"}));

TEST_F(MainWindowTest, ReadInterruptedShowsTheWarningOnce) {
  // The transmitter answers the probe, the identity and a few reads, then is gone.
  Start("nano:ZQL22X@129,leave-after=6");
  Connect();
  window->timerPingTimer();
  EXPECT_EQ(window->currentPicture(), "PICTURE_ZQL22X");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].title, "WARNING");
  EXPECT_EQ(messages[0].text,
            "A read error occurred reading data from IR device \n Please press "
            "disconnet/connect button");
  EXPECT_EQ(messages[0].icon, QMessageBox::Warning);
  EXPECT_FALSE(ui->valueID->text().isEmpty());  // what was read stays shown
  EXPECT_FALSE(window->state().updating);

  // The next tick notices the departure; no further warning.
  window->timerPingTimer();
  EXPECT_EQ(window->currentPicture(), "PICTURE_DGLnano");
  EXPECT_EQ(messages.size(), 1u);
}

TEST_F(MainWindowTest, PollStepsAsideWhileTheLinkIsBusy) {
  Start("nano:ZQL22X@129");
  Connect();
  window->link().serialBusy = true;
  world->ClearRequestLog();
  window->timerPingTimer();
  EXPECT_EQ(Requests(), 0u);
  EXPECT_TRUE(window->timerPing().isActive());
  EXPECT_EQ(window->deviceData().modelType, 0);

  // After a disconnect a stray tick sends nothing and leaves the timer stopped.
  window->link().serialBusy = false;
  ui->btnConnection->click();
  window->timerPingTimer();
  EXPECT_EQ(Requests(), 0u);
  EXPECT_FALSE(window->timerPing().isActive());
}

TEST_F(MainWindowTest, DoubleClickOnTheLockPanelTogglesTheLock) {
  Start("nano:ZQL22X@129");
  Connect();
  window->timerPingTimer();
  ASSERT_EQ(ui->panelLock->text(), "LOCKED");
  EXPECT_EQ(ui->panelLock->palette().color(QPalette::Window), QColor(254, 241, 7));
  EXPECT_FALSE(ui->EditTXname->isEnabled());

  QTest::mouseDClick(ui->panelLock, Qt::LeftButton);
  EXPECT_FALSE(window->state().editLocked);
  EXPECT_EQ(ui->panelLock->text(), "UNLOCKED");
  EXPECT_NE(ui->panelLock->palette().color(QPalette::Window), QColor(254, 241, 7));
  // A transmitter with a name lets it be edited once unlocked, with its name read again.
  EXPECT_TRUE(ui->EditTXname->isEnabled());
  EXPECT_FALSE(ui->EditTXname->text().isEmpty());

  QTest::mouseDClick(ui->panelLock, Qt::LeftButton);
  EXPECT_TRUE(window->state().editLocked);
  EXPECT_EQ(ui->panelLock->text(), "LOCKED");
  EXPECT_FALSE(ui->EditTXname->isEnabled());
}

TEST_F(MainWindowTest, TheLockPanelTellsScreenReadersItsState) {
  Start("nano:ZQL22X@129");
  Connect();
  window->timerPingTimer();
  EXPECT_EQ(ui->panelLock->accessibleName(), "Edit lock: LOCKED");
  EXPECT_TRUE(ui->panelLock->accessibleDescription().contains("Double-click to unlock"));
  QTest::mouseDClick(ui->panelLock, Qt::LeftButton);
  EXPECT_EQ(ui->panelLock->accessibleName(), "Edit lock: UNLOCKED");
  EXPECT_TRUE(ui->panelLock->accessibleDescription().contains("Double-click to lock"));
}

TEST_F(MainWindowTest, AHandheldSwappedForABodypackInOneTickLeavesNothingBehind) {
  Start("usbmsg:ZQK230@129");
  Connect();
  window->timerPingTimer();
  ASSERT_TRUE(panels->listAudioMod->isEnabled());  // the handheld's modulation list
  world->Leave();
  sim::TransmitterSpec bodypack;
  bodypack.model = "ZQL22X";
  world->Enter(bodypack);
  window->timerPingTimer();  // the handheld probe goes unanswered, the bodypack answers
  EXPECT_EQ(window->deviceData().modelType, 9);
  EXPECT_FALSE(panels->listAudioMod->isEnabled());
  EXPECT_EQ(panels->listAudioMod->currentIndex(), -1);
  EXPECT_TRUE(ui->valueID->text().startsWith("ZQL22X"));
  EXPECT_EQ(window->currentPicture(), "PICTURE_ZQL22X");
}

TEST_F(MainWindowTest, InterfaceChangesRebuildOtherDevicesDoNot) {
  Start("nano:ZQL22X@129");
  using A = DeviceChange::Action;
  struct Case {
    DeviceChange change;
    bool closesConnection;
  };
  const Case cases[] = {
      {{A::Arrived, "usb", "usb_device", "USB Keyboard", "", ""}, false},
      {{A::Arrived, "tty", "", "DGLnano", "", ""}, false},
      {{A::Left, "usb", "usb_device", "zrv510", "", ""}, true},
      {{A::Arrived, "usb", "usb_device", "dgl700", "", ""}, true},
  };
  for (const Case& c : cases) {
    Connect();
    window->timerPingTimer();
    ASSERT_EQ(window->currentPicture(), "PICTURE_ZQL22X");
    watcher->Raise(c.change);
    EXPECT_EQ(!window->link().IsOpen(), c.closesConnection) << c.change.product.toStdString();
    if (c.closesConnection) {
      EXPECT_EQ(ui->btnConnection->text(), "connect");
      EXPECT_EQ(window->currentPicture(), "PICTURE_LOGO");
      EXPECT_EQ(ui->listInterface->count(), 1);
      EXPECT_TRUE(ui->valueID->text().isEmpty());
      EXPECT_FALSE(window->timerPing().isActive());
      EXPECT_FALSE(ui->ledConnection->light());
    } else {
      EXPECT_EQ(window->currentPicture(), "PICTURE_ZQL22X");
      ui->btnConnection->click();  // disconnect for the next case
    }
    world->SetTransmitterPresent(true);
  }

  // The "?" button does the same as an arrival.
  Connect();
  ui->Button4->click();
  EXPECT_FALSE(window->link().IsOpen());
  EXPECT_EQ(ui->btnConnection->text(), "connect");
}

TEST_F(MainWindowTest, WatchingThatCannotStartIsReported) {
  Start("nano:ZQL22X@129", /*watcherStarts=*/false);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].title, "ERROR");
  EXPECT_EQ(messages[0].text, "Error enabling device notification");
  // The program goes on: the list is built and Connect works.
  Connect();
}

TEST_F(MainWindowTest, HelpOpensTheGuideOrSaysItIsMissing) {
  Start("nano:ZQL22X@129");
  std::vector<QUrl> opened;
  window->openUrl = [&](const QUrl& url) {
    opened.push_back(url);
    return true;
  };
  QTemporaryDir dir;
  window->helpFolders = {dir.path()};
  ui->mnuHelpIndex->trigger();
  EXPECT_TRUE(opened.empty());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].title, "ERROR");
  EXPECT_EQ(messages[0].text, "Help file not found!");

  QFile guide(dir.filePath("Index.mht"));
  ASSERT_TRUE(guide.open(QIODevice::WriteOnly));
  guide.write("MIME-Version: 1.0\r\n");
  guide.close();
  ui->mnuHelpIndex->trigger();
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], QUrl::fromLocalFile(dir.filePath("Index.mht")));
  EXPECT_EQ(messages.size(), 1u);
}

// The user guide is one MIME document: every picture its page shows travels inside it.
TEST(UserGuide, IsOneDocumentHoldingItsPictures) {
  // The guide as kept in the sources (the build copies it beside the program unchanged).
  QFile file(QString(ZENTRA_TEST_DATA_DIR) + "/../../help/Index.mht");
  ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
  const QString text = QString::fromLatin1(file.readAll());
  const QRegularExpression boundaryRe("boundary=\"([^\"]+)\"");
  const QRegularExpressionMatch boundary = boundaryRe.match(text);
  ASSERT_TRUE(boundary.hasMatch());
  EXPECT_TRUE(text.contains("Content-Type: multipart/related"));
  const QStringList parts = text.split("--" + boundary.captured(1));
  ASSERT_GE(parts.size(), 3);
  EXPECT_TRUE(parts.last().startsWith("--"));  // the closing boundary

  QStringList locations;
  QString html;
  for (const QString& part : parts) {
    const QRegularExpressionMatch loc =
        QRegularExpression("Content-Location: (\\S+)").match(part);
    if (loc.hasMatch()) locations << loc.captured(1);
    if (part.contains("Content-Type: text/html")) html = part;
  }
  ASSERT_FALSE(html.isEmpty());
  // Undo the soft line breaks of quoted-printable before looking for pictures.
  html.remove("=\r\n").remove("=\n").replace("=3D", "=");
  int pictures = 0;
  auto it = QRegularExpression("<img src=\"([^\"]+)\"").globalMatch(html);
  while (it.hasNext()) {
    const QString src = it.next().captured(1);
    EXPECT_TRUE(locations.contains(src)) << src.toStdString();
    ++pictures;
  }
  EXPECT_GE(pictures, 4);
  for (const char* topic : {"Connecting", "edit lock", "Presets", "Files", "zentra-cli"}) {
    EXPECT_TRUE(html.contains(topic)) << topic;
  }
}

}  // namespace
}  // namespace zentra
