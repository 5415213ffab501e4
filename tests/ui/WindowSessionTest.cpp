// A session at the window as users live it, run from a seed: random steps of what a
// user does (every kind of setting control, menu lock and hidden boxes, the edit lock,
// "?", connect and disconnect, groups, grid clicks, group SAVE, presets with SAVE, READ
// and SET, table and configuration files) mixed with transmitters of every family
// arriving, leaving, swapped for another model, and replies lost over IR. After every
// step two things must hold:
//  - writes: every transmitter changed only what the user action of the step asked for
//    (a step that is no user action, or any edit while the edit lock is on, changes
//    nothing and sends no write at all);
//  - display: after a clean stretch of the link, what the window shows of the present
//    transmitter is its value or nothing: never a value of a transmitter before, never
//    a value it does not hold.
// A failing seed prints its steps. ZENTRA_SESSION_SEEDS=a,b,... and
// ZENTRA_SESSION_STEPS=N run other seeds and longer sessions.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdlib>
#include <random>
#include <set>
#include <sstream>

#include "device/FrequencyPlan.h"
#include "device/ItemLists.h"
#include "device/MenuFlags.h"
#include "ui/ConfigFileHandlers.h"
#include "ui/FileDialogForms.h"
#include "ui/FileDialogs.h"
#include "ui/TformConfiguration.h"
#include "ui/TformFrequency.h"
#include "ui/TformFrequencyForm.h"
#include "ui/TformMainForm.h"
#include "ui/WindowFixture.h"

