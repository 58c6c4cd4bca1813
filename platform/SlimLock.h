// A lock and a condition to wait on under it, for the hand-offs two threads make for every
// document joined. Windows builds get the standard ones from a threads library whose waits and
// wakes are kernel objects: under wine each is a round trip to the wine server, several for every
// document. Windows' own slim locks and condition variables wait inside the process, as
// std::mutex and std::condition_variable do on Linux, which is what they are elsewhere.
#pragma once

#include <mutex>

#ifndef _WIN32
#include <condition_variable>
#endif

namespace plenwick::platform {

class SlimLock {
 public:
  SlimLock() = default;
  SlimLock(const SlimLock&) = delete;
  SlimLock& operator=(const SlimLock&) = delete;
  void lock();
  void unlock();

 private:
  friend class SlimCondition;
#ifdef _WIN32
  void* lock_ = nullptr;  // an SRWLOCK, which starts as zero
#else
  std::mutex mutex_;
#endif
};

class SlimCondition {
 public:
  SlimCondition() = default;
  SlimCondition(const SlimCondition&) = delete;
  SlimCondition& operator=(const SlimCondition&) = delete;

  // Waits, the lock let go meanwhile, until notified (or woken for no reason).
  void wait(std::unique_lock<SlimLock>& lock);
  template <typename Done>
  void wait(std::unique_lock<SlimLock>& lock, Done done) {
    while (!done()) wait(lock);
  }
  void notify_all();

 private:
#ifdef _WIN32
  void* condition_ = nullptr;  // a CONDITION_VARIABLE, which starts as zero
#else
  std::condition_variable condition_;
#endif
};

}  // namespace plenwick::platform
