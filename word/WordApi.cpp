#include "word/WordApi.h"

#include <cctype>

#include "word/engine/NativeApplication.h"

namespace plenwick::word {

Result<std::shared_ptr<Application>> CreateObject(std::string_view progId) {
  constexpr std::string_view kWord = "Word.Application";
  bool same = progId.size() == kWord.size();
  for (std::size_t i = 0; same && i < kWord.size(); ++i) {
    same = std::tolower(static_cast<unsigned char>(progId[i])) ==
           std::tolower(static_cast<unsigned char>(kWord[i]));
  }
  if (!same) {
    return MakeError(errc::kUnavailable, "no engine provides \"" + std::string(progId) + "\"");
  }
  return engine::MakeNativeApplication();
}

}  // namespace plenwick::word
