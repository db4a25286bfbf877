// Window classes and top-level windows, the program's own and those of
// other programs, with their show state and titles.
#include <algorithm>
#include <cstring>
#include <strings.h>

#include "sim_internal.h"

namespace sim::internal {

namespace {

constexpr DWORD kVisibleStyle = 0x10000000;
constexpr LRESULT kCreateFailed = -1;
constexpr uintptr_t kIconHandle = 0x1000;
constexpr uintptr_t kCursorHandle = 0x1004;
constexpr WPARAM kSizeRestored = 0;
constexpr int kHighWordShift = 16;
constexpr uint32_t kLowWordMask = 0xffff;

LPARAM SizeParameter(int width, int height) {
    return static_cast<LPARAM>((static_cast<uint32_t>(height) << kHighWordShift) |
                               (static_cast<uint32_t>(width) & kLowWordMask));
}

bool SameClassName(const std::string& name, LPCSTR wanted) {
    return strcasecmp(name.c_str(), wanted) == 0;
}

const WindowClass* FindClass(LPCSTR name) {
    for (const WindowClass& window_class : TheDesktop().classes) {
        if (IS_INTRESOURCE(name) ? window_class.atom == LOWORD(name)
                                 : SameClassName(window_class.name, name)) {
            return &window_class;
        }
    }
    return nullptr;
}

WindowClass ClassFrom(const WNDCLASSA& wc, ATOM atom) {
    WindowClass window_class;
    window_class.name = wc.lpszClassName;
    window_class.atom = atom;
    window_class.style = wc.style;
    window_class.proc = wc.lpfnWndProc;
    if (wc.lpszMenuName && IS_INTRESOURCE(wc.lpszMenuName)) {
        window_class.menu_by_number = true;
        window_class.menu_number = LOWORD(wc.lpszMenuName);
    } else if (wc.lpszMenuName) {
        window_class.menu_name = wc.lpszMenuName;
    }
    return window_class;
}

HMENU LoadClassMenu(const WindowClass& window_class) {
    std::vector<MenuTemplateItem> items;
    if (!LoadMenuTemplate(window_class, &items)) return nullptr;
    return BuildMenu(items);
}

LRESULT CALLBACK ForeignProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* record = AnyWindow(window);
    if (!record) return 0;
    record->received.push_back({window, message, wParam, lParam, TheDesktop().now, {0, 0}});
    WNDPROC proc = record->foreign_proc;
    return proc ? proc(window, message, wParam, lParam)
                : DefWindowProcA(window, message, wParam, lParam);
}

HWND AddWindow(Window window) {
    HWND handle = NewHandle<HWND>();
    TheDesktop().windows.emplace(HandleKey(handle), std::move(window));
    return handle;
}

void Deactivate(HWND window) {
    if (TheDesktop().active == window) TheDesktop().active = nullptr;
}

void ApplyShowCommand(HWND handle, Window* window, int show) {
    bool was_iconic = window->iconic;
    bool activate = false;
    switch (show) {
        case SW_HIDE:
            window->visible = false;
            Deactivate(handle);
            return;
        case SW_SHOWMINNOACTIVE:
            window->iconic = true;
            window->zoomed = false;
            break;
        case SW_SHOWMINIMIZED:
            window->iconic = true;
            window->zoomed = false;
            activate = true;
            break;
        case SW_MINIMIZE:
            window->iconic = true;
            window->zoomed = false;
            Deactivate(handle);
            break;
        case SW_SHOWMAXIMIZED:
            window->iconic = false;
            window->zoomed = true;
            activate = true;
            break;
        case SW_SHOWNOACTIVATE:
            window->iconic = false;
            window->zoomed = false;
            break;
        case SW_SHOWNORMAL:
        case SW_RESTORE:
            window->iconic = false;
            window->zoomed = false;
            activate = true;
            break;
        default:
            activate = show == SW_SHOW;
            break;
    }
    window->visible = true;
    if (activate) TheDesktop().active = handle;
    // A window restored from its icon gets its whole client area back, all
    // of it to be painted.
    if (was_iconic && !window->iconic) {
        window->needs_paint = true;
        window->erase_pending = true;
        window->paint_message_given = false;
    }
}

const std::vector<MSG>& NoMessages() {
    static const std::vector<MSG> none;
    return none;
}

}  // namespace

