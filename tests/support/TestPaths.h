// Paths for tests that run on Linux and on Windows (under wine64): a private temporary folder,
// UTF-8 text for paths, and "/"-written relative paths turned into the platform's own.
#pragma once

#include <stdlib.h>  // setenv, _putenv_s

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/PrivateFolder.h"
#include "platform/Utf8Path.h"
#include "tests/support/NativeSeparators.h"

namespace plenwick::test {

inline std::string Utf8(const std::filesystem::path& path) {
  return platform::Utf8FromPath(path);
}

// A fresh folder of the test's own under the system's temporary folder; the name starts with
// prefix. Throws when none can be made (the test then fails with that message).
inline std::filesystem::path MakeTempFolder(const std::string& prefix) {
  const std::string made = platform::MakePrivateTempFolder(prefix);
  if (made.empty()) throw std::runtime_error("cannot make a temporary folder");
  return platform::PathFromUtf8(made);
}

// Sets an environment variable (nothing: removes it).
inline void SetEnvironment(const std::string& name, const std::optional<std::string>& value) {
#ifdef _WIN32
  _putenv_s(name.c_str(), value ? value->c_str() : "");
#else
  if (value) {
    setenv(name.c_str(), value->c_str(), 1);
  } else {
    unsetenv(name.c_str());
  }
#endif
}

// Points the system's temporary folder (TMPDIR; TMP and TEMP on Windows) at folder until the
// end of the scope.
class ScopedTemporaryFolder {
 public:
  explicit ScopedTemporaryFolder(const std::filesystem::path& folder) {
#ifdef _WIN32
    names_ = {"TMP", "TEMP"};
#else
    names_ = {"TMPDIR"};
#endif
    for (const std::string& name : names_) {
      const char* old = std::getenv(name.c_str());
      saved_.push_back(old != nullptr ? std::optional<std::string>(old) : std::nullopt);
      SetEnvironment(name, Utf8(folder));
    }
  }
  ScopedTemporaryFolder(const ScopedTemporaryFolder&) = delete;
  ScopedTemporaryFolder& operator=(const ScopedTemporaryFolder&) = delete;
  ~ScopedTemporaryFolder() {
    for (std::size_t i = 0; i < names_.size(); ++i) SetEnvironment(names_[i], saved_[i]);
  }

 private:
  std::vector<std::string> names_;
  std::vector<std::optional<std::string>> saved_;
};

}  // namespace plenwick::test
