#include "link/LinkWait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
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

void WaitMs(int ms) {
  const auto deadline = LinkClock::now() + std::chrono::milliseconds(ms);
  WaitUntil(deadline, [] { return false; });
}

}  // namespace zentra
