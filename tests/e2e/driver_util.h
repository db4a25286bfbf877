// Helpers for the end-to-end drivers that run the real Varnelo.exe under
// Windows (or Wine): waiting for conditions, the clipboard, and starting
// and stopping the program. Header-only, so each driver is one source file.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "clip/command_ids.h"

namespace e2e {

const char kVarneloClass[] = "Varnelo";
const char kEmptyTitle[] = "[Empty ClipBoard]";

// How many times slower than here the suite is told the programs run (the
// i686 build under user-mode emulation): the limits below grow by it.
inline DWORD TimeScale() {
    char value[16];
    DWORD length = GetEnvironmentVariableA("VARNELO_E2E_TIME_SCALE", value, sizeof value);
    long scale = length > 0 && length < sizeof value ? std::strtol(value, nullptr, 10) : 1;
    return scale > 1 ? static_cast<DWORD>(scale) : 1;
}

// Generous limits that only end a wait that would otherwise hang; no
// result depends on how fast anything happens.
inline const DWORD kStartTimeoutMs = 60000 * TimeScale();
inline const DWORD kChangeTimeoutMs = 30000 * TimeScale();
inline const DWORD kExitTimeoutMs = 30000 * TimeScale();

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

// The start of a long text, for the log.
inline std::string Abbreviated(const std::string& text) {
    const size_t kShownBytes = 60;
    if (text.size() <= kShownBytes) return Escaped(text);
    return Escaped(text.substr(0, kShownBytes)) + "... (" + std::to_string(text.size()) + " bytes)";
}

// --- Checks ------------------------------------------------------------

// Logs one check; returns whether it held.
inline bool Expect(bool holds, const char* what) {
    Log(holds ? "ok: %s" : "FAIL: %s", what);
    return holds;
}

inline bool ExpectEqual(const char* what, const std::string& actual, const std::string& expected) {
    if (actual == expected) {
        Log("ok: %s is \"%s\"", what, Abbreviated(actual).c_str());
        return true;
    }
    Log("FAIL: %s is \"%s\", expected \"%s\"", what, Escaped(actual).c_str(),
        Escaped(expected).c_str());
    return false;
}

inline bool ExpectEqual(const char* what, unsigned long actual, unsigned long expected) {
    if (actual == expected) {
        Log("ok: %s is %lu", what, actual);
        return true;
    }
    Log("FAIL: %s is %lu, expected %lu", what, actual, expected);
    return false;
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

// The title as a Unicode window keeps it.
inline std::wstring WindowTitleW(HWND window) {
    wchar_t title[256] = L"";
    GetWindowTextW(window, title, sizeof title / sizeof title[0]);
    return title;
}

// UTF-16 text for the log: ASCII as it is, every other unit as U+XXXX.
inline std::string CodePoints(const std::wstring& text) {
    std::string shown;
    for (wchar_t unit : text) {
        char point[16];
        std::snprintf(point, sizeof point, unit >= 0x20 && unit < 0x7F ? "%c" : " U+%04X ",
                      static_cast<unsigned>(unit));
        shown += point;
    }
    return shown;
}

inline bool ExpectEqual(const char* what, const std::wstring& actual,
                        const std::wstring& expected) {
    if (actual == expected) {
        Log("ok: %s is \"%s\"", what, CodePoints(actual).c_str());
        return true;
    }
    Log("FAIL: %s is \"%s\", expected \"%s\"", what, CodePoints(actual).c_str(),
        CodePoints(expected).c_str());
    return false;
}

// "= " and the first line of the text, at most 90 UTF-16 units of it and
// never half a surrogate pair, and "..." unless the line ends at a CR or at
// the end of the text.
const size_t kTitleLineUnits = 90;

inline std::wstring WideTextTitle(const std::wstring& text) {
    size_t end = 0;
    while (end < text.size() && end < kTitleLineUnits && text[end] >= 0x20) ++end;
    if (end == kTitleLineUnits && end < text.size() && IS_HIGH_SURROGATE(text[end - 1]) &&
        IS_LOW_SURROGATE(text[end])) {
        --end;
    }
    std::wstring title = L"= " + text.substr(0, end);
    if (end < text.size() && text[end] != L'\r') title += L"...";
    return title;
}

// The bytes a title keeps of a line of text in the process's ANSI page.
const size_t kTitleLineBytes = 90;

// Waits until the window's title reads `expected`.
inline bool WaitForTitle(HWND window, const std::string& expected,
                         DWORD timeout = kChangeTimeoutMs) {
    if (WaitUntil([&] { return WindowTitle(window) == expected; }, timeout)) {
        Log("ok: title reads \"%s\"", Escaped(expected).c_str());
        return true;
    }
    Log("FAIL: title reads \"%s\", expected \"%s\"", Escaped(WindowTitle(window)).c_str(),
        Escaped(expected).c_str());
    return false;
}

struct WindowSearch {
    DWORD process_id;
    const char* class_name;
    HWND found;
};

inline BOOL CALLBACK MatchProcessWindow(HWND window, LPARAM search_address) {
    WindowSearch* search = reinterpret_cast<WindowSearch*>(search_address);
    char class_name[64] = "";
    DWORD process_id = 0;
    GetClassNameA(window, class_name, sizeof class_name);
    GetWindowThreadProcessId(window, &process_id);
    if (std::strcmp(class_name, search->class_name) != 0 || process_id != search->process_id) {
        return TRUE;
    }
    search->found = window;
    return FALSE;
}

// The top-level window of the class that belongs to the given process, if any.
inline HWND FindProcessWindow(DWORD process_id, const char* class_name) {
    WindowSearch search = {process_id, class_name, nullptr};
    EnumWindows(MatchProcessWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

inline HWND FindVarneloWindow(DWORD process_id) {
    return FindProcessWindow(process_id, kVarneloClass);
}

// A hidden message-only window of a class of its own, handled by `procedure`.
inline HWND CreateMessageWindow(const char* class_name, WNDPROC procedure, const char* title = "") {
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = class_name;
    RegisterClassA(&window_class);
    return CreateWindowExA(0, class_name, title, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           window_class.hInstance, nullptr);
}

// The window that owns what the driver puts on the clipboard (a clipboard
// without an owner window refuses data).
inline HWND CreateClipboardOwner() {
    return CreateMessageWindow("VarneloDriverClipboardOwner", DefWindowProcA);
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

// A movable block holding exactly `bytes`; the caller hands it on or frees it.
inline HGLOBAL NewBlock(const std::string& bytes) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!block) return nullptr;
    void* data = GlobalLock(block);
    if (!data) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(data, bytes.data(), bytes.size());
    GlobalUnlock(block);
    return block;
}

// One format and its data, for a clipboard that holds several at once.
struct ClipboardItem {
    UINT format;
    std::string bytes;
};

// Replaces the clipboard's contents by the items, in their order.
inline bool PlaceClipboardItems(HWND owner, const std::vector<ClipboardItem>& items) {
    if (!OpenClipboardPatiently(owner)) return false;
    bool placed = EmptyClipboard() != FALSE;
    for (const ClipboardItem& item : items) {
        HGLOBAL block = placed ? NewBlock(item.bytes) : nullptr;
        placed = block && SetClipboardData(item.format, block);
        if (block && !placed) GlobalFree(block);
    }
    CloseClipboard();
    if (!placed) Log("FAIL: cannot place data on the clipboard (error %lu)", GetLastError());
    return placed;
}

// Replaces the clipboard's contents by `text` (NUL added) in the one format.
inline bool PlaceClipboardText(HWND owner, UINT format, const std::string& text) {
    return PlaceClipboardItems(owner, {{format, std::string(text.c_str(), text.size() + 1)}});
}

// Block contents: text with its NUL, UTF-16 text with its terminator, and
// a DWORD such as a locale.
inline std::string WithNul(const std::string& text) {
    return text + '\0';
}

inline std::string Utf16(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.c_str()),
                       (text.size() + 1) * sizeof(wchar_t));
}

inline std::string DwordBytes(DWORD value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

// The UTF-16 text in a Unicode text block, up to its NUL.
inline std::wstring UnicodeText(const std::string& block) {
    const wchar_t* units = reinterpret_cast<const wchar_t*>(block.data());
    return std::wstring(units, wcsnlen(units, block.size() / sizeof(wchar_t)));
}

inline bool PlaceUnicodeText(HWND owner, const std::wstring& text) {
    return PlaceClipboardItems(owner, {{CF_UNICODETEXT, Utf16(text)}});
}

// Replaces the clipboard's contents by the bitmap, which then belongs to it.
inline bool PlaceClipboardBitmap(HWND owner, HBITMAP bitmap) {
    if (!bitmap) {
        Log("FAIL: cannot create the bitmap (error %lu)", GetLastError());
        return false;
    }
    bool placed = false;
    if (OpenClipboardPatiently(owner)) {
        placed = EmptyClipboard() && SetClipboardData(CF_BITMAP, bitmap);
        CloseClipboard();
    }
    if (!placed) {
        DeleteObject(bitmap);
        Log("FAIL: cannot place a bitmap on the clipboard (error %lu)", GetLastError());
    }
    return placed;
}

// Reads the whole block of `format`, as long as GlobalSize says; false when
// the format is not there.
inline bool ReadClipboardBlock(HWND owner, UINT format, std::string* bytes) {
    if (!OpenClipboardPatiently(owner)) return false;
    bool found = false;
    HANDLE block = GetClipboardData(format);
    const char* data = block ? static_cast<const char*>(GlobalLock(block)) : nullptr;
    if (data) {
        *bytes = std::string(data, GlobalSize(block));
        GlobalUnlock(block);
        found = true;
    }
    CloseClipboard();
    return found;
}

// Reads the clipboard's text in `format`; false when it is not there.
inline bool ReadClipboardText(HWND owner, UINT format, std::string* text) {
    std::string block;
    if (!ReadClipboardBlock(owner, format, &block)) return false;
    *text = std::string(block.c_str(), strnlen(block.c_str(), block.size()));
    return true;
}

// The clipboard's formats in its enumeration order.
inline std::vector<UINT> ClipboardFormats(HWND owner) {
    std::vector<UINT> formats;
    if (!OpenClipboardPatiently(owner)) return formats;
    for (UINT format = EnumClipboardFormats(0); format != 0;
         format = EnumClipboardFormats(format)) {
        formats.push_back(format);
    }
    CloseClipboard();
    return formats;
}

// The first format in the enumeration order, or 0 for an empty clipboard.
inline UINT FirstClipboardFormat(HWND owner) {
    std::vector<UINT> formats = ClipboardFormats(owner);
    return formats.empty() ? 0 : formats[0];
}

// Waits until the clipboard's text in `format` reads `expected`. Each look
// comes a moment after the last, so that Varnelo's own handling of a
// change opens the clipboard first.
inline bool WaitForClipboardText(HWND owner, UINT format, const std::string& expected) {
    std::string text;
    WaitUntil(
        [&] {
            PumpFor(kSettleAfterChangeMs);
            return ReadClipboardText(owner, format, &text) && text == expected;
        },
        kChangeTimeoutMs);
    return ExpectEqual("the clipboard's text", text, expected);
}

// --- Bitmaps -----------------------------------------------------------

// A checkerboard of two colours that no text or background has, so that a
// screenshot shows where a bitmap was drawn and whether it was scaled.
const int kPatternCell = 16;
const COLORREF kPatternColours[2] = {RGB(200, 30, 30), RGB(30, 30, 200)};

inline COLORREF PatternColour(int x, int y) {
    return kPatternColours[(x / kPatternCell + y / kPatternCell) % 2];
}

inline HBITMAP CreatePatternBitmap(int width, int height) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    if (!memory || !bitmap) {
        if (memory) DeleteDC(memory);
        if (bitmap) DeleteObject(bitmap);
        return nullptr;
    }
    HGDIOBJ previous = SelectObject(memory, bitmap);
    for (int y = 0; y < height; y += kPatternCell) {
        for (int x = 0; x < width; x += kPatternCell) {
            RECT cell = {x, y, x + kPatternCell, y + kPatternCell};
            HBRUSH brush = CreateSolidBrush(PatternColour(x, y));
            FillRect(memory, &cell, brush);
            DeleteObject(brush);
        }
    }
    SelectObject(memory, previous);
    DeleteDC(memory);
    return bitmap;
}

// The pattern as a bottom-up 32-bit DIB: rows from the bottom, pixels as
// blue, green, red and a spare byte.
inline std::string PatternDib(int width, int height) {
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    std::string bytes(reinterpret_cast<const char*>(&header), sizeof header);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const COLORREF colour = PatternColour(x, y);
            const char pixel[4] = {static_cast<char>(GetBValue(colour)),
                                   static_cast<char>(GetGValue(colour)),
                                   static_cast<char>(GetRValue(colour)), 0};
            bytes.append(pixel, sizeof pixel);
        }
    }
    return bytes;
}

