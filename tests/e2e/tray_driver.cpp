// The icon in the notification area (-tray) and File/Start with Windows,
// on a real notification area: trayer on the X display, into which Wine
// docks the icon. The X side (where the icon is, a click on it) is asked
// of xwininfo and xdotool, which Wine starts as it starts any program.
#include <string>
#include <vector>

#include "tests/e2e/driver_util.h"
#include "tests/e2e/menu_reader.h"

namespace {

const UINT kIconId = 1;
const UINT MN_GETHMENU_MESSAGE = 0x01E1;
const char kMenuClass[] = "#32768";
const char kTipClass[] = "tooltips_class32";
const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kRunValue[] = L"Varnelo";
const std::wstring kPlacedText = L"Notes for the meeting on Tuesday";
const char kPlacedTitle[] = "= Notes for the meeting on Tuesday";

// Runs a command and writes its exit status to the mark file: Wine starts
// Unix programs too, but its handle of one does not wait for its end.
const char kRunScript[] = R"sh(mark=$1; shift; "$@"; echo $? > "$mark.new"; mv "$mark.new" "$mark"
)sh";

// Prints the centre of the icon Wine docked into trayer's panel, if any.
const char kIconScript[] = R"awk(xwininfo -root -tree | awk '
/"panel": \("panel" "trayer"\)/ { inside = 1; match($0, /^ */); depth = RLENGTH; next }
inside { match($0, /^ */); if (RLENGTH <= depth) { inside = 0; next } }
inside && /"explorer.exe"/ { split($(NF - 1), size, "x"); split($NF, at, "+");
    print at[2] + int(size[1] / 2), at[3] + int((size[2] + 0) / 2) }' > "$1"
)awk";