namespace zentra {
namespace {

using Fields = std::set<std::string>;
using sim::SimTransmitterState;

// What changed between two states of one transmitter, by field ("table:G:C:freq", ...).
Fields Changed(const SimTransmitterState& a, const SimTransmitterState& b) {
  Fields f;
  auto field = [&](bool differs, const std::string& name) {
    if (differs) f.insert(name);
  };
  field(a.curChannel != b.curChannel || a.curGroup != b.curGroup || a.curFreqKHz != b.curFreqKHz,
        "cur");
  field(a.gain != b.gain, "gain");
  field(a.filter != b.filter, "filter");
  field(a.displayLimiter != b.displayLimiter, "displayLimiter");
  field(a.preEmphasis != b.preEmphasis, "preEmphasis");
  field(a.modLpf != b.modLpf, "modLpf");
  field(a.micMode != b.micMode, "micMode");
  field(a.micPhase != b.micPhase, "micPhase");
  field(a.micPTT != b.micPTT, "micPTT");
  field(a.batteryType != b.batteryType, "batteryType");
  field(a.rfPower != b.rfPower, "rfPower");
  field(a.ledLight != b.ledLight, "ledLight");
  field(a.ledMode != b.ledMode, "ledMode");
  field(a.lockBits != b.lockBits || a.lockBitsExt != b.lockBitsExt, "locks");
  field(a.hiddenBits != b.hiddenBits || a.hiddenBitsExt != b.hiddenBitsExt, "hidden");
  field(a.groupLockMask != b.groupLockMask || a.groupHiddenMask != b.groupHiddenMask, "masks");
  field(a.syncName != b.syncName, "name:sync");
  field(a.txName != b.txName, "txName");
  field(a.activePreset != b.activePreset, "activePreset");
  for (size_t g = 0; g < a.groupNames.size(); ++g)
    field(a.groupNames[g] != b.groupNames[g], "name:" + std::to_string(g));
  for (size_t g = 0; g < a.table.size(); ++g) {
    for (size_t c = 0; c < a.table[g].size(); ++c) {
      const sim::SimChannel& x = a.table[g][c];
      const sim::SimChannel& y = b.table[g][c];
      const std::string cell = "table:" + std::to_string(g) + ":" + std::to_string(c);
      field(x.freqKHz != y.freqKHz, cell + ":freq");
      field(x.locked != y.locked || x.hidden != y.hidden, cell + ":flags");
    }
  }
  for (size_t i = 0; i < a.presets.size(); ++i) {
    field(a.presets[i].name != b.presets[i].name, "preset:" + std::to_string(i) + ":name");
    for (size_t k = 0; k < a.presets[i].record.size(); ++k)
      field(a.presets[i].record[k] != b.presets[i].record[k],
            "preset:" + std::to_string(i) + ":" + std::to_string(k));
  }
  field(a.identity != b.identity || a.serial != b.serial || a.xeeprom != b.xeeprom ||
            a.calEeprom != b.calEeprom || a.table.size() != b.table.size(),
        "other");
  return f;
}

bool Matches(const std::string& field, const Fields& allowed) {
  for (const std::string& a : allowed) {
    if (a == field || (a.back() == '*' && field.rfind(a.substr(0, a.size() - 1), 0) == 0))
      return true;
  }
  return false;
}

// Command codes of the transmitter writes.
const std::set<uint8_t>& WriteCodes() {
  static const std::set<uint8_t> codes = {0xC1, 0xC2, 0xC3, 0xC4, 0xCC, 0xCD, 0xD0, 0xD3,
                                          0xDB, 0xDC, '>',  '.',  ';',  'K',  'f',  'H',
                                          'h',  'x'};
  return codes;
}

// Every setting a preset activation or a configuration load may bring.
const Fields kSettings = {"cur",   "gain",      "filter",      "displayLimiter", "preEmphasis",
                          "modLpf", "micMode",  "micPhase",    "micPTT",         "batteryType",
                          "rfPower", "ledLight", "ledMode",    "locks",          "hidden",
                          "txName", "activePreset"};

struct Model {
  const char* model;
  const char* version;
  char variant;
};
// Both families, old and new, with and without presets, band plans and names.
constexpr Model kModels[] = {{"ZQL22X", "129", 0}, {"ZQK230", "129", 0}, {"ZQK120", "110", 0},
                             {"ZQL21", "123", 'U'}, {"ZQN21", "122", 0}, {"ZQL11", "112", 'P'},
                             {"ZQK220", "123", 0},  {"ZQL22", "121", 0}};

class WindowSessionTest : public WindowFixture {
 protected:
  void SetUp() override {
    WindowFixture::SetUp();
    previousChooser_ = SetFileChooser([this](QWidget*, const FileRequest& r) {
      return dir.filePath(r.filter.contains("qcf") ? "session.qcf" : "session.qdf");
    });
    previousAsker_ = SetQuestionAsker([](QWidget*, const QString&, const QString&) { return true; });
  }
  void TearDown() override {
    SetFileChooser(previousChooser_);
    SetQuestionAsker(previousAsker_);
    WindowFixture::TearDown();
  }

  void Run(uint32_t seed, int steps);

  // --- the steps ---
  // A transmitter to hold up next; with a family given ('K' handheld, 'L' or 'N' the
  // bodypack family), one of the other family.
  sim::TransmitterSpec NextTransmitter(char otherThan = 0) {
    auto handheld = [](char c) { return c == 'K'; };
    const Model* pick = nullptr;
    do {
      pick = &kModels[rng() % std::size(kModels)];
    } while (otherThan != 0 && handheld(pick->model[2]) == handheld(otherThan));
    const Model& m = *pick;
    sim::TransmitterSpec spec;
    spec.model = m.model;
    spec.version = m.version;
    spec.variant = m.variant;
    spec.groups = 3;
    spec.channels = 5;
    spec.serial = "SN" + std::to_string(++serials);
    return spec;
  }
  int Pick(int n) { return n <= 0 ? 0 : static_cast<int>(rng() % static_cast<uint32_t>(n)); }
  void Step();
  // Logs the step; `allowed` is what its user action may change on the transmitter,
  // `writes` whether it may send writes at all (a SAVE of what is shown writes, and may
  // change nothing).
  void Note(const std::string& what, Fields allowed = {}, bool writes = false) {
    log << "  " << stepNo << ": " << what << "\n";
    writesAllowed_ = writes || !allowed.empty();
    allowed_ = std::move(allowed);
  }

