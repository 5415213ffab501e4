// The hook that long command sequences call between commands, so the window keeps
// painting, timers keep running and a progress dialog's Close button can act. The window
// passes PumpEvents (link/LinkWait.h); the command line passes nothing.
#pragma once

#include <functional>

namespace zentra {

using PumpHook = std::function<void()>;

inline void RunPump(const PumpHook& pump) {
  if (pump) pump();
}

}  // namespace zentra