Window* AnyWindow(HWND window) {
    auto& windows = TheDesktop().windows;
    auto found = windows.find(HandleKey(window));
    return found == windows.end() ? nullptr : &found->second;
}

Window* LiveWindow(HWND window) {
    Window* record = AnyWindow(window);
    return record && record->alive ? record : nullptr;
}

}  // namespace sim::internal

using sim::Fault;
using sim::internal::AnyWindow;
using sim::internal::Faulted;
using sim::internal::LiveWindow;
using sim::internal::TheDesktop;
using sim::internal::Window;

ATOM WINAPI RegisterClassA(const WNDCLASSA* wc) {
    if (Faulted(Fault::RegisterClass)) return 0;
    if (!wc || !wc->lpszClassName || !wc->lpfnWndProc) return 0;
    if (sim::internal::FindClass(wc->lpszClassName)) return 0;
    ATOM atom = TheDesktop().next_atom++;
    TheDesktop().classes.push_back(sim::internal::ClassFrom(*wc, atom));
    return atom;
}

namespace sim::internal {

namespace {

// A name given to a W entry point, as its A twin takes it: null and
// resource numbers as they are, text in the process's ANSI page, kept in
// `narrow`.
LPCSTR NarrowName(LPCWSTR name, std::string* narrow) {
    if (!name || IS_INTRESOURCE(name)) return reinterpret_cast<LPCSTR>(name);
    *narrow = AnsiFromWide(name);
    return narrow->c_str();
}

}  // namespace

}  // namespace sim::internal

ATOM WINAPI RegisterClassW(const WNDCLASSW* wc) {
    if (!wc) return RegisterClassA(nullptr);
    std::string menu_name;
    std::string class_name;
    WNDCLASSA narrow = {wc->style,
                        wc->lpfnWndProc,
                        wc->cbClsExtra,
                        wc->cbWndExtra,
                        wc->hInstance,
                        wc->hIcon,
                        wc->hCursor,
                        wc->hbrBackground,
                        sim::internal::NarrowName(wc->lpszMenuName, &menu_name),
                        sim::internal::NarrowName(wc->lpszClassName, &class_name)};
    return RegisterClassA(&narrow);
}

HWND WINAPI CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR title, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
    std::u16string wide_class = class_name ? sim::internal::WideFromAnsi(class_name) : u"";
    std::u16string wide_title = title ? sim::internal::WideFromAnsi(title) : u"";
    return CreateWindowExW(ex_style, class_name ? wide_class.c_str() : nullptr,
                           title ? wide_title.c_str() : nullptr, style, x, y, width, height, parent,
                           menu, instance, param);
}

// The window exists, with its title and menu, while WM_CREATE runs.
HWND WINAPI CreateWindowExW(DWORD, LPCWSTR wide_class, LPCWSTR title, DWORD style, int, int, int,
                            int, HWND, HMENU menu, HINSTANCE, LPVOID) {
    if (Faulted(Fault::CreateWindow)) return nullptr;
    std::string narrow_class;
    LPCSTR class_name = sim::internal::NarrowName(wide_class, &narrow_class);
    const sim::internal::WindowClass* window_class = sim::internal::FindClass(class_name);
    if (!window_class) return nullptr;
    Window window;
    window.class_name = window_class->name;
    window.class_style = window_class->style;
    window.proc = window_class->proc;
    window.title = title ? title : u"";
    window.titles.push_back(window.title);
    window.visible = (style & sim::internal::kVisibleStyle) != 0;
    window.menu = menu ? menu : sim::internal::LoadClassMenu(*window_class);
    HWND handle = sim::internal::AddWindow(std::move(window));
    if (SendMessageA(handle, WM_CREATE, 0, 0) == sim::internal::kCreateFailed) {
        DestroyWindow(handle);
        return nullptr;
    }
    return handle;
}

