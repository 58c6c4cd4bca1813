#include "word/package/Sniff.h"

#include <algorithm>
#include <string>

namespace plenwick::word::package {
namespace {

constexpr std::string_view kOleMagic{"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8};

// Stream names in a compound file's directory are UTF-16LE.
std::string Utf16Le(std::string_view ascii) {
  std::string out;
  for (char c : ascii) {
    out.push_back(c);
    out.push_back('\0');
  }
  return out;
}

}  // namespace

Container Sniff(std::string_view bytes) {
  if (bytes.empty()) return Container::kEmpty;
  if (bytes.starts_with(kOleMagic)) {
    // Office keeps an encrypted OOXML package in a compound file with an "EncryptedPackage"
    // stream beside "EncryptionInfo"; finding the name in the directory is enough to tell.
    static const std::string encrypted = Utf16Le("EncryptedPackage");
    return bytes.find(encrypted) != std::string_view::npos ? Container::kEncryptedOle
                                                           : Container::kOle;
  }
  if (bytes.starts_with("{\\rtf")) return Container::kRtf;
  // A ZIP starts with a local header, or is an empty archive (only the end record).
  if (bytes.starts_with("PK\x03\x04") || bytes.starts_with("PK\x05\x06")) return Container::kZip;
  return Container::kUnknown;
}

}  // namespace plenwick::word::package
