// Menus: the menu bar built from the resource script, its pop-ups, and the
// calls that read and change their items.
#include <algorithm>
#include <cstring>

#include "sim_internal.h"

namespace sim::internal {

namespace {

constexpr UINT kKeptItemFlags = MF_CHECKED | MF_GRAYED | MF_DISABLED | MF_POPUP | MF_SEPARATOR;
constexpr UINT kNoItem = static_cast<UINT>(-1);
constexpr int kPopupCountShift = 8;
constexpr UINT kLowByteMask = 0xFF;
constexpr int kDeepestPopup = 16;  // guards the search against a pop-up inside itself

Menu* FindMenu(HMENU menu) {
    auto& menus = TheDesktop().menus;
    auto found = menus.find(HandleKey(menu));
    return found == menus.end() ? nullptr : &found->second;
}

struct ItemPlace {
    Menu* menu;
    size_t index;
    MenuItem& Item() const { return menu->items[index]; }
};

// By command, pop-ups are searched depth first, as Windows does.
bool FindByCommand(Menu* menu, UINT id, int depth, ItemPlace* place) {
    if (!menu || depth > kDeepestPopup) return false;
    for (size_t index = 0; index < menu->items.size(); ++index) {
        const MenuItem& item = menu->items[index];
        if (item.flags & MF_POPUP) {
            if (FindByCommand(FindMenu(item.submenu), id, depth + 1, place)) return true;
        } else if (item.id == id) {
            *place = {menu, index};
            return true;
        }
    }
    return false;
}

bool FindItem(HMENU handle, UINT item, UINT flags, ItemPlace* place) {
    Menu* menu = FindMenu(handle);
    if (!menu) return false;
    if (flags & MF_BYPOSITION) {
        if (item >= menu->items.size()) return false;
        *place = {menu, item};
        return true;
    }
    return FindByCommand(menu, item, 0, place);
}

void DestroyMenuTree(HMENU handle, int depth) {
    Menu* menu = FindMenu(handle);
    if (!menu || depth > kDeepestPopup) return;
    std::vector<MenuItem> items = std::move(menu->items);
    TheDesktop().menus.erase(HandleKey(handle));
    for (const MenuItem& item : items) {
        if (item.flags & MF_POPUP) DestroyMenuTree(item.submenu, depth + 1);
    }
}

HMENU NewMenu() {
    HMENU handle = NewHandle<HMENU>();
    TheDesktop().menus.emplace(HandleKey(handle), Menu());
    return handle;
}

size_t CopyText(const std::string& text, LPSTR buffer, int size) {
    if (!buffer || size <= 0) return text.size();
    size_t copied = std::min(text.size(), static_cast<size_t>(size - 1));
    std::memcpy(buffer, text.data(), copied);
    buffer[copied] = '\0';
    return copied;
}

}  // namespace

HMENU BuildMenu(const std::vector<MenuTemplateItem>& items) {
    HMENU handle = NewMenu();
    for (const MenuTemplateItem& source : items) {
        MenuItem item;
        item.flags = source.flags;
        item.id = source.id;
        item.text = source.text;
        if (source.flags & MF_POPUP) item.submenu = BuildMenu(source.children);
        FindMenu(handle)->items.push_back(item);
    }
    return handle;
}

}  // namespace sim::internal

using sim::Fault;
using sim::internal::FindMenu;
using sim::internal::ItemPlace;
using sim::internal::Menu;
using sim::internal::MenuItem;

HMENU WINAPI GetMenu(HWND window) {
    const sim::internal::Window* record = sim::internal::LiveWindow(window);
    return record ? record->menu : nullptr;
}

HMENU WINAPI GetSubMenu(HMENU menu, int position) {
    const Menu* found = FindMenu(menu);
    if (!found || position < 0 || static_cast<size_t>(position) >= found->items.size()) {
        return nullptr;
    }
    const MenuItem& item = found->items[position];
    return (item.flags & MF_POPUP) ? item.submenu : nullptr;
}

