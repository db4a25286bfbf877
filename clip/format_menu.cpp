#include "clip/format_menu.h"

#include "clip/format_names.h"
#include "clip/kept_text.h"
#include "clip/private_content.h"

namespace {

UINT ListedCommand(int n) {
    return IDM_DEFAULT + n;
}

bool IsListedCommand(UINT id) {
    return id >= IDM_FORMAT_FIRST &&
           static_cast<int>(IDM_DEFAULT) + g_viewer.format_count >= static_cast<int>(id);
}

void RemoveListedEntries() {
    while (GetMenuItemCount(g_viewer.format_menu) > kFormatMenuFixedItems) {
        if (!DeleteMenu(g_viewer.format_menu, kFormatMenuFixedItems, MF_BYPOSITION)) return;
    }
}

// The clipboard's formats in enumeration order; formats past the list's
// room are not listed.
void ReadClipboardFormats(HWND window) {
    g_viewer.format_count = 0;
    if (!OpenClipboard(window)) return;
    UINT format = EnumClipboardFormats(0);
    while (format != 0 && g_viewer.format_count < kMaxListedFormats) {
        g_viewer.format_list[++g_viewer.format_count] = format;
        format = EnumClipboardFormats(format);
    }
    CloseClipboard();
}

void AppendListedEntries() {
    char name[kTitleSize];
    for (int n = 1; n <= g_viewer.format_count; ++n) {
        UINT format = g_viewer.format_list[n];
        UINT check = format == g_viewer.current_format ? MF_CHECKED : MF_UNCHECKED;
        AppendMenuA(g_viewer.format_menu, MF_STRING | check, ListedCommand(n),
                    MenuEntryName(format, name));
    }
}

void UncheckListedEntries() {
    for (int n = 1; n <= g_viewer.format_count; ++n) {
        CheckMenuItem(g_viewer.main_menu, ListedCommand(n), MF_UNCHECKED);
    }
}

void RecomputeCurrentFormat() {
    g_viewer.current_format = GetPriorityClipboardFormat(g_viewer.priority_list, kPriorityCount);
}

}  // namespace

void RebuildFormatMenu(HWND window, HMENU popup) {
    if (popup && popup == g_viewer.format_menu) {
        RemoveListedEntries();
        ReadClipboardFormats(window);
        AppendListedEntries();
    }
    InvalidateRect(window, nullptr, TRUE);
    DrawMenuBar(window);
}

// A choice shows the clipboard anew, read for the format chosen.
void SelectDefaultFormat(HWND window) {
    DropKeptText();
    CheckMenuItem(g_viewer.main_menu, IDM_DEFAULT, MF_CHECKED);
    UncheckListedEntries();
    g_viewer.priority_list[0] = CF_TEXT;
    RecomputeCurrentFormat();
    // The first paint of the text replaces the provisional "[TEXT]", unless
    // the text is private.
    if (g_viewer.current_format == CF_TEXT && !ClipboardIsPrivate()) g_viewer.title_pending = TRUE;
    char name[kTitleSize];
    SetWindowTextA(window, ChangeTitle(g_viewer.current_format, name));
    InvalidateRect(window, nullptr, TRUE);
}

void SelectListedFormat(HWND window, UINT id) {
    if (IsListedCommand(id)) {
        DropKeptText();
        CheckMenuItem(g_viewer.main_menu, IDM_DEFAULT, MF_UNCHECKED);
        UncheckListedEntries();
        CheckMenuItem(g_viewer.main_menu, id, MF_CHECKED);
        g_viewer.priority_list[0] = g_viewer.format_list[id - IDM_DEFAULT];
        RecomputeCurrentFormat();
        char name[kTitleSize];
        SetWindowTextA(window, ListedChoiceTitle(g_viewer.current_format, name));
    }
    InvalidateRect(window, nullptr, TRUE);
}
