#include "clip/format_list.h"

#include "clip/user32_entries.h"

namespace {

constexpr char kListEntry[] = "GetUpdatedClipboardFormats";

typedef BOOL(WINAPI* ListFunction)(UINT*, UINT, UINT*);

int ListedAt(UINT format) {
    const ListedFormats& listed = g_viewer.listed;
    for (int at = 0; at < listed.count; ++at) {
        if (listed.formats[at] == format) return at;
    }
    return -1;
}

}  // namespace

void ListClipboardFormats() {
    ListedFormats& listed = g_viewer.listed;
    listed.known = false;
    ListFunction list = User32Entry<ListFunction>(kListEntry);
    UINT count = 0;
    if (!list || !list(listed.formats, kListedRoom, &count) || count > kListedRoom) return;
    listed.count = static_cast<int>(count);
    listed.known = true;
}

void ForgetClipboardFormats() {
    g_viewer.listed.known = false;
}

bool ClipboardHasFormat(UINT format) {
    if (!g_viewer.listed.known) return IsClipboardFormatAvailable(format) != FALSE;
    return ListedAt(format) >= 0;
}

UINT NextClipboardFormat(UINT format) {
    const ListedFormats& listed = g_viewer.listed;
    if (!listed.known) return EnumClipboardFormats(format);
    int next = format == 0 ? 0 : ListedAt(format) + 1;
    // A format not listed ends the list, as it ends the enumeration.
    if (format != 0 && next == 0) return 0;
    return next < listed.count ? listed.formats[next] : 0;
}

UINT PriorityClipboardFormat(const UINT* priorities, int count) {
    const ListedFormats& listed = g_viewer.listed;
    if (!listed.known) return GetPriorityClipboardFormat(const_cast<UINT*>(priorities), count);
    if (listed.count == 0) return kClipboardEmpty;
    for (int at = 0; at < count; ++at) {
        if (ListedAt(priorities[at]) >= 0) return priorities[at];
    }
    return kNoListedFormat;
}
