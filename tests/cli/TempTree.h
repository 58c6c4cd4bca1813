// A temporary folder for one test, removed with everything in it when the test ends.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/TestPaths.h"

namespace plenwick::test {

class TempTree {
 public:
  TempTree() : root_(MakeTempFolder("plenwick-cli-")) {}
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;
  ~TempTree() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  // root/relative ("/"-written), with its folders made; the file holds text.
  std::string Write(const std::string& relative, const std::string& text = "x") const {
    const std::filesystem::path path = Native(relative);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
    return Utf8(path);
  }
  std::string Folder(const std::string& relative) const {
    const std::filesystem::path path = Native(relative);
    std::filesystem::create_directories(path);
    return Utf8(path);
  }
  std::string Path(const std::string& relative = "") const {
    return relative.empty() ? Utf8(root_) : Utf8(Native(relative));
  }

 private:
  std::filesystem::path Native(const std::string& relative) const {
    return root_ / platform::PathFromUtf8(NativeSeparators(relative));
  }

  std::filesystem::path root_;
};

}  // namespace plenwick::test
