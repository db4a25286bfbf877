// The program's only door to the operating system. Built for Windows it is
// the Win32 API itself; built for the host it is the simulated desktop,
// which declares the same names, types and constants.
#pragma once

#ifdef _WIN32
#include <windows.h>
// After windows.h, which it builds on: the status bar.
#include <commctrl.h>
#else
#include "sim/sim_win32.h"
#endif

// A UTF-16 string literal on both sides: WCHAR is wchar_t on Windows and
// char16_t on the host.
#ifdef _WIN32
#define WIDE_TEXT(text) L##text
#else
#define WIDE_TEXT(text) u##text
#endif
