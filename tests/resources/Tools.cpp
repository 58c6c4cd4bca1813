#include "Tools.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

namespace plenwick::restest {

namespace fs = std::filesystem;

std::optional<fs::path> FindTool(const std::vector<std::string>& names) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return std::nullopt;
  for (const std::string& name : names) {
    std::stringstream dirs(path);
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
      if (dir.empty()) continue;
      const fs::path candidate = fs::path(dir) / name;
      std::error_code ec;
      if (fs::is_regular_file(candidate, ec)) return candidate;
    }
  }
  return std::nullopt;
}

namespace {

std::string Quote(const std::string& arg) {
  std::string quoted = "'";
  for (char c : arg) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

}  // namespace

RunResult RunTool(const std::vector<std::string>& args, const fs::path& workDir) {
  const fs::path log = workDir / "run.log";
  std::string command = "cd " + Quote(workDir.string()) + " &&";
  for (const std::string& arg : args) command += " " + Quote(arg);
  command += " >" + Quote(log.string()) + " 2>&1";
  const int status = std::system(command.c_str());
  RunResult result;
  result.exitCode = (status != -1 && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
  const auto bytes = ReadAll(log);
  result.output.assign(bytes.begin(), bytes.end());
  return result;
}

ScratchDir::ScratchDir() {
  std::string pattern = (fs::temp_directory_path() / "plenwick-res-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::system_error(errno, std::generic_category());
  path_ = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::vector<unsigned char> ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace plenwick::restest
