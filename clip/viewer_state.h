// The program's whole run-time state, in one record reached only from the
// message loop's thread, and the constants that size its parts.
#pragma once

#include <cstddef>

#include "clip/command_ids.h"
#include "clip/hidden_characters.h"
#include "platform/win32_door.h"

// Results of GetPriorityClipboardFormat besides real format numbers.
constexpr UINT kClipboardEmpty = 0;
constexpr UINT kNoListedFormat = 0xFFFFFFFF;

constexpr int kPriorityCount = 12;
constexpr int kMaxListedFormats = 98;     // further formats on the clipboard are not listed
constexpr int kTitleSize = 96;            // "= " + 90 characters + "..." + NUL
constexpr int kOtherTitleSize = 16;       // fits "[-2147483648]" and its NUL
constexpr int kFormatMenuPosition = 2;    // "F&ormat" on the menu bar
constexpr int kFormatMenuFixedItems = 2;  // "&Default" and the separator
constexpr int kMarkKinds = 4;             // the private, history and cloud marks
constexpr int kEditorMarkerKinds = 7;     // editors' marks of line and block copies
constexpr int kOleRecordKinds = 3;        // "DataObject", "Ole Private Data", Wine's own

// The characters a paint of text drew for the clipboard's content of
// `sequence`, shown in `format` in a client area of up to `width` x
// `height` pixels; nothing is kept while `units` is null. With the hidden
// characters shown, `kinds` holds each unit's HiddenKind, so that a repaint
// does not classify them again; null otherwise.
struct KeptText {
    WCHAR* units = nullptr;
    unsigned char* kinds = nullptr;
    size_t count = 0;
    size_t capacity = 0;
    DWORD sequence = 0;
    UINT format = 0;
    LONG width = 0;
    LONG height = 0;
};

enum LineEnding : unsigned char {
    kEndsInNoBreak,
    kEndsInCrLf,
    kEndsInLf,
    kEndsInCr,
};

// What an editor's marks say its copy is: whole lines, to be pasted as
// lines of their own, or a block of columns. Either keeps its line breaks.
enum CopyKind : unsigned char {
    kOrdinaryCopy,
    kLineCopy,
    kBlockCopy,
};

// One reading of a whole text (clip/text_reading.h): what a paste of it
// delivers. It is of the clipboard's content of `sequence` in `format`;
// `format` is 0 while there is none.
struct TextReading {
    size_t length = 0;  // units up to the terminator or the block's end
    size_t lines = 0;
    LineEnding ending = kEndsInNoBreak;
    size_t counts[kCountedKinds] = {};
    size_t break_units = 0;  // CR and LF
    // What removing hidden characters would take away or make a space,
    // and where the first of those stands.
    size_t removable = 0;
    size_t spaces_made = 0;
    size_t first_cleaned = 0;
    CopyKind copy_kind = kOrdinaryCopy;  // the content's, as the fix told it
    DWORD sequence = 0;
    UINT format = 0;
};

// What a fix took from one text format, never the text itself
// (clip/undo_record.h): the edits in a compact stream of bytes.
struct UndoRecord {
    BYTE* bytes = nullptr;  // from the process's heap
    size_t size = 0;
    size_t room = 0;
    size_t removed = 0;  // units removed; the others were made spaces
};

// Unicode, plain and OEM text: the text formats an owner can place.
constexpr int kTextFormatKinds = 3;

struct TextUndo {
    UINT format = 0;
    UndoRecord record;
};

// The last fix, while its content is the clipboard's, and the content an
// undo put back, which is not fixed again while it stays. A text format the
// fix left as it was has no record.
struct FixUndo {
    TextUndo texts[kTextFormatKinds];  // the text placed first, then the others fixed
    int count = 0;
    bool whole = false;  // the fix put the whole clipboard back
    // The content the fix placed, noted at its announcement; till then
    // nothing tells it, and no undo is offered.
    BOOL fixed_noted = FALSE;
    DWORD fixed_sequence = 0;
    BOOL restoring = FALSE;  // set while an undo's rewrite is closed
    BOOL restored = FALSE;
    DWORD restored_sequence = 0;
};

