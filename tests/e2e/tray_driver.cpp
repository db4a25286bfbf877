// The icon in the notification area (-tray) and File/Start with Windows, on
// a real notification area: trayer on the X display, into which Wine docks
// the icon. Where the icon is, and clicks on it, are asked of xwininfo and
// xdotool, which Wine starts as it starts any program.
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/e2e/driver_util.h"
#include "tests/e2e/menu_reader.h"

namespace {

using e2e::Expect;
using e2e::kChangeTimeoutMs;
using e2e::WaitUntil;

const UINT kIconId = 1;
const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kPlacedTitle[] = "= Notes for the meeting on Tuesday";

// Prints the centre of the icon that Wine docked into trayer's panel, if any.
const char kFindIcon[] = R"sh(xwininfo -root -tree | awk '
/"panel": \("panel" "trayer"\)/ { inside = 1; match($0, /^ */); depth = RLENGTH; next }
inside { match($0, /^ */); if (RLENGTH <= depth) inside = 0 }
inside && /"explorer.exe"/ { split($(NF - 1), size, "x"); split($NF, at, "+");
    print at[2] + int(size[1] / 2), at[3] + int((size[2] + 0) / 2) }')sh";

// Runs a Unix command line and returns what it printed. Wine's handle of a
// Unix process does not wait for its end, so the output is moved into place
// once the command has ended, and waited for.
std::string RunUnix(const e2e::Driver& driver, const std::string& command) {
    const std::string script = driver.work_dir + "/run.sh", out = driver.work_dir + "/run.out";
    DeleteFileA(out.c_str());
    std::ofstream(script, std::ios::binary) << "(" << command << ") >\"" << out << ".new\"; mv \""
                                            << out << ".new\" \"" << out << "\"\n";
    PROCESS_INFORMATION process = {};
    if (!e2e::StartProcess(nullptr, "/bin/sh \"" + script + "\"", &process)) return "";
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    WaitUntil([&] { return GetFileAttributesA(out.c_str()) != INVALID_FILE_ATTRIBUTES; },
              kChangeTimeoutMs);
    std::ifstream printed(out);
    return std::string(std::istreambuf_iterator<char>(printed), {});
}

bool WaitForIcon(const e2e::Driver& driver, bool docked, POINT* centre = nullptr) {
    return WaitUntil(
        [&] {
            long x = 0, y = 0;
            bool found = std::sscanf(RunUnix(driver, kFindIcon).c_str(), "%ld %ld", &x, &y) == 2;
            if (found && centre) *centre = {x, y};
            return found == docked;
        },
        kChangeTimeoutMs);
}

void Mouse(const e2e::Driver& driver, POINT at, const char* then) {
    RunUnix(driver,
            "xdotool mousemove " + std::to_string(at.x) + " " + std::to_string(at.y) + " " + then);
}

// A shown top-level window of the class, of the process if one is named.
HWND ShownWindow(const char* class_name, DWORD process_id = 0) {
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, class_name, nullptr))) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (IsWindowVisible(window) && (!process_id || owner == process_id)) return window;
    }
    return nullptr;
}

std::string ShownTip() {
    char text[256] = "";
    if (HWND tip = ShownWindow("tooltips_class32")) {
        SendMessageA(tip, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    }
    return text;
}

// Shown restored and in front, or hidden.
bool WaitShown(HWND window, bool in_front, const char* what) {
    auto front = [&] {
        return IsWindowVisible(window) && !IsIconic(window) && GetForegroundWindow() == window;
    };
    auto hidden = [&] { return !IsWindowVisible(window); };
    return Expect(
        in_front ? WaitUntil(front, kChangeTimeoutMs) : WaitUntil(hidden, kChangeTimeoutMs), what);
}

bool StartInTray(const e2e::Driver& driver, const char* options, e2e::Varnelo* varnelo,
                 POINT* icon = nullptr) {
    return e2e::StartWithEmptyClipboard(driver, options, varnelo) &&
           Expect(WaitForIcon(driver, true, icon), "the icon is docked in the panel");
}

// The open menu, read inside Varnelo: "Show window", a separator, then the
// File menu's items as they stand, "E&xit" last.
bool ExpectIconMenu(const e2e::Varnelo& varnelo) {
    HWND menu = nullptr;
    auto opened = [&] { return (menu = ShownWindow("#32768", varnelo.process.dwProcessId)); };
    if (!Expect(WaitUntil(opened, kChangeTimeoutMs), "a right click opens a menu")) return false;
    DWORD_PTR handle = 0;
    SendMessageTimeoutA(menu, MN_GETHMENU, 0, 0, SMTO_ABORTIFHUNG, kChangeTimeoutMs, &handle);
    e2e::MenuSnapshot popup, bar;
    if (!e2e::ReadMenu(varnelo.window, &popup, reinterpret_cast<HMENU>(handle)) ||
        !e2e::ReadMenu(varnelo.window, &bar) || !Expect(popup.size() > 2, "it has items")) {
        return false;
    }
    return e2e::ExpectEqual("its first item", popup[0].text, "&Show window") &&
           e2e::ExpectEqual("the File menu's items in it",
                            e2e::Described({popup.begin() + 2, popup.end()}),
                            e2e::Described(e2e::PopupItems(bar, e2e::kFilePopup))) &&
           e2e::ExpectEqual("its last item", popup.back().text, "E&xit");
}

// Docked, hidden, titled in its tooltip; a click shows the window in
// front, one more hides it, a second start shows it; taken away from
// outside, the icon comes back when a notification area announces itself;
// the menu's last item exits and takes the icon along.
bool IconCase(const e2e::Driver& driver) {
    e2e::RunningVarnelo varnelo, second;
    POINT icon = {};
    NOTIFYICONDATAW outside = {};
    if (!StartInTray(driver, "-tray", &varnelo, &icon) ||
        !Expect(!IsWindowVisible(varnelo.window), "the window starts hidden: no taskbar button") ||
        !e2e::PlaceUnicodeText(driver.owner, L"Notes for the meeting on Tuesday") ||
        !e2e::WaitForTitle(varnelo.window, kPlacedTitle)) {
        return false;
    }
    outside.cbSize = sizeof outside;
    outside.hWnd = varnelo.window;
    outside.uID = kIconId;
    Mouse(driver, icon, "");
    if (!Expect(WaitUntil([] { return ShownTip() == kPlacedTitle; }, kChangeTimeoutMs),
                "hovering shows the title in the icon's tooltip")) {
        return false;
    }
    Mouse(driver, icon, "click 1");
    if (!WaitShown(varnelo.window, true, "a click shows the window in front")) return false;
    Mouse(driver, icon, "click 1");
    if (!WaitShown(varnelo.window, false, "another click hides it") ||
        !e2e::StartVarnelo(driver.exe_path, "-tray", &second) || !e2e::ExpectExitCodeZero(second) ||
        !WaitShown(varnelo.window, true, "a second start shows it in front") ||
        !Expect(Shell_NotifyIconW(NIM_DELETE, &outside), "the icon is removed from outside") ||
        !Expect(WaitForIcon(driver, false), "it leaves the panel") ||
        !PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0) ||
        !Expect(WaitForIcon(driver, true), "\"TaskbarCreated\" brings it back")) {
        return false;
    }
    Mouse(driver, icon, "click 3");
    if (!ExpectIconMenu(varnelo)) return false;
    RunUnix(driver, "xdotool key Up Return");  // Up from no selection selects the last item
    return e2e::ExpectExitCodeZero(varnelo) &&
           Expect(WaitForIcon(driver, false), "the icon is gone with it");
}

