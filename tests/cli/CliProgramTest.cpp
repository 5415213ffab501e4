// Runs the zentra-cli program itself, against the in-process simulator (--simulate)
// and against zentra-sim serving a DGLnano interface on a pseudo-terminal (--port), and
// checks what it prints and its exit status.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "CliRun.h"
#include "cli/ExitCodes.h"

namespace zentra::cli {
namespace {

// zentra-sim on a pseudo-terminal for the life of a test; the transmitter keeps what
// was written to it from one zentra-cli run to the next.
class SimulatorProcess {
 public:
  explicit SimulatorProcess(const QString& model) {
    process_.setProcessEnvironment(CleanEnvironment());
    process_.start(Program("zentra-sim"), {model});
    if (!process_.waitForStarted(10000)) return;
    while (!process_.canReadLine() && process_.waitForReadyRead(10000)) {
    }
    path_ = QString::fromUtf8(process_.readLine()).trimmed();
  }
  ~SimulatorProcess() {
    process_.terminate();
    if (!process_.waitForFinished(5000)) process_.kill();
  }
  const QString& path() const { return path_; }

  CliRun Cli(QStringList args) {
    // A sanitizer build on a loaded machine reads the transmitter slowly over the
    // pseudo-terminal: give the presence wait room, and each reply as long as another
    // process may take to be scheduled.
    args << "--port" << path_ << "--wait" << "20";
    QProcessEnvironment env = CleanEnvironment();
    env.insert("ZENTRA_SERIAL_WAIT_MS", "5000");
    return RunCli(args, 60000, env);
  }

