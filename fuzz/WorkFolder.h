// A private scratch folder for one fuzzer process, in memory where the system offers it, and the
// reading back of what a target saved there. Shared by the targets that need files: the engine
// and the legacy repairs take paths, not buffers.
#pragma once

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <string_view>

#include "word/package/Zip.h"

namespace plenwick::fuzz {

class WorkFolder {
 public:
  WorkFolder() {
    const char* base = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string templ = std::string(base) + "/plenwick-fuzz-XXXXXX";
    if (!::mkdtemp(templ.data())) std::abort();
    path_ = templ;
  }
  ~WorkFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The folder of this process, made on first use and removed when the fuzzer exits.
inline const std::string& WorkDir() {
  static const WorkFolder folder;
  return folder.path();
}

inline void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) std::abort();  // the scratch folder itself failed: not a finding
}

// Every entry of a package this program saved, inflated. A saved package that the reader refuses,
// in whole or in any part, is a finding.
inline std::map<std::string, std::string> Contents(const std::string& path) {
  Result<word::package::ZipReader> zip = word::package::ZipReader::Open(path);
  if (!zip) {
    std::fprintf(stderr, "saved package unreadable: %s\n", zip.error().message.c_str());
    __builtin_trap();
  }
  std::map<std::string, std::string> parts;
  for (const std::string& name : zip->Names()) {
    Result<std::string> bytes = zip->Read(name);
    if (!bytes) {
      std::fprintf(stderr, "saved part %s unreadable: %s\n", name.c_str(),
                   bytes.error().message.c_str());
      __builtin_trap();
    }
    parts[name] = std::move(*bytes);
  }
  return parts;
}

}  // namespace plenwick::fuzz
