// The Word layer's Application, Documents, Document and Range over a running Word's automation
// objects. Each holds its own Word object and a share of the server, so releasing them in the
// order range, document, application releases Word's objects in that order, and Word quits
// (when it is ours) only after the last. Windows only.
#pragma once

#include <memory>

#include "word/WordApi.h"
#include "word/automation/WordServer.h"

namespace plenwick::word::automation {

std::shared_ptr<word::Application> MakeWordApplication(std::shared_ptr<WordServer> server);

}  // namespace plenwick::word::automation
