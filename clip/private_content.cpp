#include "clip/private_content.h"

#include "clip/clipboard_blocks.h"
#include "clip/clipboard_owner.h"
#include "clip/format_list.h"

namespace {

// Any data under either of the first two names marks the whole content as
// not to be looked at. A DWORD under either of the others; 0 keeps the
// content out of history or cloud sync.
constexpr const char* kMarkNames[kMarkKinds] = {
    "Clipboard Viewer Ignore", "ExcludeClipboardContentFromMonitorProcessing",
    "CanIncludeInClipboardHistory", "CanUploadToCloudClipboard"};
constexpr int kPrivateMarkKinds = kMarkKinds - kHistoryMarkKinds;

// A failed registration is tried again at the next use.
UINT MarkFormat(int kind) {
    UINT& registered = g_viewer.mark_formats[kind];
    if (registered == 0) registered = RegisterClipboardFormatA(kMarkNames[kind]);
    return registered;
}

bool IsAvailable(int kind, UINT* format) {
    *format = MarkFormat(kind);
    return *format != 0 && ClipboardHasFormat(*format);
}

}  // namespace

void RegisterMarkFormats() {
    for (int kind = 0; kind < kMarkKinds; ++kind) MarkFormat(kind);
}

bool ClipboardIsPrivate() {
    UINT format;
    for (int kind = 0; kind < kPrivateMarkKinds; ++kind) {
        if (IsAvailable(kind, &format)) return true;
    }
    return false;
}

bool OpenClipboardToRead(HWND window) {
    if (!OpenClipboard(window)) return false;
    if (!ClipboardIsPrivate() && ClipboardOwnerAnswers(window)) return true;
    CloseClipboard();
    return false;
}

// The blocks are made before the clipboard is emptied, so that running out
// of memory leaves the clipboard as it was.
bool CopyHistoryMarks(HistoryMarks* marks) {
    marks->count = 0;
    for (int kind = kPrivateMarkKinds; kind < kMarkKinds; ++kind) {
        UINT format;
        if (!IsAvailable(kind, &format)) continue;
        DWORD value;
        HGLOBAL block = ReadClipboardDword(format, &value)
                            ? NewSharedBlock(&value, sizeof value, sizeof value)
                            : nullptr;
        if (!block) {
            FreeHistoryMarks(marks);
            return false;
        }
        marks->formats[marks->count] = format;
        marks->blocks[marks->count++] = block;
    }
    return true;
}

bool PlaceHistoryMarks(HistoryMarks* marks) {
    bool placed = true;
    for (int n = 0; n < marks->count && placed; ++n) {
        placed = SetClipboardData(marks->formats[n], marks->blocks[n]) != nullptr;
        // The clipboard owns a block it accepted.
        if (placed) marks->blocks[n] = nullptr;
    }
    FreeHistoryMarks(marks);
    return placed;
}

void FreeHistoryMarks(HistoryMarks* marks) {
    for (int n = 0; n < marks->count; ++n) {
        if (marks->blocks[n]) GlobalFree(marks->blocks[n]);
    }
    marks->count = 0;
}
