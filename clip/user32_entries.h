// Entries of USER32 that older systems lack. Each is looked up when it is
// called, so that the program still starts on those systems.
#pragma once

#include "platform/win32_door.h"

// The entry `name` of USER32 as a `Function`, or null where the system lacks it.
template <typename Function>
Function User32Entry(const char* name) {
    FARPROC entry = GetProcAddress(GetModuleHandleA("user32.dll"), name);
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(entry));
}
