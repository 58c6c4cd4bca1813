#include "join/DefaultJoinServices.h"

#include "walk/StdFileSystem.h"
#include "word/WordApi.h"

namespace plenwick::join {

JoinServices DefaultJoinServices() {
  JoinServices services;
  services.applications = word::CreateObject;
  services.fileSystems = walk::DefaultFileSystems();
  return services;
}

}  // namespace plenwick::join
