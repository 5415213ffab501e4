// Bounded waits of the link. While a wait runs, the program's event hook keeps its
// timers and painting going: the window installs one that lets pending events run with
// user input held back; without a hook (zentra-cli, tests) a wait simply sleeps.
#pragma once

#include <chrono>
#include <functional>

namespace zentra {

using LinkClock = std::chrono::steady_clock;

// Lets the program's pending events run, waiting at most maxWait for more to arrive
// (zero: only what is pending). The window's hook keeps user input back and does
// nothing when called from another thread than its own.
using WaitEventHook = std::function<void(std::chrono::milliseconds maxWait)>;

// Installs the hook every later wait uses (empty: waits sleep); returns the one before.
WaitEventHook SetWaitEventHook(WaitEventHook hook);

// Waits until done() is true or the deadline passes; returns done() at the end.
// done is checked between event rounds (at least every few milliseconds).
bool WaitUntil(LinkClock::time_point deadline, const std::function<bool()>& done);

// The same, with a hint of when done() may next turn true (a simulated line knows when
// its next byte arrives): the wait then wakes at that moment instead of polling, so a
// byte-paced reply is read as promptly as the line delivers it. Events still run at
// least every 2 ms.
bool WaitUntil(LinkClock::time_point deadline, const std::function<bool()>& done,
               const std::function<LinkClock::time_point()>& nextChange);

// Waits for a port or handle: until ready(timeoutMs) is true or the deadline passes;
// returns ready's last answer. ready waits up to timeoutMs itself (poll, a wait on an
// event). Without an event hook it is asked once for the whole time left; with one it is
// asked with 0 between event rounds, so the window stays live.
bool WaitForReady(LinkClock::time_point deadline, const std::function<bool(int timeoutMs)>& ready);

// Waits ms milliseconds with events running as above.
void WaitMs(int ms);

// Lets pending events run once (user input excluded).
void PumpEvents();

}  // namespace zentra