// The icon in the notification area (app/notify_icon.cpp), while -tray is on.
struct NotifyIcon {
    BOOL added = FALSE;  // the notification area holds it
    HICON icon = nullptr;
    UINT version = 0;          // NOTIFYICON_VERSION_4 once set; 0 before Vista
    UINT taskbar_created = 0;  // the message a new notification area broadcasts
    DWORD deactivated_at = 0;  // when the window last lost the foreground; 0 never
    BOOL tip_pending = FALSE;  // the tooltip's timer runs
};

struct ViewerState {
    HMENU main_menu = nullptr;
    HMENU format_menu = nullptr;
    UINT current_format = kNoListedFormat;
    // Slot 0 is the user's choice; slots 1 to 11 never change.
    UINT priority_list[kPriorityCount] = {
        CF_TEXT,         CF_TEXT,        CF_BITMAP,       CF_DIB,     CF_DIF,  CF_TIFF,
        CF_OWNERDISPLAY, CF_ENHMETAFILE, CF_METAFILEPICT, CF_PALETTE, CF_RIFF, CF_WAVE};
    UINT format_list[kMaxListedFormats + 1] = {};  // used from index 1
    int format_count = 0;
    BOOL fix_enabled = TRUE;
    // -all: text of every kind placed first is fixed, and the rest of the
    // clipboard put back with it; otherwise OEM text alone, as ever.
    BOOL fix_all_text = FALSE;
    // -clean: hidden characters go in the fix too.
    BOOL clean_hidden = FALSE;
    // -show: the view marks what a paste delivers, and the status bar counts it.
    BOOL show_hidden = FALSE;
    // -tray: the icon in the notification area stands for the window, which
    // has no taskbar button and hides when minimised.
    BOOL tray_icon = FALSE;
    NotifyIcon notify;
    // File/Start with Windows: the Run entry names this exe and is rewritten
    // at each choice made in the menus; `start_show` is this run's start mode,
    // which the entry reproduces.
    BOOL start_with_windows = FALSE;
    int start_show = 0;
    // The status bar at the window's foot while the view is on; null otherwise.
    HWND status_bar = nullptr;
    BOOL title_pending = FALSE;
    char other_title[kOtherTitleSize] = "[Other]";
    HWND next_viewer = nullptr;
    // The system's message font, which has the characters of every script
    // the text may hold; null draws in the context's own font.
    HFONT text_font = nullptr;
    UINT text_dpi = 0;  // the DPI the font was made for
    // Set while the clipboard is closed after a rewrite, whose announcement
    // arrives inside that close; its pass clears it.
    BOOL rewrite_closing = FALSE;
    // Set while a change is handled or retried. A change announced then
    // (while the next viewer or the owner is waited on) is not handled
    // inside it, but once from the message loop: `change_deferred` tells
    // that it is queued there.
    BOOL change_busy = FALSE;
    BOOL change_deferred = FALSE;
    // Ticks left for the deferred retry of the text path; 0 when none is pending.
    int retry_ticks_left = 0;
    // Paints tried again since one last read the clipboard or it changed.
    int repaint_tries = 0;
    // The clipboard's owner that did not answer at once and was asked again
    // without a wait, when, and whether it has answered since.
    HWND owner_asked = nullptr;
    DWORD owner_asked_at = 0;
    BOOL owner_answered = FALSE;
    // The marks' format numbers, 0 until registered: a registered name keeps
    // its number while the platform runs, so each is registered once.
    UINT mark_formats[kMarkKinds] = {};
    UINT editor_marker_formats[kEditorMarkerKinds] = {};
    // What the editors' marks said of the content at its last fix; with -all only.
    CopyKind copy_kind = kOrdinaryCopy;
    // OLE's records of the data object behind the formats, likewise.
    UINT ole_formats[kOleRecordKinds] = {};
    KeptText kept_text;
    TextReading reading;
    FixUndo undo;
    // The clipboard's formats in its order while a change is handled, in
    // room on the handler's stack (clip/format_list.h); null while unknown.
    const UINT* listed_formats = nullptr;
    int listed_count = 0;
    // Whether the next viewer is hung, asked once a change: the fix's own
    // rewrite is passed on inside it, a moment before the change itself.
    HWND hung_asked = nullptr;
    BOOL next_viewer_hung = FALSE;
};

extern ViewerState g_viewer;
