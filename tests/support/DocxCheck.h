// Runs the shared docx-check tool on a file. Tests that use it skip when ../shared is missing.
#pragma once

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <string>

namespace plenwick::test {

// The checker's path, or "" when this checkout has no ../shared beside it. Always "" in the
// Windows build: under wine a Linux program cannot be started, so the Windows program's output
// is checked from Linux instead (tests/wine/).
inline std::string DocxCheckTool() {
#ifdef _WIN32
  return "";
#endif
  const std::string tool = std::string(PLENWICK_SHARED_DIR) + "/tools/docx-check/docx-check";
  return std::filesystem::exists(tool) && std::filesystem::exists("/usr/bin/python3") ? tool : "";
}

inline std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

// The checker's exit status: 0 no errors, 1 errors, 2 unreadable. Its report goes to report.
inline int RunDocxCheck(const std::string& file, const std::string& report) {
  const std::string command = "/usr/bin/python3 " + ShellQuoted(DocxCheckTool()) +
                              " --errors-only " + ShellQuoted(file) + " > " + ShellQuoted(report) +
                              " 2>&1";
  const int status = std::system(command.c_str());
#ifdef _WIN32
  return status;
#else
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

}  // namespace plenwick::test
