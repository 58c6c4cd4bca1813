#include "form/ProgramEnd.h"

#include <utility>

namespace plenwick::form {

ProgramEnd::ProgramEnd(std::function<void()> endAction) : endAction_(std::move(endAction)) {}

ProgramEnd::Running::Running(ProgramEnd& end) : end_(end) {
  ++end_.running_;
}

ProgramEnd::Running::~Running() {
  --end_.running_;
  end_.FinishIfIdle();
}

void ProgramEnd::Request() {
  ending_ = true;
  FinishIfIdle();
}

void ProgramEnd::SetEndAction(std::function<void()> endAction) {
  endAction_ = std::move(endAction);
}

void ProgramEnd::FinishIfIdle() {
  if (!ending_ || ended_ || running_ > 0) return;
  ended_ = true;
  if (endAction_) endAction_();
}

}  // namespace plenwick::form
