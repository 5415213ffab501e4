#include "link/LinkWait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <algorithm>
#include <thread>

namespace zentra {

namespace {
bool HaveEventLoop() {
  auto* app = QCoreApplication::instance();
  return app != nullptr && app->thread() == QThread::currentThread();
}
}  // namespace

void PumpEvents() {
  if (HaveEventLoop()) QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool WaitUntil(LinkClock::time_point deadline, const std::function<bool()>& done) {
  while (!done()) {
    const auto now = LinkClock::now();
    if (now >= deadline) return done();
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
    const int slice = static_cast<int>(std::min<long long>(left.count() + 1, 2));
    if (HaveEventLoop()) {
      QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                      QEventLoop::WaitForMoreEvents, slice);
      // processEvents may return at once; do not spin the CPU.
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(slice));
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
    if (HaveEventLoop()) QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    now = LinkClock::now();
    if (wake - now > kSpin) std::this_thread::sleep_until(wake - kSpin);
    while (LinkClock::now() < wake) std::this_thread::yield();
  }
  return true;
}

void WaitMs(int ms) {
  const auto deadline = LinkClock::now() + std::chrono::milliseconds(ms);
  WaitUntil(deadline, [] { return false; });
}

}  // namespace zentra
