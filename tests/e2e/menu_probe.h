// The menu probe: a hook DLL that reads a window's menu from inside the
// program that owns it. Menus live in their owner's process under Wine, so
// a driver cannot read Varnelo's menu directly; the hook runs in Varnelo's
// thread when the driver sends it the request message, and sends every item
// back to the driver's window in one WM_COPYDATA.
#pragma once

#include <windows.h>

#ifdef MENU_PROBE_BUILDING
#define MENU_PROBE_API __declspec(dllexport)
#else
#define MENU_PROBE_API __declspec(dllimport)
#endif

namespace menu_probe {

// Sent to the window whose menu is read; wParam is the window that gets
// the items, lParam a pop-up to read alone, or 0 for the menu bar.
const char kRequestMessage[] = "VarneloDriverMenuProbeRequest";

// Tags the WM_COPYDATA that carries the items.
const ULONG_PTR kItemsTag = 0x564D4E55;

const int kMaxItems = 512;
const int kNamedPopup = -1;  // the items' `popup` when lParam named one
const int kTextSize = 100;

// One item of one pop-up of the menu bar, in the order of the menu.
struct ItemRecord {
    int popup;             // position of the pop-up on the menu bar
    UINT64 popup_handle;   // the pop-up's handle, valid in every process
    UINT id;               // command identifier, 0 for a separator
    UINT state;            // GetMenuState by position
    char text[kTextSize];  // GetMenuStringA by position
};

}  // namespace menu_probe

// The WH_CALLWNDPROC hook procedure.
extern "C" MENU_PROBE_API LRESULT CALLBACK MenuProbeHook(int code, WPARAM wParam, LPARAM lParam);
