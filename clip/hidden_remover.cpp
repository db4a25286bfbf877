#include "clip/hidden_remover.h"

#include <algorithm>
#include <cstring>

#include "clip/clipboard_blocks.h"
#include "clip/undo_record.h"

namespace {

// The new text as it is written, and the edits behind it.
struct Writer {
    char* to;
    size_t room;  // units the new block holds before its terminator
    size_t written;
    size_t last_edit;  // units written when the last edit was recorded
    UndoRecord* record;
    bool recorded;
};

size_t UnitSize(const TextBlock& text) {
    return text.wide ? sizeof(WCHAR) : 1;
}

bool Record(Writer* writer, unsigned unit, bool replaced) {
    writer->recorded =
        writer->recorded &&
        RecordEdit(writer->record, writer->written - writer->last_edit, unit, replaced);
    writer->last_edit = writer->written + (replaced ? 1 : 0);
    return writer->recorded;
}

// `count` removed units, each the one `kRepeatDistance` before it.
void RecordRepeated(Writer* writer, size_t count) {
    writer->recorded = writer->recorded &&
                       RecordRepeat(writer->record, writer->written - writer->last_edit, count);
    writer->last_edit = writer->written;
}

// A reading that does not match the text never writes past the block.
bool HasRoom(Writer* writer, size_t units) {
    writer->recorded = writer->recorded && units <= writer->room - writer->written;
    return writer->recorded;
}

// A repeat of fewer units takes no fewer bytes than the units themselves.
constexpr size_t kShortestRepeat = 2;

void CopyRun(const TextBlock& text, size_t from, size_t to, Writer* writer) {
    size_t unit = UnitSize(text);
    if (!HasRoom(writer, to - from)) return;
    std::memcpy(writer->to + writer->written * unit,
                static_cast<const char*>(text.data) + from * unit, (to - from) * unit);
    writer->written += to - from;
}

// Units from `at` up to `to` that are each the one `kRepeatDistance` before.
size_t RepeatedUnits(const TextBlock& text, size_t at, size_t to) {
    size_t from = at;
    while (at < to && TextUnit(text, at) == TextUnit(text, at - kRepeatDistance)) ++at;
    return at - from;
}

// Removed units that repeat those before them, as a run of line breaks
// does, are recorded as one edit.
void RecordRemoved(const TextBlock& text, size_t from, size_t to, Writer* writer) {
    for (size_t at = from; at < to && writer->recorded;) {
        size_t repeated = at - from >= kRepeatDistance ? RepeatedUnits(text, at, to) : 0;
        if (repeated < kShortestRepeat) {
            Record(writer, TextUnit(text, at++), false);
            continue;
        }
        RecordRepeated(writer, repeated);
        at += repeated;
    }
}

// The first edits' room; a record of more grows as it is written.
constexpr size_t kFirstEdits = 64;

// Where the last unit written that is not a line break ends, and the
// record there; the units kept from `run` to `read` are written as if
// copied already. A lead byte takes the line break after it along as one
// character, but the trailing line breaks are the bytes' own: they may start
// behind it, so the tail does, the lead byte copied without an edit. A line
// break ends a written run of plain or OEM text only so.
void MarkTail(const TextBlock& text, const Writer& writer, size_t run, size_t read,
              CleanedText* cleaned) {
    cleaned->tail_read = read;
    cleaned->tail_written = writer.written + (read - run);
    cleaned->tail_last_edit = writer.last_edit;
    cleaned->tail_record_size = writer.record->size;
    cleaned->tail_removed = writer.record->removed;
    if (text.wide || !IsLineBreak(TextUnit(text, read - 1))) return;
    cleaned->tail_read = read - 1;
    --cleaned->tail_written;
}

// The line break or the character at `at` as the reading finds it: what it
// counts as removed goes, what it counts as made a space becomes one, and
// the rest joins the run of units kept, which an edit copies first.
// Returns where it ends.
size_t CleanLookedAt(const TextBlock& text, size_t at, size_t* run, TextReading* reading,
                     Writer* writer, CleanedText* cleaned) {
    size_t removable = reading->removable;
    size_t spaces = reading->spaces_made;
    size_t end = ReadLookedAt(text, at, reading);
    bool removed = reading->removable != removable;
    if (!removed && reading->spaces_made == spaces) {
        if (!IsLineBreak(TextUnit(text, at))) MarkTail(text, *writer, *run, end, cleaned);
        return end;
    }
    CopyRun(text, *run, at, writer);
    *run = end;
    if (removed) {
        RecordRemoved(text, at, end, writer);
    } else if (HasRoom(writer, 1) && Record(writer, TextUnit(text, at), true)) {
        // Only Unicode text has characters made spaces.
        reinterpret_cast<WCHAR*>(writer->to)[writer->written++] = kSpace;
        MarkTail(text, *writer, end, end, cleaned);
    }
    return end;
}

// The reading's own pass, writing as it goes: what is kept, ordinary text
// and line breaks alike, is copied a run at a time, up to the next edit.
// Returns the text's length.
size_t CleanWholeText(const TextBlock& text, TextReading* reading, Writer* writer,
                      CleanedText* cleaned) {
    size_t at = 0;
    size_t run = 0;
    while (at < text.units && writer->recorded) {
        size_t next = NextUnitToLookAt(text, at, text.units);
        if (next != at) {
            reading->ending = kEndsInNoBreak;
            at = next;
            MarkTail(text, *writer, run, at, cleaned);
            continue;
        }
        if (TextUnit(text, at) == 0) break;
        at = CleanLookedAt(text, at, &run, reading, writer, cleaned);
    }
    CopyRun(text, run, at, writer);
    return at;
}

void FreeCleanedBlock(HGLOBAL block, bool locked) {
    if (locked) GlobalUnlock(block);
    if (block) GlobalFree(block);
}

}  // namespace

