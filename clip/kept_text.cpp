#include "clip/kept_text.h"

#include <cstdint>

#include "clip/user32_entries.h"

namespace {

constexpr char kSequenceEntry[] = "GetClipboardSequenceNumber";
constexpr size_t kFirstRoom = 256;
// No room beyond this is asked for, so that doubling and counting bytes
// stay in range.
constexpr size_t kMostUnits = SIZE_MAX / sizeof(WCHAR) / 4;

typedef DWORD(WINAPI* SequenceFunction)();

// Doubles the room until `units` more fit; false when the heap refuses.
bool Grow(size_t units) {
    KeptText& kept = g_viewer.kept_text;
    if (units > kMostUnits - kept.count) return false;
    size_t capacity = kept.capacity;
    while (capacity - kept.count < units) capacity *= 2;
    if (capacity == kept.capacity) return true;
    void* grown = HeapReAlloc(GetProcessHeap(), 0, kept.units, capacity * sizeof(WCHAR));
    if (!grown) return false;
    kept.units = static_cast<WCHAR*>(grown);
    if (kept.kinds) {
        grown = HeapReAlloc(GetProcessHeap(), 0, kept.kinds, capacity);
        if (!grown) return false;
        kept.kinds = static_cast<unsigned char*>(grown);
    }
    kept.capacity = capacity;
    return true;
}

void FreeKept(void* memory) {
    if (memory) HeapFree(GetProcessHeap(), 0, memory);
}

}  // namespace

DWORD ClipboardSequence() {
    SequenceFunction sequence = User32Entry<SequenceFunction>(kSequenceEntry);
    return sequence ? sequence() : kSequenceUnknown;
}

bool KeptTextFits(UINT format, const RECT& client) {
    const KeptText& kept = g_viewer.kept_text;
    return kept.units && kept.format == format && client.right <= kept.width &&
           client.bottom <= kept.height && kept.sequence != kSequenceUnknown &&
           kept.sequence == ClipboardSequence();
}

bool StartKeepingText(UINT format, const RECT& client, bool with_kinds) {
    DropKeptText();
    DWORD sequence = ClipboardSequence();
    void* units = HeapAlloc(GetProcessHeap(), 0, kFirstRoom * sizeof(WCHAR));
    void* kinds = with_kinds ? HeapAlloc(GetProcessHeap(), 0, kFirstRoom) : nullptr;
    if (!units || (with_kinds && !kinds)) {
        FreeKept(units);
        FreeKept(kinds);
        return false;
    }
    g_viewer.kept_text = {static_cast<WCHAR*>(units),
                          static_cast<unsigned char*>(kinds),
                          0,
                          kFirstRoom,
                          sequence,
                          format,
                          client.right,
                          client.bottom};
    return true;
}

WCHAR* KeepRoom(size_t units) {
    KeptText& kept = g_viewer.kept_text;
    if (!kept.units) return nullptr;
    if (!Grow(units)) {
        DropKeptText();
        return nullptr;
    }
    WCHAR* room = kept.units + kept.count;
    kept.count += units;
    return room;
}

unsigned char* KeptKinds(const WCHAR* room) {
    const KeptText& kept = g_viewer.kept_text;
    return kept.kinds ? kept.kinds + (room - kept.units) : nullptr;
}

void GiveBackRoom(size_t units) {
    g_viewer.kept_text.count -= units;
}

void DropKeptText() {
    FreeKept(g_viewer.kept_text.units);
    FreeKept(g_viewer.kept_text.kinds);
    g_viewer.kept_text = KeptText();
}
