#include "word/automation/WordAutomation.h"

namespace plenwick::word::automation {
namespace {

Error NotHere() {
  return MakeError(errc::kUnavailable, "Microsoft Word automation is available only on Windows");
}

}  // namespace

Status WordAutomationAvailable() {
  return NotHere();
}

Result<std::shared_ptr<Application>> CreateWordApplication(std::string_view) {
  return NotHere();
}

}  // namespace plenwick::word::automation
