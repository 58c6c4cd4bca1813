#include "app/JoinWiring.h"

#include <memory>

#include "app/Form1.h"
#include "join/DefaultJoinServices.h"
#include "join/JoinRunner.h"

namespace plenwick::app {

// "Join Documents" runs the join run; its walker and file list live with the handler, as long as
// the window.
void WireJoinRun(Form1& form) {
  auto runner = std::make_shared<join::JoinRunner>(join::DefaultJoinServices());
  form.SetJoinHandler([runner](Form1& window) { return runner->Run(window.sourceFolder, window); });
}

}  // namespace plenwick::app
