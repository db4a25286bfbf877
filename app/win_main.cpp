#include "app/viewer_window.h"
#include "clip/fix_undo.h"

namespace {

constexpr UINT kClassStyle = CS_VREDRAW | CS_HREDRAW;
constexpr char kIconName[] = "IDI_APP";
constexpr WCHAR kMenuName[] = WIDE_TEXT("IDR_Varnelo");
constexpr int kDefaultShow = SW_SHOWMINNOACTIVE;
constexpr unsigned char kLastBlankByte = 0x20;

// Bytes 0x01 to 0x20 separate option words; bytes from 0x80 up belong to a word.
bool IsBlank(char byte) {
    unsigned char value = static_cast<unsigned char>(byte);
    return value != '\0' && value <= kLastBlankByte;
}

bool IsWordByte(char byte) {
    return static_cast<unsigned char>(byte) > kLastBlankByte;
}

const char* SkipOptionWord(const char* text) {
    while (IsWordByte(*text)) ++text;
    while (IsBlank(*text)) ++text;
    return text;
}

bool IsOptionStart(char byte) {
    return byte == '-' || byte == '/';
}

int RunMessageLoop() {
    MSG msg;
    BOOL result;
    while ((result = GetMessageW(&msg, nullptr, 0, 0)) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return result == 0 ? static_cast<int>(msg.wParam) : 0;
}

}  // namespace

BOOL RegisterViewerClass(HINSTANCE instance) {
    HWND running = FindWindowW(kClassName, nullptr);
    if (running) {
        // The running copy may take the foreground that this start was given.
        DWORD running_process = 0;
        GetWindowThreadProcessId(running, &running_process);
        AllowSetForegroundWindow(running_process);
        SendMessageA(running, WM_COMMAND, IDM_RESTORE, 0);
        return FALSE;
    }
    WNDCLASSW wc = {};
    wc.style = kClassStyle;
    wc.lpfnWndProc = ViewerWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, kIconName);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<UINT_PTR>(COLOR_WINDOW + 1));
    wc.lpszMenuName = kMenuName;
    wc.lpszClassName = kClassName;
    return RegisterClassW(&wc) != 0;
}

bool ParseOptions(const char* command_line, int* show) {
    *show = kDefaultShow;
    const char* word = command_line;
    while (IsOptionStart(*word)) {
        switch (word[1]) {
            case '?':
                MessageBoxA(nullptr, HelpText, kHelpCaption, MB_OK);
                return false;
            case 'H':
            case 'h':
                *show = SW_HIDE;
                break;
            case 'M':
            case 'm':
                if (word[2] == 'a') *show = SW_SHOWMAXIMIZED;
                break;
            case 'N':
            case 'n':
            case 'R':
            case 'r':
                *show = SW_RESTORE;
                break;
            case 'V':
            case 'v':
                g_viewer.fix_enabled = FALSE;
                break;
            case 'A':
            case 'a':
                g_viewer.fix_all_text = TRUE;
                break;
            case 'C':
            case 'c':
                g_viewer.clean_hidden = TRUE;
                break;
            case 'S':
            case 's':
                g_viewer.show_hidden = TRUE;
                break;
            case 'T':
            case 't':
                g_viewer.tray_icon = TRUE;
                break;
            default:
                break;
        }
        word = SkipOptionWord(word);
    }
    return true;
}

BOOL CreateViewerWindow(HINSTANCE instance, int show) {
    // The first clipboard pass runs inside this call, before the menu handles are kept.
    HWND window = CreateWindowExW(0, kClassName, kWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  0, CW_USEDEFAULT, 0, nullptr, nullptr, instance, nullptr);
    if (!window) return FALSE;
    g_viewer.main_menu = GetMenu(window);
    g_viewer.format_menu = GetSubMenu(g_viewer.main_menu, kFormatMenuPosition);
    // A fix made as the window was created offers its undo now.
    ShowUndoOffer();
    CheckMenuItem(g_viewer.main_menu, IDM_FIX, g_viewer.fix_enabled ? MF_CHECKED : MF_UNCHECKED);
    CheckMenuItem(g_viewer.main_menu, IDM_FIX_ALL,
                  g_viewer.fix_all_text ? MF_CHECKED : MF_UNCHECKED);
    CheckMenuItem(g_viewer.main_menu, IDM_CLEAN, g_viewer.clean_hidden ? MF_CHECKED : MF_UNCHECKED);
    CheckMenuItem(g_viewer.main_menu, IDM_SHOW_HIDDEN,
                  g_viewer.show_hidden ? MF_CHECKED : MF_UNCHECKED);
    CheckMenuItem(g_viewer.main_menu, IDM_TRAY, g_viewer.tray_icon ? MF_CHECKED : MF_UNCHECKED);
    ReadStartWithWindows();
    // With the icon, a minimised start is one in the notification area.
    if (g_viewer.tray_icon) {
        AddNotifyIcon(window);
        if (show == SW_SHOWMINNOACTIVE) show = SW_HIDE;
    }
    ShowWindow(window, show);
    UpdateWindow(window);
    return TRUE;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int) {
    if (!RegisterViewerClass(instance)) return 0;
    int show;
    if (!ParseOptions(command_line, &show)) return 0;
    g_viewer.start_show = show;
    if (!CreateViewerWindow(instance, show)) return 0;
    CheckMenuItem(g_viewer.main_menu, IDM_DEFAULT, MF_CHECKED);
    return RunMessageLoop();
}
