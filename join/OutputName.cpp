#include "join/OutputName.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "platform/Utf8Path.h"

namespace plenwick::join {
namespace {

// Far more than two runs in one second could ever need; the bound keeps a probe that always
// answers "taken" (a broken disk) from looping for ever.
constexpr int kMaxAttempts = 10000;

}  // namespace

bool PathTaken(const std::string& path) {
  std::error_code error;
  const auto status = std::filesystem::symlink_status(platform::PathFromUtf8(path), error);
  // A path that runs through a file names nothing; any other doubt counts as taken.
  if (error) {
    return error != std::errc::no_such_file_or_directory && error != std::errc::not_a_directory;
  }
  return status.type() != std::filesystem::file_type::not_found;
}

std::string OutputFileName(const std::string& timestamp, int attempt) {
  std::string name = "All-One-Doc " + timestamp;
  if (attempt > 1) name += " (" + std::to_string(attempt) + ")";
  return name + ".doc";
}

namespace {

// The number of the first free name from attempt `from` on, or 0 when there is none.
int FreeAttempt(const std::string& folder, const std::string& timestamp, const PathProbe& taken,
                int from) {
  for (int attempt = std::max(from, 1); attempt <= kMaxAttempts; ++attempt) {
    if (!taken || !taken(folder + OutputFileName(timestamp, attempt))) return attempt;
  }
  return 0;
}

Error AllTaken(const std::string& folder, const std::string& timestamp) {
  return MakeError(errc::kKeyExists, "every output name for " + folder + OutputFileName(timestamp) +
                                         " up to (" + std::to_string(kMaxAttempts) + ") is taken");
}

}  // namespace

Result<std::string> ChooseOutputName(const std::string& folder, const std::string& timestamp,
                                     const PathProbe& taken, int from) {
  if (const int attempt = FreeAttempt(folder, timestamp, taken, from); attempt > 0) {
    return OutputFileName(timestamp, attempt);
  }
  return AllTaken(folder, timestamp);
}

void OutputFile::Choose(int from) {
  attempt_ = FreeAttempt(folder_, timestamp_, taken_, from);
  if (attempt_ > 0) {
    name_ = OutputFileName(timestamp_, attempt_);
  } else {
    name_ = AllTaken(folder_, timestamp_);
  }
}

OutputFile OutputFile::Timestamped(std::string folder, std::string timestamp, PathProbe taken) {
  OutputFile output;
  output.folder_ = std::move(folder);
  output.timestamp_ = std::move(timestamp);
  output.taken_ = std::move(taken);
  output.Choose(1);
  return output;
}

OutputFile OutputFile::Fixed(std::string path) {
  OutputFile output;
  output.name_ = std::move(path);
  output.fixed_ = true;
  return output;
}

Result<std::string> OutputFile::PathForSave() {
  if (!fixed_ && !saved_ && name_.ok() && taken_ && taken_(folder_ + *name_)) Choose(1);
  if (!name_) return name_.error();
  return folder_ + *name_;
}

Result<std::string> OutputFile::NameTaken() {
  if (fixed_ || saved_) return MakeError(errc::kKeyExists, Path() + " is taken");
  if (name_.ok()) Choose(attempt_ + 1);
  if (!name_) return name_.error();
  return folder_ + *name_;
}

std::string OutputFile::Path() const {
  return name_.ok() ? folder_ + *name_ : std::string();
}

}  // namespace plenwick::join