DWORD WINAPI CheckMenuItem(HMENU menu, UINT item, UINT flags) {
    ItemPlace place;
    if (!sim::internal::FindItem(menu, item, flags, &place)) return static_cast<DWORD>(-1);
    MenuItem& found = place.Item();
    DWORD previous = (found.flags & MF_CHECKED) ? MF_CHECKED : MF_UNCHECKED;
    found.flags = (flags & MF_CHECKED) ? (found.flags | MF_CHECKED) : (found.flags & ~MF_CHECKED);
    return previous;
}

// Greyed and disabled are one state here; the previous one is returned.
BOOL WINAPI EnableMenuItem(HMENU menu, UINT item, UINT flags) {
    ItemPlace place;
    if (!sim::internal::FindItem(menu, item, flags, &place)) return -1;
    MenuItem& found = place.Item();
    BOOL previous = (found.flags & MF_GRAYED) ? MF_GRAYED : MF_ENABLED;
    found.flags = (flags & MF_GRAYED) ? (found.flags | MF_GRAYED) : (found.flags & ~MF_GRAYED);
    return previous;
}

int WINAPI GetMenuItemCount(HMENU menu) {
    const Menu* found = FindMenu(menu);
    return found ? static_cast<int>(found->items.size()) : -1;
}

UINT WINAPI GetMenuItemID(HMENU menu, int position) {
    const Menu* found = FindMenu(menu);
    if (!found || position < 0 || static_cast<size_t>(position) >= found->items.size()) {
        return sim::internal::kNoItem;
    }
    const MenuItem& item = found->items[position];
    return (item.flags & MF_POPUP) ? sim::internal::kNoItem : item.id;
}

// A pop-up's state carries its item count in the high byte, as on Windows.
UINT WINAPI GetMenuState(HMENU menu, UINT item, UINT flags) {
    ItemPlace place;
    if (!sim::internal::FindItem(menu, item, flags, &place)) return sim::internal::kNoItem;
    const MenuItem& found = place.Item();
    if (!(found.flags & MF_POPUP)) return found.flags;
    UINT count = static_cast<UINT>(GetMenuItemCount(found.submenu));
    return (count << sim::internal::kPopupCountShift) | (found.flags & sim::internal::kLowByteMask);
}

int WINAPI GetMenuStringA(HMENU menu, UINT item, LPSTR text, int size, UINT flags) {
    if (text && size > 0) text[0] = '\0';
    ItemPlace place;
    if (!sim::internal::FindItem(menu, item, flags, &place)) return 0;
    return static_cast<int>(sim::internal::CopyText(place.Item().text, text, size));
}

BOOL WINAPI DeleteMenu(HMENU menu, UINT position, UINT flags) {
    ItemPlace place;
    if (!sim::internal::FindItem(menu, position, flags, &place)) return FALSE;
    MenuItem removed = place.Item();
    place.menu->items.erase(place.menu->items.begin() + place.index);
    if (removed.flags & MF_POPUP) sim::internal::DestroyMenuTree(removed.submenu, 0);
    return TRUE;
}

BOOL WINAPI AppendMenuA(HMENU menu, UINT flags, UINT_PTR id, LPCSTR text) {
    if (sim::internal::Faulted(Fault::AppendMenu)) return FALSE;
    Menu* found = FindMenu(menu);
    if (!found) return FALSE;
    MenuItem item;
    item.flags = flags & sim::internal::kKeptItemFlags;
    if (flags & MF_POPUP) {
        item.submenu = reinterpret_cast<HMENU>(id);
        if (!FindMenu(item.submenu)) return FALSE;
    } else {
        item.id = static_cast<UINT>(id);
    }
    if (!(flags & MF_SEPARATOR) && text) item.text = text;
    found->items.push_back(item);
    return TRUE;
}

BOOL WINAPI DrawMenuBar(HWND window) {
    sim::internal::Window* record = sim::internal::LiveWindow(window);
    if (!record) return FALSE;
    ++record->menu_bar_draws;
    return TRUE;
}
