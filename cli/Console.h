// What plenwick-join asks of the terminal it runs in, one implementation per platform
// (ConsolePosix.cpp, ConsoleWin.cpp).
#pragma once

#include <csignal>
#include <cstdio>

namespace plenwick::cli {

// True when out is a terminal (a console window on Windows), not a file or a pipe.
bool IsTerminal(std::FILE* out);
// The width of the terminal out shows in, in columns; 80 when it cannot be told.
int TerminalColumns(std::FILE* out);
// Ctrl-C, a hang-up, a polite kill or a closed console window set *interrupted, so the join
// stops between two documents and the output keeps its last save. On Windows it also makes
// the console show the program's UTF-8 output as UTF-8.
void PrepareConsole(volatile std::sig_atomic_t* interrupted);

}  // namespace plenwick::cli
