// The Format pop-up: the clipboard's formats listed each time it opens,
// and the choice of the format to display.
#pragma once

#include "clip/viewer_state.h"

// Handler of WM_INITMENUPOPUP; `popup` is the pop-up being opened.
void RebuildFormatMenu(HWND window, HMENU popup);

// Handler of IDM_DEFAULT: display by the fixed priorities.
void SelectDefaultFormat(HWND window);

// Handler of every other command identifier; acts on listed formats only
// and repaints in every case.
void SelectListedFormat(HWND window, UINT id);
