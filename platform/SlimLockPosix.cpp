#include "platform/SlimLock.h"

namespace plenwick::platform {

void SlimLock::lock() {
  mutex_.lock();
}

void SlimLock::unlock() {
  mutex_.unlock();
}

void SlimCondition::wait(std::unique_lock<SlimLock>& lock) {
  // The caller's lock holds the mutex; the condition waits on it as its own for a moment.
  std::unique_lock<std::mutex> held(lock.mutex()->mutex_, std::adopt_lock);
  condition_.wait(held);
  held.release();
}

void SlimCondition::notify_all() {
  condition_.notify_all();
}

}  // namespace plenwick::platform
