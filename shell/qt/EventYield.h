// Yielding to the window: process the events that are pending, once, then go on.
#pragma once

#include <functional>

#include "shell/ShellServices.h"

namespace plenwick::shell {

class EventYield final : public YieldService {
 public:
  // `ending` tells whether the program is ending; without it the program never ends from here.
  explicit EventYield(std::function<bool()> ending = {});

  // Returns false, without processing anything, once the program is ending, and also when it
  // started ending while the pending events were processed.
  bool Yield() override;

 private:
  std::function<bool()> ending_;
};

}  // namespace plenwick::shell
