#include <windows.h>

#include "platform/SlimLock.h"

namespace plenwick::platform {
namespace {

static_assert(sizeof(SRWLOCK) == sizeof(void*) && sizeof(CONDITION_VARIABLE) == sizeof(void*));

PSRWLOCK Native(void*& lock) {
  return reinterpret_cast<PSRWLOCK>(&lock);
}

}  // namespace

void SlimLock::lock() {
  AcquireSRWLockExclusive(Native(lock_));
}

void SlimLock::unlock() {
  ReleaseSRWLockExclusive(Native(lock_));
}

void SlimCondition::wait(std::unique_lock<SlimLock>& lock) {
  // Only fails on a timeout, and there is none.
  (void)SleepConditionVariableSRW(reinterpret_cast<PCONDITION_VARIABLE>(&condition_),
                                  Native(lock.mutex()->lock_), INFINITE, 0);
}

void SlimCondition::notify_all() {
  WakeAllConditionVariable(reinterpret_cast<PCONDITION_VARIABLE>(&condition_));
}

}  // namespace plenwick::platform
