// The services a join runs on in the programs: our Word engine and the platform's file system.
#pragma once

#include "base/Result.h"
#include "join/JoinServices.h"

namespace plenwick::join {

// The walker's message box is left unset: JoinRunner gives it the window's, plenwick-join its own.
JoinServices DefaultJoinServices();

enum class JoinEngine {
  kNative,  // our own engine: each document keeps its own look in its own section
  kWord,    // the installed Microsoft Word, joining as Word's own insert does
};

// The Word layer for engine; fails for kWord where this build cannot drive Word.
Result<word::ApplicationFactory> EngineFactory(JoinEngine engine);

}  // namespace plenwick::join