std::wstring RunValue() {
    wchar_t value[4096] = L"";
    DWORD size = sizeof value;
    RegGetValueW(HKEY_CURRENT_USER, kRunKey, L"Varnelo", RRF_RT_REG_SZ, nullptr, value, &size);
    return value;
}

bool SetsRunValue(const e2e::Varnelo& varnelo, WORD command, const std::wstring& expected) {
    return e2e::SendCommand(varnelo, command) &&
           e2e::ExpectEqual("the Run value", RunValue(), expected);
}

// The copy that a logon (wineboot) starts, found by its window.
bool FindStartedCopy(e2e::Varnelo* varnelo) {
    return Expect(WaitUntil(
                      [&] { return (varnelo->window = FindWindowA(e2e::kVarneloClass, nullptr)); },
                      e2e::kStartTimeoutMs),
                  "a logon starts Varnelo") &&
           GetWindowThreadProcessId(varnelo->window, &varnelo->process.dwProcessId) &&
           (varnelo->process.hProcess = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION,
                                                    FALSE, varnelo->process.dwProcessId));
}

// Checked, the value is the quoted path and the options; it follows Fix all
// text, goes when unchecked, and a logon starts Varnelo with those choices.
bool StartWithWindowsCase(const e2e::Driver& driver) {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Varnelo");
    e2e::RunningVarnelo varnelo, started;
    wchar_t path[MAX_PATH];
    DWORD size = MAX_PATH;
    if (!StartInTray(driver, "-tray -normal", &varnelo) ||
        !QueryFullProcessImageNameW(varnelo.process.hProcess, 0, path, &size)) {
        return false;
    }
    const std::wstring quoted = L"\"" + std::wstring(path) + L"\"";
    e2e::RunningVarnelo boot;  // wineboot, stopped if it still runs
    bool passed = SetsRunValue(varnelo, IDM_START_WITH_WINDOWS, quoted + L" -tray -normal") &&
                  SetsRunValue(varnelo, IDM_FIX_ALL, quoted + L" -tray -all -normal") &&
                  SetsRunValue(varnelo, IDM_START_WITH_WINDOWS, L"") &&
                  SetsRunValue(varnelo, IDM_START_WITH_WINDOWS, quoted + L" -tray -all -normal") &&
                  e2e::ExitsWithZero(varnelo) &&
                  e2e::StartProcess(nullptr, "wineboot.exe", &boot.process) &&
                  FindStartedCopy(&started) && Expect(WaitForIcon(driver, true), "with its icon") &&
                  Expect(IsWindowVisible(started.window), "and its window shown (-normal)") &&
                  e2e::ExpectChecked(started, IDM_START_WITH_WINDOWS, true, "Start with Windows") &&
                  e2e::PlaceUnicodeText(driver.owner, L"fixed at logon\r\n") &&
                  e2e::WaitForClipboardText(driver.owner, CF_TEXT, "fixed at logon") &&
                  e2e::ExitsWithZero(started);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Varnelo");
    return passed;
}

const e2e::TestCase kCases[] = {
    {"icon", IconCase},
    {"start_with_windows", StartWithWindowsCase},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3) CreateDirectoryA(argv[2], nullptr);
    return e2e::RunDriver(argc, argv, kCases);
}
