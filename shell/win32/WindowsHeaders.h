// <windows.h> the way this program includes it: no min/max macros, and without winbase.h's
// obsolete Yield() macro, which would rewrite every Yield() of the shell and join interfaces.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#ifdef Yield
#undef Yield
#endif
