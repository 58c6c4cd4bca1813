#include "word/legacy/RtfRepair.h"

#include <cctype>
#include <cstdint>
#include <fstream>
#include <iterator>

#include "platform/Utf8Path.h"
#include "word/legacy/LegacyErrors.h"

namespace plenwick::word::legacy {
namespace {

bool IsLetter(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) != 0;
}
bool IsDigit(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

}  // namespace

std::string DropUncountedBin(std::string_view rtf) {
  std::string out;
  out.reserve(rtf.size());
  std::size_t i = 0;
  // Whether out ends with a control word that a following \bin delimits: once the \bin is
  // dropped, the text after it would run into that word ("\b\bin in" must not become "\bin").
  bool bareWord = false;
  while (i < rtf.size()) {
    if (rtf[i] != '\\' || i + 1 >= rtf.size() || !IsLetter(rtf[i + 1])) {
      bareWord = false;
      // Plain text, or a control symbol such as \\ or \{ : copied with its second character so
      // an escaped backslash never starts a control word.
      const std::size_t n = (rtf[i] == '\\' && i + 1 < rtf.size()) ? 2 : 1;
      out.append(rtf.substr(i, n));
      i += n;
      continue;
    }
    std::size_t j = i + 1;
    while (j < rtf.size() && IsLetter(rtf[j])) ++j;
    const std::string_view word = rtf.substr(i + 1, j - i - 1);
    std::size_t k = j;
    if (k < rtf.size() && rtf[k] == '-') ++k;
    const std::size_t digitsStart = k;
    while (k < rtf.size() && IsDigit(rtf[k]) && k - digitsStart < 10) ++k;
    const bool counted = k > digitsStart;
    if (word == "bin" && !counted) {
      // Drop the word and the space that delimits it. What follows must not run into the
      // control word before it: a space delimits that word then.
      i = (k < rtf.size() && rtf[k] == ' ') ? k + 1 : k;
      if (bareWord && i < rtf.size() &&
          (IsLetter(rtf[i]) || IsDigit(rtf[i]) || rtf[i] == '-' || rtf[i] == ' ')) {
        out.push_back(' ');
        bareWord = false;
      }
      continue;
    }
    std::size_t end = (k < rtf.size() && rtf[k] == ' ') ? k + 1 : k;
    out.append(rtf.substr(i, end - i));
    bareWord = end == k;
    if (word == "bin" && counted && rtf[digitsStart - 1] != '-') {
      // Raw bytes follow: copy them untouched, whatever they look like.
      std::uint64_t count = 0;
      for (std::size_t d = digitsStart; d < k; ++d) {
        count = count * 10 + static_cast<std::uint64_t>(rtf[d] - '0');
      }
      const std::size_t raw =
          count < rtf.size() - end ? static_cast<std::size_t>(count) : rtf.size() - end;
      out.append(rtf.substr(end, raw));
      end += raw;
      if (raw > 0) bareWord = false;
    }
    i = end;
  }
  return out;
}

Status CopyRtfRepaired(const std::string& sourcePath, const std::string& destPath) {
  std::ifstream in(platform::PathFromUtf8(sourcePath), std::ios::binary);
  if (!in) return MakeError(codes::kReadFailed, "the file cannot be read");
  const std::string rtf((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return MakeError(codes::kReadFailed, "the file cannot be read");
  const std::string repaired = DropUncountedBin(rtf);
  std::ofstream out(platform::PathFromUtf8(destPath), std::ios::binary | std::ios::trunc);
  out.write(repaired.data(), static_cast<std::streamsize>(repaired.size()));
  out.close();
  if (!out) return MakeError(codes::kWriteFailed, "a private copy of the file cannot be written");
  return Ok();
}

}  // namespace plenwick::word::legacy
