#include "clip/format_list.h"

#include "clip/user32_entries.h"

namespace {

constexpr char kListEntry[] = "GetUpdatedClipboardFormats";

typedef BOOL(WINAPI* ListFunction)(UINT*, UINT, UINT*);

// Where `format` stands in the list; the list's count when it is not there.
int ListedAt(UINT format) {
    int at = 0;
    while (at < g_viewer.listed_count && g_viewer.listed_formats[at] != format) ++at;
    return at;
}

}  // namespace

void ListClipboardFormats(FormatListRoom* room) {
    ForgetClipboardFormats();
    ListFunction list = User32Entry<ListFunction>(kListEntry);
    UINT count = 0;
    if (!list || !list(room->formats, kListedRoom, &count) || count > kListedRoom) return;
    g_viewer.listed_formats = room->formats;
    g_viewer.listed_count = static_cast<int>(count);
}

void ForgetClipboardFormats() {
    g_viewer.listed_formats = nullptr;
    g_viewer.listed_count = 0;
}

bool ClipboardHasFormat(UINT format) {
    if (!g_viewer.listed_formats) return IsClipboardFormatAvailable(format) != FALSE;
    return ListedAt(format) < g_viewer.listed_count;
}

// A format not listed ends the list, as it ends the enumeration.
UINT NextClipboardFormat(UINT format) {
    if (!g_viewer.listed_formats) return EnumClipboardFormats(format);
    int next = format == 0 ? 0 : ListedAt(format) + 1;
    return next < g_viewer.listed_count ? g_viewer.listed_formats[next] : 0;
}

UINT PriorityClipboardFormat(const UINT* priorities, int count) {
    if (!g_viewer.listed_formats) {
        return GetPriorityClipboardFormat(const_cast<UINT*>(priorities), count);
    }
    if (g_viewer.listed_count == 0) return kClipboardEmpty;
    for (int at = 0; at < count; ++at) {
        if (ClipboardHasFormat(priorities[at])) return priorities[at];
    }
    return kNoListedFormat;
}

int ClipboardFormatCount() {
    return g_viewer.listed_formats ? g_viewer.listed_count : CountClipboardFormats();
}
