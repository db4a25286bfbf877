// Host stand-in for <windows.h>: the names, types and constants that the
// program uses, implemented by the simulated desktop (sim_*.cpp). Values are
// those of the real Win32 headers, so the same sources behave alike on both.
#pragma once

#include <cstddef>
#include <cstdint>

#define WINAPI
#define WINAPIV
#define CALLBACK
#define APIENTRY

typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef unsigned int UINT;
typedef char CHAR;
typedef CHAR* LPSTR;
typedef const CHAR* LPCSTR;
typedef void* LPVOID;
typedef size_t SIZE_T;
typedef uintptr_t UINT_PTR;
typedef uintptr_t DWORD_PTR;
typedef uintptr_t ULONG_PTR;
typedef uintptr_t WPARAM;
typedef char16_t WCHAR;
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef WORD ATOM;
typedef DWORD COLORREF;

#define DECLARE_SIM_HANDLE(name) \
    struct name##__ {            \
        int unused;              \
    };                           \
    typedef struct name##__* name

typedef void* HANDLE;
typedef HANDLE HGLOBAL;
typedef HANDLE HGDIOBJ;
DECLARE_SIM_HANDLE(HWND);
DECLARE_SIM_HANDLE(HINSTANCE);
DECLARE_SIM_HANDLE(HMENU);
DECLARE_SIM_HANDLE(HDC);
DECLARE_SIM_HANDLE(HBITMAP);
DECLARE_SIM_HANDLE(HICON);
DECLARE_SIM_HANDLE(HBRUSH);
DECLARE_SIM_HANDLE(HFONT);
DECLARE_SIM_HANDLE(HENHMETAFILE);
DECLARE_SIM_HANDLE(HMETAFILE);
DECLARE_SIM_HANDLE(HPALETTE);
typedef HICON HCURSOR;
typedef HINSTANCE HMODULE;

#define TRUE 1
#define FALSE 0

#define LOWORD(l) ((WORD)(((uintptr_t)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((uintptr_t)(l)) >> 16) & 0xffff))
#define MAKEINTRESOURCEA(i) ((LPSTR)((uintptr_t)((WORD)(i))))
#define IS_INTRESOURCE(r) ((((uintptr_t)(r)) >> 16) == 0)

typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);
typedef void(CALLBACK* TIMERPROC)(HWND, UINT, UINT_PTR, DWORD);
typedef void(CALLBACK* SENDASYNCPROC)(HWND, UINT, ULONG_PTR, LRESULT);

struct POINT {
    LONG x;
    LONG y;
};

struct SIZE {
    LONG cx;
    LONG cy;
};
typedef SIZE* LPSIZE;
typedef int* LPINT;
typedef intptr_t(WINAPI* FARPROC)();

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
typedef RECT* LPRECT;
typedef const RECT* LPCRECT;

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};
typedef MSG* LPMSG;

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
};
typedef PAINTSTRUCT* LPPAINTSTRUCT;

struct WNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
};

struct WNDCLASSW {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCWSTR lpszMenuName;
    LPCWSTR lpszClassName;
};

#define LF_FACESIZE 32
struct LOGFONTW {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    WCHAR lfFaceName[LF_FACESIZE];
};

// Only the message font is read; the other fields keep the real layout's names.
struct NONCLIENTMETRICSW {
    UINT cbSize;
    int iBorderWidth;
    int iScrollWidth;
    int iScrollHeight;
    int iCaptionWidth;
    int iCaptionHeight;
    LOGFONTW lfCaptionFont;
    int iSmCaptionWidth;
    int iSmCaptionHeight;
    LOGFONTW lfSmCaptionFont;
    int iMenuWidth;
    int iMenuHeight;
    LOGFONTW lfMenuFont;
    LOGFONTW lfStatusFont;
    LOGFONTW lfMessageFont;
    int iPaddedBorderWidth;
};

struct TEXTMETRICA {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
};

typedef TEXTMETRICA TEXTMETRICW;  // the fields read are the same in both

// Messages
#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_SIZE 0x0005
#define WM_SETFONT 0x0030
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_ERASEBKGND 0x0014
#define WM_SETTINGCHANGE 0x001A
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_COMMAND 0x0111
#define WM_SYSCOMMAND 0x0112
#define WM_TIMER 0x0113
#define WM_INITMENUPOPUP 0x0117
#define WM_DPICHANGED 0x02E0
#define WM_DESTROYCLIPBOARD 0x0307
#define WM_DRAWCLIPBOARD 0x0308
#define WM_CHANGECBCHAIN 0x030D
#define WM_USER 0x0400
#define WM_APP 0x8000

