// Plays a timer of the window: runs an action once, from inside a link wait, after a
// delay, through the wait's event hook (link/LinkWait.h), as the window's own timers
// run while a transaction waits. The hook is removed again when the object goes.
#pragma once

#include <functional>
#include <utility>

#include "link/LinkWait.h"

namespace zentra::testsupport {

class TimerInWait {
 public:
  TimerInWait(int delayMs, std::function<void()> action)
      : due_(LinkClock::now() + std::chrono::milliseconds(delayMs)), action_(std::move(action)) {
    previous_ = SetWaitEventHook([this](std::chrono::milliseconds) {
      if (action_ && LinkClock::now() >= due_) std::exchange(action_, nullptr)();
    });
  }
  ~TimerInWait() { SetWaitEventHook(std::move(previous_)); }
  TimerInWait(const TimerInWait&) = delete;
  TimerInWait& operator=(const TimerInWait&) = delete;

  bool fired() const { return !action_; }

 private:
  LinkClock::time_point due_;
  std::function<void()> action_;
  WaitEventHook previous_;
};

}  // namespace zentra::testsupport
