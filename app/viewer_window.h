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

// A paint that cannot read the clipboard is tried again shortly, on this
// timer, instead of showing its message until the next change.
constexpr UINT_PTR kRepaintTimerId = 2;
bool OpenClipboardToPaint(HWND window);
void RepaintAfterFailedRead(HWND window);

// The clipboard's bitmap at its own size from the top-left corner of the
// client area, cut at its edges.
void PaintBitmap(HWND window, HDC dc, const RECT& client);

// The system's message font for the window's DPI, in which the clipboard's
// text is drawn.
void CreateTextFont(HWND window);
void RecreateTextFont(HWND window);  // after WM_SETTINGCHANGE; repaints
void DeleteTextFont();

// WM_DPICHANGED: the font for the new DPI, and the suggested rectangle.
void FollowDpiChange(HWND window, UINT dpi, const RECT* suggested);
