// Bounded waits of the link. While a wait runs, timers fire and windows repaint, but
// user input is held back: the wait runs a local event loop that excludes user input
// when a Qt application object exists on this thread, and sleeps otherwise.
#pragma once

#include <chrono>
#include <functional>

namespace zentra {

using LinkClock = std::chrono::steady_clock;

// Waits until done() is true or the deadline passes; returns done() at the end.
// done is checked between event-loop rounds (at least every few milliseconds).
bool WaitUntil(LinkClock::time_point deadline, const std::function<bool()>& done);

// The same, with a hint of when done() may next turn true (a simulated line knows when
// its next byte arrives): the wait then wakes at that moment instead of polling, so a
// byte-paced reply is read as promptly as the line delivers it. Events still run at
// least every 2 ms.
bool WaitUntil(LinkClock::time_point deadline, const std::function<bool()>& done,
               const std::function<LinkClock::time_point()>& nextChange);

// Waits ms milliseconds with events running as above.
void WaitMs(int ms);

// Lets pending events run once (user input excluded).
void PumpEvents();

}  // namespace zentra
