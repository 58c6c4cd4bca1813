// Finding and running the command-line tools the resource checks rely on.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace plenwick::restest {

// The first of `names` found on PATH.
std::optional<std::filesystem::path> FindTool(const std::vector<std::string>& names);

struct RunResult {
  int exitCode = -1;
  std::string output;  // stdout and stderr together
};

// Runs `args` (no shell parsing: every argument is quoted) and collects what it prints.
RunResult RunTool(const std::vector<std::string>& args, const std::filesystem::path& workDir);

// A fresh directory under the system's temporary folder, removed with the object.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

std::vector<unsigned char> ReadAll(const std::filesystem::path& file);

}  // namespace plenwick::restest
