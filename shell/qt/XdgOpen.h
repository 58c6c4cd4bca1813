// Opening a target through the free desktops' opener, xdg-open, and learning whether it worked.
// xdg-open tells by its exit status when no program is set up for a target; it may also stay
// running as long as the program it started (a browser started fresh), so it is waited for only
// briefly and otherwise left to run.
#pragma once

#include <chrono>
#include <string>

#include "base/Result.h"

namespace plenwick::shell {

// Runs `opener target` (found on PATH) and waits at most `patience` for it to end. Ok when it
// ended well or is still running then; an error with a readable reason when it could not be
// started or ended badly.
Status RunXdgOpen(const std::string& opener, const std::string& target,
                  std::chrono::milliseconds patience = std::chrono::milliseconds(1500));

}  // namespace plenwick::shell
