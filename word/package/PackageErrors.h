// The reasons the package layer gives, with the error numbers the Word layer reports them under.
// Internal to the package layer.
#pragma once

#include <cstdint>
#include <string>

#include "base/Result.h"
#include "word/WordApi.h"

namespace plenwick::word::package {

// The reasons carry the Word layer's numbers, so the engine can pass them on as they are.
namespace pkgc = word::wordc;

inline Error Damaged(const std::string& what) {
  return MakeError(pkgc::kDamaged, "damaged: " + what);
}
inline Error TooLarge(const std::string& what) {
  return MakeError(pkgc::kTooLarge, "too large: " + what);
}
inline Error Unsupported(const std::string& what) {
  return MakeError(pkgc::kUnsupported, what);
}
inline Error NotWordDocument() {
  return MakeError(pkgc::kNotWordDocument, "not a Word document");
}
inline Error PasswordProtected() {
  return MakeError(pkgc::kPasswordProtected, "password-protected");
}

// A byte count as people read it: "512 MB", "30 KB", "17 bytes".
std::string HumanSize(std::uint64_t bytes);

}  // namespace plenwick::word::package
