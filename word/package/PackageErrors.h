// The reasons the package layer gives, with the error numbers the Word layer reports them under.
// Internal to the package layer.
#pragma once

#include <cstdint>
#include <string>

#include "base/Result.h"

namespace plenwick::word::package {

// The Word layer's reason numbers (wordc in word/WordApi.h), repeated here so the package layer
// builds on its own.
namespace pkgc {
inline constexpr int kNotWordDocument = 1001;
inline constexpr int kPasswordProtected = 1002;
inline constexpr int kDamaged = 1003;
inline constexpr int kUnsupported = 1004;
inline constexpr int kReadFailed = 1005;
inline constexpr int kWriteFailed = 1006;
inline constexpr int kTooLarge = 1007;
inline constexpr int kInvalidState = 1010;
}  // namespace pkgc

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
