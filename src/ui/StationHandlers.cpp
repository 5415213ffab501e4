#include "ui/StationHandlers.h"

#include <QAction>

#include "device/Presence.h"
#include "device/TDeviceData.h"
#include "link/IrLink.h"
#include "ui/TformMain.h"
#include "ui/TformStation.h"
#include "ui/UserMessages.h"
#include "ui/WindowState.h"

namespace zentra {

StationHandlers::StationHandlers(TformMain& window, QAction* item, QObject* parent)
    : QObject(parent), window_(window) {
  setObjectName("stationHandlers");
  runDialog = [](TformStation& dialog) { dialog.exec(); };
  connect(item, &QAction::triggered, this, [this] { RunGuarded([this] { mnuStationClick(); }); });
}

void StationHandlers::StepAside() {
  window_.deviceData().ResetDeviceData();
  window_.presets().Clear();
  window_.ResetDisplay();
  const char* picture = InterfacePicture(window_.link().interfaceKind);
  window_.ShowPicture(*picture ? QString::fromLatin1(picture) : QStringLiteral("PICTURE_LOGO"));
}

void StationHandlers::mnuStationClick() {
  WindowState& state = window_.state();
  if (state.busy) return;
  if (!window_.link().IsOpen()) {
    ShowUserMessage(&window_, "WARNING", "Connect an IR interface first!", QMessageBox::Warning);
    return;
  }
  // The poll steps aside while busy is set; what the panels showed belongs to the
  // transmitter the station is about to take over.
  state.busy = true;
  StepAside();
  {
    TformStation dialog(state, &window_);
    runDialog(dialog);
  }
  StepAside();
  state.busy = false;
}

}  // namespace zentra
