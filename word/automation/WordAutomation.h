// Microsoft Word itself behind the Word layer's interfaces, for those who want Word's own join
// ("plenwick-join --engine word"). Our engine stays the default everywhere. Only Windows builds
// can drive Word; elsewhere both calls say so.
#pragma once

#include <memory>
#include <string_view>

#include "base/Result.h"
#include "word/WordApi.h"

namespace plenwick::word::automation {

// Ok where this build can drive Word (whether or not Word is installed).
Status WordAutomationAvailable();

// An ApplicationFactory: starts a new, hidden Word for progId ("Word.Application") with its
// alerts off. Word quits once the application and every object taken from it are released.
Result<std::shared_ptr<Application>> CreateWordApplication(std::string_view progId);

}  // namespace plenwick::word::automation