HWND WINAPI FindWindowA(LPCSTR class_name, LPCSTR title) {
    for (const auto& entry : TheDesktop().windows) {
        const Window& window = entry.second;
        if (!window.alive) continue;
        if (class_name && !sim::internal::SameClassName(window.class_name, class_name)) continue;
        if (title && window.title != sim::internal::WideFromAnsi(title)) continue;
        return reinterpret_cast<HWND>(entry.first);
    }
    return nullptr;
}

HWND WINAPI FindWindowW(LPCWSTR class_name, LPCWSTR title) {
    std::string narrow_class;
    std::string narrow_title;
    return FindWindowA(sim::internal::NarrowName(class_name, &narrow_class),
                       sim::internal::NarrowName(title, &narrow_title));
}

BOOL WINAPI ShowWindow(HWND window, int show) {
    if (Faulted(Fault::ShowWindow)) return FALSE;
    Window* record = LiveWindow(window);
    if (!record) return FALSE;
    BOOL was_visible = record->visible ? TRUE : FALSE;
    sim::internal::ApplyShowCommand(window, record, show);
    record->last_show = show;
    return was_visible;
}

HWND WINAPI SetActiveWindow(HWND window) {
    if (!LiveWindow(window)) return nullptr;
    HWND previous = TheDesktop().active;
    TheDesktop().active = window;
    return previous;
}

BOOL WINAPI DestroyWindow(HWND window) {
    Window* record = LiveWindow(window);
    if (!record || record->destroying) return FALSE;
    record->destroying = true;
    SendMessageA(window, WM_DESTROY, 0, 0);
    record = AnyWindow(window);
    if (!record) return TRUE;  // the desktop was reset while the window handled WM_DESTROY
    record->alive = false;
    record->visible = false;
    sim::internal::RemoveTimersOf(window);
    sim::internal::Deactivate(window);
    return TRUE;
}

BOOL WINAPI IsWindow(HWND window) {
    return LiveWindow(window) ? TRUE : FALSE;
}

BOOL WINAPI IsWindowVisible(HWND window) {
    Window* record = LiveWindow(window);
    return record && record->visible ? TRUE : FALSE;
}

BOOL WINAPI IsIconic(HWND window) {
    Window* record = LiveWindow(window);
    return record && record->iconic ? TRUE : FALSE;
}

short WINAPI GetKeyState(int key) {
    return sim::internal::TheDesktop().key_down == key ? static_cast<short>(0x8000) : 0;
}

BOOL WINAPI IsZoomed(HWND window) {
    Window* record = LiveWindow(window);
    return record && record->zoomed ? TRUE : FALSE;
}

BOOL WINAPI SetWindowPos(HWND window, HWND, int, int, int width, int height, UINT) {
    if (!LiveWindow(window)) return FALSE;
    sim::SetClientSize(window, width, height);
    return TRUE;
}

// Titles are kept in UTF-16, as a Unicode window keeps them.
BOOL WINAPI SetWindowTextW(HWND window, LPCWSTR text) {
    if (Faulted(Fault::SetWindowText)) return FALSE;
    Window* record = LiveWindow(window);
    if (!record) return FALSE;
    record->title = text ? text : u"";
    record->titles.push_back(record->title);
    return TRUE;
}

BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text) {
    std::u16string wide = text ? sim::internal::WideFromAnsi(text) : u"";
    return SetWindowTextW(window, text ? wide.c_str() : nullptr);
}

