#include "link/LinkWait.h"

#include <algorithm>
#include <thread>
#include <utility>

namespace zentra {

namespace {
WaitEventHook& Hook() {
  static WaitEventHook hook;
  return hook;
}

// Runs the hook for at most maxWait; false when there is none.
bool RunHook(std::chrono::milliseconds maxWait) {
  const WaitEventHook& hook = Hook();
  if (!hook) return false;
  hook(maxWait);
  return true;
}
}  // namespace

WaitEventHook SetWaitEventHook(WaitEventHook hook) { return std::exchange(Hook(), std::move(hook)); }

void PumpEvents() { RunHook(std::chrono::milliseconds(0)); }

bool WaitUntil(LinkClock::time_point deadline, const std::function<bool()>& done) {
  while (!done()) {
    const auto now = LinkClock::now();
    if (now >= deadline) return done();
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
    const auto slice = std::chrono::milliseconds(std::min<long long>(left.count() + 1, 2));
    if (RunHook(slice)) {
      // The hook may return at once; do not spin the CPU.
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    } else {
      std::this_thread::sleep_for(slice);
    }
  }
  return true;
}

bool WaitUntil(LinkClock::time_point deadline, const std::function<bool()>& done,
               const std::function<LinkClock::time_point()>& nextChange) {
  if (!nextChange) return WaitUntil(deadline, done);
  using std::chrono::microseconds;
  using std::chrono::milliseconds;
  // A thread sleep overshoots by tens of microseconds; the last stretch before the
  // expected change is spun instead.
  constexpr auto kSpin = microseconds(120);
  while (!done()) {
    auto now = LinkClock::now();
    if (now >= deadline) return done();
    const auto wake = std::min({deadline, nextChange(), now + milliseconds(2)});
    RunHook(milliseconds(0));
    now = LinkClock::now();
    if (wake - now > kSpin) std::this_thread::sleep_until(wake - kSpin);
    while (LinkClock::now() < wake) std::this_thread::yield();
  }
  return true;
}

bool WaitForReady(LinkClock::time_point deadline, const std::function<bool(int timeoutMs)>& ready) {
  if (Hook()) return WaitUntil(deadline, [&] { return ready(0); });
  for (;;) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - LinkClock::now()).count();
    if (ready(static_cast<int>(std::max<long long>(left, 0)))) return true;
    // A wait cut short (a signal) goes on for the rest of the time.
    if (left <= 0 || LinkClock::now() >= deadline) return false;
  }
}

void WaitMs(int ms) {
  const auto deadline = LinkClock::now() + std::chrono::milliseconds(ms);
  WaitUntil(deadline, [] { return false; });
}

}  // namespace zentra
