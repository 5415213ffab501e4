#include "ui/WindowState.h"

#include <QApplication>

namespace zentra {

WindowState::WindowState(IrLink& link_, TDeviceData& device_, CommandSet& commands_,
                         PresetStore& presets_, QWidget* window_)
    : link(link_), device(device_), commands(commands_), presets(presets_), window(window_),
      beep([] { QApplication::beep(); }) {}

bool WindowState::AcceptUserChange(const std::function<void()>& putBack) {
  if (updating) return false;
  if (!editLocked) return true;
  if (beep) beep();
  updating = true;
  if (putBack) putBack();
  updating = false;
  return false;
}

}  // namespace zentra
