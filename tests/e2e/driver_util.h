// Helpers for the end-to-end drivers that run the real Varnelo.exe under
// Windows (or Wine): waiting for conditions, the clipboard, and starting
// and stopping the program. Header-only, so each driver is one source file.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

namespace e2e {

const char kVarneloClass[] = "Varnelo";

// Generous limits that only end a wait that would otherwise hang; no
// result depends on how fast anything happens.
const DWORD kStartTimeoutMs = 30000;
const DWORD kChangeTimeoutMs = 15000;
const DWORD kExitTimeoutMs = 15000;

// Polling starts fast and backs off to this interval.
const DWORD kFirstPollMs = 10;
const DWORD kLongestPollMs = 250;

// Varnelo opens the clipboard in its own handling of every change; opening
// it from here at that moment makes Varnelo's OpenClipboard fail. So the
// first look at the clipboard after a change waits this long.
const DWORD kSettleAfterChangeMs = 300;

inline void Log(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stdout, format, arguments);
    va_end(arguments);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// Shows control bytes of clipboard text readably in diagnostics.
inline std::string Escaped(const std::string& text) {
    std::string shown;
    for (unsigned char byte : text) {
        if (byte == '\r') {
            shown += "\\r";
        } else if (byte == '\n') {
            shown += "\\n";
        } else if (byte < 0x20 || byte >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            shown += hex;
        } else {
            shown += static_cast<char>(byte);
        }
    }
    return shown;
}

// Dispatches whatever is queued for this thread's windows, so that the
// clipboard owner window answers Varnelo's messages while the driver waits.
inline void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Waits for `interval` milliseconds while still answering messages.
inline void PumpFor(DWORD interval) {
    const DWORD start = GetTickCount();
    for (;;) {
        PumpMessages();
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= interval) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, interval - elapsed, QS_ALLINPUT);
    }
}

// Polls `condition` with a growing interval until it holds or `timeout`
// milliseconds have passed; returns whether it held.
inline bool WaitUntil(const std::function<bool()>& condition, DWORD timeout) {
    const DWORD start = GetTickCount();
    DWORD interval = kFirstPollMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start >= timeout) return false;
        PumpFor(interval);
        interval = interval * 2 < kLongestPollMs ? interval * 2 : kLongestPollMs;
    }
}

// --- Windows -----------------------------------------------------------

inline std::string WindowTitle(HWND window) {
    char title[256] = "";
    GetWindowTextA(window, title, sizeof title);
    return title;
}

struct WindowSearch {
    DWORD process_id;
    HWND found;
};

inline BOOL CALLBACK MatchVarneloWindow(HWND window, LPARAM search_address) {
    WindowSearch* search = reinterpret_cast<WindowSearch*>(search_address);
    char class_name[64] = "";
    DWORD process_id = 0;
    GetClassNameA(window, class_name, sizeof class_name);
    GetWindowThreadProcessId(window, &process_id);
    if (std::strcmp(class_name, kVarneloClass) != 0 || process_id != search->process_id) {
        return TRUE;
    }
    search->found = window;
    return FALSE;
}

