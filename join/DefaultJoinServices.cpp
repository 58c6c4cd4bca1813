#include "join/DefaultJoinServices.h"

#include "walk/StdFileSystem.h"
#include "word/WordApi.h"
#include "word/automation/WordAutomation.h"

namespace plenwick::join {

JoinServices DefaultJoinServices() {
  JoinServices services;
  services.applications = word::CreateObject;
  services.fileSystems = walk::DefaultFileSystems();
  return services;
}

Result<word::ApplicationFactory> EngineFactory(JoinEngine engine) {
  if (engine == JoinEngine::kNative) return word::ApplicationFactory(word::CreateObject);
  if (Status available = word::automation::WordAutomationAvailable(); !available) {
    return available.error();
  }
  return word::ApplicationFactory(word::automation::CreateWordApplication);
}

}  // namespace plenwick::join
