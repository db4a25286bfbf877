// Test-side controls of the simulated desktop: other programs, fault
// switches, a virtual clock, and records of what the program drew, showed
// and sent. Only host tests include this header; the program never does.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "sim_win32.h"

namespace sim {

// A fresh desktop: no windows or classes, an empty clipboard and viewer
// chain, no timers, no faults, clock at 0, records cleared, every block freed.
void Reset();

// Calls that a test can make fail. A failing call returns the platform's
// failure value (FALSE, NULL, 0, -1 as Win32 does) and changes nothing.
enum class Fault {
    OpenClipboard,
    CloseClipboard,
    EmptyClipboard,
    SetClipboardData,
    GetClipboardData,
    EnumClipboardFormats,
    GetClipboardFormatName,
    SetClipboardViewer,
    GlobalAlloc,
    GlobalLock,
    SetWindowText,
    RegisterClass,
    CreateWindow,
    ShowWindow,
    SetTimer,
    BeginPaint,
    CreateCompatibleDC,
    AppendMenu,
    CreateBitmap,
    CopyEnhMetaFile,
    CopyMetaFile,
    CreatePalette,
};
// The next `times` calls fail, once the `after` calls before them have passed.
void FailNext(Fault fault, int times = 1, int after = 0);
void FailAlways(Fault fault);  // every call fails until ClearFaults
void ClearFaults();
int CallCount(Fault fault);  // calls made since Reset, failed ones included

// Windows of other programs. Their procedure records every message it gets
// (see Received) and answers with DefWindowProcA, unless `proc` is given.
HWND CreateForeignWindow(const char* class_name = "SimForeign", WNDPROC proc = nullptr);
const std::vector<MSG>& Received(HWND foreign);
void ClearReceived(HWND foreign);

// Clipboard contents as another program places them. Each block is exactly
// `bytes` long (no terminator is added). Opens, empties, sets and closes as
// `owner`, which announces the change to the viewer chain. False when the
// clipboard could not be opened.
struct ClipData {
    UINT format;
    std::string bytes;
};
bool PlaceClipboard(HWND owner, const std::vector<ClipData>& formats);
bool PlaceClipboardBitmap(HWND owner, HBITMAP bitmap);
bool PlaceClipboardEmptyHandle(HWND owner, UINT format);  // SetClipboardData(format, NULL)
// Data as an owner hands it over: a new picture for a bitmap, an enhanced
// metafile, a METAFILEPICT (a block naming a new metafile) or a palette;
// a block of exactly `bytes` for any other format.
HANDLE NewClipData(UINT format, const std::string& bytes = std::string());
bool PlaceClipboardData(HWND owner, const std::vector<std::pair<UINT, HANDLE>>& formats);
// Metafiles and palettes that neither the clipboard holds nor anybody deleted.
int LivePictures();

// Inspection, without opening the clipboard and without counting as a call.
std::vector<UINT> ClipboardFormats();     // enumeration order, derived formats included
bool ClipboardHas(UINT format);           // placed or derivable
std::string ClipboardBlock(UINT format);  // the whole block (GlobalSize bytes); "" if absent
size_t ClipboardBlockSize(UINT format);   // GlobalSize of the block; 0 if absent
bool ConvertedSincePlaced(UINT format);   // a reader made the platform derive it
HWND ClipboardOpenedBy();                 // window holding it open; NULL when closed
bool ClipboardIsOpen();
HWND ClipboardOwnerWindow();
int ClipboardChangeCount();  // closes that announced a change

// GetClipboardData calls that Wine answers from the reading process's own
// cache: a format read again while the clipboard stays open, data the
// reader placed itself, and the first read of a format the reader converts
// (it is then fetched again from the cache). Wine 8 loses about 1 KB for
// good at each such answer.
int CachedAnswers();

// Memory accounting: blocks that nobody owns yet (not handed to the
// clipboard and not freed), and locks not yet matched by an unlock.
size_t LiveUnownedBlocks();
int OutstandingLocks();
size_t LiveHeapBlocks();  // allocated from the process's heap and not freed

// Viewer chain.
HWND ViewerChainHead();
void SetNestingLimit(int depth);  // announcements nested deeper are dropped (Wine: about 64)
int DeepestNesting();             // deepest nested WM_DRAWCLIPBOARD delivery seen

// Windows.
std::string WindowTitle(HWND window);  // as GetWindowTextA reads it
std::u16string WindowTitleW(HWND window);
std::vector<std::string> TitleHistory(HWND window);  // every title set, in order
bool IsAlive(HWND window);
bool IsActive(HWND window);
int LastShowCommand(HWND window);                        // -1 before any ShowWindow
void SetClientSize(HWND window, int width, int height);  // default 640 x 400
void HoldKey(int key);  // GetKeyState reports it held until HoldKey(0)
HWND TopLevelWindow(const char* class_name);

// Messages and the virtual clock. GetMessageA never blocks: with nothing
// queued it moves the clock to the next due timer; with no timer either it
// asks the idle hook, and ends the loop (returns 0, LoopStarved true) when
// there is no hook or the hook returns false.
void PumpMessages();             // dispatch what is queued, clock unchanged
void AdvanceClock(unsigned ms);  // dispatch WM_TIMER for timers due on the way, and pump
unsigned Now();                  // virtual milliseconds since Reset
void SetIdleHook(std::function<bool()> hook);
bool LoopStarved();
size_t QueuedMessages();
bool TimerArmed(HWND window, UINT_PTR id);
int PostedCount(HWND window, UINT message);  // PostMessageA calls since Reset

// Painting and drawing records.
struct DrawRecord {
    HDC dc;
    std::string text;  // the bytes passed, as counted (count -1: up to the NUL), in the ANSI page
    RECT rect;
    UINT flags;
    std::u16string wide;  // the same characters in UTF-16
    HFONT font;           // the font selected into the context; NULL: its default one
};
struct BlitRecord {
    HDC dest;
    int x, y, width, height;
    HBITMAP source_bitmap;  // bitmap selected into the source context, or NULL
    int src_x, src_y;
    DWORD rop;
};
// A device-independent bitmap drawn: where, and how far behind the start
// of its header the pixels passed begin.
struct DibRecord {
    HDC dest;
    int x, y;
    DWORD width, height;
    UINT start_scan, lines;
    size_t pixels_offset;
};
const std::vector<DrawRecord>& DrawnText();
const std::vector<BlitRecord>& Blits();
const std::vector<DibRecord>& DibDraws();
// SetDIBitsToDevice calls whose header or rows do not lie inside one
// locked block; such a call draws nothing and returns 0.
int DibReadsOutsideBlocks();
// Bitmaps that neither the clipboard holds nor anybody deleted.
int LiveGdiObjects();
void ClearDrawRecords();
int PaintCount(HWND window);   // BeginPaint calls
bool NeedsPaint(HWND window);  // invalidated and not yet painted
int InvalidateCount(HWND window);
int UpdateWindowCount(HWND window);
int DrawMenuBarCount(HWND window);
// The rows that DT_WORDBREAK lays text out in, `width` pixels wide: lines
// end at CR, LF or either with the other after it, words wrap at spaces and
// tabs, and a word wider than the row is broken (as Wine does) or, when
// `long_words_break` is false, kept whole on a row of its own and clipped.
std::vector<std::string> WrappedRows(const std::string& text, int width, bool long_words_break);
int LiveDeviceContexts();  // memory contexts created and not deleted, plus open paints
int LiveFonts();           // fonts created and not deleted
int LineHeight();          // tmHeight of every context (16)

// Message boxes: recorded and answered with IDOK at once.
struct MessageBoxRecord {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};
const std::vector<MessageBoxRecord>& MessageBoxes();

}  // namespace sim