// The top-level Varnelo window that belongs to the given process, if any.
inline HWND FindVarneloWindow(DWORD process_id) {
    WindowSearch search = {process_id, nullptr};
    EnumWindows(MatchVarneloWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A hidden message-only window that owns what the driver puts on the
// clipboard (a clipboard without an owner window refuses data).
inline HWND CreateClipboardOwner() {
    const char kOwnerClass[] = "VarneloDriverClipboardOwner";
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = DefWindowProcA;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = kOwnerClass;
    RegisterClassA(&window_class);
    return CreateWindowExA(0, kOwnerClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           window_class.hInstance, nullptr);
}

// --- Clipboard ---------------------------------------------------------

// Opens the clipboard, retrying while another program (Varnelo, or Wine's
// own clipboard bridge) holds it.
inline bool OpenClipboardPatiently(HWND owner) {
    return WaitUntil([owner] { return OpenClipboard(owner) != FALSE; }, kChangeTimeoutMs);
}

inline bool EmptyTheClipboard(HWND owner) {
    if (!OpenClipboardPatiently(owner)) return false;
    const bool emptied = EmptyClipboard() != FALSE;
    CloseClipboard();
    return emptied;
}

// Replaces the clipboard's contents by `text` (NUL added) in the one format.
inline bool PlaceClipboardText(HWND owner, UINT format, const std::string& text) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (!block) return false;
    char* bytes = static_cast<char*>(GlobalLock(block));
    if (!bytes) {
        GlobalFree(block);
        return false;
    }
    std::memcpy(bytes, text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    if (!OpenClipboardPatiently(owner)) {
        GlobalFree(block);
        return false;
    }
    bool placed = EmptyClipboard() && SetClipboardData(format, block);
    if (!placed) GlobalFree(block);
    CloseClipboard();
    return placed;
}

// Reads the clipboard's text in `format`; false when it is not there.
inline bool ReadClipboardText(HWND owner, UINT format, std::string* text) {
    if (!OpenClipboardPatiently(owner)) return false;
    bool found = false;
    HANDLE block = GetClipboardData(format);
    const char* bytes = block ? static_cast<const char*>(GlobalLock(block)) : nullptr;
    if (bytes) {
        *text = std::string(bytes, strnlen(bytes, GlobalSize(block)));
        GlobalUnlock(block);
        found = true;
    }
    CloseClipboard();
    return found;
}

// --- The program under test --------------------------------------------

struct Varnelo {
    PROCESS_INFORMATION process = {};
    HWND window = nullptr;
};

// Starts `exe_path` with the given options; true when the process started.
inline bool StartVarnelo(const std::string& exe_path, const std::string& options,
                         Varnelo* varnelo) {
    std::string command_line = "\"" + exe_path + "\"";
    if (!options.empty()) command_line += " " + options;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(exe_path.c_str(), &command_line[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &varnelo->process)) {
        Log("FAIL: cannot start %s (error %lu)", exe_path.c_str(), GetLastError());
        return false;
    }
    return true;
}

// Waits for the started program's main window; stores it in `varnelo`.
inline bool WaitForVarneloWindow(Varnelo* varnelo) {
    const DWORD process_id = varnelo->process.dwProcessId;
    return WaitUntil(
        [varnelo, process_id] {
            varnelo->window = FindVarneloWindow(process_id);
            return varnelo->window != nullptr;
        },
        kStartTimeoutMs);
}

inline bool HasExited(const Varnelo& varnelo) {
    return WaitForSingleObject(varnelo.process.hProcess, 0) == WAIT_OBJECT_0;
}

// Waits for the program to end; stores its exit code.
inline bool WaitForExit(const Varnelo& varnelo, DWORD* exit_code) {
    if (!WaitUntil([&varnelo] { return HasExited(varnelo); }, kExitTimeoutMs)) return false;
    return GetExitCodeProcess(varnelo.process.hProcess, exit_code) != FALSE;
}

// Sends a menu command to the main window without hanging on a stuck one.
inline bool SendCommand(const Varnelo& varnelo, WORD command) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(varnelo.window, WM_COMMAND, MAKEWPARAM(command, 0), 0,
                               SMTO_ABORTIFHUNG, kExitTimeoutMs, &result) != 0;
}

// Ends the program if it still runs (after a failure) and frees its handles.
inline void StopVarnelo(Varnelo* varnelo) {
    if (!varnelo->process.hProcess) return;
    if (!HasExited(*varnelo)) {
        TerminateProcess(varnelo->process.hProcess, 1);
        WaitForSingleObject(varnelo->process.hProcess, kExitTimeoutMs);
    }
    CloseHandle(varnelo->process.hThread);
    CloseHandle(varnelo->process.hProcess);
    varnelo->process = PROCESS_INFORMATION{};
    varnelo->window = nullptr;
}

}  // namespace e2e
