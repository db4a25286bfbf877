#include "clip/private_content.h"

#include "clip/clipboard_blocks.h"
#include "clip/clipboard_owner.h"

namespace {

// Any data under either name marks the whole content as not to be looked at.
constexpr const char* kPrivateMarkNames[] = {"Clipboard Viewer Ignore",
                                             "ExcludeClipboardContentFromMonitorProcessing"};
// A DWORD under either name; 0 keeps the content out of history or cloud sync.
constexpr const char* kHistoryMarkNames[kHistoryMarkKinds] = {"CanIncludeInClipboardHistory",
                                                              "CanUploadToCloudClipboard"};

bool IsAvailable(const char* name, UINT* format) {
    *format = RegisterClipboardFormatA(name);
    return *format != 0 && IsClipboardFormatAvailable(*format);
}

}  // namespace

bool ClipboardIsPrivate() {
    UINT format;
    for (const char* name : kPrivateMarkNames) {
        if (IsAvailable(name, &format)) return true;
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
    for (const char* name : kHistoryMarkNames) {
        UINT format;
        if (!IsAvailable(name, &format)) continue;
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
