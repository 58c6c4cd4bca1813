#include "platform/PrivateFolder.h"

#include <stdlib.h>  // mkdtemp

#include <filesystem>
#include <random>
#include <system_error>

#include "platform/Utf8Path.h"

namespace plenwick::platform {

std::string MakePrivateTempFolder(const std::string& prefix) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path base = fs::temp_directory_path(ec);
#ifdef _WIN32
  if (ec) return {};
  std::random_device seed;
  std::mt19937 pick(seed());
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::uniform_int_distribution<std::size_t> letter(0, sizeof kLetters - 2);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = prefix;
    for (int i = 0; i < 6; ++i) name.push_back(kLetters[letter(pick)]);
    const fs::path folder = base / PathFromUtf8(name);
    // create_directory reports false, not an error, when the name is taken: try another.
    if (fs::create_directory(folder, ec)) return Utf8FromPath(folder);
    if (ec) return {};
  }
  return {};
#else
  if (ec) base = "/tmp";
  std::string pattern = (base / (prefix + "XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
#endif
}

}  // namespace plenwick::platform
