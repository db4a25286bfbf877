// The program's only door to the operating system. Built for Windows it is
// the Win32 API itself; built for the host it is the simulated desktop,
// which declares the same names, types and constants.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include "sim/sim_win32.h"
#endif
