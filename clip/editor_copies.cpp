#include "clip/editor_copies.h"

#include "clip/line_copy_markers.h"

namespace {

enum MarkerKind {
    kLineSelect,
    kLineCutCopyTag,
    kColumnSelect,
    kRectangularSelection,
    kBlockType,
    kVimRecord,
    kWebCustomData,
};

// The two line markers count by presence; the block markers by their one
// byte, Vim's record by its motion type, web custom data by the code
// editor's JSON in it.
constexpr const char* kMarkerNames[kEditorMarkerKinds] = {
    "MSDEVLineSelect",
    "VisualStudioEditorOperationsLineCutCopyClipboardTag",
    "MSDEVColumnSelect",
    "AvalonEditRectangularSelection",
    "Borland IDE Block Type",
    "VimClipboard2",
    "Chromium Web Custom MIME Data Format"};
constexpr int kPresenceMarkers = 2;

void ReadMarker(int kind, const void* data, size_t size, EditorCopy* copy) {
    int32_t motion;
    if (kind == kVimRecord) {
        copy->vim_record = ReadVimMotion(data, size, &motion);
        if (copy->vim_record && motion == kVimLineWise) copy->kind = kLineCopy;
        if (copy->vim_record && motion == kVimBlockWise) copy->kind = kBlockCopy;
    } else if (kind == kWebCustomData) {
        if (IsEmptySelectionEditorData(data, size)) copy->kind = kLineCopy;
    } else if (IsColumnBlockRecord(data, size)) {
        copy->kind = kBlockCopy;
    }
}

}  // namespace

void RegisterEditorMarkers() {
    for (int kind = 0; kind < kEditorMarkerKinds; ++kind) {
        UINT& registered = g_viewer.editor_marker_formats[kind];
        if (registered == 0) registered = RegisterClipboardFormatA(kMarkerNames[kind]);
    }
}

void NoteEditorMarker(UINT format, EditorMarks* marks) {
    for (int kind = 0; kind < kEditorMarkerKinds; ++kind) {
        if (g_viewer.editor_marker_formats[kind] == format) marks->listed |= 1u << kind;
    }
}

bool IsPresenceMarker(UINT format) {
    for (int kind = 0; kind < kPresenceMarkers; ++kind) {
        if (g_viewer.editor_marker_formats[kind] == format) return true;
    }
    return false;
}

// A marker listed whose block cannot be had could not be copied either.
EditorCopy ReadEditorMarks(EditorMarks* marks) {
    EditorCopy copy;
    if (marks->listed & ((1u << kPresenceMarkers) - 1)) copy.kind = kLineCopy;
    for (int kind = kPresenceMarkers; kind < kEditorMarkerKinds; ++kind) {
        if ((marks->listed >> kind & 1) == 0) continue;
        HANDLE block = GetClipboardData(g_viewer.editor_marker_formats[kind]);
        const void* data = block ? GlobalLock(block) : nullptr;
        if (!data) {
            copy.readable = false;
            continue;
        }
        marks->blocks[kind] = block;
        ReadMarker(kind, data, GlobalSize(block), &copy);
        GlobalUnlock(block);
    }
    return copy;
}

HANDLE MarkerBlock(const EditorMarks& marks, UINT format) {
    for (int kind = 0; kind < kEditorMarkerKinds; ++kind) {
        if (g_viewer.editor_marker_formats[kind] == format) return marks.blocks[kind];
    }
    return nullptr;
}
