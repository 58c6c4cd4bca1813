#include "join/JoinRunner.h"

#include <utility>

#include "join/CmdSplitClick.h"

namespace plenwick::join {

JoinRunner::JoinRunner(JoinServices services) : services_(std::move(services)) {
  if (services_.walkerMessages == nullptr) services_.walkerMessages = &windowMessages_;
}

Status JoinRunner::Run(const std::string& sourceFolder, JoinHost& window) {
  windowMessages_.window = &window;
  return CmdSplit_Click(sourceFolder, state_, window, services_);
}

}  // namespace plenwick::join
