#include "LegacyTestSupport.h"

#include <signal.h>
#include <stdlib.h>
#include <zip.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/support/TestPaths.h"

#if PLENWICK_HAS_LIBREOFFICE_CONVERTER
#include "word/legacy/LibreOfficeConverter.h"
#endif

namespace plenwick::word::legacy::testing {

TempDir::TempDir() : path_(plenwick::test::MakeTempFolder("plenwick-legacy-test-")) {}

TempDir::~TempDir() {
  std::error_code ec;
  if (!path_.empty()) std::filesystem::remove_all(path_, ec);
}

std::filesystem::path TempDir::Write(const std::string& name, const std::string& content) const {
  const auto p = path_ / name;
  std::ofstream(p, std::ios::binary) << content;
  return p;
}

std::string ReadZipEntry(const std::filesystem::path& zipPath, const std::string& entry) {
  int err = 0;
  zip_t* z = zip_open(plenwick::test::Utf8(zipPath).c_str(), ZIP_RDONLY, &err);
  if (z == nullptr) return {};
  std::string out;
  zip_stat_t st;
  if (zip_stat(z, entry.c_str(), 0, &st) == 0) {
    if (zip_file_t* f = zip_fopen(z, entry.c_str(), 0)) {
      out.resize(static_cast<std::size_t>(st.size));
      const zip_int64_t n = zip_fread(f, out.data(), st.size);
      out.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
      zip_fclose(f);
    }
  }
  zip_close(z);
  return out;
}

bool ProcessEnds(pid_t pid) {
  if (pid <= 0) return true;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < deadline) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    if (!stat) return true;
    std::string all((std::istreambuf_iterator<char>(stat)), {});
    const auto close = all.rfind(')');
    if (close != std::string::npos && close + 2 < all.size() && all[close + 2] == 'Z') return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

bool ConverterAvailable(std::string& why) {
#if PLENWICK_HAS_LIBREOFFICE_CONVERTER
  if (DefaultOfficeProgram().empty()) {
    why = "LibreOffice is not installed (libreoffice-writer-nogui)";
    return false;
  }
  if (DefaultHelperProgram().empty()) {
    why = "the converter helper was not built";
    return false;
  }
  return true;
#elif defined(_WIN32)
  why = "the Windows build converts older files through Word (tests/automation), not LibreOffice";
  return false;
#else
  why = "this build has no LibreOffice converter (libreoffice-dev was missing)";
  return false;
#endif
}

}  // namespace plenwick::word::legacy::testing
