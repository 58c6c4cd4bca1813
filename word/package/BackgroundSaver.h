// Saves a package while its caller goes on: a join prepares the next document while the last
// save writes, flushes to the disk and renames. A save after every document then costs little
// more than the joining itself, where it had cost as much again.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/Result.h"
#include "platform/SlimLock.h"
#include "word/package/Zip.h"

namespace plenwick::word::package {

// Runs a PackageWriter's saves on a thread of its own, one at a time. Every call waits for the
// save under way first, except AddFixed: a save under way reads the fixed entries, so those
// added meanwhile are held back and handed to the writer once it is free.
class BackgroundSaver {
 public:
  explicit BackgroundSaver(std::unique_ptr<PackageWriter> writer);
  ~BackgroundSaver();  // waits for the save under way
  BackgroundSaver(const BackgroundSaver&) = delete;
  BackgroundSaver& operator=(const BackgroundSaver&) = delete;

  // As PackageWriter::AddFixed. An entry held back is checked against the earlier ones when it
  // is handed over; one that clashes then fails the next save.
  bool AddFixed(RawEntry entry);
  // Saves now, once the save under way is over (whose outcome Finish still gives).
  Status Save(const std::string& path, const std::vector<RawEntry>& changing, SaveMode mode);
  // Starts a save and returns at once. A save still under way is waited for first, and its
  // outcome replaced: call Finish before to learn it.
  void Start(std::string path, std::vector<RawEntry> changing);
  // Waits for the save started last and gives its outcome; Ok() when none was started since the
  // last Finish.
  Status Finish();
  // Waits until no save is under way, the outcome staying for Finish.
  void Wait();

 private:
  void Work();
  void HandOver();  // the worker is idle: held entries go to the writer

  std::unique_ptr<PackageWriter> writer_;
  std::vector<RawEntry> held_;
  std::optional<Error> clash_;  // a held entry another entry's name had already taken

  struct Job {
    std::string path;
    std::vector<RawEntry> changing;
  };
  // Taken and waited on once or twice for every document: slim, for a Windows build's sake.
  platform::SlimLock mutex_;
  platform::SlimCondition changed_;
  std::optional<Job> job_;  // queued or being saved
  bool quit_ = false;
  std::optional<Status> outcome_;  // of the last started save, until Finish
  std::thread worker_;             // started with the first save in the background
};

}  // namespace plenwick::word::package