// Runs a Windows program to its end.
bool RunAndWait(const std::string& command_line) {
    PROCESS_INFORMATION process = {};
    if (!e2e::StartProcess(nullptr, command_line, &process)) return false;
    WaitForSingleObject(process.hProcess, e2e::kChangeTimeoutMs);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

bool WriteFileText(const std::string& path, const std::string& text) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFileText(const std::string& path) {
    std::string text;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return text;
    char buffer[256];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
    std::fclose(file);
    return text;
}

// Runs a Unix command line (its words quoted where they need it) to its end;
// true when it exits with 0.
bool RunUnix(const e2e::Driver& driver, const std::string& command_line) {
    const std::string script = driver.work_dir + "/run.sh";
    const std::string mark = driver.work_dir + "/run.status";
    DeleteFileA(mark.c_str());
    if (!WriteFileText(script, kRunScript) ||
        !RunAndWait("/bin/sh \"" + script + "\" \"" + mark + "\" " + command_line) ||
        !e2e::WaitUntil([&] { return FileExists(mark); }, e2e::kChangeTimeoutMs)) {
        return false;
    }
    return ReadFileText(mark) == "0\n";
}

// The docked icon's centre on the X screen; false while none is docked.
bool FindDockedIcon(const e2e::Driver& driver, POINT* centre) {
    const std::string script = driver.work_dir + "/icon.sh";
    const std::string found = driver.work_dir + "/icon.txt";
    if (!WriteFileText(script, kIconScript) ||
        !RunUnix(driver, "/bin/sh \"" + script + "\" \"" + found + "\"")) {
        return false;
    }
    long x = 0, y = 0;
    if (std::sscanf(ReadFileText(found).c_str(), "%ld %ld", &x, &y) != 2) return false;
    centre->x = x;
    centre->y = y;
    return true;
}

bool WaitForIcon(const e2e::Driver& driver, bool docked, POINT* centre) {
    POINT ignored;
    return e2e::WaitUntil(
        [&] { return FindDockedIcon(driver, centre ? centre : &ignored) == docked; },
        e2e::kChangeTimeoutMs);
}

bool MouseAt(const e2e::Driver& driver, POINT at, const std::string& then) {
    return RunUnix(driver, "/usr/bin/xdotool mousemove " + std::to_string(at.x) + " " +
                               std::to_string(at.y) + " " + then);
}

bool Screenshot(const e2e::Driver& driver, const char* name) {
    return RunUnix(driver, "/usr/bin/import -window root \"" + driver.work_dir + "/" + name + "\"");
}

struct WindowOfClass {
    const char* class_name;
    DWORD process_id;  // 0: of any process
    HWND found;
};

BOOL CALLBACK MatchShownWindow(HWND window, LPARAM search_address) {
    WindowOfClass* search = reinterpret_cast<WindowOfClass*>(search_address);
    char name[64] = "";
    DWORD owner = 0;
    GetClassNameA(window, name, sizeof name);
    GetWindowThreadProcessId(window, &owner);
    if (std::strcmp(name, search->class_name) != 0 || !IsWindowVisible(window) ||
        (search->process_id && owner != search->process_id)) {
        return TRUE;
    }
    search->found = window;
    return FALSE;
}

// A shown top-level window of the class, of the process if one is named.
HWND ShownWindowOfClass(const char* class_name, DWORD process_id) {
    WindowOfClass search = {class_name, process_id, nullptr};
    EnumWindows(MatchShownWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string ShownTip() {
    HWND tip = ShownWindowOfClass(kTipClass, 0);
    char text[256] = "";
    DWORD_PTR result = 0;
    if (tip) {
        SendMessageTimeoutA(tip, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                            SMTO_ABORTIFHUNG, e2e::kChangeTimeoutMs, &result);
    }
    return text;
}

bool IsShownInFront(const e2e::Varnelo& varnelo) {
    return IsWindowVisible(varnelo.window) && !IsIconic(varnelo.window) &&
           GetForegroundWindow() == varnelo.window;
}

bool StartInTray(const e2e::Driver& driver, const std::string& options, e2e::Varnelo* varnelo,
                 POINT* icon) {
    return e2e::StartWithEmptyClipboard(driver, options, varnelo) &&
           e2e::Expect(WaitForIcon(driver, true, icon), "the icon is docked in the panel");
}

// A second start brings the hidden window back, and another click hides it.
bool ExpectSecondStartShows(const e2e::Driver& driver, const e2e::Varnelo& varnelo, POINT icon) {
    e2e::RunningVarnelo second;
    return e2e::StartVarnelo(driver.exe_path, "-tray", &second) &&
           e2e::ExpectExitCodeZero(second) &&
           e2e::Expect(
               e2e::WaitUntil([&] { return IsShownInFront(varnelo); }, e2e::kChangeTimeoutMs),
               "a second start shows the window in front") &&
           MouseAt(driver, icon, "click 1") &&
           e2e::Expect(e2e::WaitUntil([&] { return !IsWindowVisible(varnelo.window); },
                                      e2e::kChangeTimeoutMs),
                       "a click hides it again");
}

// The icon's menu, read while it is open: "Show window", a separator, then
// the File menu as it stands, "E&xit" last.
bool ExpectIconMenu(const e2e::Varnelo& varnelo) {
    HWND menu_window = nullptr;
    if (!e2e::Expect(e2e::WaitUntil(
                         [&] {
                             menu_window =
                                 ShownWindowOfClass(kMenuClass, varnelo.process.dwProcessId);
                             return menu_window != nullptr;
                         },
                         e2e::kChangeTimeoutMs),
                     "a right click opens a menu")) {
        return false;
    }
    DWORD_PTR handle = 0;
    SendMessageTimeoutA(menu_window, MN_GETHMENU_MESSAGE, 0, 0, SMTO_ABORTIFHUNG,
                        e2e::kChangeTimeoutMs, &handle);
    e2e::MenuSnapshot popup, bar;
    if (!e2e::ReadMenu(varnelo.window, &popup, reinterpret_cast<HMENU>(handle)) ||
        !e2e::ReadMenu(varnelo.window, &bar)) {
        return false;
    }
    std::vector<e2e::MenuItem> file = e2e::PopupItems(bar, e2e::kFilePopup);
    std::vector<e2e::MenuItem> copied(popup.begin() + std::min<size_t>(2, popup.size()),
                                      popup.end());
    bool greyed_alike = copied.size() == file.size();
    for (size_t i = 0; greyed_alike && i < file.size(); ++i) {
        greyed_alike = (copied[i].state & MF_GRAYED) == (file[i].state & MF_GRAYED);
    }
    return e2e::ExpectEqual("the menu's first item", popup[0].text, "&Show window") &&
           e2e::ExpectEqual("the File menu's items in it", e2e::Described(copied),
                            e2e::Described(file)) &&
           e2e::Expect(greyed_alike, "its items are greyed as the File menu's") &&
           e2e::ExpectEqual("its last item", popup.back().text, "E&xit");
}

// Docked, hidden, titled in its tooltip; a click shows it in front, one
// more hides it; the menu's last item exits and takes the icon along.
bool IconCase(const e2e::Driver& driver) {
    e2e::RunningVarnelo varnelo;
    POINT icon = {};
    if (!StartInTray(driver, "-tray", &varnelo, &icon) ||
        !e2e::Expect(!IsWindowVisible(varnelo.window),
                     "the window starts hidden: no taskbar button") ||
        !e2e::PlaceUnicodeText(driver.owner, kPlacedText) ||
        !e2e::WaitForTitle(varnelo.window, kPlacedTitle) || !MouseAt(driver, icon, "")) {
        return false;
    }
    if (!e2e::Expect(
            e2e::WaitUntil([] { return ShownTip() == kPlacedTitle; }, e2e::kChangeTimeoutMs),
            "hovering shows the title in the icon's tooltip")) {
        e2e::Log("the tooltip reads \"%s\"", ShownTip().c_str());
        return false;
    }
    Screenshot(driver, "tooltip.png");
    if (!MouseAt(driver, icon, "click 1") ||
        !e2e::Expect(e2e::WaitUntil([&] { return IsShownInFront(varnelo); }, e2e::kChangeTimeoutMs),
                     "a click shows the window in front") ||
        !MouseAt(driver, icon, "click 1") ||
        !e2e::Expect(
            e2e::WaitUntil([&] { return !IsWindowVisible(varnelo.window); }, e2e::kChangeTimeoutMs),
            "another click hides it") ||
        !ExpectSecondStartShows(driver, varnelo, icon) || !MouseAt(driver, icon, "click 3") ||
        !ExpectIconMenu(varnelo)) {
        return false;
    }
    Screenshot(driver, "menu.png");
    // Up from no selection selects the last item.
    return RunUnix(driver, "/usr/bin/xdotool key Up Return") && e2e::ExpectExitCodeZero(varnelo) &&
           e2e::Expect(WaitForIcon(driver, false, nullptr), "the icon is gone with it");
}

// The icon taken away from outside comes back when a notification area
// announces itself.
bool TaskbarCreatedCase(const e2e::Driver& driver) {
    e2e::RunningVarnelo varnelo;
    if (!StartInTray(driver, "-tray", &varnelo, nullptr)) return false;
    NOTIFYICONDATAW icon = {};
    icon.cbSize = sizeof icon;
    icon.hWnd = varnelo.window;
    icon.uID = kIconId;
    if (!e2e::Expect(Shell_NotifyIconW(NIM_DELETE, &icon), "the icon is removed from outside") ||
        !e2e::Expect(WaitForIcon(driver, false, nullptr), "it leaves the panel")) {
        return false;
    }
    PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    return e2e::Expect(WaitForIcon(driver, true, nullptr), "\"TaskbarCreated\" brings it back") &&
           e2e::ExitsWithZero(varnelo);
}

// --- Start with Windows ----------------------------------------------------

bool ReadRunValue(std::wstring* value) {
    wchar_t data[4096];
    DWORD size = sizeof data;
    if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, kRunValue, RRF_RT_REG_SZ, nullptr, data, &size) !=
        ERROR_SUCCESS) {
        return false;
    }
    *value = data;
    return true;
}

void DeleteRunValue() {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    RegDeleteValueW(key, kRunValue);
    RegCloseKey(key);
}

std::wstring ExePath(const e2e::Varnelo& varnelo) {
    wchar_t path[MAX_PATH];
    DWORD size = MAX_PATH;
    if (!QueryFullProcessImageNameW(varnelo.process.hProcess, 0, path, &size)) return L"";
    return path;
}

bool ExpectRunValue(const std::wstring& expected, const char* what) {
    std::wstring value;
    if (!e2e::Expect(ReadRunValue(&value), "the Run value is there")) return false;
    return e2e::ExpectEqual(what, value, expected);
}

std::wstring ClipboardUnicode(const e2e::Driver& driver) {
    std::string block;
    e2e::PumpFor(e2e::kSettleAfterChangeMs);
    if (!e2e::ReadClipboardBlock(driver.owner, CF_UNICODETEXT, &block)) return L"";
    return e2e::UnicodeText(block);
}

// The copy that a logon (wineboot) started, found by its window.
bool FindStartedCopy(e2e::Varnelo* varnelo) {
    if (!e2e::WaitUntil(
            [&] { return (varnelo->window = FindWindowA(e2e::kVarneloClass, nullptr)); },
            e2e::kStartTimeoutMs)) {
        return false;
    }
    GetWindowThreadProcessId(varnelo->window, &varnelo->process.dwProcessId);
    varnelo->process.hProcess = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                                            varnelo->process.dwProcessId);
    return varnelo->process.hProcess != nullptr;
}

