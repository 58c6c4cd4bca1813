#include "shell/qt/EventYield.h"

#include <QCoreApplication>
#include <utility>

namespace plenwick::shell {

EventYield::EventYield(std::function<bool()> ending) : ending_(std::move(ending)) {}

bool EventYield::Yield() {
  const auto ending = [this] { return ending_ && ending_(); };
  if (ending()) return false;
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  return !ending();
}

}  // namespace plenwick::shell
