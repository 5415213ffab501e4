#include "ui/WindowWaitHook.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

#include "link/LinkWait.h"

namespace zentra {

void InstallWindowWaitHook() {
  SetWaitEventHook([](std::chrono::milliseconds maxWait) {
    // A wait on another thread (a worker's) has no window events to run.
    auto* app = QCoreApplication::instance();
    if (app == nullptr || app->thread() != QThread::currentThread()) return;
    if (maxWait.count() <= 0) {
      QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    } else {
      QCoreApplication::processEvents(
          QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents,
          static_cast<int>(maxWait.count()));
    }
  });
}

}  // namespace zentra