#define SMTO_BLOCK 0x0001
#define SMTO_ABORTIFHUNG 0x0002

#define SC_CLOSE 0xF060

// Clipboard formats
#define CF_TEXT 1
#define CF_BITMAP 2
#define CF_METAFILEPICT 3
#define CF_SYLK 4
#define CF_DIF 5
#define CF_TIFF 6
#define CF_OEMTEXT 7
#define CF_DIB 8
#define CF_PALETTE 9
#define CF_PENDATA 10
#define CF_RIFF 11
#define CF_WAVE 12
#define CF_UNICODETEXT 13
#define CF_ENHMETAFILE 14
#define CF_LOCALE 16
#define CF_DIBV5 17
#define CF_OWNERDISPLAY 0x0080

// Menus
#define MF_STRING 0x0000
#define MF_UNCHECKED 0x0000
#define MF_ENABLED 0x0000
#define MF_BYCOMMAND 0x0000
#define MF_GRAYED 0x0001
#define MF_DISABLED 0x0002
#define MF_CHECKED 0x0008
#define MF_POPUP 0x0010
#define MF_BYPOSITION 0x0400
#define MF_SEPARATOR 0x0800

// Show modes
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMAXIMIZED 3
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_SHOWMINNOACTIVE 7
#define SW_RESTORE 9

// DrawText flags
#define DT_TOP 0x0000
#define DT_LEFT 0x0000
#define DT_CENTER 0x0001
#define DT_VCENTER 0x0004
#define DT_WORDBREAK 0x0010
#define DT_SINGLELINE 0x0020
#define DT_EXPANDTABS 0x0040
#define DT_NOCLIP 0x0100
#define DT_NOPREFIX 0x0800

// Global memory
#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GMEM_DDESHARE 0x2000
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define HEAP_ZERO_MEMORY 0x0008

// Windows and classes
#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define COLOR_WINDOW 5
#define COLOR_WINDOWTEXT 8
#define COLOR_HIGHLIGHT 13
#define COLOR_GRAYTEXT 17
#define WS_OVERLAPPEDWINDOW 0x00CF0000
#define WS_CHILD 0x40000000
#define WS_VISIBLE 0x10000000
#define CW_USEDEFAULT ((int)0x80000000)
#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define VK_F1 0x70
#define VK_CONTROL 0x11
#define SRCCOPY 0x00CC0020
#define SWP_NOZORDER 0x0004
#define SWP_NOACTIVATE 0x0010
#define LOGPIXELSY 90
#define TRANSPARENT 1
#define OPAQUE 2

#define SPI_GETNONCLIENTMETRICS 0x0029

// Message boxes
#define MB_OK 0x00000000
#define IDOK 1

// Clipboard
BOOL WINAPI OpenClipboard(HWND window);
BOOL WINAPI CloseClipboard(void);
BOOL WINAPI EmptyClipboard(void);
HANDLE WINAPI GetClipboardData(UINT format);
HANDLE WINAPI SetClipboardData(UINT format, HANDLE data);
UINT WINAPI EnumClipboardFormats(UINT format);
int WINAPI CountClipboardFormats(void);
BOOL WINAPI IsClipboardFormatAvailable(UINT format);
int WINAPI GetPriorityClipboardFormat(UINT* list, int count);
int WINAPI GetClipboardFormatNameA(UINT format, LPSTR name, int size);
UINT WINAPI RegisterClipboardFormatA(LPCSTR name);
HWND WINAPI GetClipboardOwner(void);
// Counts the changes: every EmptyClipboard and SetClipboardData.
DWORD WINAPI GetClipboardSequenceNumber(void);
HWND WINAPI SetClipboardViewer(HWND window);
BOOL WINAPI ChangeClipboardChain(HWND remove, HWND next);

// Global memory
HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes);
LPVOID WINAPI GlobalLock(HGLOBAL block);
BOOL WINAPI GlobalUnlock(HGLOBAL block);
SIZE_T WINAPI GlobalSize(HGLOBAL block);
HGLOBAL WINAPI GlobalFree(HGLOBAL block);
HGLOBAL WINAPI GlobalReAlloc(HGLOBAL block, SIZE_T bytes, UINT flags);

// The process's heap: private memory of exactly the size asked for
HANDLE WINAPI GetProcessHeap(void);
LPVOID WINAPI HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes);
LPVOID WINAPI HeapReAlloc(HANDLE heap, DWORD flags, LPVOID memory, SIZE_T bytes);
BOOL WINAPI HeapFree(HANDLE heap, DWORD flags, LPVOID memory);

