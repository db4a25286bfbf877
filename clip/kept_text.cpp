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
    kept.capacity = capacity;
    return true;
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

bool StartKeepingText(UINT format, const RECT& client) {
    DropKeptText();
    DWORD sequence = ClipboardSequence();
    void* units = HeapAlloc(GetProcessHeap(), 0, kFirstRoom * sizeof(WCHAR));
    if (!units) return false;
    g_viewer.kept_text = {
        static_cast<WCHAR*>(units), 0, kFirstRoom, sequence, format, client.right, client.bottom};
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

void GiveBackRoom(size_t units) {
    g_viewer.kept_text.count -= units;
}

void DropKeptText() {
    if (g_viewer.kept_text.units) HeapFree(GetProcessHeap(), 0, g_viewer.kept_text.units);
    g_viewer.kept_text = KeptText();
}