namespace sim::internal {

namespace {

template <typename Char>
int CopyTitle(const std::basic_string<Char>& title, Char* text, int size) {
    if (!text || size <= 0) return 0;
    size_t copied = std::min(title.size(), static_cast<size_t>(size - 1));
    std::copy(title.begin(), title.begin() + copied, text);
    text[copied] = 0;
    return static_cast<int>(copied);
}

}  // namespace

}  // namespace sim::internal

int WINAPI GetWindowTextW(HWND window, LPWSTR text, int size) {
    Window* record = LiveWindow(window);
    return sim::internal::CopyTitle(record ? record->title : std::u16string(), text, size);
}

int WINAPI GetWindowTextA(HWND window, LPSTR text, int size) {
    Window* record = LiveWindow(window);
    return sim::internal::CopyTitle(
        record ? sim::internal::AnsiFromWide(record->title) : std::string(), text, size);
}

HICON WINAPI LoadIconA(HINSTANCE, LPCSTR) {
    return reinterpret_cast<HICON>(sim::internal::kIconHandle);
}

HCURSOR WINAPI LoadCursorA(HINSTANCE, LPCSTR) {
    return reinterpret_cast<HCURSOR>(sim::internal::kCursorHandle);
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    TheDesktop().message_boxes.push_back({owner, text ? text : "", caption ? caption : "", type});
    return IDOK;
}

namespace sim {

HWND CreateForeignWindow(const char* class_name, WNDPROC proc) {
    internal::Window window;
    window.class_name = class_name ? class_name : "";
    window.proc = internal::ForeignProcedure;
    window.foreign_proc = proc;
    window.visible = true;
    return internal::AddWindow(std::move(window));
}

const std::vector<MSG>& Received(HWND foreign) {
    Window* record = AnyWindow(foreign);
    return record ? record->received : internal::NoMessages();
}

void ClearReceived(HWND foreign) {
    if (Window* record = AnyWindow(foreign)) record->received.clear();
}

std::string WindowTitle(HWND window) {
    return internal::AnsiFromWide(WindowTitleW(window));
}

std::u16string WindowTitleW(HWND window) {
    Window* record = AnyWindow(window);
    return record ? record->title : std::u16string();
}

std::vector<std::string> TitleHistory(HWND window) {
    std::vector<std::string> titles;
    if (Window* record = AnyWindow(window)) {
        for (const std::u16string& title : record->titles) {
            titles.push_back(internal::AnsiFromWide(title));
        }
    }
    return titles;
}

bool IsAlive(HWND window) {
    return LiveWindow(window) != nullptr;
}

bool IsActive(HWND window) {
    return window && internal::TheDesktop().active == window;
}

int LastShowCommand(HWND window) {
    Window* record = AnyWindow(window);
    return record ? record->last_show : -1;
}

void HoldKey(int key) {
    TheDesktop().key_down = key;
}

// A resize repaints the whole client area when the class asks for that.
void SetClientSize(HWND window, int width, int height) {
    Window* record = LiveWindow(window);
    if (!record) return;
    bool resized = record->client_width != width || record->client_height != height;
    record->client_width = width;
    record->client_height = height;
    if (resized && (record->class_style & (CS_HREDRAW | CS_VREDRAW))) {
        record->needs_paint = true;
        record->erase_pending = true;
        record->paint_message_given = false;
    }
    SendMessageA(window, WM_SIZE, internal::kSizeRestored, internal::SizeParameter(width, height));
}

HWND TopLevelWindow(const char* class_name) {
    for (const auto& entry : internal::TheDesktop().windows) {
        const Window& window = entry.second;
        if (window.alive &&
            (!class_name || internal::SameClassName(window.class_name, class_name))) {
            return reinterpret_cast<HWND>(entry.first);
        }
    }
    return nullptr;
}

const std::vector<MessageBoxRecord>& MessageBoxes() {
    return internal::TheDesktop().message_boxes;
}

}  // namespace sim