HGLOBAL MakeFixedText(const TextBlock& text, const TextFix& fix, UndoRecord* record) {
    if (!StartUndoRecord(record, std::min(fix.length - fix.end, kFirstEdits), fix.length)) {
        return nullptr;
    }
    HGLOBAL block = GlobalAlloc(kSharedBlockFlags, (fix.end + 1) * UnitSize(text));
    char* to = block ? static_cast<char*>(GlobalLock(block)) : nullptr;
    Writer writer = {to, fix.end, 0, 0, record, to != nullptr};
    if (to) {
        CopyRun(text, 0, fix.end, &writer);
        RecordRemoved(text, fix.end, fix.length, &writer);
        std::memset(to + fix.end * UnitSize(text), 0, UnitSize(text));
        GlobalUnlock(block);
    }
    FinishUndoRecord(record);
    if (writer.recorded) return block;
    if (block) GlobalFree(block);
    FreeUndoRecord(record);
    return nullptr;
}

bool CleanWhileReading(const TextBlock& text, TextFix* fix, UndoRecord* record,
                       CleanedText* cleaned) {
    *cleaned = CleanedText();
    fix->read = true;
    fix->reading = TextReading();
    HGLOBAL block = nullptr;
    char* to = nullptr;
    if (StartUndoRecord(record, kFirstEdits, text.units)) {
        block = GlobalAlloc(kSharedBlockFlags, (text.units + 1) * UnitSize(text));
        to = block ? static_cast<char*>(GlobalLock(block)) : nullptr;
    }
    Writer writer = {to, text.units, 0, 0, record, to != nullptr};
    if (to) FinishReading(CleanWholeText(text, &fix->reading, &writer, cleaned), &fix->reading);
    if (!writer.recorded || !CleaningChangesText(fix->reading)) {
        FreeCleanedBlock(block, to != nullptr);
        FreeUndoRecord(record);
        if (!writer.recorded) ReadText(text, &fix->reading);
        return false;
    }
    fix->length = fix->reading.length;
    fix->end = fix->length;
    cleaned->block = block;
    cleaned->text = text;
    cleaned->text.handle = block;
    cleaned->text.data = to;
    cleaned->text.units = writer.written;
    return true;
}

size_t CleanedTextEnd(const TextBlock& text, const TextFix& fix, const CleanedText& cleaned,
                      size_t kept) {
    size_t written = cleaned.tail_written;
    for (size_t at = cleaned.tail_read; at < fix.length; ++at) {
        if (!IsLineBreak(TextUnit(text, at))) continue;
        if (written >= kept) return at;
        ++written;
    }
    return fix.length;
}

// The record is taken back to where the trailing breaks start, and their
// part of the old text walked again: a break before `fix.end` is kept, and
// every other unit there was removed.
HGLOBAL FinishCleanedText(const TextBlock& text, const TextFix& fix, UndoRecord* record,
                          CleanedText* cleaned) {
    char* to = static_cast<char*>(const_cast<void*>(cleaned->text.data));
    Writer writer = {
        to, cleaned->text.units, cleaned->tail_written, cleaned->tail_last_edit, record, true};
    record->size = cleaned->tail_record_size;
    record->removed = cleaned->tail_removed;
    size_t at = cleaned->tail_read;
    for (; at < fix.end && writer.recorded; ++at) {
        unsigned unit = TextUnit(text, at);
        if (IsLineBreak(unit) && writer.written < writer.room) {
            ++writer.written;
            continue;
        }
        Record(&writer, unit, false);
    }
    RecordRemoved(text, at, fix.length, &writer);
    size_t unit = UnitSize(text);
    size_t kept = writer.written;
    std::memset(to + kept * unit, 0, unit);
    GlobalUnlock(cleaned->block);
    FinishUndoRecord(record);
    // Exactly the text left and its terminator: the X side trusts block sizes.
    HGLOBAL block =
        writer.recorded ? GlobalReAlloc(cleaned->block, (kept + 1) * unit, GMEM_MOVEABLE) : nullptr;
    if (!block) GlobalFree(cleaned->block);
    *cleaned = CleanedText();
    if (block) return block;
    FreeUndoRecord(record);
    return nullptr;
}

void FreeCleanedText(CleanedText* cleaned) {
    FreeCleanedBlock(cleaned->block, cleaned->block != nullptr);
    *cleaned = CleanedText();
}