  // --- the invariants ---
  std::vector<SimTransmitterState> Snapshot() {
    std::vector<SimTransmitterState> all;
    for (int i = 0; i < world->interface().transmitterCount(); ++i)
      all.push_back(world->interface().transmitterAt(i).state());
    return all;
  }
  void CheckWrites(const std::vector<SimTransmitterState>& before, size_t logFrom, bool locked);
  void CheckDisplay();

  std::mt19937 rng;
  std::ostringstream log;
  int stepNo = 0;
  int serials = 0;
  bool tainted = false;      // replies were lost since the transmitter shown was read
  std::string lastShown;     // serial of the transmitter last read
  Fields allowed_;           // what the step's user action may change
  bool writesAllowed_ = false;
  bool userEdit_ = false;    // the step edits the transmitter (refused under the lock)
  std::map<int, std::set<int>> presetEdits_;  // preset -> record bytes edited in the panel
  // What the session covered, printed at its end.
  int reads_ = 0, writes_ = 0, displayChecks_ = 0;
  QTemporaryDir dir;
  int frequencyAnswer_ = 0;  // MHz typed into the frequency dialog, 0: cancel
  bool configOk_ = true;

 private:
  FileChooser previousChooser_;
  QuestionAsker previousAsker_;
};

void WindowSessionTest::Step() {
  TDeviceData& d = window->deviceData();
  sim::VirtualInterface& ir = world->interface();
  userEdit_ = false;
  Ui::SettingsPanelsView& p = *panels;
  Ui::PresetPanelView& pp = *presetPanel;
  // A user mostly works on a transmitter that is shown: connect again, hold one up and
  // let the poll find it before going on.
  if (!window->link().IsOpen() && Pick(3) != 0) {
    Note("press connect");
    ui->btnConnection->click();
    return;
  }
  // One held up the moment another is taken away answers the same family's probe as if
  // nothing happened: between two transmitters of one family the poll has seen the
  // window empty.
  if (!ir.transmitterPresent() && d.modelType == 0 && Pick(3) == 0) {
    const sim::TransmitterSpec spec = NextTransmitter();
    Note("transmitter " + spec.model + " " + spec.serial + " arrives");
    world->Enter(spec);
    window->timerPingTimer();
    return;
  }
  if (d.modelType == 0 && ir.transmitterPresent() && Pick(3) != 0) {
    Note("poll tick");
    window->timerPingTimer();
    return;
  }
  const int kind = Pick(100);
  if (kind < 12) {
    Note("poll tick");
    window->timerPingTimer();
  } else if (kind < 17) {
    if (ir.transmitterPresent()) {
      Note("transmitter leaves");
      world->Leave();
    } else if (d.modelType == 0) {
      const sim::TransmitterSpec spec = NextTransmitter();
      Note("transmitter " + spec.model + " " + spec.serial + " arrives");
      world->Enter(spec);
    }
    // The user looks up again only after the poll has seen what happened at the window
    // (a tick comes every 1.2 s; what happens within one, it cannot see).
    window->timerPingTimer();
  } else if (kind < 19) {
    // Taken away and another one held up before the next tick: of the other family the
    // same tick sees one leave and the other arrive.
    const sim::VirtualTransmitter* now = world->transmitter();
    const sim::TransmitterSpec spec = NextTransmitter(now ? now->spec().model[2] : 'L');
    Note("swapped for " + spec.model + " " + spec.serial);
    world->Leave();
    world->Enter(spec);
    window->timerPingTimer();
  } else if (kind < 21) {
    const bool lossy = Pick(3) == 0;
    Note(lossy ? "link starts losing replies" : "link clean again");
    world->SetFaults(lossy ? 0.04 : 0.0, 0.0, static_cast<uint32_t>(rng()));
  } else if (kind < 25) {
    Note("double-click the lock panel");
    window->panelLockDblClick();
  } else if (kind < 25 + (Pick(4) == 0)) {
    Note("press ?");
    ui->Button4->click();
  } else if (kind < 27) {
    Note("press connect/disconnect");
    ui->btnConnection->click();
  } else if (kind < 50) {
    QComboBox* lists[] = {p.listRFPower, p.listBatteryType, p.listLedMode, p.listAudioFilter,
                          p.listAudioPreEmphasis, p.listAudioDisplay, p.listAudioMod,
                          p.listAudioLPF, p.listMicMode, p.listMicPhase, p.listMicPTT,
                          p.listGroup, p.listChannel};
    const char* fields[] = {"rfPower", "batteryType", "ledMode", "filter", "preEmphasis",
                            "displayLimiter", "modLpf", "modLpf", "micMode", "micPhase",
                            "micPTT", "cur", "cur"};
    const int i = Pick(std::size(lists));
    const int item = Pick(lists[i]->count());
    Note("choose " + lists[i]->objectName().toStdString() + " item " + std::to_string(item),
         {fields[i]});
    userEdit_ = true;
    Choose(lists[i], item);
  } else if (kind < 57) {
    const bool gain = Pick(2) == 0;
    TQSpinEdit* spin = gain ? p.spinAudioGain : p.spinLedLight;
    const int value = spin->limitMinimum() + Pick(spin->limitMaximum() - spin->limitMinimum() + 1);
    Note("type " + spin->objectName().toStdString() + " " + std::to_string(value),
         {gain ? "gain" : "ledLight"});
    userEdit_ = true;
    Type(spin, value);
  } else if (kind < 63) {
    const bool lock = Pick(2) == 0;
    auto* view = ui->settingsPanels;
    QCheckBox* box = lock ? view->LockCheck(static_cast<LockBox>(Pick(kLockBoxCount)))
                          : view->HiddenCheck(static_cast<HiddenBox>(Pick(kHiddenBoxCount)));
    if (box == nullptr) box = activePreset->ckPresetHidden;
    Note("click " + box->objectName().toStdString(), {lock ? "locks" : "hidden"});
    userEdit_ = true;
    if (box->isEnabled() && box->isVisibleTo(window.get())) box->click();
  } else if (kind < 66) {
    Note("choose group " + std::to_string(kind % 4));
    Choose(plan->listFrequenciesGroup, std::min(kind % 4, plan->listFrequenciesGroup->count() - 1));
  } else if (kind < 72) {
    QTableWidget* grid = plan->gridFrequencies;
    const int row = Pick(grid->rowCount());
    const int column = 1 + Pick(3);
    const GroupView& shown = ui->frequencyPlan->shownGroup();
    const int g = shown.isSync ? d.syncGroup : shown.group;
    const std::string cell = "table:" + std::to_string(g) + ":" +
                             std::to_string(shown.isSync ? 0 : row);
    frequencyAnswer_ = Pick(3) == 0 ? 0 : d.freqMinMHz + Pick(d.freqMaxMHz - d.freqMinMHz);
    const bool ctrl = column == 1 && Pick(3) == 0;
    Note((ctrl ? "ctrl-click row " : "double-click row ") + std::to_string(row) + " column " +
             std::to_string(column) + " (answer " + std::to_string(frequencyAnswer_) + ")",
         ctrl ? Fields{"cur"}
              : column == 1 ? Fields{cell + ":freq", "cur"}  // the tuned channel, perhaps
                            : Fields{cell + ":flags"});
    userEdit_ = true;
    const QPoint at = grid->visualRect(grid->model()->index(row, column)).center();
    if (!grid->isEnabled()) return;
    if (ctrl) QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, at);
    else QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
  } else if (kind < 76) {
    const GroupView& shown = ui->frequencyPlan->shownGroup();
    const std::string name = shown.isSync ? "name:sync" : "name:" + std::to_string(shown.group);
    const int which = Pick(4);
    if (which == 3) {
      Note("group SAVE", {"masks", name}, true);
      userEdit_ = true;
      if (!shown.isSync && shown.group >= 0 && Pick(2) == 0) {
        plan->EditGroupName->selectAll();
        QTest::keyClicks(plan->EditGroupName, "Band" + QString::number(stepNo % 10));
      }
      plan->ButtonSaveLockHidden->click();
    } else {
      QCheckBox* box = which == 0 ? plan->ckGroupLock : plan->ckGroupHidden;
      Note("click " + box->objectName().toStdString());
      if (box->isEnabled()) box->click();
    }
  } else if (kind < 84) {
    const int which = Pick(6);
    const int shown = ui->presetPanel->shownPreset();
    if (which == 0) {
      Note("choose preset");
      Choose(pp.PresetList, Pick(pp.PresetList->count()));
    } else if (which <= 2) {
      const bool power = which == 1;
      Note(power ? "preset RF power" : "preset LED light");
      if (shown >= 0 && (power ? pp.PresetlistRFPower->isEnabled() : pp.PresetspinLedLight->isEnabled()))
        presetEdits_[shown].insert(power ? preset_byte::kRfPower : preset_byte::kLedLight);
      if (power) Choose(pp.PresetlistRFPower, Pick(pp.PresetlistRFPower->count()));
      else Type(pp.PresetspinLedLight, Pick(17));
    } else if (which == 3) {
      Fields allowed;
      if (shown >= 0)
        for (int b : presetEdits_[shown]) allowed.insert("preset:" + std::to_string(shown) + ":" + std::to_string(b));
      Note("preset SAVE", allowed, true);
      userEdit_ = true;
      pp.ButtonSavePreset->click();
    } else if (which == 4) {
      Note("preset READ");
      pp.ButtonReloadPreset->click();
    } else {
      Note("preset SET", kSettings);
      Choose(activePreset->PresetListSet, Pick(activePreset->PresetListSet->count()));
      activePreset->ButtonSetPreset->click();
    }
  } else if (kind < 88) {
    const bool save = Pick(2) == 0;
    plan->ckLoadSaveAllGroups->setChecked(Pick(2) == 0);
    Note(save ? "table SAVE" : "table LOAD",
         save ? Fields{} : Fields{"table:*", "masks", "name:*", "cur"});
    (save ? plan->btnFrequenciesSave : plan->btnFrequenciesLoad)->click();
  } else if (kind < 92) {
    const bool save = Pick(2) == 0;
    configOk_ = Pick(4) != 0;
    Fields allowed = kSettings;
    allowed.insert("preset:*");
    Note(save ? "configuration save" : "configuration load", save ? Fields{} : allowed);
    (save ? ui->mnuSaveConfig : ui->mnuLoadConfig)->trigger();
  } else {
    QLineEdit* edit = ui->EditTXname;
    Note("type a name", {"txName"});
    userEdit_ = true;
    if (!edit->isEnabled()) return;
    edit->selectAll();
    QTest::keyClicks(edit, "Mic" + QString::number(stepNo % 100));
    QTest::keyClick(edit, Qt::Key_Return);
  }
}

void WindowSessionTest::CheckWrites(const std::vector<SimTransmitterState>& before,
                                    size_t logFrom, bool locked) {
  // Under the edit lock an edit is refused: nothing may change and nothing be written.
  const Fields allowed = locked && userEdit_ ? Fields{} : allowed_;
  const bool writes = writesAllowed_ && !(locked && userEdit_);
  const auto& requests = world->requestLog();
  for (size_t i = logFrom; i < requests.size(); ++i) {
    const std::vector<uint8_t>& r = requests[i].request;
    if (r.size() < 2 || WriteCodes().count(r[1]) == 0) continue;
    ++writes_;
    EXPECT_TRUE(writes) << "a write (code 0x" << std::hex << int(r[1])
                                  << ") that no user action asked for";
  }
  auto requestsOfStep = [&] {
    std::ostringstream out;
    for (size_t i = logFrom; i < requests.size(); ++i) {
      for (uint8_t b : requests[i].request) out << std::hex << int(b) << ' ';
      out << (requests[i].answered ? "\n" : "(lost)\n");
    }
    return out.str();
  };
  for (size_t t = 0; t < before.size(); ++t) {
    const sim::VirtualTransmitter& now = world->interface().transmitterAt(static_cast<int>(t));
    for (const std::string& f : Changed(before[t], now.state())) {
      // The old models keep preset gains even: a SAVE writes an odd gain (which a file
      // may have brought) rounded toward zero, as these transmitters take it.
      int preset = -1, byte = -1;
      if (writes && now.caps().modelCode <= 2 &&
          std::sscanf(f.c_str(), "preset:%d:%d", &preset, &byte) == 2 && byte == 0) {
        const int8_t was = static_cast<int8_t>(before[t].presets[preset].record[0]);
        if (static_cast<int8_t>(now.state().presets[preset].record[0]) == was / 2 * 2) continue;
      }
      EXPECT_TRUE(Matches(f, allowed))
          << "transmitter " << t << ": " << f << " changed; requests:\n" << requestsOfStep();
    }
  }
}

void WindowSessionTest::CheckDisplay() {
  const TDeviceData& d = window->deviceData();
  Ui::SettingsPanelsView& p = *panels;
  if (d.modelType == 0) {
    // Nothing shown: nothing of a transmitter before either.
    EXPECT_TRUE(ui->valueID->text().isEmpty());
    EXPECT_TRUE(ui->valueSerial->text().isEmpty());
    EXPECT_FALSE(p.listRFPower->isEnabled());
    EXPECT_EQ(p.listRFPower->currentIndex(), -1);
    EXPECT_EQ(plan->gridFrequencies->rowCount(), 1);
    return;
  }
  sim::VirtualTransmitter* present = world->transmitter();
  if (present == nullptr || tainted) return;
  const SimTransmitterState& tx = present->state();
  const std::string serial(tx.serial.begin(), std::find(tx.serial.begin(), tx.serial.end(), 0));
  // Until the next tick the window may still show one that has just left.
  if (ui->valueSerial->text().toStdString() != serial) return;
  ++displayChecks_;
  EXPECT_EQ(ui->valueID->text().toStdString(), present->identityText());
  auto index = [](QComboBox* list, int value, const char* what) {
    if (list->isEnabled() && list->currentIndex() >= 0) {
      EXPECT_EQ(list->currentIndex(), value) << what;
    }
  };
  index(p.listRFPower, tx.rfPower, "RF power");
  index(p.listBatteryType, tx.batteryType, "battery type");
  index(p.listAudioFilter, tx.filter, "filter");
  index(p.listGroup, tx.curGroup, "tuned group");
  index(p.listChannel, tx.curChannel, "tuned channel");
  if (p.listLedMode->currentIndex() >= 0 && p.listLedMode->isEnabled()) {
    EXPECT_EQ(p.listLedMode->currentIndex(),
              tx.ledMode < p.listLedMode->count() ? tx.ledMode : 0) << "LED mode";
  }
  if (p.spinLedLight->isEnabled()) {
    EXPECT_EQ(p.spinLedLight->value(), tx.ledLight);
  }
  if (p.spinAudioGain->isEnabled() && !p.spinAudioGain->isHidden()) {
    EXPECT_EQ(p.spinAudioGain->value(), tx.gain);
  }
  if (!p.valueFrequency->text().isEmpty()) {
    EXPECT_EQ(p.valueFrequency->text().toStdString(), FormatMHz(tx.curFreqKHz));
  }
  EXPECT_EQ(ui->valueTuningChannels->text(), QString::number(tx.channelCount));
  // The grid shows the channels of the shown group as the transmitter holds them.
  const GroupView& shown = ui->frequencyPlan->shownGroup();
  QTableWidget* grid = plan->gridFrequencies;
  EXPECT_EQ(grid->rowCount(), tx.channelCount);
  if (shown.group >= 0 && !shown.isSync) {
    for (int r = 0; r < grid->rowCount(); ++r) {
      const QString text = grid->item(r, 1) ? grid->item(r, 1)->text() : QString();
      if (!text.isEmpty()) {
        EXPECT_EQ(text.toStdString(), FormatMHz(tx.table[shown.group][r].freqKHz)) << "row " << r;
      }
    }
  }
}

void WindowSessionTest::Run(uint32_t seed, int steps) {
  rng.seed(seed);
  log.str("");
  serials = 0;
  reads_ = writes_ = displayChecks_ = 0;
  presetEdits_.clear();
  Start("usbmsg:ZQL22X@129,groups=3,channels=5,serial=SN0");
  // Modal dialogs are answered as the step planned: the frequency dialog gets a whole
  // MHz or is cancelled, the configuration choice is taken or cancelled.
  QTimer answerer;
  answerer.setInterval(1);
  QObject::connect(&answerer, &QTimer::timeout, [this] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* f = qobject_cast<TformFrequency*>(modal)) {
      if (frequencyAnswer_ == 0) {
        f->form().btnCancel->click();
        return;
      }
      f->form().editFrequency->setText(QString::number(frequencyAnswer_));
      f->form().btnOK->click();
      if (f->isVisible()) f->form().btnCancel->click();  // refused: the user gives up
    } else if (auto* c = qobject_cast<TformConfiguration*>(modal)) {
      (configOk_ ? c->form().btnOK : c->form().btnCancel)->click();
    }
  });
  answerer.start();
  Connect();
  for (stepNo = 0; stepNo < steps && !HasFailure(); ++stepNo) {
    const auto before = Snapshot();
    const size_t logFrom = world->requestLog().size();
    const bool locked = window->state().editLocked;
    const TDeviceData& d = window->deviceData();
    const std::string shownBefore = ui->valueSerial->text().toStdString();
    Step();
    for (size_t i = logFrom; i < world->requestLog().size(); ++i)
      if (!world->requestLog()[i].answered && world->requestLog()[i].transmitterPresent) tainted = true;
    // A new full read starts clean.
    if (d.modelType != 0 && ui->valueSerial->text().toStdString() != shownBefore) {
      tainted = false;
      ++reads_;
      for (size_t i = logFrom; i < world->requestLog().size(); ++i)
        if (!world->requestLog()[i].answered && world->requestLog()[i].transmitterPresent) tainted = true;
      presetEdits_.clear();
    }
    CheckWrites(before, logFrom, locked);
    CheckDisplay();
  }
  if (HasFailure()) ADD_FAILURE() << "seed " << seed << ", steps:\n" << log.str();
  std::printf("seed %u: %d steps, %d transmitters read, %d writes, %d display checks\n", seed,
              stepNo, reads_, writes_, displayChecks_);
  if (std::getenv("ZENTRA_SESSION_LOG")) std::printf("%s", log.str().c_str());
}

std::vector<uint32_t> Seeds() {
  std::vector<uint32_t> seeds = {1, 2, 3, 4, 5, 6};
  if (const char* env = std::getenv("ZENTRA_SESSION_SEEDS")) {
    seeds.clear();
    std::stringstream list(env);
    for (std::string s; std::getline(list, s, ',');) seeds.push_back(std::stoul(s));
  }
  return seeds;
}

int Steps() {
  const char* env = std::getenv("ZENTRA_SESSION_STEPS");
  return env ? std::atoi(env) : 400;
}

TEST_F(WindowSessionTest, WritesOnlyWhatTheUserChangesAndShowsOnlyWhatTheTransmitterHolds) {
  for (uint32_t seed : Seeds()) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    Run(seed, Steps());
    if (HasFailure()) return;
    window.reset();
  }
}

}  // namespace
}  // namespace zentra
