// The child side of the start-up benchmark: starts the program exactly as its main does and
// reports, on stdout, the monotonic clock at a few points up to the end of the first paint.
#pragma once

namespace plenwick::bench {

// Runs the program until its window has been painted once; returns the exit code.
int RunFirstPaintProbe(int argc, char* argv[]);

}  // namespace plenwick::bench
