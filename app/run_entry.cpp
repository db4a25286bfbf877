#include "app/viewer_window.h"

namespace {

constexpr WCHAR kRunKey[] = WIDE_TEXT("Software\\Microsoft\\Windows\\CurrentVersion\\Run");
// Where Task Manager keeps the entries the user turned off; read, never written.
constexpr WCHAR kApprovedKey[] =
    WIDE_TEXT("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run");
constexpr WCHAR kValueName[] = WIDE_TEXT("Varnelo");
constexpr WCHAR kQuote = '"';
constexpr WCHAR kLastBlankUnit = 0x20;
constexpr DWORD kFirstPathRoom = 256;
constexpr DWORD kMaxPathRoom = 32768;  // the longest path the system takes, and its NUL
// A value larger than this names no path of this exe; it is not read.
constexpr DWORD kMaxValueBytes = 1 << 20;
// An approved entry's first byte is odd when the user turned it off.
constexpr BYTE kDisabledBit = 1;
constexpr DWORD kApprovedSize = 12;

// The options that reproduce the choices, each with its blank.
constexpr size_t kOptionsRoom = 64;
constexpr char kTrayOption[] = " -tray";
constexpr char kAllOption[] = " -all";
constexpr char kCleanOption[] = " -clean";
constexpr char kShowOption[] = " -show";
constexpr char kViewOnlyOption[] = " -viewonly";

WCHAR FoldAscii(WCHAR unit) {
    return unit >= 'A' && unit <= 'Z' ? static_cast<WCHAR>(unit - 'A' + 'a') : unit;
}

bool SamePath(const WCHAR* a, const WCHAR* b, size_t units) {
    for (size_t unit = 0; unit < units; ++unit) {
        if (FoldAscii(a[unit]) != FoldAscii(b[unit])) return false;
    }
    return true;
}

const char* StartModeOption(int show) {
    switch (show) {
        case SW_HIDE:
            return " -hide";
        case SW_SHOWMAXIMIZED:
            return " -max";
        case SW_RESTORE:
            return " -normal";
        default:
            return " -min";
    }
}

WCHAR* AppendAscii(WCHAR* out, const char* text) {
    while (*text) *out++ = static_cast<unsigned char>(*text++);
    return out;
}

// The options for the choices made now; `out` has kOptionsRoom units.
WCHAR* AppendStartOptions(WCHAR* out) {
    if (g_viewer.tray_icon) out = AppendAscii(out, kTrayOption);
    if (g_viewer.fix_all_text) out = AppendAscii(out, kAllOption);
    if (g_viewer.clean_hidden) out = AppendAscii(out, kCleanOption);
    if (g_viewer.show_hidden) out = AppendAscii(out, kShowOption);
    if (!g_viewer.fix_enabled) out = AppendAscii(out, kViewOnlyOption);
    return AppendAscii(out, StartModeOption(g_viewer.start_show));
}

void FreeUnits(WCHAR* units) {
    HeapFree(GetProcessHeap(), 0, units);
}

WCHAR* AllocateUnits(size_t count) {
    return static_cast<WCHAR*>(HeapAlloc(GetProcessHeap(), 0, count * sizeof(WCHAR)));
}

// The running exe's full path, of any length; null when it cannot be had.
WCHAR* ReadExePath(DWORD* units) {
    for (DWORD room = kFirstPathRoom; room <= kMaxPathRoom; room *= 2) {
        WCHAR* path = AllocateUnits(room);
        if (!path) return nullptr;
        DWORD count = GetModuleFileNameW(nullptr, path, room);
        if (count > 0 && count < room) {
            *units = count;
            return path;
        }
        FreeUnits(path);
        if (count == 0) return nullptr;
    }
    return nullptr;
}

// The Run value's text; null when it is missing, no string, or too large.
WCHAR* ReadRunValue(HKEY key, size_t* units) {
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(key, kValueName, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        type != REG_SZ || bytes > kMaxValueBytes) {
        return nullptr;
    }
    WCHAR* value = AllocateUnits(bytes / sizeof(WCHAR) + 1);
    if (!value) return nullptr;
    if (RegQueryValueExW(key, kValueName, nullptr, &type, reinterpret_cast<BYTE*>(value), &bytes) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        FreeUnits(value);
        return nullptr;
    }
    *units = bytes / sizeof(WCHAR);
    return value;
}

bool RunValueNamesThisExe(HKEY key) {
    DWORD exe_units = 0;
    WCHAR* exe = ReadExePath(&exe_units);
    if (!exe) return false;
    size_t units = 0;
    WCHAR* value = ReadRunValue(key, &units);
    bool names_exe = value && RunValueNamesExe(value, units, exe, exe_units);
    if (value) FreeUnits(value);
    FreeUnits(exe);
    return names_exe;
}

bool RunEntryNamesThisExe() {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return false;
    }
    bool names_exe = RunValueNamesThisExe(key);
    RegCloseKey(key);
    return names_exe;
}

