// State shared by the parts of the simulated desktop. One Desktop object
// holds everything; Reset replaces it, and its destructor frees every block.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "sim_desktop.h"

namespace sim::internal {

constexpr int kDefaultClientWidth = 640;
constexpr int kDefaultClientHeight = 400;
constexpr UINT kFirstRegisteredFormat = 0xC000;
constexpr ATOM kFirstClassAtom = 0xC000;
constexpr uintptr_t kModuleHandle = 0x400000;

// Handles are plain numbers, never addresses of the data they name.
uintptr_t NewHandleValue();
template <typename Handle>
Handle NewHandle() {
    return reinterpret_cast<Handle>(NewHandleValue());
}
inline uintptr_t HandleKey(const void* handle) {
    return reinterpret_cast<uintptr_t>(handle);
}

// Counts the call and tells whether the test asked it to fail.
bool Faulted(Fault fault);

struct FreeBytes {
    void operator()(char* bytes) const { std::free(bytes); }
};

struct Block {
    std::unique_ptr<char, FreeBytes> bytes;  // exactly `size` bytes; null when size is 0
    size_t size = 0;
    int locks = 0;
    bool clipboard_owned = false;
};

struct Bitmap {
    int width = 0;
    int height = 0;
    UINT bits_per_pixel = 0;
    HDC selected_into = nullptr;
};

enum class ContextKind { Memory, Paint };
struct DeviceContext {
    ContextKind kind = ContextKind::Memory;
    HBITMAP selected = nullptr;  // null while the context's own default bitmap is selected
    HFONT font = nullptr;        // null while the context's own default font is selected
};

struct FaultSwitch {
    int passes_before_failures = 0;
    int pending_failures = 0;
    bool always = false;
    int calls = 0;
};

struct PlacedFormat {
    UINT format;
    HANDLE data;
};

// A format the clipboard offers without it being placed, and the placed
// format it is made from.
struct Derivation {
    UINT format;
    UINT source;
};

// A format made on demand from a placed one, kept until the content changes.
struct DerivedData {
    UINT source;
    HANDLE data;
};

struct Clipboard {
    bool open = false;
    HWND opened_by = nullptr;
    bool changed_while_open = false;
    HWND owner = nullptr;
    std::vector<PlacedFormat> placed;
    std::map<UINT, DerivedData> derived;
    int change_count = 0;
    DWORD sequence = 0;
    std::map<UINT, std::string> registered_names;
    UINT next_registered = kFirstRegisteredFormat;
    std::vector<UINT> read_in_session;  // formats the program read since it opened
    std::vector<UINT> converted;        // formats the program converted since emptied
    int cached_answers = 0;
};

struct ViewerChain {
    HWND head = nullptr;
    int depth = 0;
    int limit = 0;  // 0: no limit
    int deepest = 0;
};

struct WindowClass {
    std::string name;
    ATOM atom = 0;
    UINT style = 0;
    WNDPROC proc = nullptr;
    std::string menu_name;
    bool menu_by_number = false;
    WORD menu_number = 0;
};

struct Window {
    std::string class_name;
    UINT class_style = 0;
    WNDPROC proc = nullptr;
    bool alive = true;
    bool destroying = false;
    WNDPROC foreign_proc = nullptr;
    std::vector<MSG> received;
    std::u16string title;
    std::vector<std::u16string> titles;
    bool visible = false;
    bool iconic = false;
    bool zoomed = false;
    int last_show = -1;
    HMENU menu = nullptr;
    int client_width = kDefaultClientWidth;
    int client_height = kDefaultClientHeight;
    bool needs_paint = false;
    bool erase_pending = false;
    bool paint_message_given = false;  // the loop already handed out WM_PAINT for this invalidation
    int paint_count = 0;
    int invalidate_count = 0;
    int update_count = 0;
    int menu_bar_draws = 0;
};

struct Timer {
    HWND window;
    UINT_PTR id;
    unsigned period;
    unsigned due;
    TIMERPROC proc;
};

struct MenuItem {
    UINT flags = 0;
    UINT id = 0;
    std::string text;
    HMENU submenu = nullptr;
};
struct Menu {
    std::vector<MenuItem> items;
};

// A menu as the resource script describes it.
struct MenuTemplateItem {
    UINT flags = 0;
    UINT id = 0;
    std::string text;
    std::vector<MenuTemplateItem> children;
};

struct Desktop {
    std::map<Fault, FaultSwitch> faults;

