#include "word/automation/WordAutomation.h"

#include "word/automation/WordObjects.h"
#include "word/automation/WordServer.h"

namespace plenwick::word::automation {

Status WordAutomationAvailable() {
  return Ok();
}

Result<std::shared_ptr<Application>> CreateWordApplication(std::string_view progId) {
  Result<std::shared_ptr<WordServer>> server = WordServer::Start(progId);
  if (!server) return server.error();
  // Hidden, Word would wait for ever on a message box nobody sees.
  const Variant noAlerts = Variant::Int32(0);  // wdAlertsNone
  Result<Variant> quiet =
      (*server)->Call((*server)->Application(), L"DisplayAlerts", CallKind::kPut, {{L"", noAlerts}},
                      {errc::kUnavailable, "Word's alerts could not be turned off"});
  if (!quiet) return quiet.error();
  return MakeWordApplication(std::move(*server));
}

}  // namespace plenwick::word::automation
