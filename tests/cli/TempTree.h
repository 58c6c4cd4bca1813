// A temporary folder for one test, removed with everything in it when the test ends.
#pragma once

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>

namespace plenwick::test {

class TempTree {
 public:
  TempTree() {
    static std::atomic<int> counter{0};
    root_ = std::filesystem::temp_directory_path() /
            ("plenwick-cli-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
  }
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;
  ~TempTree() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  // root/relative, with its folders made; the file holds text.
  std::string Write(const std::string& relative, const std::string& text = "x") const {
    const std::filesystem::path path = root_ / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
  }
  std::string Folder(const std::string& relative) const {
    const std::filesystem::path path = root_ / relative;
    std::filesystem::create_directories(path);
    return path.string();
  }
  std::string Path(const std::string& relative = "") const {
    return relative.empty() ? root_.string() : (root_ / relative).string();
  }

 private:
  std::filesystem::path root_;
};

}  // namespace plenwick::test
