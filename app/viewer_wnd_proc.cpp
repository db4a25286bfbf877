#include "app/viewer_window.h"
#include "clip/clipboard_change.h"
#include "clip/clipboard_rewrite.h"
#include "clip/fix_undo.h"
#include "clip/format_menu.h"
#include "clip/kept_text.h"
#include "clip/private_content.h"
#include "clip/viewer_chain.h"

namespace {

constexpr WPARAM kUndoKey = 'Z';

void ShowHelpBox(HWND window) {
    MessageBoxA(window, HelpText, kHelpCaption, MB_OK);
}

// The item's previous check mark decides the new state.
void ToggleFix(HWND window) {
    DWORD previous = CheckMenuItem(g_viewer.main_menu, IDM_FIX,
                                   g_viewer.fix_enabled ? MF_UNCHECKED : MF_CHECKED);
    g_viewer.fix_enabled = previous == MF_UNCHECKED;
    if (g_viewer.fix_enabled) {
        // Text already on the clipboard is treated at once.
        PostMessageA(window, WM_DRAWCLIPBOARD, 0, 0);
    } else {
        CancelClipboardRetry(window);
    }
}

// -all or -clean at run time; switched on, text already on the clipboard
// is treated at once, as when Fix is switched on.
void ToggleFixOption(HWND window, BOOL* option, UINT id) {
    *option = !*option;
    CheckMenuItem(g_viewer.main_menu, id, *option ? MF_CHECKED : MF_UNCHECKED);
    if (*option && g_viewer.fix_enabled) PostMessageA(window, WM_DRAWCLIPBOARD, 0, 0);
}

void OnKeyDown(HWND window, WPARAM key) {
    if (key == VK_F1) ShowHelpBox(window);
    if (key == kUndoKey && GetKeyState(VK_CONTROL) < 0) UndoLastFix(window);
}

void OnCommand(HWND window, UINT id) {
    switch (id) {
        case IDM_FIX:
            ToggleFix(window);
            RewriteRunEntry();
            break;
        case IDM_FIX_ALL:
            ToggleFixOption(window, &g_viewer.fix_all_text, IDM_FIX_ALL);
            RewriteRunEntry();
            break;
        case IDM_CLEAN:
            ToggleFixOption(window, &g_viewer.clean_hidden, IDM_CLEAN);
            RewriteRunEntry();
            break;
        case IDM_START_WITH_WINDOWS:
            ToggleStartWithWindows(window);
            break;
        case IDM_UNDO_FIX:
            UndoLastFix(window);
            break;
        case IDM_SHOW_HIDDEN:
            ToggleHiddenView(window);
            RewriteRunEntry();
            break;
        case IDM_TRAY:
            ToggleNotifyIcon(window);
            RewriteRunEntry();
            break;
        case IDM_MIN:
            ShowWindow(window, SW_SHOWMINNOACTIVE);
            break;
        case IDM_RESTORE:
            RestoreWindow(window);
            break;
        case IDM_EXIT:
            DestroyWindow(window);
            break;
        case IDM_HIDE:
            ShowWindow(window, SW_HIDE);
            break;
        case IDM_HELP:
            ShowHelpBox(window);
            break;
        case IDM_ABOUT:
            MessageBoxA(window, AboutText, kAboutCaption, MB_OK);
            break;
        case IDM_DEFAULT:
            SelectDefaultFormat(window);
            FollowFormatChoice(window);
            break;
        default:
            SelectListedFormat(window, id);
            FollowFormatChoice(window);
            break;
    }
}

// The clipboard is announced to a new viewer before SetClipboardViewer
// returns the next one; a rewrite made then is passed on once it is known.
// The names of the marks, and of the formats a whole copy tells apart, are
// registered first, so no change waits for them.
void JoinViewerChain(HWND window) {
    RegisterMarkFormats();
    RegisterCopyFormats();
    g_viewer.next_viewer = SetClipboardViewer(window);
    if (GetClipboardOwner() == window) PassOnToNextViewer(WM_DRAWCLIPBOARD, 0, 0);
}

void OnChangeChain(WPARAM leaving, LPARAM following) {
    if (reinterpret_cast<HWND>(leaving) == g_viewer.next_viewer) {
        g_viewer.next_viewer = reinterpret_cast<HWND>(following);
    } else {
        PassOnToNextViewer(WM_CHANGECBCHAIN, leaving, following);
    }
}

void OnDestroy(HWND window) {
    ChangeClipboardChain(window, g_viewer.next_viewer);
    RemoveNotifyIcon(window);
    DropKeptText();
    DropFixUndo();
    DeleteTextFont();
    PostQuitMessage(0);
}

void OnDefault(HWND window, UINT message) {
    // Registered at start; 0 until then and where it could not be.
    if (message && message == g_viewer.notify.taskbar_created) FollowTaskbarCreated(window);
}

LRESULT OnSetText(HWND window, WPARAM wParam, LPARAM lParam) {
    LRESULT result = DefWindowProcW(window, WM_SETTEXT, wParam, lParam);
    if (result) FollowNotifyTitle(window);
    return result;
}

}  // namespace

void RestoreWindow(HWND window) {
    ShowWindow(window, SW_SHOWNORMAL);
    SetActiveWindow(window);
    SetForegroundWindow(window);
}

LRESULT CALLBACK ViewerWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            CreateTextFont(window);
            StartHiddenView(window);
            RegisterTaskbarCreated();
            JoinViewerChain(window);
            return 0;
        case WM_DESTROY:
            OnDestroy(window);
            return 0;
        case WM_CHANGECBCHAIN:
            OnChangeChain(wParam, lParam);
            return 0;
        case WM_DRAWCLIPBOARD:
            DropKeptText();
            g_viewer.repaint_tries = 0;
            ClipboardChanged(window, wParam, lParam);
            ShowStatusText(window);
            return 0;
        case kDeferredChangeMessage:
            DeferredClipboardChange(window, wParam, lParam);
            ShowStatusText(window);
            return 0;
        case WM_TIMER:
            if (wParam == kRetryTimerId) {
                RetryClipboardText(window);
                ShowStatusText(window);
            }
            if (wParam == kRepaintTimerId) RepaintAfterFailedRead(window);
            if (wParam == kTipTimerId) UpdateNotifyTip(window);
            return 0;
        case WM_SIZE:
            FitStatusBar();
            HideWhenMinimised(window, wParam);
            return 0;
        case WM_SETTEXT:
            return OnSetText(window, wParam, lParam);
        case WM_ACTIVATE:
            NoteActivation(wParam);
            return DefWindowProcW(window, message, wParam, lParam);
        case kNotifyIconMessage:
            OnNotifyIconMessage(window, wParam, lParam);
            return 0;
        case WM_PAINT:
            PaintContents(window);
            return 0;
        case WM_INITMENUPOPUP:
            RebuildFormatMenu(window, reinterpret_cast<HMENU>(wParam));
            return 0;
        case WM_SETTINGCHANGE:
            RecreateTextFont(window);
            return 0;
        case WM_DPICHANGED:
            FollowDpiChange(window, HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            FollowNotifyIconDpi(window);
            return 0;
        case WM_KEYDOWN:
            OnKeyDown(window, wParam);
            return 0;
        case WM_COMMAND:
            OnCommand(window, LOWORD(wParam));
            return 0;
        default:
            OnDefault(window, message);
            return DefWindowProcW(window, message, wParam, lParam);
    }
}
