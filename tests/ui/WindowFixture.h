// The real main window over a simulated world, for the window tests: build it from a
// SPEC, connect, let the transmitter arrive (one poll tick: identification and the full
// read), switch the edit lock off, and look at what was sent. Messages are recorded
// instead of shown and beeps are counted, so nothing blocks a test run.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QTimer>
#include <functional>

#include "device/Settings.h"
#include "sim/SimWorld.h"
#include "ui/TformMain.h"
#include "ui/TformMainForm.h"
#include "ui/UserActions.h"
#include "ui/UserMessages.h"

namespace zentra {

class WindowFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    previousShower_ =
        SetMessageShower([this](QWidget*, const UserMessage& m) { messages.push_back(m); });
  }
  void TearDown() override {
    window.reset();
    SetMessageShower(previousShower_);
  }

  // Builds the window over the world of a SPEC (an empty SPEC: no interfaces at all).
  void Start(const std::string& spec, bool watcherStarts = true) {
    if (spec.empty()) {
      world = sim::SimWorld::FromSpec(sim::SimSpec{});
    } else {
      std::string error;
      world = sim::SimWorld::FromSpec(spec, error);
      ASSERT_TRUE(world) << error;
    }
    world->usbReadTimeoutMs = 0;
    world->usbWriteTimeoutMs = 0;
    auto manual = std::make_unique<ManualDeviceWatcher>();
    manual->startSucceeds = watcherStarts;
    watcher = manual.get();
    window = std::make_unique<TformMain>(world->platform(), std::move(manual));
    // Ticks are driven by the test; the timer itself must not fire in between.
    window->timerPing().setInterval(3600 * 1000);
    window->state().beep = [this] { ++beeps; };
    ui = &window->form();
    panels = &ui->settingsPanels->form();
    plan = &ui->frequencyPlan->form();
    presetPanel = &ui->presetPanel->form();
    activePreset = &ui->activePreset->form();
    service = &ui->service->form();
  }

  void Connect() {
    ui->btnConnection->click();
    ASSERT_TRUE(window->link().IsOpen());
  }

  // Builds, connects and runs the poll tick that finds the transmitter and reads it.
  // The edit lock is left as the full read sets it (on) unless unlock is true.
  void Arrive(const std::string& spec, bool unlock = true) {
    Start(spec);
    Connect();
    window->timerPingTimer();
    ASSERT_NE(window->deviceData().modelType, 0) << "no transmitter was identified";
    if (unlock && window->state().editLocked) window->panelLockDblClick();
    messages.clear();
    world->ClearRequestLog();
  }

  // The test changed the transmitter's settings behind the window's back: read them
  // into the window as an operation that re-reads them (a preset activation) would.
  void Reread() {
    ReloadPanels(window->link(), window->deviceData());
    window->ShowViewsFromData();
  }

  // Runs `open`, which shows a modal dialog, and `answer` on that dialog once it is up
  // (from inside its modal loop, which would otherwise block the test).
  template <typename Dialog>
  static void WhenModal(const std::function<void()>& open,
                        const std::function<void(Dialog&)>& answer) {
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      poll.stop();
      answer(*dialog);
    });
    poll.start();
    open();
  }

  size_t Requests() const { return world->requestLog().size(); }
  // The command codes (second byte) of the requests sent since the log was cleared.
  std::vector<uint8_t> CommandsSent() const {
    std::vector<uint8_t> codes;
    for (const sim::LoggedRequest& r : world->requestLog()) {
      if (r.request.size() >= 2) codes.push_back(r.request[1]);
    }
    return codes;
  }

  std::vector<UserMessage> messages;
  int beeps = 0;
  std::shared_ptr<sim::SimWorld> world;
  ManualDeviceWatcher* watcher = nullptr;
  std::unique_ptr<TformMain> window;
  Ui::TformMain* ui = nullptr;
  Ui::SettingsPanelsView* panels = nullptr;
  Ui::FrequencyPlanView* plan = nullptr;
  Ui::PresetPanelView* presetPanel = nullptr;
  Ui::ActivePresetView* activePreset = nullptr;
  Ui::ServiceView* service = nullptr;

 private:
  MessageShower previousShower_;
};

}  // namespace zentra