    std::map<uintptr_t, Block> blocks;
    std::map<uintptr_t, std::unique_ptr<char, FreeBytes>> heap_blocks;
    std::map<uintptr_t, Bitmap> bitmaps;
    std::map<uintptr_t, WORD> pictures;  // metafiles (no entries) and palettes
    std::map<uintptr_t, DeviceContext> contexts;
    std::map<uintptr_t, HDC> fonts;  // each font and the context it is selected into
    std::vector<DrawRecord> drawn;
    std::vector<BlitRecord> blits;
    std::vector<DibRecord> dib_draws;
    int dib_reads_outside = 0;

    Clipboard clipboard;
    ViewerChain chain;

    std::vector<WindowClass> classes;
    ATOM next_atom = kFirstClassAtom;
    std::map<uintptr_t, Window> windows;  // dead windows stay, so their records can be read
    HWND active = nullptr;
    int key_down = 0;  // the one virtual key held, 0: none
    std::vector<MessageBoxRecord> message_boxes;

    std::deque<MSG> queue;
    std::map<std::pair<uintptr_t, UINT>, int> posted;
    std::vector<Timer> timers;
    UINT_PTR next_thread_timer = 1;
    unsigned now = 0;
    std::function<bool()> idle_hook;
    bool starved = false;

    std::map<uintptr_t, Menu> menus;
};

Desktop& TheDesktop();

// Global memory (sim_memory.cpp).
Block* FindBlock(HANDLE handle);
HGLOBAL AllocateBlock(UINT flags, size_t bytes);
HGLOBAL BlockFromBytes(const std::string& bytes);
std::string BlockBytes(HANDLE handle);
bool FreeBlock(HANDLE handle);

// Text passed through the A entry points of a Unicode window, in the
// process's ANSI page (sim_code_pages.cpp).
std::u16string WideFromAnsi(const std::string& text);
std::string AnsiFromWide(const std::u16string& text);

// Fonts (sim_fonts.cpp).
bool IsFont(HGDIOBJ object);
HGDIOBJ SelectFont(DeviceContext* context, HDC dc, HGDIOBJ font);
void DeselectFont(DeviceContext* context);  // as the context ends
bool DeleteFont(HGDIOBJ object);

// Bitmaps (sim_paint.cpp).
Bitmap* FindBitmap(HANDLE handle);
HBITMAP MakeBitmap(int width, int height, UINT bits_per_pixel);
bool RemoveBitmap(HANDLE handle);

// Metafiles and palettes (sim_pictures.cpp).
bool RemovePicture(HANDLE handle);
// The metafile a METAFILEPICT block names, once the clipboard lets it go.
void ReleaseMetafilePicture(HANDLE block);

// Clipboard formats made from others (sim_clipboard_formats.cpp).
bool IsTextFormat(UINT format);
std::vector<Derivation> DerivableFormats(const Clipboard& clipboard);
std::vector<UINT> EnumerationOrder(const Clipboard& clipboard);
bool OffersFormat(const Clipboard& clipboard, UINT format);
const PlacedFormat* FindPlaced(const Clipboard& clipboard, UINT format);
std::string ConvertedBytes(UINT format, UINT source, HANDLE source_data);
// Text converted as Wine converts clipboard text: the whole block through
// Unicode, with the code pages of `locale`.
std::string ConvertClipboardText(UINT format, UINT source, const std::string& bytes, LCID locale);
HANDLE MakeDerivedData(UINT format, UINT source, HANDLE source_data);

// Clipboard without the caller's bookkeeping (sim_clipboard.cpp): the test
// helpers act through these so that they count no call and meet no fault.
bool OpenClipboardAs(HWND window);
bool EmptyOpenClipboard();
bool PlaceOnOpenClipboard(UINT format, HANDLE data);
bool CloseAndAnnounce();
void ReleaseClipboardData(HANDLE data);

// The reading process's cache (sim_reader_cache.cpp).
void NoteOpen(Clipboard& clipboard);
void NoteRead(Clipboard& clipboard, UINT format, bool derived);

// Viewer chain (sim_viewer_chain.cpp).
void AnnounceClipboardChange();

// Windows and messages (sim_windows.cpp, sim_messages.cpp).
Window* LiveWindow(HWND window);
Window* AnyWindow(HWND window);
void RemoveTimersOf(HWND window);

// Menus (sim_menus.cpp, sim_resources.cpp).
HMENU BuildMenu(const std::vector<MenuTemplateItem>& items);
bool LoadMenuTemplate(const WindowClass& window_class, std::vector<MenuTemplateItem>* items);

}  // namespace sim::internal
