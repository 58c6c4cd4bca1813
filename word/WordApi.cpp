#include "word/WordApi.h"

#include <cctype>

#include "word/engine/NativeApplication.h"

namespace plenwick::word {

namespace {

bool NamesWord(std::string_view progId) {
  constexpr std::string_view kWord = "Word.Application";
  bool same = progId.size() == kWord.size();
  for (std::size_t i = 0; same && i < kWord.size(); ++i) {
    same = std::tolower(static_cast<unsigned char>(progId[i])) ==
           std::tolower(static_cast<unsigned char>(kWord[i]));
  }
  return same;
}

Error NoEngine(std::string_view progId) {
  return MakeError(errc::kUnavailable, "no engine provides \"" + std::string(progId) + "\"");
}

}  // namespace

Result<std::shared_ptr<Application>> CreateObject(std::string_view progId) {
  if (!NamesWord(progId)) return NoEngine(progId);
  return engine::MakeNativeApplication();
}

ApplicationFactory BinderApplications(const BinderOptions& options) {
  return [options](std::string_view progId) -> Result<std::shared_ptr<Application>> {
    if (!NamesWord(progId)) return NoEngine(progId);
    return engine::MakeNativeApplication(options);
  };
}

}  // namespace plenwick::word