// Checked, the value is the quoted path and the options; it follows Fix all
// text, goes when unchecked, and a logon starts Varnelo with those choices.
bool StartWithWindowsCase(const e2e::Driver& driver) {
    DeleteRunValue();
    std::wstring expected;
    {
        e2e::RunningVarnelo varnelo;
        if (!StartInTray(driver, "-tray -normal", &varnelo, nullptr) ||
            !e2e::ExpectChecked(varnelo, IDM_START_WITH_WINDOWS, false, "Start with Windows")) {
            return false;
        }
        const std::wstring quoted = L"\"" + ExePath(varnelo) + L"\"";
        if (!e2e::SendCommand(varnelo, IDM_START_WITH_WINDOWS) ||
            !ExpectRunValue(quoted + L" -tray -normal", "the Run value") ||
            !e2e::SendCommand(varnelo, IDM_FIX_ALL) ||
            !ExpectRunValue(quoted + L" -tray -all -normal", "the Run value after Fix all text") ||
            !e2e::SendCommand(varnelo, IDM_START_WITH_WINDOWS)) {
            return false;
        }
        std::wstring value;
        if (!e2e::Expect(!ReadRunValue(&value), "unchecking removes the Run value") ||
            !e2e::SendCommand(varnelo, IDM_START_WITH_WINDOWS) ||
            !ExpectRunValue(quoted + L" -tray -all -normal", "the Run value checked again") ||
            !e2e::ExitsWithZero(varnelo)) {
            return false;
        }
    }
    e2e::RunningVarnelo started;
    bool logon =
        RunAndWait("wineboot.exe") &&
        e2e::Expect(FindStartedCopy(&started), "a logon starts Varnelo") &&
        e2e::Expect(WaitForIcon(driver, true, nullptr), "with its icon") &&
        e2e::Expect(IsWindowVisible(started.window), "and its window shown (-normal)") &&
        e2e::ExpectChecked(started, IDM_START_WITH_WINDOWS, true, "Start with Windows") &&
        e2e::PlaceUnicodeText(driver.owner, L"fixed at logon\r\n") &&
        e2e::Expect(e2e::WaitUntil([&] { return ClipboardUnicode(driver) == L"fixed at logon"; },
                                   e2e::kChangeTimeoutMs),
                    "-all from the Run value fixes Unicode text") &&
        e2e::SendCommand(started, IDM_START_WITH_WINDOWS) && e2e::ExitsWithZero(started);
    DeleteRunValue();
    return logon;
}

const e2e::TestCase kCases[] = {
    {"icon", IconCase},
    {"taskbar_created", TaskbarCreatedCase},
    {"start_with_windows", StartWithWindowsCase},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3) CreateDirectoryA(argv[2], nullptr);
    return e2e::RunDriver(argc, argv, kCases);
}
