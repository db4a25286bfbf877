// The parts of the desktop the simulation does not have: no notification
// area, no registry to read or write, no foreground to give, no module
// path. Each call fails as Windows' does where the part is missing or
// refused.
#include "sim_internal.h"

BOOL WINAPI Shell_NotifyIconW(DWORD, NOTIFYICONDATAW*) {
    return FALSE;
}

UINT WINAPI RegisterWindowMessageW(LPCWSTR) {
    return 0;
}

HANDLE WINAPI LoadImageA(HINSTANCE, LPCSTR, UINT, int, int, UINT) {
    return nullptr;
}

BOOL WINAPI DestroyIcon(HICON) {
    return FALSE;
}

int WINAPI GetSystemMetrics(int) {
    return 0;
}

HWND WINAPI GetForegroundWindow() {
    return nullptr;
}

BOOL WINAPI SetForegroundWindow(HWND) {
    return FALSE;
}

BOOL WINAPI AllowSetForegroundWindow(DWORD) {
    return FALSE;
}

DWORD WINAPI GetWindowThreadProcessId(HWND, DWORD* process_id) {
    if (process_id) *process_id = 0;
    return 0;
}

BOOL WINAPI GetCursorPos(POINT*) {
    return FALSE;
}

HMENU WINAPI CreatePopupMenu() {
    return nullptr;
}

BOOL WINAPI DestroyMenu(HMENU) {
    return FALSE;
}

BOOL WINAPI TrackPopupMenu(HMENU, UINT, int, int, int, HWND, const RECT*) {
    return FALSE;
}

DWORD WINAPI GetModuleFileNameW(HMODULE, LPWSTR path, DWORD size) {
    if (path && size) path[0] = 0;
    return 0;
}

LSTATUS WINAPI RegOpenKeyExW(HKEY, LPCWSTR, DWORD, REGSAM, HKEY*) {
    return ERROR_ACCESS_DENIED;
}

LSTATUS WINAPI RegCreateKeyExW(HKEY, LPCWSTR, DWORD, LPWSTR, DWORD, REGSAM, void*, HKEY*, DWORD*) {
    return ERROR_ACCESS_DENIED;
}

LSTATUS WINAPI RegQueryValueExW(HKEY, LPCWSTR, DWORD*, DWORD*, BYTE*, DWORD*) {
    return ERROR_ACCESS_DENIED;
}

LSTATUS WINAPI RegSetValueExW(HKEY, LPCWSTR, DWORD, DWORD, const BYTE*, DWORD) {
    return ERROR_ACCESS_DENIED;
}

LSTATUS WINAPI RegDeleteValueW(HKEY, LPCWSTR) {
    return ERROR_ACCESS_DENIED;
}

LSTATUS WINAPI RegCloseKey(HKEY) {
    return ERROR_ACCESS_DENIED;
}
