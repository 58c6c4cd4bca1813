// What the converter tests share: a temporary folder, a look inside a produced .docx, and
// checks that processes are really gone.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace plenwick::word::legacy::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path Write(const std::string& name, const std::string& content) const;

 private:
  std::filesystem::path path_;
};

// The text of an entry of a ZIP package ("" when missing or unreadable).
std::string ReadZipEntry(const std::filesystem::path& zip, const std::string& entry);

// True once the process has ended (gone, or a zombie nobody reaped yet), waiting up to 5 s.
bool ProcessEnds(pid_t pid);

// Whether this build can convert at all, and why not.
bool ConverterAvailable(std::string& why);

}  // namespace plenwick::word::legacy::testing