// --- The program under test --------------------------------------------

struct Varnelo {
    PROCESS_INFORMATION process = {};
    HWND window = nullptr;
};

// Starts a process; true when it started. Under Wine a start now and then
// fails with ERROR_INTERNAL_ERROR before the new process runs (once in some
// hundreds of starts here); so a failed start is tried again until the
// start-up limit.
inline bool StartProcess(const char* application, const std::string& command_line,
                         PROCESS_INFORMATION* process) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    DWORD error = 0;
    int attempts = 0;
    const bool started = WaitUntil(
        [&] {
            ++attempts;
            std::string arguments = command_line;  // CreateProcessA may write into it
            if (CreateProcessA(application, &arguments[0], nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, process)) {
                return true;
            }
            error = GetLastError();
            return false;
        },
        kStartTimeoutMs);
    if (!started) {
        Log("FAIL: cannot start %s (error %lu)", command_line.c_str(), error);
    } else if (attempts > 1) {
        Log("note: the start succeeded at attempt %d, after error %lu", attempts, error);
    }
    return started;
}

// Starts `exe_path` with the given options; true when the process started.
inline bool StartVarnelo(const std::string& exe_path, const std::string& options,
                         Varnelo* varnelo) {
    std::string command_line = "\"" + exe_path + "\"";
    if (!options.empty()) command_line += " " + options;
    return StartProcess(exe_path.c_str(), command_line, &varnelo->process);
}