// Modules: USER32's entry points that not every system has, by name
HMODULE WINAPI GetModuleHandleA(LPCSTR name);
FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name);

// Windows and messages
ATOM WINAPI RegisterClassA(const WNDCLASSA* wc);
HWND WINAPI CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR title, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param);
HWND WINAPI FindWindowA(LPCSTR class_name, LPCSTR title);
BOOL WINAPI ShowWindow(HWND window, int show);
BOOL WINAPI UpdateWindow(HWND window);
HWND WINAPI SetActiveWindow(HWND window);
BOOL WINAPI DestroyWindow(HWND window);
BOOL WINAPI IsWindow(HWND window);
BOOL WINAPI IsWindowVisible(HWND window);
BOOL WINAPI IsIconic(HWND window);
short WINAPI GetKeyState(int key);  // the top bit set while the key is held
BOOL WINAPI IsZoomed(HWND window);
BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text);
int WINAPI GetWindowTextA(HWND window, LPSTR text, int size);
BOOL WINAPI SetWindowTextW(HWND window, LPCWSTR text);
int WINAPI GetWindowTextW(HWND window, LPWSTR text, int size);
ATOM WINAPI RegisterClassW(const WNDCLASSW* wc);
HWND WINAPI CreateWindowExW(DWORD ex_style, LPCWSTR class_name, LPCWSTR title, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param);
HWND WINAPI FindWindowW(LPCWSTR class_name, LPCWSTR title);
LRESULT WINAPI DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL WINAPI GetMessageW(LPMSG msg, HWND window, UINT first, UINT last);
LRESULT WINAPI DispatchMessageW(const MSG* msg);
BOOL WINAPI SystemParametersInfoW(UINT action, UINT param, void* data, UINT ini);
BOOL WINAPI InvalidateRect(HWND window, const RECT* rect, BOOL erase);
BOOL WINAPI GetClientRect(HWND window, LPRECT rect);
// Windows of the simulation have no frame: the size is the client area's.
BOOL WINAPI SetWindowPos(HWND window, HWND after, int x, int y, int width, int height, UINT flags);
LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL WINAPI GetMessageA(LPMSG msg, HWND window, UINT first, UINT last);
BOOL WINAPI TranslateMessage(const MSG* msg);
LRESULT WINAPI DispatchMessageA(const MSG* msg);
LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Windows of the simulation answer at once, so this never times out.
LRESULT WINAPI SendMessageTimeoutA(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT flags, UINT timeout_ms, DWORD_PTR* result);
// Queued messages are taken at once too, as by a window of the same thread.
BOOL WINAPI SendNotifyMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL WINAPI SendMessageCallbackA(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                 SENDASYNCPROC callback, ULONG_PTR data);
void WINAPI PostQuitMessage(int code);
DWORD WINAPI GetTickCount(void);  // the virtual clock
UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse_ms, TIMERPROC proc);
BOOL WINAPI KillTimer(HWND window, UINT_PTR id);
HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name);
HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name);
int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// Menus
HMENU WINAPI GetMenu(HWND window);
HMENU WINAPI GetSubMenu(HMENU menu, int position);
DWORD WINAPI CheckMenuItem(HMENU menu, UINT item, UINT flags);
BOOL WINAPI EnableMenuItem(HMENU menu, UINT item, UINT flags);
int WINAPI GetMenuItemCount(HMENU menu);
UINT WINAPI GetMenuItemID(HMENU menu, int position);
UINT WINAPI GetMenuState(HMENU menu, UINT item, UINT flags);
int WINAPI GetMenuStringA(HMENU menu, UINT item, LPSTR text, int size, UINT flags);
BOOL WINAPI DeleteMenu(HMENU menu, UINT position, UINT flags);
BOOL WINAPI AppendMenuA(HMENU menu, UINT flags, UINT_PTR id, LPCSTR text);
BOOL WINAPI DrawMenuBar(HWND window);

// Painting
HDC WINAPI BeginPaint(HWND window, LPPAINTSTRUCT ps);
BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT* ps);
int WINAPI DrawTextA(HDC dc, LPCSTR text, int count, LPRECT rect, UINT format);
int WINAPI DrawTextW(HDC dc, LPCWSTR text, int count, LPRECT rect, UINT format);
BOOL WINAPI GetTextMetricsA(HDC dc, TEXTMETRICA* metrics);
BOOL WINAPI GetTextMetricsW(HDC dc, TEXTMETRICW* metrics);
// Every character is 8 pixels wide, but for the zero-width ones: combining
// marks, U+200B to U+200D and variation selectors.
BOOL WINAPI GetTextExtentExPointW(HDC dc, LPCWSTR text, int count, int max_extent, LPINT fit,
                                  LPINT extents, LPSIZE size);
