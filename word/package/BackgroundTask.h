// Runs tasks one at a time on a thread that lives as long as the object: a writer that commits
// each save's rename in the background would otherwise start a thread for every save, and on a
// busy machine a new thread waits for a processor before it does anything.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace plenwick::word::package {

class BackgroundTask {
 public:
  BackgroundTask() = default;
  ~BackgroundTask() {
    {
      std::lock_guard lock(mutex_);
      quit_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable()) worker_.join();
  }
  BackgroundTask(const BackgroundTask&) = delete;
  BackgroundTask& operator=(const BackgroundTask&) = delete;

  // Starts a task once the one under way is over.
  void Run(std::function<void()> task) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !task_; });
    task_ = std::move(task);
    if (!worker_.joinable()) worker_ = std::thread([this] { Work(); });
    changed_.notify_all();
  }
  // Waits until no task is under way.
  void Wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !task_; });
  }

 private:
  void Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return task_ || quit_; });
      if (!task_) return;
      lock.unlock();
      task_();
      lock.lock();
      task_ = nullptr;
      changed_.notify_all();
    }
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::function<void()> task_;  // set while a task waits or runs
  bool quit_ = false;
  std::thread worker_;
};

}  // namespace plenwick::word::package