// Waits for the started program's main window; stores it in `varnelo`. A
// program that ends first (one that crashes at start) has none, at once.
inline bool WaitForVarneloWindow(Varnelo* varnelo) {
    const DWORD process_id = varnelo->process.dwProcessId;
    bool ended = false;
    WaitUntil(
        [&] {
            varnelo->window = FindVarneloWindow(process_id);
            ended = !varnelo->window &&
                    WaitForSingleObject(varnelo->process.hProcess, 0) == WAIT_OBJECT_0;
            return varnelo->window != nullptr || ended;
        },
        kStartTimeoutMs);
    if (ended) Log("note: Varnelo ended before its window appeared");
    return varnelo->window != nullptr;
}

inline bool HasExited(const Varnelo& varnelo) {
    return WaitForSingleObject(varnelo.process.hProcess, 0) == WAIT_OBJECT_0;
}

// Waits for the program to end; stores its exit code.
inline bool WaitForExit(const Varnelo& varnelo, DWORD* exit_code) {
    if (!WaitUntil([&varnelo] { return HasExited(varnelo); }, kExitTimeoutMs)) return false;
    return GetExitCodeProcess(varnelo.process.hProcess, exit_code) != FALSE;
}

// Waits for the program to end and checks that it ended with code 0.
inline bool ExpectExitCodeZero(const Varnelo& varnelo) {
    DWORD exit_code = 0;
    if (!WaitForExit(varnelo, &exit_code)) {
        Log("FAIL: Varnelo still runs");
        return false;
    }
    return ExpectEqual("the exit code", exit_code, 0);
}

