// The converter of a Windows machine with Microsoft Word: Word opens the legacy file read-only,
// with macros, alerts, conversion prompts and recent-file entries off, and saves it as .docx.
// One hidden Word per converter, started with the first legacy file and quit when the converter
// ends; a Word that went away is started afresh for the next file. Windows only.
#pragma once

#include <functional>
#include <memory>

#include "base/Result.h"
#include "word/automation/WordServer.h"
#include "word/legacy/LegacyConverter.h"

namespace plenwick::word::legacy {

// Starts the Word a converter drives; tests give their stand-in.
using WordStarter = std::function<Result<std::shared_ptr<automation::WordServer>>()>;

// The installed "Word.Application".
Result<std::shared_ptr<automation::WordServer>> StartInstalledWord();

std::unique_ptr<LegacyConverter> MakeWordConverter(WordStarter start = StartInstalledWord);

}  // namespace plenwick::word::legacy
