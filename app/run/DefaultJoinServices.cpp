#include "app/run/DefaultJoinServices.h"

#include "walk/StdFileSystem.h"
#include "word/WordApi.h"

namespace plenwick::app {

JoinServices DefaultJoinServices() {
  JoinServices services;
  services.applications = word::CreateObject;
  services.fileSystems = walk::DefaultFileSystems();
  return services;
}

}  // namespace plenwick::app
