// Reading Varnelo's menu from a driver, through the menu probe DLL, and
// opening its pop-ups the way the system does before it shows one.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/e2e/driver_util.h"
#include "tests/e2e/menu_probe.h"

namespace e2e {

struct MenuItem {
    int popup;
    HMENU popup_handle;
    UINT id;
    UINT state;
    std::string text;
};

typedef std::vector<MenuItem> MenuSnapshot;

// Menu bar positions of the pop-ups.
const int kFilePopup = 0;
const int kFormatPopup = 2;

// "&Default" and the separator come before the listed formats.
const size_t kFormatFixedItems = 2;

inline std::vector<menu_probe::ItemRecord>& ReceivedMenuItems() {
    static std::vector<menu_probe::ItemRecord> items;
    return items;
}

inline LRESULT CALLBACK MenuReceiverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_COPYDATA) return DefWindowProcA(window, message, wParam, lParam);
    const COPYDATASTRUCT* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (data->dwData != menu_probe::kItemsTag) return FALSE;
    const menu_probe::ItemRecord* records =
        static_cast<const menu_probe::ItemRecord*>(data->lpData);
    ReceivedMenuItems().assign(records, records + data->cbData / sizeof *records);
    return TRUE;
}

// The message-only window that the probe sends the items to.
inline HWND MenuReceiver() {
    static HWND receiver = nullptr;
    if (receiver) return receiver;
    receiver = CreateMessageWindow("VarneloDriverMenuReceiver", MenuReceiverProc);
    return receiver;
}

// Reads every item of every pop-up of the window's menu, or of the named
// pop-up alone, as the window's own thread sees them at this moment.
inline bool ReadMenu(HWND window, MenuSnapshot* snapshot, HMENU named = nullptr) {
    snapshot->clear();
    ReceivedMenuItems().clear();
    HWND receiver = MenuReceiver();
    HMODULE probe = GetModuleHandleA("menu_probe.dll");
    DWORD thread_id = GetWindowThreadProcessId(window, nullptr);
    HHOOK hook = receiver && probe && thread_id
                     ? SetWindowsHookExA(WH_CALLWNDPROC, MenuProbeHook, probe, thread_id)
                     : nullptr;
    if (!hook) {
        Log("FAIL: cannot hook the menu probe into Varnelo (error %lu)", GetLastError());
        return false;
    }
    DWORD_PTR result = 0;
    const bool answered =
        SendMessageTimeoutA(window, RegisterWindowMessageA(menu_probe::kRequestMessage),
                            reinterpret_cast<WPARAM>(receiver), reinterpret_cast<LPARAM>(named),
                            SMTO_ABORTIFHUNG, kChangeTimeoutMs, &result) != 0;
    UnhookWindowsHookEx(hook);
    for (const menu_probe::ItemRecord& record : ReceivedMenuItems()) {
        snapshot->push_back({record.popup,
                             reinterpret_cast<HMENU>(static_cast<UINT_PTR>(record.popup_handle)),
                             record.id, record.state, record.text});
    }
    if (!answered || snapshot->empty()) {
        Log("FAIL: the menu probe got no items from Varnelo");
        return false;
    }
    return true;
}

inline std::vector<MenuItem> PopupItems(const MenuSnapshot& snapshot, int popup) {
    std::vector<MenuItem> items;
    for (const MenuItem& item : snapshot) {
        if (item.popup == popup) items.push_back(item);
    }
    return items;
}

inline HMENU PopupHandle(const MenuSnapshot& snapshot, int popup) {
    for (const MenuItem& item : snapshot) {
        if (item.popup == popup) return item.popup_handle;
    }
    return nullptr;
}

inline bool IsChecked(const MenuSnapshot& snapshot, UINT id) {
    for (const MenuItem& item : snapshot) {
        if (item.id == id) return (item.state & MF_CHECKED) != 0;
    }
    return false;
}

// Checks the check mark of one command. Varnelo's thread answers a read
// whenever it takes messages, which may be before its start-up code has
// set the marks; so the mark is waited for.
inline bool ExpectChecked(const Varnelo& varnelo, UINT id, bool checked, const char* what) {
    MenuSnapshot snapshot;
    const bool as_expected = WaitUntil(
        [&] { return ReadMenu(varnelo.window, &snapshot) && IsChecked(snapshot, id) == checked; },
        kChangeTimeoutMs);
    std::string check = std::string(what) + (checked ? " is checked" : " is unchecked");
    return Expect(as_expected, check.c_str());
}

// The Format pop-up's entries behind "&Default" and the separator.
inline std::vector<MenuItem> ListedEntries(const MenuSnapshot& snapshot) {
    std::vector<MenuItem> items = PopupItems(snapshot, kFormatPopup);
    if (items.size() <= kFormatFixedItems) return {};
    return std::vector<MenuItem>(items.begin() + kFormatFixedItems, items.end());
}

// Every item's text and state, for comparing two snapshots.
inline std::string Described(const std::vector<MenuItem>& items) {
    std::string description;
    for (const MenuItem& item : items) {
        description += "\"" + item.text + "\"";
        if (item.state & MF_CHECKED) description += " (checked)";
        if (item.state & MF_GRAYED) description += " (greyed)";
        description += " ";
    }
    return description;
}

// Sends WM_INITMENUPOPUP for one pop-up of the menu bar, as the system does
// right before it shows the pop-up.
inline bool OpenPopup(const Varnelo& varnelo, int popup) {
    MenuSnapshot snapshot;
    if (!ReadMenu(varnelo.window, &snapshot)) return false;
    DWORD_PTR result = 0;
    return Expect(SendMessageTimeoutA(varnelo.window, WM_INITMENUPOPUP,
                                      reinterpret_cast<WPARAM>(PopupHandle(snapshot, popup)),
                                      MAKELPARAM(popup, FALSE), SMTO_ABORTIFHUNG, kChangeTimeoutMs,
                                      &result) != 0,
                  "the pop-up is opened");
}

// Opens the Format pop-up and reads its entries for the listed formats.
inline bool OpenFormatMenu(const Varnelo& varnelo, std::vector<MenuItem>* listed) {
    MenuSnapshot snapshot;
    if (!OpenPopup(varnelo, kFormatPopup) || !ReadMenu(varnelo.window, &snapshot)) return false;
    std::vector<MenuItem> items = PopupItems(snapshot, kFormatPopup);
    *listed = ListedEntries(snapshot);
    return Expect(items.size() >= kFormatFixedItems && items[0].text == "&Default" &&
                      (items[1].state & MF_SEPARATOR) != 0,
                  "the Format pop-up begins with \"&Default\" and a separator");
}

// The command of the listed entry with the given text, or 0.
inline UINT ListedCommand(const std::vector<MenuItem>& listed, const std::string& text) {
    for (const MenuItem& item : listed) {
        if (item.text == text) return item.id;
    }
    return 0;
}

}  // namespace e2e
