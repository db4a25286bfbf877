// The menu probe DLL, loaded into Varnelo by the driver's hook. It uses no
// C++ runtime, so that loading it changes nothing else in the program.
#define MENU_PROBE_BUILDING
#include "tests/e2e/menu_probe.h"

namespace {

menu_probe::ItemRecord g_records[menu_probe::kMaxItems];
UINT g_request_message = 0;  // registered on the first call of the hook

int RecordPopup(int popup_position, HMENU popup, int count) {
    const int items = GetMenuItemCount(popup);
    for (int position = 0; position < items && count < menu_probe::kMaxItems; ++position) {
        menu_probe::ItemRecord& record = g_records[count++];
        record.popup = popup_position;
        record.popup_handle = reinterpret_cast<UINT_PTR>(popup);
        record.id = GetMenuItemID(popup, position);
        record.state = GetMenuState(popup, position, MF_BYPOSITION);
        record.text[0] = '\0';
        GetMenuStringA(popup, position, record.text, menu_probe::kTextSize, MF_BYPOSITION);
    }
    return count;
}

// A named pop-up (one shown on its own) alone, or the whole menu bar.
void SendMenuItems(HWND window, HWND receiver, HMENU named) {
    HMENU bar = GetMenu(window);
    const int popups = named ? 0 : GetMenuItemCount(bar);
    int count = named ? RecordPopup(menu_probe::kNamedPopup, named, 0) : 0;
    for (int position = 0; position < popups; ++position) {
        HMENU popup = GetSubMenu(bar, position);
        if (popup) count = RecordPopup(position, popup, count);
    }
    COPYDATASTRUCT items = {menu_probe::kItemsTag,
                            static_cast<DWORD>(count * sizeof(menu_probe::ItemRecord)), g_records};
    SendMessageA(receiver, WM_COPYDATA, reinterpret_cast<WPARAM>(window),
                 reinterpret_cast<LPARAM>(&items));
}

}  // namespace

extern "C" LRESULT CALLBACK MenuProbeHook(int code, WPARAM wParam, LPARAM lParam) {
    if (!g_request_message) g_request_message = RegisterWindowMessageA(menu_probe::kRequestMessage);
    const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == g_request_message) {
        SendMenuItems(sent->hwnd, reinterpret_cast<HWND>(sent->wParam),
                      reinterpret_cast<HMENU>(sent->lParam));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