bool TurnedOffInTaskManager() {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kApprovedKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return false;
    }
    BYTE state[kApprovedSize] = {};
    DWORD type = 0;
    DWORD bytes = sizeof state;
    bool off = RegQueryValueExW(key, kValueName, nullptr, &type, state, &bytes) == ERROR_SUCCESS &&
               type == REG_BINARY && bytes > 0 && (state[0] & kDisabledBit);
    RegCloseKey(key);
    return off;
}

// The quoted path and the options, NUL-terminated; null without memory.
WCHAR* BuildRunCommand(DWORD* units) {
    DWORD exe_units = 0;
    WCHAR* exe = ReadExePath(&exe_units);
    if (!exe) return nullptr;
    WCHAR* command = AllocateUnits(exe_units + 2 + kOptionsRoom + 1);
    if (command) {
        WCHAR* out = command;
        *out++ = kQuote;
        for (DWORD unit = 0; unit < exe_units; ++unit) *out++ = exe[unit];
        *out++ = kQuote;
        out = AppendStartOptions(out);
        *out = 0;
        *units = static_cast<DWORD>(out - command);
    }
    FreeUnits(exe);
    return command;
}

// The whole value in one call, so that no failure leaves a part of it.
bool WriteRunEntry() {
    DWORD units = 0;
    WCHAR* command = BuildRunCommand(&units);
    if (!command) return false;
    HKEY key;
    bool written = false;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
        written = RegSetValueExW(key, kValueName, 0, REG_SZ, reinterpret_cast<BYTE*>(command),
                                 (units + 1) * sizeof(WCHAR)) == ERROR_SUCCESS;
        RegCloseKey(key);
    }
    FreeUnits(command);
    return written;
}

void DeleteRunEntry() {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    RegDeleteValueW(key, kValueName);
    RegCloseKey(key);
}

void ShowStartCheck() {
    CheckMenuItem(g_viewer.main_menu, IDM_START_WITH_WINDOWS,
                  g_viewer.start_with_windows ? MF_CHECKED : MF_UNCHECKED);
}

}  // namespace

bool RunValueNamesExe(const WCHAR* value, size_t units, const WCHAR* exe, size_t exe_units) {
    size_t start = 0;
    size_t end = 0;
    if (units > 0 && value[0] == kQuote) {
        start = end = 1;
        while (end < units && value[end] != kQuote) ++end;
        if (end == units) return false;
    } else {
        while (end < units && value[end] > kLastBlankUnit) ++end;
    }
    return end - start == exe_units && SamePath(value + start, exe, exe_units);
}

// Checked when Windows will start this exe at logon.
void ReadStartWithWindows() {
    g_viewer.start_with_windows = RunEntryNamesThisExe() && !TurnedOffInTaskManager();
    ShowStartCheck();
}

// Unchecked, the value goes; checked, it is written. One turned off in Task
// Manager stays so, since only the user turns it on there: it is written
// for then, the box says where, and the item stays unchecked.
void ToggleStartWithWindows(HWND window) {
    if (g_viewer.start_with_windows) {
        DeleteRunEntry();
        g_viewer.start_with_windows = RunEntryNamesThisExe();
    } else if (WriteRunEntry()) {
        g_viewer.start_with_windows = !TurnedOffInTaskManager();
        if (!g_viewer.start_with_windows) {
            MessageBoxA(window, kStartTurnedOff, kHelpCaption, MB_OK | MB_ICONINFORMATION);
        }
    }
    ShowStartCheck();
}

void RewriteRunEntry() {
    if (!g_viewer.start_with_windows || WriteRunEntry()) return;
    g_viewer.start_with_windows = FALSE;
    ShowStartCheck();
}
