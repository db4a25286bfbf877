#include "clip/hidden_remover.h"

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

// Whether a two-byte character ends at `at`, a character's end: the bytes
// before it that can lead pair up from the last one that cannot, which
// ends a character whatever it is.
bool EndsTwoByteCharacter(const TextBlock& text, size_t at) {
    if (!text.two_byte || at < 2) return false;
    size_t leads = 0;
    for (size_t before = at - 1; before > 0 && text.lead_byte[TextUnit(text, before - 1)];
         --before) {
        ++leads;
    }
    return leads % 2 == 1;
}

// The character that ends at `at`: a pair whole, a two-byte character by
// its lead byte. Returns where it starts.
size_t PreviousCharacter(const TextBlock& text, size_t at, uint32_t* code_point) {
    size_t start = at - 1;
    if (!text.wide && EndsTwoByteCharacter(text, at)) --start;
    if (text.wide && start > 0) {
        if (IsLowSurrogate(static_cast<WCHAR>(TextUnit(text, start))) &&
            IsHighSurrogate(static_cast<WCHAR>(TextUnit(text, start - 1)))) {
            --start;
        }
    }
    if (text.wide) {
        DecodeUnits(static_cast<const WCHAR*>(text.data), text.units, start, code_point);
    } else {
        *code_point = TextUnit(text, start);
    }
    return start;
}

// Where a run of removable characters that ends at `at` starts, `at` when
// the character before it stays. Tags of a subdivision flag stay.
size_t RemovableRunStart(const TextBlock& text, size_t at) {
    uint32_t code_point;
    size_t start = PreviousCharacter(text, at, &code_point);
    if (!text.wide) return ClassifyByteText(code_point) == kControlCharacter ? start : at;
    HiddenKind kind = ClassifyCodePoint(code_point);
    if (CleanActionOf(code_point, kind) != kRemove) return at;
    if (kind != kTagCharacter) return start;
    size_t run = start;
    while (run > 0) {
        size_t before = PreviousCharacter(text, run, &code_point);
        if (ClassifyCodePoint(code_point) != kTagCharacter) break;
        run = before;
    }
    if (run == 0) return run;
    PreviousCharacter(text, run, &code_point);
    if (code_point != kWavingBlackFlag) return run;
    size_t flag_end = FlagTagsEnd(text, run);
    return flag_end >= at ? at : flag_end;
}

bool Record(Writer* writer, unsigned unit, bool replaced) {
    writer->recorded =
        writer->recorded &&
        RecordEdit(writer->record, writer->written - writer->last_edit, unit, replaced);
    writer->last_edit = writer->written + (replaced ? 1 : 0);
    return writer->recorded;
}

// A reading that does not match the text never writes past the block.
bool HasRoom(Writer* writer, size_t units) {
    writer->recorded = writer->recorded && units <= writer->room - writer->written;
    return writer->recorded;
}

void CopyRun(const TextBlock& text, size_t from, size_t to, Writer* writer) {
    size_t unit = UnitSize(text);
    if (!HasRoom(writer, to - from)) return;
    std::memcpy(writer->to + writer->written * unit,
                static_cast<const char*>(text.data) + from * unit, (to - from) * unit);
    writer->written += to - from;
}

void RecordRemoved(const TextBlock& text, size_t from, size_t to, Writer* writer) {
    for (size_t at = from; at < to; ++at) Record(writer, TextUnit(text, at), false);
}

// One character of plain or OEM text at `at` that may be hidden; returns
// where it ends. A two-byte character is text, and so is its lead byte
// alone when the trailing line breaks start behind it, at `end`.
size_t CleanByteCharacter(const TextBlock& text, size_t at, size_t end, Writer* writer) {
    size_t next = NextCharacter(text, at);
    if (next - at == 1 && ClassifyByteText(TextUnit(text, at)) == kControlCharacter) {
        RecordRemoved(text, at, next, writer);
        return next;
    }
    next = next < end ? next : end;
    CopyRun(text, at, next, writer);
    return next;
}

// One character of Unicode text at `at` that may be hidden; returns where it ends.
size_t CleanCharacter(const TextBlock& text, size_t at, size_t length, Writer* writer) {
    uint32_t code_point;
    size_t next = DecodeUnits(static_cast<const WCHAR*>(text.data), length, at, &code_point);
    switch (CleanActionOf(code_point, ClassifyCodePoint(code_point))) {
        case kRemove:
            RecordRemoved(text, at, next, writer);
            return next;
        case kMakeSpace:
            if (!HasRoom(writer, 1) || !Record(writer, TextUnit(text, at), true)) return next;
            reinterpret_cast<WCHAR*>(writer->to)[writer->written++] = kSpace;
            return next;
        default:
            if (code_point == kWavingBlackFlag) next = FlagTagsEnd(text, next);
            CopyRun(text, at, next, writer);
            return next;
    }
}

// Ordinary runs are copied whole; only what may be hidden is looked at.
void CleanUnits(const TextBlock& text, const TextFix& fix, Writer* writer) {
    size_t at = fix.reading.first_cleaned < fix.end ? fix.reading.first_cleaned : fix.end;
    CopyRun(text, 0, at, writer);
    while (at < fix.end && writer->recorded) {
        size_t next = NextUnitToLookAt(text, at, fix.end);
        CopyRun(text, at, next, writer);
        if (next >= fix.end) break;
        at = text.wide ? CleanCharacter(text, next, fix.length, writer)
                       : CleanByteCharacter(text, next, fix.end, writer);
    }
}

}  // namespace

void FindCleanedEnd(const TextBlock& text, bool pairs_only, TextFix* fix) {
    size_t at = fix->length;
    size_t removable = 0;
    bool after_pair = true;  // what follows `at` is whole CR LF pairs
    fix->end = fix->length;
    fix->tail_removable = 0;
    while (at > 0) {
        size_t run = RemovableRunStart(text, at);
        if (run < at) {
            removable += at - run;
            at = run;
            continue;
        }
        unsigned unit = TextUnit(text, at - 1);
        if (!IsLineBreak(unit)) break;
        --at;
        if (pairs_only) {
            bool expected = after_pair ? unit == kLineFeed : unit == kCarriageReturn;
            if (!expected) break;
            after_pair = !after_pair;
            if (!after_pair) continue;
        }
        fix->end = at;
        fix->tail_removable = removable;
    }
}

HGLOBAL MakeFixedText(const TextBlock& text, const TextFix& fix, UndoRecord* record) {
    size_t removed = fix.clean ? fix.reading.removable - fix.tail_removable : 0;
    size_t kept = fix.end - removed;
    size_t edits = fix.length - fix.end + removed + (fix.clean ? fix.reading.spaces_made : 0);
    if (!StartUndoRecord(record, edits, fix.length)) return nullptr;
    HGLOBAL block = GlobalAlloc(kSharedBlockFlags, (kept + 1) * UnitSize(text));
    char* to = block ? static_cast<char*>(GlobalLock(block)) : nullptr;
    Writer writer = {to, kept, 0, 0, record, to != nullptr};
    if (to && fix.clean) CleanUnits(text, fix, &writer);
    if (to && !fix.clean) CopyRun(text, 0, fix.end, &writer);
    if (to) RecordRemoved(text, fix.end, fix.length, &writer);
    bool made = writer.recorded && writer.written == kept;
    if (to) {
        std::memset(to + kept * UnitSize(text), 0, UnitSize(text));
        GlobalUnlock(block);
    }
    FinishUndoRecord(record);
    if (made) return block;
    if (block) GlobalFree(block);
    FreeUndoRecord(record);
    return nullptr;
}
