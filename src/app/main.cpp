// zentra: the configurator window. Options choose the platform (real interfaces, a
// named serial port, or the simulator), the access codes, whether to connect to the
// first interface at once, and service mode.
#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QTimer>
#include <cstdio>
#include <string_view>

#include "device/AccessCodes.h"
#include "sim/PlatformSelect.h"
#include "sim/SimSpec.h"
#include "ui/ApplicationNames.h"
#include "ui/DeviceWatcher.h"
#include "ui/HelpLocation.h"
#include "ui/PlanFileMenu.h"
#include "ui/TformMain.h"
#include "ui/UserMessages.h"
#include "ui/WindowWaitHook.h"

namespace {

// An exception that escapes an event handler is shown in a box; the program goes on.
class ZentraApplication : public QApplication {
 public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* event) override {
    bool handled = false;
    zentra::RunGuarded([&] { handled = QApplication::notify(receiver, event); });
    return handled;
  }
};

// --help, --version and --help-path print and end without a window, so they also work
// in a terminal without a display (and for the manual pages, made at build time).
void UseNoDisplayForPrintingOptions(int argc, char** argv) {
  if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) return;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "-h" || arg == "--help" || arg == "--help-all" || arg == "-v" ||
        arg == "--version" || arg == "--help-path") {
      qputenv("QT_QPA_PLATFORM", "offscreen");
      return;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  UseNoDisplayForPrintingOptions(argc, argv);
  ZentraApplication app(argc, argv);
  zentra::InstallWindowWaitHook();
  zentra::NameApplication();
  QApplication::setWindowIcon(QIcon(":/com.quorvex.Zentra.svg"));

  QCommandLineParser parser;
  parser.setApplicationDescription(
      "Quorvex Zentra: configures wireless-microphone transmitters through an IR interface.\n"
      "\n"
      "Exit status: 0 the window was closed (or help, version or the guide's path was\n"
      "printed); 1 --help-path found no user guide; 2 bad arguments (unknown option,\n"
      "malformed SPEC, unreadable or malformed access codes, more than one FILE).");
  const QCommandLineOption helpOption = parser.addHelpOption();
  const QCommandLineOption versionOption = parser.addVersionOption();
  const QCommandLineOption simulate(
      "simulate",
      "Run on simulated interfaces and transmitters instead of hardware "
      "(also ZENTRA_SIMULATE), e.g. nano:ZQL22X@129.",
      "SPEC");
  const QCommandLineOption port(
      "port", "Use this serial device as the DGLnano interface (also ZENTRA_PORT).", "PATH");
  const QCommandLineOption accessCodes(
      "access-codes", "Read the access codes from this INI file (also ZENTRA_ACCESS_CODES).",
      "FILE");
  const QCommandLineOption connectOption(
      "connect", "Press Connect on the first interface once the list is built.");
  const QCommandLineOption serviceOption(
      "service",
      "Service mode: show the serial number and debug boxes and the Service menu of the "
      "memory transfers (also ZENTRA_SERVICE=1).");
  const QCommandLineOption helpPath(
      "help-path",
      "Print the path of the user guide that Help > Index opens (the folder help beside "
      "the program, else the installed one) and exit.");
  parser.addOptions({simulate, port, accessCodes, connectOption, serviceOption, helpPath});
  parser.addPositionalArgument(
      "file", "A frequency table (.qdf) to open as an offline plan; no interface is needed.", "[FILE.qdf]");
  // Bad arguments end with status 2, as a malformed SPEC or access-code file does.
  if (!parser.parse(QCoreApplication::arguments())) {
    std::fprintf(stderr, "zentra: %s\n", qPrintable(parser.errorText()));
    return 2;
  }
  if (parser.isSet(helpOption)) parser.showHelp(0);
  if (parser.isSet(versionOption)) parser.showVersion();
  if (parser.isSet(helpPath)) {
    const QString guide =
        zentra::FindHelpFile(zentra::HelpFolders(QCoreApplication::applicationDirPath()));
    if (guide.isEmpty()) {
      std::fprintf(stderr, "zentra: Help file not found!\n");
      return 1;
    }
    std::printf("%s\n", qPrintable(guide));
    return 0;
  }

  zentra::AccessCodes codes = zentra::DefaultAccessCodes();
  std::string error;
  if (!zentra::ResolveAccessCodes(parser.value(accessCodes).toStdString(), codes, error)) {
    std::fprintf(stderr, "zentra: %s\n", error.c_str());
    return 2;
  }
  zentra::SetActiveAccessCodes(codes);

  std::string portName = parser.value(port).toStdString();
  if (portName.empty()) portName = qEnvironmentVariable("ZENTRA_PORT").toStdString();
  zentra::Platform platform;
  std::shared_ptr<zentra::sim::SimWorld> world;
  if (!zentra::SelectPlatform(parser.value(simulate).toStdString(), portName, platform, world,
                              error)) {
    std::fprintf(stderr, "zentra: %s\n\n%s\n", error.c_str(),
                 zentra::sim::SimSpecHelp().c_str());
    return 2;
  }

  // A simulated run has no real devices coming and going.
  std::unique_ptr<zentra::DeviceWatcher> watcher;
  if (world) watcher = std::make_unique<zentra::ManualDeviceWatcher>();

  zentra::TformMain window(std::move(platform), std::move(watcher));
  window.SetServiceMode(parser.isSet(serviceOption) ||
                        qEnvironmentVariable("ZENTRA_SERVICE").trimmed() == "1");
  window.show();
  const QStringList files = parser.positionalArguments();
  if (files.size() > 1) {
    std::fprintf(stderr, "zentra: one frequency table at a time (%lld given)\n",
                 static_cast<long long>(files.size()));
    return 2;
  }
  if (!files.isEmpty()) {
    const QString file = files.front();
    QTimer::singleShot(0, &window, [&window, file] {
      zentra::RunGuarded([&window, &file] { window.planMenu().OpenTable(file); });
    });
  }
  if (parser.isSet(connectOption)) {
    QTimer::singleShot(0, &window, [&window] {
      zentra::RunGuarded([&window] { window.ConnectFirstInterface(); });
    });
  }
  return app.exec();
}
