#include "app/JoinWiring.h"

#include "app/Form1.h"

namespace plenwick::app {

// The seam for the join run: replace this body with form.SetJoinHandler(...) that runs it.
void WireJoinRun(Form1& /*form*/) {}

}  // namespace plenwick::app