// Sends a menu command to the main window without hanging on a stuck one.
inline bool SendCommand(const Varnelo& varnelo, WORD command) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(varnelo.window, WM_COMMAND, MAKEWPARAM(command, 0), 0,
                               SMTO_ABORTIFHUNG, kExitTimeoutMs, &result) != 0;
}

// Queues a menu command; for commands that open a modal box.
inline bool PostCommand(const Varnelo& varnelo, WORD command) {
    return PostMessageA(varnelo.window, WM_COMMAND, MAKEWPARAM(command, 0), 0) != FALSE;
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

// A started copy that is stopped, if it still runs, when the case ends.
struct RunningVarnelo : Varnelo {
    RunningVarnelo() = default;
    RunningVarnelo(const RunningVarnelo&) = delete;
    RunningVarnelo& operator=(const RunningVarnelo&) = delete;
    ~RunningVarnelo() { StopVarnelo(this); }
};

// Ends the program with its Exit command and checks the exit code.
inline bool ExitsWithZero(const Varnelo& varnelo) {
    return Expect(SendCommand(varnelo, IDM_EXIT), "the Exit command is answered") &&
           ExpectExitCodeZero(varnelo);
}

// --- Drivers -----------------------------------------------------------

// What every case of a driver gets: the program to run, a folder for the
// files a case keeps, and a window that owns what the driver places on the
// clipboard.
struct Driver {
    std::string exe_path;
    std::string work_dir;
    HWND owner = nullptr;
};

// Starts a first copy with the given options on an empty clipboard and
// waits until it has looked at the clipboard.
inline bool StartWithEmptyClipboard(const Driver& driver, const std::string& options,
                                    Varnelo* varnelo) {
    if (!Expect(FindWindowA(kVarneloClass, nullptr) == nullptr, "no other copy runs") ||
        !Expect(EmptyTheClipboard(driver.owner), "the clipboard is emptied") ||
        !StartVarnelo(driver.exe_path, options, varnelo)) {
        return false;
    }
    if (!Expect(WaitForVarneloWindow(varnelo), "a window of class \"Varnelo\" appears")) {
        return false;
    }
    return WaitForTitle(varnelo->window, kEmptyTitle);
}

typedef bool (*CaseFunction)(const Driver& driver);

struct TestCase {
    const char* name;
    CaseFunction run;
};

const int kPassed = 0;
const int kFailed = 1;
const int kUsageError = 2;

// usage: DRIVER PATH\TO\Varnelo.exe WORK_DIR [CASE]
// Runs every case, or only the named one, and reports each.
template <size_t kCount>
int RunDriver(int argc, char** argv, const TestCase (&cases)[kCount]) {
    if (argc < 3 || argc > 4) {
        Log("usage: %s PATH\\TO\\Varnelo.exe WORK_DIR [CASE]", argv[0]);
        return kUsageError;
    }
    Driver driver;
    driver.exe_path = argv[1];
    driver.work_dir = argv[2];
    driver.owner = CreateClipboardOwner();
    if (!driver.owner) {
        Log("FAIL: cannot create the clipboard owner window (error %lu)", GetLastError());
        return kFailed;
    }
    std::string failed;
    int run = 0;
    for (const TestCase& test_case : cases) {
        if (argc == 4 && std::strcmp(argv[3], test_case.name) != 0) continue;
        Log("--- %s", test_case.name);
        ++run;
        if (!test_case.run(driver)) failed += std::string(" ") + test_case.name;
    }
    EmptyTheClipboard(driver.owner);
    DestroyWindow(driver.owner);
    if (run == 0) {
        Log("FAIL: no case is named %s", argv[3]);
        return kUsageError;
    }
    if (!failed.empty()) {
        Log("FAILED:%s", failed.c_str());
        return kFailed;
    }
    Log("PASSED %d cases", run);
    return kPassed;
}

}  // namespace e2e
