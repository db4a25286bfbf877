// The application shell: start-up, the main window's procedure, painting,
// and the texts of the two message boxes.
#pragma once

#include "clip/viewer_state.h"

extern const WCHAR kClassName[];
extern const WCHAR kWindowTitle[];
extern const char kHelpCaption[];
extern const char kAboutCaption[];
extern const char HelpText[];
extern const char AboutText[];
// The messages the window and the status bar show instead of text.
extern const char kCannotOpen[];
extern const char kNoTextOrBitmap[];
extern const char kPrivateData[];
// Told when Start with Windows is checked while Task Manager keeps it off.
extern const char kStartTurnedOff[];

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show);

// Hands over to a running copy, or registers the class; 0 ends start-up.
BOOL RegisterViewerClass(HINSTANCE instance);

// Reads the options into the show mode and fix_enabled; false when
// start-up ends (after the help box of "-?").
bool ParseOptions(const char* command_line, int* show);

BOOL CreateViewerWindow(HINSTANCE instance, int show);

LRESULT CALLBACK ViewerWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

void PaintContents(HWND window);

// View/Show hidden characters: the view marks what a paste delivers.
void ToggleHiddenView(HWND window);

// The status bar of a view started on (-show); none otherwise.
void StartHiddenView(HWND window);

// The status bar's text, told again from the reading of the content now:
// after a change, a retry of the text, a format choice. Reads text only
// for a format choice, which no change has read.
void ShowStatusText(HWND window);
void FollowFormatChoice(HWND window);

// WM_SIZE: the status bar at the window's foot; a new font: the status
// bar's too, in its height.
void FitStatusBar();
void FollowTextFontInStatusBar();

// The client area the contents are drawn in: above the status bar.
void GetContentsRect(HWND window, RECT* client);

// Draws the units of the line that reach into the rectangle, in pieces that
// Wine's DrawText draws whole, and returns how many that is; `width` is
// how far they reach when all are drawn.
size_t DrawPieces(HDC dc, const WCHAR* line, size_t count, const RECT& rect, UINT flags,
                  LONG* width);

// With the view on: one row with each hidden character, TAB and line break
// as a framed token and the runs between them drawn each on its own, from
// the rectangle's left edge, as far as its right edge. Returns how many of
// the units it laid out.
size_t DrawMarkedRow(HDC dc, const WCHAR* units, const unsigned char* kinds, size_t count,
                     const RECT& rect, int line_height);

// A paint that cannot read the clipboard is tried again shortly, on this
// timer, instead of showing its message until the next change.
constexpr UINT_PTR kRepaintTimerId = 2;
bool OpenClipboardToPaint(HWND window);
void RepaintAfterFailedRead(HWND window);

// The clipboard's bitmap at its own size from the top-left corner of the
// client area, cut at its edges.
void PaintBitmap(HWND window, HDC dc, const RECT& client);

// With the clipboard open: the pixel size of the bitmap PaintBitmap draws.
bool ReadBitmapSize(SIZE* size);

// The system's message font for the window's DPI, in which the clipboard's
// text is drawn.
void CreateTextFont(HWND window);
void RecreateTextFont(HWND window);  // after WM_SETTINGCHANGE; repaints
void DeleteTextFont();

// WM_DPICHANGED: the font for the new DPI, and the suggested rectangle.
void FollowDpiChange(HWND window, UINT dpi, const RECT* suggested);

// View/Icon in notification area (-tray): the icon, its tooltip (the
// window's title) and its menu. The icon's messages come as this one.
constexpr UINT kNotifyIconMessage = WM_APP + 2;
void RegisterTaskbarCreated();
void AddNotifyIcon(HWND window);
void RemoveNotifyIcon(HWND window);  // on exit and when switched off
void ToggleNotifyIcon(HWND window);
void FollowTaskbarCreated(HWND window);
// WM_SETTEXT: the tooltip follows the title shortly, on this timer.
constexpr UINT_PTR kTipTimerId = 3;
void FollowNotifyTitle(HWND window);
void UpdateNotifyTip(HWND window);
void FollowNotifyIconDpi(HWND window);
void NoteActivation(WPARAM state);  // WM_ACTIVATE
void HideWhenMinimised(HWND window, WPARAM kind);
void OnNotifyIconMessage(HWND window, WPARAM wParam, LPARAM lParam);
// Shows the window normally, active and in front.
void RestoreWindow(HWND window);

// The title as the tooltip holds it: at most room - 1 units, never half a
// surrogate pair, and a NUL; returns the units kept.
size_t CutTipText(const WCHAR* title, WCHAR* tip, size_t room);

// File/Start with Windows: the "Varnelo" value of the user's Run key.
void ReadStartWithWindows();
void ToggleStartWithWindows(HWND window);
// After a choice made in a menu: the value follows it while checked.
void RewriteRunEntry();
// Whether a Run value of `units` units (its NUL, if any, among them) names
// the exe at `exe`: its first word, or the text between its first two
// quotes, is that path whatever the ASCII letters' case.
bool RunValueNamesExe(const WCHAR* value, size_t units, const WCHAR* exe, size_t exe_units);
