// Where "Join Documents" gets its work. The window knows nothing of the join run: the program
// hands the run to the window here, once, at start-up.
#pragma once

namespace plenwick::app {

class Form1;

// Installs the join run as Form1's CmdSplit handler (Form1::SetJoinHandler). Until the run is
// plugged in, "Join Documents" does nothing.
void WireJoinRun(Form1& form);

}  // namespace plenwick::app
