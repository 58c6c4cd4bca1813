#include "word/package/BackgroundSaver.h"

#include <exception>
#include <new>
#include <system_error>
#include <utility>

#include "word/package/PackageErrors.h"

namespace plenwick::word::package {

BackgroundSaver::BackgroundSaver(std::unique_ptr<PackageWriter> writer)
    : writer_(std::move(writer)) {}

BackgroundSaver::~BackgroundSaver() {
  if (!worker_.joinable()) return;
  {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !job_; });
    quit_ = true;
  }
  changed_.notify_all();
  worker_.join();
}

bool BackgroundSaver::AddFixed(RawEntry entry) {
  {
    std::lock_guard lock(mutex_);
    if (job_) {
      if (!entry.data || entry.data->size() != entry.compressedSize) return false;
      held_.push_back(std::move(entry));
      return true;
    }
  }
  HandOver();
  return writer_->AddFixed(std::move(entry));
}

void BackgroundSaver::HandOver() {
  for (RawEntry& entry : held_) {
    const std::string name = entry.name;
    if (!writer_->AddFixed(std::move(entry)) && !clash_) {
      clash_ = MakeError(pkgc::kInvalidState, "part " + name + " given twice with other content");
    }
  }
  held_.clear();
}

void BackgroundSaver::Wait() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return !job_; });
  lock.unlock();
  HandOver();
}

Status BackgroundSaver::Save(const std::string& path, const std::vector<RawEntry>& changing,
                             SaveMode mode) {
  Wait();
  if (clash_) return *clash_;
  return writer_->Save(path, changing, mode);
}

void BackgroundSaver::Start(std::string path, std::vector<RawEntry> changing) {
  Wait();
  if (clash_) {
    outcome_ = *clash_;
    return;
  }
  if (!worker_.joinable()) {
    try {
      worker_ = std::thread([this] { Work(); });
    } catch (const std::system_error&) {
      // No thread to be had (the process is at its limit): the save is made now instead.
      outcome_ = writer_->Save(path, changing, SaveMode::kReplace);
      return;
    }
  }
  {
    std::lock_guard lock(mutex_);
    job_ = Job{std::move(path), std::move(changing)};
    outcome_.reset();
  }
  changed_.notify_all();
}

Status BackgroundSaver::Finish() {
  Wait();
  std::optional<Status> outcome = std::exchange(outcome_, std::nullopt);
  return outcome ? std::move(*outcome) : Ok();
}

void BackgroundSaver::Work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return quit_ || job_; });
    if (!job_) return;
    const Job& job = *job_;
    lock.unlock();
    // The fixed entries and the writer are this thread's alone until job_ is cleared.
    Status saved = Ok();
    try {
      saved = writer_->Save(job.path, job.changing, SaveMode::kReplace);
    } catch (const std::bad_alloc&) {
      saved = MakeError(pkgc::kWriteFailed, "could not save " + job.path + ": out of memory");
    } catch (const std::exception& failure) {
      saved = MakeError(pkgc::kWriteFailed, "could not save " + job.path + ": " + failure.what());
    }
    lock.lock();
    outcome_ = std::move(saved);
    // Letting go of the entries here tells their builders the bytes are theirs again.
    job_.reset();
    changed_.notify_all();
  }
}

}  // namespace plenwick::word::package
