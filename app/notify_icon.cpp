#include "app/viewer_window.h"
#include "clip/clipboard_text.h"
#include "clip/user32_entries.h"

namespace {

constexpr UINT kIconId = 1;
constexpr UINT kIconFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
constexpr char kIconName[] = "IDI_APP";
constexpr WCHAR kTaskbarCreated[] = WIDE_TEXT("TaskbarCreated");
constexpr char kShowWindowItem[] = "&Show window";
constexpr int kFileMenuPosition = 0;
constexpr int kMenuTextSize = 64;
constexpr UINT kMenuStateFlags = MF_CHECKED | MF_GRAYED | MF_DISABLED;
constexpr size_t kTipRoom = sizeof(NOTIFYICONDATAW::szTip) / sizeof(WCHAR);
// The title may change hundreds of times a second; the tooltip follows it
// at most this often, well within the half second a hover takes to show it.
constexpr UINT kTipDelayMs = 100;
// A click on the icon takes the foreground from the window before the
// icon's message arrives; a window that lost it this recently was in front.
constexpr DWORD kClickSlackMs = 500;

// Windows 10 1607 and later; looked up so that older systems still start.
constexpr char kMetricsForDpiEntry[] = "GetSystemMetricsForDpi";
typedef int(WINAPI* MetricsForDpiFunction)(int, UINT);

// The size of a small icon at `dpi`, which the notification area shows.
int SmallIconSize(UINT dpi) {
    MetricsForDpiFunction metrics_for_dpi = User32Entry<MetricsForDpiFunction>(kMetricsForDpiEntry);
    int size = metrics_for_dpi && dpi ? metrics_for_dpi(SM_CXSMICON, dpi) : 0;
    return size > 0 ? size : GetSystemMetrics(SM_CXSMICON);
}

HICON LoadSmallIcon(UINT dpi) {
    int size = SmallIconSize(dpi);
    return static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), kIconName, IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

void StartIconData(HWND window, UINT flags, NOTIFYICONDATAW* data) {
    *data = NOTIFYICONDATAW{};
    data->cbSize = sizeof *data;
    data->hWnd = window;
    data->uID = kIconId;
    data->uFlags = flags;
    data->uCallbackMessage = kNotifyIconMessage;
    data->hIcon = g_viewer.notify.icon;
}

void SetIconVersion(HWND window) {
    NOTIFYICONDATAW data;
    StartIconData(window, 0, &data);
    data.uVersion = NOTIFYICON_VERSION_4;
    g_viewer.notify.version = Shell_NotifyIconW(NIM_SETVERSION, &data) ? NOTIFYICON_VERSION_4 : 0;
}

// One unit more than the tip holds tells whether the cut splits a pair.
void ReadTip(HWND window, WCHAR* tip) {
    WCHAR title[kTipRoom + 1] = {};
    GetWindowTextW(window, title, static_cast<int>(kTipRoom + 1));
    CutTipText(title, tip, kTipRoom);
}

void CancelTipUpdate(HWND window) {
    if (g_viewer.notify.tip_pending) KillTimer(window, kTipTimerId);
    g_viewer.notify.tip_pending = FALSE;
}

void AddIcon(HWND window) {
    NOTIFYICONDATAW data;
    StartIconData(window, kIconFlags, &data);
    ReadTip(window, data.szTip);
    // An icon still there (an announcement without a restart) is modified.
    g_viewer.notify.added =
        Shell_NotifyIconW(NIM_ADD, &data) || Shell_NotifyIconW(NIM_MODIFY, &data);
    if (g_viewer.notify.added) SetIconVersion(window);
}

bool IsShownInFront(HWND window) {
    if (!IsWindowVisible(window) || IsIconic(window)) return false;
    DWORD lost = g_viewer.notify.deactivated_at;
    return GetForegroundWindow() == window || (lost && GetTickCount() - lost < kClickSlackMs);
}

// A click shows the window in front, or hides it when it is there already.
void ToggleShown(HWND window) {
    if (IsShownInFront(window)) {
        ShowWindow(window, SW_HIDE);
    } else {
        RestoreWindow(window);
    }
}

void CopyMenuItem(HMENU from, int position, HMENU to) {
    UINT state = GetMenuState(from, position, MF_BYPOSITION);
    char text[kMenuTextSize] = "";
    if (state & MF_SEPARATOR) {
        AppendMenuA(to, MF_SEPARATOR, 0, nullptr);
    } else if (GetMenuStringA(from, position, text, kMenuTextSize, MF_BYPOSITION) > 0) {
        AppendMenuA(to, MF_STRING | (state & kMenuStateFlags), GetMenuItemID(from, position), text);
    }
}

// "Show window", then the File menu's items as they stand now; Exit is its last.
HMENU BuildIconMenu() {
    HMENU popup = CreatePopupMenu();
    if (!popup) return nullptr;
    AppendMenuA(popup, MF_STRING, IDM_RESTORE, kShowWindowItem);
    AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
    HMENU file = GetSubMenu(g_viewer.main_menu, kFileMenuPosition);
    int count = GetMenuItemCount(file);
    for (int position = 0; position < count; ++position) CopyMenuItem(file, position, popup);
    return popup;
}

// The window must be in front for the menu to close at a click elsewhere,
// and the posted message ends the menu's loop at once.
void ShowIconMenu(HWND window, POINT at) {
    HMENU popup = BuildIconMenu();
    if (!popup) return;
    SetForegroundWindow(window);
    TrackPopupMenu(popup, TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr);
    PostMessageA(window, WM_NULL, 0, 0);
    DestroyMenu(popup);
}

// Version 4 gives the point in wParam; older systems give none.
POINT EventPoint(WPARAM wParam) {
    POINT at = {};
    if (g_viewer.notify.version == NOTIFYICON_VERSION_4) {
        at.x = static_cast<short>(LOWORD(wParam));
        at.y = static_cast<short>(HIWORD(wParam));
    } else {
        GetCursorPos(&at);
    }
    return at;
}

}  // namespace