HFONT WINAPI CreateFontIndirectW(const LOGFONTW* font);
// The simulated screen has 96 pixels to the inch.
int WINAPI GetDeviceCaps(HDC dc, int index);
int WINAPI MulDiv(int number, int numerator, int denominator);
HDC WINAPI CreateCompatibleDC(HDC dc);
HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object);
// System colours are fixed; their brushes are the system's, never freed.
DWORD WINAPI GetSysColor(int index);
HBRUSH WINAPI GetSysColorBrush(int index);
int WINAPI FillRect(HDC dc, const RECT* rect, HBRUSH brush);
COLORREF WINAPI SetTextColor(HDC dc, COLORREF colour);
// Text has no background and nothing is clipped in the simulation; the
// mode and the clip are not kept.
int WINAPI SetBkMode(HDC dc, int mode);
int WINAPI SaveDC(HDC dc);
BOOL WINAPI RestoreDC(HDC dc, int saved);
int WINAPI IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
BOOL WINAPI BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int src_x, int src_y,
                   DWORD rop);
BOOL WINAPI DeleteDC(HDC dc);
HBITMAP WINAPI CreateBitmap(int width, int height, UINT planes, UINT bits_per_pixel,
                            const void* bits);
BOOL WINAPI DeleteObject(HGDIOBJ object);

// Pictures: copies of bitmaps, metafiles of both forms and palettes. A
// metafile or palette has no content here beyond its count of entries.
struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
};
struct METAFILEPICT {
    LONG mm;
    LONG xExt;
    LONG yExt;
    HMETAFILE hMF;
};
struct PALETTEENTRY {
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
};
struct LOGPALETTE {
    WORD palVersion;
    WORD palNumEntries;
    PALETTEENTRY palPalEntry[1];
};
HENHMETAFILE WINAPI CopyEnhMetaFileA(HENHMETAFILE metafile, LPCSTR file);
BOOL WINAPI DeleteEnhMetaFile(HENHMETAFILE metafile);
HMETAFILE WINAPI CopyMetaFileA(HMETAFILE metafile, LPCSTR file);
BOOL WINAPI DeleteMetaFile(HMETAFILE metafile);
// A bitmap's BITMAP, or a palette's count of entries.
int WINAPI GetObjectA(HGDIOBJ object, int size, LPVOID buffer);
UINT WINAPI GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries);
HPALETTE WINAPI CreatePalette(const LOGPALETTE* entries);

// Device-independent bitmaps: a header, colours or masks, then the rows.
struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};
struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};
#define BI_RGB 0
#define BI_BITFIELDS 3
#define DIB_RGB_COLORS 0
int WINAPI SetDIBitsToDevice(HDC dc, int x, int y, DWORD width, DWORD height, int src_x, int src_y,
                             UINT start_scan, UINT lines, const void* bits, const BITMAPINFO* info,
                             UINT usage);
// Rows of a bitmap through a DIB: the lines asked for when the bitmap is
// there; no pixels are kept, so none are written.
int WINAPI GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, LPVOID bits, BITMAPINFO* info,
                     UINT usage);
int WINAPI SetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, const void* bits,
                     const BITMAPINFO* info, UINT usage);

// Character sets and locales: the code pages of a few locales, as Wine's
// tables give them (0x0409 English, 0x0407 German, 0x0408 Greek, 0x0419
// Russian, 0x0411 Japanese); the process's own are those of 0x0409.
typedef BOOL* LPBOOL;
typedef DWORD LCID;
typedef DWORD LCTYPE;

#define CP_ACP 0
#define CP_OEMCP 1
#define LOCALE_USER_DEFAULT 0x0400
#define LOCALE_IDEFAULTCODEPAGE 0x000B
#define LOCALE_IDEFAULTANSICODEPAGE 0x1004
#define LOCALE_RETURN_NUMBER 0x20000000
#define MAX_LEADBYTES 12
#define MAX_DEFAULTCHAR 2

struct CPINFO {
    UINT MaxCharSize;
    BYTE DefaultChar[MAX_DEFAULTCHAR];
    BYTE LeadByte[MAX_LEADBYTES];
};
typedef CPINFO* LPCPINFO;

UINT WINAPI GetACP(void);
UINT WINAPI GetOEMCP(void);
int WINAPI GetLocaleInfoA(LCID locale, LCTYPE type, LPSTR data, int size);
BOOL WINAPI GetCPInfo(UINT code_page, LPCPINFO info);
int WINAPI MultiByteToWideChar(UINT code_page, DWORD flags, LPCSTR source, int count, LPWSTR wide,
                               int wide_size);
