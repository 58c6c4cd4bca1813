// The services a join runs on in the programs: our Word engine and the platform's file system.
#pragma once

#include "join/JoinServices.h"

namespace plenwick::join {

// The walker's message box is left unset: JoinRunner gives it the window's, plenwick-join its own.
JoinServices DefaultJoinServices();

}  // namespace plenwick::join
