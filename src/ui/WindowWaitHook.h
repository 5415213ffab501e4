// The window's part in the link's waits: while a transaction waits for its reply, the
// window keeps painting and its timers keep running, but user input is held back, so
// no handler can start a second transaction inside the first.
#pragma once

namespace zentra {

// Installs the event hook of link/LinkWait.h for the application's GUI thread. Call once
// the application object exists.
void InstallWindowWaitHook();

}  // namespace zentra