size_t CutTipText(const WCHAR* title, WCHAR* tip, size_t room) {
    size_t count = 0;
    while (count + 1 < room && title[count]) ++count;
    if (title[count] && count > 0 && IsHighSurrogate(title[count - 1])) --count;
    for (size_t unit = 0; unit < count; ++unit) tip[unit] = title[unit];
    tip[count] = 0;
    return count;
}

void RegisterTaskbarCreated() {
    g_viewer.notify.taskbar_created = RegisterWindowMessageW(kTaskbarCreated);
}

void AddNotifyIcon(HWND window) {
    if (!g_viewer.notify.icon) g_viewer.notify.icon = LoadSmallIcon(g_viewer.text_dpi);
    AddIcon(window);
}

void RemoveNotifyIcon(HWND window) {
    NOTIFYICONDATAW data;
    StartIconData(window, 0, &data);
    if (g_viewer.notify.added) Shell_NotifyIconW(NIM_DELETE, &data);
    g_viewer.notify.added = FALSE;
    CancelTipUpdate(window);
    if (g_viewer.notify.icon) DestroyIcon(g_viewer.notify.icon);
    g_viewer.notify.icon = nullptr;
}

void ToggleNotifyIcon(HWND window) {
    g_viewer.tray_icon = !g_viewer.tray_icon;
    CheckMenuItem(g_viewer.main_menu, IDM_TRAY, g_viewer.tray_icon ? MF_CHECKED : MF_UNCHECKED);
    if (g_viewer.tray_icon) {
        AddNotifyIcon(window);
    } else {
        RemoveNotifyIcon(window);
    }
}

// A new notification area (Explorer restarted, or the first one at logon
// after an add that failed) holds no icons.
void FollowTaskbarCreated(HWND window) {
    if (g_viewer.tray_icon) AddIcon(window);
}

void FollowNotifyTitle(HWND window) {
    if (!g_viewer.notify.added || g_viewer.notify.tip_pending) return;
    g_viewer.notify.tip_pending = SetTimer(window, kTipTimerId, kTipDelayMs, nullptr) != 0;
    if (!g_viewer.notify.tip_pending) UpdateNotifyTip(window);
}

void UpdateNotifyTip(HWND window) {
    CancelTipUpdate(window);
    if (!g_viewer.notify.added) return;
    NOTIFYICONDATAW data;
    StartIconData(window, NIF_TIP | NIF_SHOWTIP, &data);
    ReadTip(window, data.szTip);
    Shell_NotifyIconW(NIM_MODIFY, &data);
}

void FollowNotifyIconDpi(HWND window) {
    HICON icon = g_viewer.tray_icon ? LoadSmallIcon(g_viewer.text_dpi) : nullptr;
    if (!icon) return;  // the icon of the old size stays
    HICON old_icon = g_viewer.notify.icon;
    g_viewer.notify.icon = icon;
    NOTIFYICONDATAW data;
    StartIconData(window, NIF_ICON, &data);
    if (g_viewer.notify.added) Shell_NotifyIconW(NIM_MODIFY, &data);
    if (old_icon) DestroyIcon(old_icon);
}

void NoteActivation(WPARAM state) {
    if (LOWORD(state) == WA_INACTIVE) g_viewer.notify.deactivated_at = GetTickCount();
}

void HideWhenMinimised(HWND window, WPARAM kind) {
    if (g_viewer.tray_icon && kind == SIZE_MINIMIZED) ShowWindow(window, SW_HIDE);
}

void OnNotifyIconMessage(HWND window, WPARAM wParam, LPARAM lParam) {
    // Version 4 tells a click and a menu request apart; older systems send
    // the mouse messages alone. Wine sends both, the mouse message first.
    bool version_4 = g_viewer.notify.version == NOTIFYICON_VERSION_4;
    switch (LOWORD(lParam)) {
        case NIN_SELECT:
        case NIN_KEYSELECT:
            if (version_4) ToggleShown(window);
            break;
        case WM_LBUTTONUP:
            if (!version_4) ToggleShown(window);
            break;
        case WM_CONTEXTMENU:
            if (version_4) ShowIconMenu(window, EventPoint(wParam));
            break;
        case WM_RBUTTONUP:
            if (!version_4) ShowIconMenu(window, EventPoint(wParam));
            break;
        default:
            break;
    }
}