int WINAPI WideCharToMultiByte(UINT code_page, DWORD flags, LPCWSTR wide, int count, LPSTR target,
                               int size, LPCSTR default_char, LPBOOL used_default);

// Strings: %d, %u, %s and %%, at most 1024 bytes with the NUL, as in USER32
int WINAPIV wsprintfA(LPSTR buffer, LPCSTR format, ...);

// Common controls: the status bar's class, registered by InitCommonControlsEx.
// A status bar of the simulation is 20 pixels high.
#define ICC_BAR_CLASSES 0x00000004
#define SBARS_SIZEGRIP 0x0100
#define STATUSCLASSNAMEW u"msctls_statusbar32"
struct INITCOMMONCONTROLSEX {
    DWORD dwSize;
    DWORD dwICC;
};
BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls);

// The notification area, the registry and the foreground: the simulated
// desktop has none of them. Each call fails as it does where they are
// missing or refused, so the program's own fallbacks run.
#define WM_ACTIVATE 0x0006
#define WM_CONTEXTMENU 0x007B
#define WM_LBUTTONUP 0x0202
#define WM_RBUTTONUP 0x0205
#define WA_INACTIVE 0
#define SIZE_MINIMIZED 1
#define MB_ICONINFORMATION 0x00000040
#define TPM_RIGHTBUTTON 0x0002
#define SM_CXSMICON 49
#define IMAGE_ICON 1
#define LR_DEFAULTCOLOR 0x0000

#define NIM_ADD 0x00000000
#define NIM_MODIFY 0x00000001
#define NIM_DELETE 0x00000002
#define NIM_SETVERSION 0x00000004
#define NIF_MESSAGE 0x00000001
#define NIF_ICON 0x00000002
#define NIF_TIP 0x00000004
#define NIF_SHOWTIP 0x00000080
#define NIN_SELECT (WM_USER + 0)
#define NIN_KEYSELECT (NIN_SELECT | 0x1)
#define NOTIFYICON_VERSION_4 4
struct GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};
struct NOTIFYICONDATAW {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    WCHAR szTip[128];
    DWORD dwState;
    DWORD dwStateMask;
    WCHAR szInfo[256];
    union {
        UINT uTimeout;
        UINT uVersion;
    };
    WCHAR szInfoTitle[64];
    DWORD dwInfoFlags;
    GUID guidItem;
    HICON hBalloonIcon;
};
BOOL WINAPI Shell_NotifyIconW(DWORD message, NOTIFYICONDATAW* data);
UINT WINAPI RegisterWindowMessageW(LPCWSTR name);
HANDLE WINAPI LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT flags);
BOOL WINAPI DestroyIcon(HICON icon);
int WINAPI GetSystemMetrics(int index);
HWND WINAPI GetForegroundWindow(void);
BOOL WINAPI SetForegroundWindow(HWND window);
BOOL WINAPI AllowSetForegroundWindow(DWORD process_id);
DWORD WINAPI GetWindowThreadProcessId(HWND window, DWORD* process_id);
BOOL WINAPI GetCursorPos(POINT* point);
HMENU WINAPI CreatePopupMenu(void);
BOOL WINAPI DestroyMenu(HMENU menu);
BOOL WINAPI TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND window,
                           const RECT* rect);
DWORD WINAPI GetModuleFileNameW(HMODULE module, LPWSTR path, DWORD size);

DECLARE_SIM_HANDLE(HKEY);
typedef DWORD REGSAM;
typedef LONG LSTATUS;
#define HKEY_CURRENT_USER ((HKEY)(uintptr_t)0x80000001)
#define ERROR_SUCCESS 0L
#define ERROR_ACCESS_DENIED 5L
#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define REG_SZ 1
#define REG_BINARY 3
LSTATUS WINAPI RegOpenKeyExW(HKEY key, LPCWSTR sub_key, DWORD options, REGSAM access, HKEY* result);
LSTATUS WINAPI RegCreateKeyExW(HKEY key, LPCWSTR sub_key, DWORD reserved, LPWSTR key_class,
                               DWORD options, REGSAM access, void* security, HKEY* result,
                               DWORD* disposition);
LSTATUS WINAPI RegQueryValueExW(HKEY key, LPCWSTR name, DWORD* reserved, DWORD* type, BYTE* data,
                                DWORD* size);
LSTATUS WINAPI RegSetValueExW(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data,
                              DWORD size);
LSTATUS WINAPI RegDeleteValueW(HKEY key, LPCWSTR name);
LSTATUS WINAPI RegCloseKey(HKEY key);
