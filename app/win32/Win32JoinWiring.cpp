// Where "Join Documents" gets its work: the join run over the real engine and file system.
#include <memory>

#include "app/win32/Win32Program.h"
#include "join/DefaultJoinServices.h"
#include "join/JoinRunner.h"

namespace plenwick::win32app {

void WireJoinRun(Form1& form) {
  auto runner = std::make_shared<join::JoinRunner>(join::DefaultJoinServices());
  form.SetJoinHandler([runner](Form1& window) { return runner->Run(window.sourceFolder, window); });
}

}  // namespace plenwick::win32app