 private:
  QProcess process_;
  QString path_;
};

// --- info of several models, each with its own capability shape -------------------

struct InfoCase {
  const char* spec;
  int modelType;
  const char* modelName;
  int versionNumber;
  int txNameLength;
  bool presets;
  bool limiter;
};

class InfoJsonTest : public ::testing::TestWithParam<InfoCase> {};

TEST_P(InfoJsonTest, ReportsIdentityCapabilitiesAndSettings) {
  const InfoCase& c = GetParam();
  const CliRun r = RunCli({"--simulate", c.spec, "--json", "info"});
  ASSERT_EQ(r.code, kExitOk) << r.err;
  const QJsonObject o = Json(r);
  EXPECT_EQ(o["modelType"].toInt(), c.modelType);
  EXPECT_EQ(o["modelName"].toString().toStdString(), c.modelName);
  EXPECT_EQ(o["versionNumber"].toInt(), c.versionNumber);
  EXPECT_FALSE(o["readFaulty"].toBool());
  EXPECT_EQ(o["idText"].toString().size(), 16);
  EXPECT_EQ(o["txNameLength"].toInt(), c.txNameLength);
  EXPECT_EQ(o["presetsSupported"].toInt() != 0, c.presets);
  EXPECT_EQ(o["limiterSupported"].toInt() != 0, c.limiter);
  EXPECT_GT(o["channelCount"].toInt(), 0);
  EXPECT_GT(o["groupCount"].toInt(), 0);
  EXPECT_GT(o["freqMaxMHz"].toInt(), o["freqMinMHz"].toInt());
  EXPECT_GT(o["stepHz"].toInt(), 0);
  EXPECT_GE(o["curChannel"].toInt(), 0);
  EXPECT_GE(o["batteryType"].toInt(), 0);
  EXPECT_EQ(o["groupLockMask"].toArray().size(), 5);
  // Every key of the device data model is present.
  for (const char* key : {"serialText", "curFreqKHz", "audioGain", "rfLevelNames",
                          "bandEdgeMHz", "optionTexts", "presetCount", "presetIndex",
                          "audioModLpfSupported", "hiddenBitsExt"}) {
    EXPECT_TRUE(o.contains(key)) << key;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Models, InfoJsonTest,
    ::testing::Values(InfoCase{"nano:ZQK120@103", 1, "ZQK120", 0x103, 0, false, false},
                      InfoCase{"nano:ZQL12@112/R", 2, "ZQL11 / ZQL12", 0x112, 0, true, false},
                      InfoCase{"usbmsg:ZQL21@123/P", 3, "ZQL21", 0x123, 12, true, false},
                      InfoCase{"nano:ZQN21X@129", 8, "ZQN21X", 0x129, 8, true, true},
                      InfoCase{"zrv510:ZQK230@129", 10, "ZQK230", 0x129, 8, true, false},
                      InfoCase{"dgl700:ZQL22X@129,libusb", 9, "ZQL22X", 0x129, 8, true, true}));

TEST(CliInfoTest, TextShowsTheWindowsItemNames) {
  const CliRun r = RunCli({"--simulate", "nano:ZQL22X@129", "info"});
  ASSERT_EQ(r.code, kExitOk) << r.err;
  EXPECT_NE(r.out.find("ZQL22X (code 9, bodypack)"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Version:           0x129"), std::string::npos) << r.out;
  // A ZQL22X always offers three battery types.
  EXPECT_TRUE(r.out.find("Battery:           Alkaline") != std::string::npos ||
              r.out.find("Battery:           NiMH") != std::string::npos ||
              r.out.find("Battery:           Lithium") != std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find(" MHz"), std::string::npos);
}

// --- exit codes -----------------------------------------------------------------

TEST(CliExitCodeTest, NoInterfaceNoTransmitterAndBadArguments) {
  CliRun r = RunCli({"--port", "/nonexistent/zentra-port", "info"});
  EXPECT_EQ(r.code, kExitNoInterface) << r.err;

  r = RunCli({"--simulate", "nano:ZQL21@123,empty", "--wait", "1", "info"});
  EXPECT_EQ(r.code, kExitNoTransmitter) << r.err;
  EXPECT_NE(r.err.find("No transmitter"), std::string::npos) << r.err;

  EXPECT_EQ(RunCli({"--simulate", "nano:ZQL21", "info", "--no-such-option"}).code, kExitUsage);
  EXPECT_EQ(RunCli({"--simulate", "nano:ZQL21", "set", "gain"}).code, kExitUsage);
  EXPECT_EQ(RunCli({"--simulate", "nano:NOSUCHMODEL", "info"}).code, kExitUsage);
  EXPECT_EQ(RunCli({}).code, kExitUsage);
  EXPECT_EQ(RunCli({"--help"}).code, kExitOk);
}

// --- USB interfaces on a USB bus (simulated) ------------------------------------

TEST(CliUsbTest, InterfacesDebugReportAndPermissionMessage) {
  CliRun r = RunCli({"--simulate", "zrv510:ZQL21+usbmsg:ZQL22X,libusb", "-v", "interfaces",
                     "--usb-debug"});
  ASSERT_EQ(r.code, kExitOk) << r.err;
  for (const char* text :
       {"USB device 10c4:8e01 at 1-3", "endpoint 0x81 bulk IN, 64 bytes",
        "endpoint 0x01 bulk OUT, 64 bytes", "IR interface: USB device number 0, interface 0, bulk IN 0x81",
        "USB device 10c4:8e10 at 1-2", "not an IR interface",
        "string serial number (option 0), index 3: \"zrv510 IR interface\"",
        "discovery: names zrv510", "kind 1 ZRV510", "kind 3 USB message interface"}) {
    EXPECT_NE(r.out.find(text), std::string::npos) << text << "\n" << r.out;
  }
  EXPECT_EQ(r.out.find("046d"), std::string::npos) << "only vendor 10c4 is described";
  for (const char* text : {"control 40 02 0002 (enable): ok", "bulk out 0x01: 3 bytes  30 49 04",
                           "bulk in 0x81: 19 bytes"}) {
    EXPECT_NE(r.err.find(text), std::string::npos) << text << "\n" << r.err;
  }

  r = RunCli({"--simulate", "usbmsg:ZQL22X,no-access", "interfaces"});
  EXPECT_EQ(r.code, kExitNoInterface);
  EXPECT_NE(r.err.find("USB device 10c4:8e03 at 1-3 cannot be opened: permission denied: "
                       "install the udev rule 60-zentra-ir.rules"),
            std::string::npos)
      << r.err;

  // The real host: libusb loaded at run time, or not available; either way it runs.
  r = RunCli({"interfaces", "--usb-debug"});
  EXPECT_TRUE(r.code == kExitOk || r.code == kExitNoInterface) << r.err;
  EXPECT_TRUE(r.out.find("USB") != std::string::npos) << r.out;
}

// --- settings: refused before anything is sent ------------------------------------

TEST(CliSetTest, RefusesValuesTheModelDoesNotOffer) {
  const struct {
    const char* spec;
    QStringList args;
  } cases[] = {
      {"nano:ZQL21@123/P", {"set", "battery", "Lithium"}},  // no third battery type
      {"nano:ZQL21@129/P", {"set", "rf-power", "7"}},       // past the power list
      {"nano:ZQL21@129", {"set", "limiter", "on"}},         // no limiter on a ZQL21
      {"nano:ZQL22X@129", {"set", "gain", "41"}},           // above the gain range
      {"nano:ZQL22X@129", {"set", "gain", "loud"}},
      {"nano:ZQL22X@129", {"set", "led-light", "17"}},
      {"nano:ZQL22X@129", {"set", "modulation", "Wide"}},   // only the ZQK230 has it
      {"nano:ZQL22X@129", {"set", "name", "NINECHARS"}},    // 8 characters at 0x129
      {"nano:ZQK220@129", {"set", "mic-mode", "3 wires"}},  // no mic input on a handheld
      {"nano:ZQL22X@129", {"set", "lock", "nothing", "on"}},
      {"nano:ZQL22X@129", {"set", "tuning", "99", "00"}},
  };
  for (const auto& c : cases) {
    QStringList args = {"--simulate", c.spec, "--verbose"};
    args << c.args;
    const CliRun r = RunCli(args);
    EXPECT_EQ(r.code, kExitUsage) << c.args.join(' ').toStdString() << "\n" << r.err;
    // The full read sends only reads; a refused value must add no write (codes >= 0x80
    // after 'M', e.g. 4D C1 / 4D C4 / 4D D0, or 'f' 0x66 for the name).
    for (const char* write : {"> 4D C1", "> 4D C2", "> 4D C3", "> 4D C4", "> 4D CC", "> 4D CD",
                              "> 4D D0", "> 4D DB", "> 4D D3", "> 4D 66"}) {
      EXPECT_EQ(r.err.find(write), std::string::npos) << write << " sent for "
                                                      << c.args.join(' ').toStdString();
    }
  }
}

// --- settings written and read back, kept by the transmitter between runs ----------

TEST(CliSetTest, EachKindOfSettingIsTakenAndReadBack) {
  SimulatorProcess sim("ZQL22X@129");
  ASSERT_FALSE(sim.path().isEmpty());
  const struct {
    QStringList args;
    const char* printed;  // what the read-back shows
    const char* key;      // field of info --json
    int value;
  } cases[] = {
      {{"set", "gain", "-12"}, "gain: -12 dB", "audioGain", -12},
      {{"set", "hp-filter", "120Hz"}, "hp-filter: 120Hz", "audioFilter", 3},
      {{"set", "display", "AF Max Lev"}, "display: AF Max Lev", "audioDisplay", 1},
      {{"set", "limiter", "on"}, "limiter: on", "audioLimiter", 1},
      {{"set", "noise-reduction", "1"}, "noise-reduction: ", "preEmphasis", 1},
      {{"set", "phase", "180"}, "phase: 180", "micPhase", 1},
      {{"set", "battery", "lithium"}, "battery: Lithium", "batteryType", 2},
      {{"set", "rf-power", "0"}, "rf-power: ", "rfPower", 0},
      {{"set", "led-light", "9"}, "led-light: 9", "ledLight", 9},
      {{"set", "led-mode", "mod. peak"}, "led-mode: mod. peak", "ledMode", 1},
      {{"set", "mic-mode", "2 wires+bias"}, "mic-mode: 2 wires+bias", "micMode", 1},
      {{"set", "tuning", "01", "02"}, "tuning: group 01, channel 02", "curChannel", 2},
      {{"set", "lock", "tuning", "on"}, "lock tuning: on", "lockBits", 1},
      {{"set", "hidden", "presets", "on"}, "hidden presets: on", "hiddenBits", 0x40},
  };
  for (const auto& c : cases) {
    const CliRun r = sim.Cli(c.args);
    EXPECT_EQ(r.code, kExitOk) << c.args.join(' ').toStdString() << "\n" << r.out << r.err;
    EXPECT_NE(r.out.find(c.printed), std::string::npos) << r.out;
    const QJsonObject o = Json(sim.Cli({"--json", "info"}));
    if (std::string(c.key) == "lockBits" || std::string(c.key) == "hiddenBits") {
      EXPECT_EQ(o[c.key].toInt() & c.value, c.value) << c.key;
    } else {
      EXPECT_EQ(o[c.key].toInt(), c.value) << c.key;
    }
  }
  const CliRun name = sim.Cli({"set", "name", "STAGE 1"});
  EXPECT_EQ(name.code, kExitOk) << name.err;
  EXPECT_EQ(Json(sim.Cli({"--json", "info"}))["txName"].toString().trimmed().toStdString(),
            "STAGE 1");
}

// --- frequency table -------------------------------------------------------------

TEST(CliTableTest, ChannelEditIsKeptAndBadEntriesAreRefused) {
  SimulatorProcess sim("ZQL21@129,groups=4,channels=8");
  ASSERT_FALSE(sim.path().isEmpty());
  CliRun r = sim.Cli({"table", "set", "02", "05", "520.000"});
  ASSERT_EQ(r.code, kExitOk) << r.out << r.err;
  EXPECT_NE(r.out.find("520.000"), std::string::npos);

  r = sim.Cli({"--json", "table", "show", "02"});
  ASSERT_EQ(r.code, kExitOk) << r.err;
  const QJsonArray channels = Json(r)["channels"].toArray();
  ASSERT_EQ(channels.size(), 8);
  EXPECT_EQ(channels[5].toObject()["freqKHz"].toInt(), 520000);

  r = sim.Cli({"table", "set", "02", "05", "520.0125"});
  EXPECT_EQ(r.code, kExitUsage);
  EXPECT_NE(r.err.find("Inserted value is not a valid frequency!"), std::string::npos) << r.err;
  r = sim.Cli({"table", "set", "02", "05", "9999"});
  EXPECT_EQ(r.code, kExitUsage);
  EXPECT_NE(r.err.find("Inserted value is outside frequency range!"), std::string::npos);

  // Flags: hide channel 5, then show it in the grid.
  r = sim.Cli({"table", "flags", "02", "05", "--hidden", "on", "--lock", "on"});
  ASSERT_EQ(r.code, kExitOk) << r.err;
  r = sim.Cli({"table", "show", "02"});
  EXPECT_NE(r.out.find("05  520.000    lock   hidden"), std::string::npos) << r.out;
  // A hidden channel is not tuned.
  EXPECT_EQ(sim.Cli({"table", "tune", "02", "05"}).code, kExitUsage);
  EXPECT_EQ(sim.Cli({"table", "tune", "02", "04"}).code, kExitOk);

  r = sim.Cli({"table", "group", "01", "--name", "STAGE", "--lock", "on"});
  ASSERT_EQ(r.code, kExitOk) << r.err;
  r = sim.Cli({"--json", "table", "show", "01"});
  EXPECT_EQ(Json(r)["name"].toString().trimmed().toStdString(), "STAGE");
  EXPECT_TRUE(Json(r)["locked"].toBool());

  // Four groups: the last visible one stays visible, long before the mask is full.
  // Group 02 is tuned, so it goes last.
  for (const char* g : {"00", "01", "03"})
    ASSERT_EQ(sim.Cli({"table", "group", g, "--hidden", "on"}).code, kExitOk) << g;
  r = sim.Cli({"table", "group", "02", "--hidden", "on"});
  EXPECT_EQ(r.code, kExitUsage);
  EXPECT_NE(r.err.find("Not All Groups Hidden"), std::string::npos) << r.err;
}

// --- memory transfers ------------------------------------------------------------

TEST(CliEepromTest, DumpLoadVerifyRoundTrip) {
  SimulatorProcess sim("ZQL22X@129");
  ASSERT_FALSE(sim.path().isEmpty());
  QTemporaryDir dir;
  const QString image = dir.filePath("image.bin");
  const QString dumped = dir.filePath("dumped.bin");
  {
    QFile f(image);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    QByteArray bytes(0x100, '\0');
    for (int i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 13 + 5);
    f.write(bytes);
  }
  CliRun r = sim.Cli({"eeprom", "load", image, "--start", "0x100", "--stop", "0x1FF"});
  ASSERT_EQ(r.code, kExitOk) << r.err;
  r = sim.Cli({"eeprom", "verify", image, "--start", "0x100", "--stop", "0x1FF"});
  ASSERT_EQ(r.code, kExitOk) << r.err;
  r = sim.Cli({"eeprom", "dump", dumped, "--start", "0x100", "--stop", "0x1FF"});
  ASSERT_EQ(r.code, kExitOk) << r.err;
  QFile a(image), b(dumped);
  ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
  EXPECT_EQ(a.readAll(), b.readAll());

  // One byte changed in the file: the verify lists it and fails.
  {
    QFile f(image);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.seek(0x10);
    f.write("\xAA", 1);
  }
  r = sim.Cli({"eeprom", "verify", image, "--start", "0x100", "--stop", "0x1FF"});
  EXPECT_EQ(r.code, kExitFailed);
  EXPECT_NE(r.out.find("Address = 16: XEEPROM="), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("- File=170"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("Error Verify!"), std::string::npos);

  r = sim.Cli({"eeprom", "dump", dumped, "--start", "0xFFF0", "--stop", "0x10010"});
  EXPECT_EQ(r.code, kExitUsage);
  EXPECT_NE(r.err.find("Wrong address specified!"), std::string::npos);
  r = sim.Cli({"eeprom", "load", dir.filePath("missing.bin")});
  EXPECT_EQ(r.code, kExitFailed);
  EXPECT_NE(r.err.find("Fatal error loading data file!"), std::string::npos);

  r = sim.Cli({"cal", "dump", dir.filePath("cal.bin"), "--page", "1"});
  ASSERT_EQ(r.code, kExitOk) << r.err;
  EXPECT_EQ(QFile(dir.filePath("cal.bin")).size(), 1024);
  EXPECT_EQ(sim.Cli({"cal", "verify", dir.filePath("cal.bin"), "--page", "1"}).code, kExitOk);
}

TEST(CliServiceTest, CrcSerialAndPowerProfile) {
  SimulatorProcess sim("ZQL22X@129");
  ASSERT_FALSE(sim.path().isEmpty());
  CliRun r = sim.Cli({"service", "crc"});
  EXPECT_EQ(r.code, kExitOk) << r.err;
  EXPECT_NE(r.out.find("CRC OK!"), std::string::npos);
  r = sim.Cli({"service", "write-serial", "SN-0042"});
  EXPECT_EQ(r.code, kExitOk) << r.err;
  EXPECT_NE(r.out.find("Serial: SN-0042"), std::string::npos) << r.out;
  EXPECT_EQ(Json(sim.Cli({"--json", "info"}))["serialText"].toString().toStdString(), "SN-0042");

  r = sim.Cli({"power-profile"});
  EXPECT_EQ(r.code, kExitOk) << r.err;
  EXPECT_NE(r.out.find("Start Frequency [KHz]"), std::string::npos);
  EXPECT_NE(r.out.find("\n16\n"), std::string::npos) << r.out;
}

// --- table files, configuration files and presets --------------------------------

TEST(CliFilesTest, TableFileRestoresAnEditAndPresetsActivate) {
  SimulatorProcess sim("ZQL21@129,groups=4,channels=8");
  ASSERT_FALSE(sim.path().isEmpty());
  QTemporaryDir dir;
  const QString table = dir.filePath("table.qdf");
  CliRun r = sim.Cli({"table", "save", table});
  ASSERT_EQ(r.code, kExitOk) << r.err;
  EXPECT_NE(r.out.find("File saved!"), std::string::npos) << r.out;
  const int before = Json(sim.Cli({"--json", "table", "show", "01"}))["channels"]
                         .toArray()[3].toObject()["freqKHz"].toInt();
  ASSERT_EQ(sim.Cli({"table", "set", "01", "03", "530.000"}).code, kExitOk);
  r = sim.Cli({"table", "load", table, "--group", "01"});
  ASSERT_EQ(r.code, kExitOk) << r.out << r.err;
  EXPECT_NE(r.out.find("File loaded!"), std::string::npos) << r.out;
  EXPECT_EQ(Json(sim.Cli({"--json", "table", "show", "01"}))["channels"]
                .toArray()[3].toObject()["freqKHz"].toInt(),
            before);

  const QString config = dir.filePath("config.qcf");
  ASSERT_EQ(sim.Cli({"config", "save", config}).code, kExitOk);
  ASSERT_EQ(sim.Cli({"set", "gain", "-8"}).code, kExitOk);
  r = sim.Cli({"config", "load", config, "--only", "audio"});
  EXPECT_EQ(r.code, kExitOk) << r.out << r.err;
  EXPECT_EQ(Json(sim.Cli({"--json", "info"}))["audioGain"].toInt(), 0);
  EXPECT_EQ(sim.Cli({"config", "load", config, "--only", "nonsense"}).code, kExitUsage);

  r = sim.Cli({"preset", "set", "Preset02"});
  EXPECT_EQ(r.code, kExitOk) << r.err;
  EXPECT_EQ(Json(sim.Cli({"--json", "info"}))["presetIndex"].toInt(), 3);
  EXPECT_EQ(sim.Cli({"preset", "save", "USER", "--name", "X"}).code, kExitUsage);
  EXPECT_EQ(sim.Cli({"preset", "save", "Preset01", "--name", "LIVE"}).code, kExitOk);
  EXPECT_NE(sim.Cli({"preset", "list"}).out.find("Preset01  \"LIVE"), std::string::npos);
}

TEST(CliFilesTest, PresetSaveEditsTheWholePreset) {
  SimulatorProcess sim("ZQL22X@129");
  ASSERT_FALSE(sim.path().isEmpty());
  const CliRun r = sim.Cli({"preset", "save", "Preset01", "--name", "Stage", "--gain", "-10",
                            "--rf-power", "1", "--limiter", "on", "--lock", "tuning,battery",
                            "--dont-care", "rf-power"});
  ASSERT_EQ(r.code, kExitOk) << r.out << r.err;
  const QJsonObject o = Json(sim.Cli({"--json", "preset", "show", "Preset01"}));
  EXPECT_EQ(o["name"].toString(), "Stage");
  EXPECT_EQ(o["gain"].toString(), "-10");
  EXPECT_EQ(o["limiter"].toString(), "on");
  EXPECT_EQ(o["lock"].toArray(), QJsonArray({"tuning", "battery"}));
  EXPECT_EQ(o["dont-care"].toArray(), QJsonArray({"rf-power"}));
  EXPECT_EQ(o["record"].toArray()[0].toInt(), 246);  // -10 as the transmitter holds it
  // Refused before anything is sent: flags of USER, a gain out of range, a setting the
  // model's presets do not have.
  EXPECT_EQ(sim.Cli({"preset", "save", "USER", "--lock", "tuning"}).code, kExitUsage);
  EXPECT_EQ(sim.Cli({"preset", "save", "Preset01", "--gain", "99"}).code, kExitUsage);
  EXPECT_EQ(sim.Cli({"preset", "save", "Preset01", "--modulation", "Wide"}).code, kExitUsage);
}

TEST(CliFilesTest, TableSaveOverALossyLinkEndsWithGapsNotSuccess) {
  // Four replies in ten are lost: in some runs a channel stays unread even when it is
  // tried again. Such a save names it, leaves it out of the file and exits with 6; a run
  // without "Not read" lines never exits with 6. The first seed with a gap is checked.
  QTemporaryDir dir;
  const QString table = dir.filePath("lossy.qdf");
  CliRun r;
  for (int seed = 1; seed <= 60 && r.code != kExitGaps; ++seed) {
    r = RunCli({"--simulate",
                QString("nano:ZQL22X@129,groups=2,channels=8,loss=0.4,seed=%1").arg(seed),
                "table", "save", table, "--all"});
    // (A run whose transmitter is taken as gone ends with 1, whatever it printed.)
    if (r.code != kExitFailed) {
      EXPECT_EQ(r.code == kExitGaps, r.out.find("Not read (") != std::string::npos)
          << "seed " << seed << ": " << r.out << r.err;
    }
  }
  ASSERT_EQ(r.code, kExitGaps) << r.out << r.err;
  EXPECT_NE(r.err.find("Completed with gaps: "), std::string::npos) << r.err;
  int channel = -1, group = -1;
  const size_t at = r.out.find("Not read (channel=");
  ASSERT_NE(at, std::string::npos) << r.out;
  ASSERT_EQ(std::sscanf(r.out.c_str() + at, "Not read (channel=%d-group=%d)", &channel, &group), 2);
  QFile f(table);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const std::string text = f.readAll().toStdString();
  char section[32], freqKey[32], flagKey[32];
  std::snprintf(section, sizeof section, "[GROUP%02d]", group - 1);
  std::snprintf(freqKey, sizeof freqKey, "CH%02d=", channel);
  std::snprintf(flagKey, sizeof flagKey, "CH%02d_HIDDEN=", channel);
  const size_t start = text.find(section);
  ASSERT_NE(start, std::string::npos);
  const std::string body = text.substr(start, text.find("[", start + 1) - start);
  // What was not read is left out, never filled in with another value.
  EXPECT_TRUE(body.find(freqKey) == std::string::npos || body.find(flagKey) == std::string::npos)
      << body;
}

// --- batches ---------------------------------------------------------------------

TEST(CliBatchTest, ThreeTransmittersOneAfterAnother) {
  const CliRun r = RunCli({"--simulate",
                        // Each transmitter leaves two probes after its full read
                        // (53 answered requests with the probe that noticed it, each
                        // read sent once on this clean link); the next one arrives
                        // three requests later.
                        "nano:ZQL21@123,serial=SNA,leave-after=55,next=ZQN21X@129,"
                        "next=ZQL22X@129",
                        "--batch", "--batch-count", "3", "info"},
                       120000);
  ASSERT_EQ(r.code, kExitOk) << r.out << r.err;
  EXPECT_NE(r.out.find("1: serial SNA, model ZQL21, info: OK"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("2: serial SNA, model ZQN21X, info: OK"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("3: serial SNA, model ZQL22X, info: OK"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("4: serial"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Total: 3 transmitters, 3 OK, 0 failed"), std::string::npos) << r.out;
}

TEST(CliBatchTest, CtrlCEndsTheBatchWithItsTotal) {
  QProcess p;
  p.setProcessEnvironment(CleanEnvironment());
  p.start(Program("zentra-cli"),
          {"--simulate", "nano:ZQL21@123", "--batch", "info"});
  ASSERT_TRUE(p.waitForStarted(10000));
  // Wait for the first summary line, then press Ctrl-C.
  std::string out;
  while (out.find("1: serial") == std::string::npos && p.waitForReadyRead(30000)) {
    out += p.readAllStandardOutput().toStdString();
  }
  ASSERT_NE(out.find("1: serial"), std::string::npos) << out;
  ::kill(static_cast<pid_t>(p.processId()), SIGINT);
  ASSERT_TRUE(p.waitForFinished(30000));
  out += p.readAllStandardOutput().toStdString();
  EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(p.exitCode(), kExitOk);
  EXPECT_NE(out.find("Total: 1 transmitter, 1 OK, 0 failed"), std::string::npos) << out;
}

}  // namespace
}  // namespace zentra::cli
