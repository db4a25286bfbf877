// The clipboard: one opener at a time, blocks owned once placed, derived
// formats made on demand, and an announcement when a change is closed.
#include <algorithm>
#include <cstring>
#include <strings.h>

#include "sim_internal.h"

namespace sim::internal {

namespace {

Clipboard& TheClipboard() {
    return TheDesktop().clipboard;
}

// Bitmaps need no mark: the clipboard deletes those it holds when emptied.
void TakeOwnership(HANDLE data) {
    if (Block* block = FindBlock(data)) block->clipboard_owned = true;
}

void ReleaseAllDerived(Clipboard& clipboard) {
    for (auto& entry : clipboard.derived) ReleaseClipboardData(entry.second.data);
    clipboard.derived.clear();
}

// Derived data whose format is now placed, or now made from another source, is stale.
void ReleaseStaleDerived(Clipboard& clipboard) {
    std::vector<Derivation> now = DerivableFormats(clipboard);
    for (auto entry = clipboard.derived.begin(); entry != clipboard.derived.end();) {
        bool still_valid = std::any_of(now.begin(), now.end(), [&](const Derivation& d) {
            return d.format == entry->first && d.source == entry->second.source;
        });
        if (still_valid) {
            ++entry;
        } else {
            ReleaseClipboardData(entry->second.data);
            entry = clipboard.derived.erase(entry);
        }
    }
}

const Derivation* FindDerivation(const std::vector<Derivation>& derivations, UINT format) {
    for (const Derivation& derivation : derivations) {
        if (derivation.format == format) return &derivation;
    }
    return nullptr;
}

HANDLE DerivedHandle(Clipboard& clipboard, UINT format) {
    auto cached = clipboard.derived.find(format);
    if (cached != clipboard.derived.end()) return cached->second.data;
    std::vector<Derivation> derivations = DerivableFormats(clipboard);
    const Derivation* derivation = FindDerivation(derivations, format);
    if (!derivation) return nullptr;
    const PlacedFormat* source = FindPlaced(clipboard, derivation->source);
    HANDLE made = MakeDerivedData(format, derivation->source, source->data);
    if (made) clipboard.derived[format] = {derivation->source, made};
    return made;
}

bool SameOpener(const Clipboard& clipboard, HWND window) {
    return clipboard.open && clipboard.opened_by == window;
}

size_t DataSize(HANDLE data) {
    const Block* block = FindBlock(data);
    return block ? block->size : 0;
}

}  // namespace

void ReleaseClipboardData(HANDLE data) {
    if (FindBlock(data)) {
        FreeBlock(data);
    } else if (FindBitmap(data)) {
        RemoveBitmap(data);
    } else {
        RemovePicture(data);
    }
}

bool OpenClipboardAs(HWND window) {
    Clipboard& clipboard = TheClipboard();
    if (clipboard.open) return SameOpener(clipboard, window);
    clipboard.open = true;
    clipboard.opened_by = window;
    clipboard.changed_while_open = false;
    return true;
}

bool EmptyOpenClipboard() {
    Clipboard& clipboard = TheClipboard();
    if (!clipboard.open) return false;
    ReleaseAllDerived(clipboard);
    clipboard.read_in_session.clear();
    clipboard.converted.clear();
    for (const PlacedFormat& placed : clipboard.placed) {
        if (placed.format == CF_METAFILEPICT) ReleaseMetafilePicture(placed.data);
        ReleaseClipboardData(placed.data);
    }
    clipboard.placed.clear();
    clipboard.owner = clipboard.opened_by;
    clipboard.changed_while_open = true;
    ++clipboard.sequence;
    return true;
}

bool PlaceOnOpenClipboard(UINT format, HANDLE data) {
    Clipboard& clipboard = TheClipboard();
    if (!clipboard.open) return false;
    TakeOwnership(data);
    auto existing = std::find_if(clipboard.placed.begin(), clipboard.placed.end(),
                                 [format](const PlacedFormat& p) { return p.format == format; });
    if (existing == clipboard.placed.end()) {
        clipboard.placed.push_back({format, data});
    } else if (existing->data != data) {
        ReleaseClipboardData(existing->data);
        existing->data = data;
    }
    ReleaseStaleDerived(clipboard);
    clipboard.changed_while_open = true;
    ++clipboard.sequence;
    return true;
}

// The clipboard is closed before the announcement, so that viewers can
// open it again while they handle it.
bool CloseAndAnnounce() {
    Clipboard& clipboard = TheClipboard();
    if (!clipboard.open) return false;
    bool changed = clipboard.changed_while_open;
    clipboard.open = false;
    clipboard.opened_by = nullptr;
    clipboard.changed_while_open = false;
    if (changed) {
        ++clipboard.change_count;
        AnnounceClipboardChange();
    }
    return true;
}

}  // namespace sim::internal

using sim::Fault;
using sim::internal::Clipboard;
using sim::internal::Faulted;
using sim::internal::TheClipboard;

BOOL WINAPI OpenClipboard(HWND window) {
    if (Faulted(Fault::OpenClipboard)) return FALSE;
    if (!sim::internal::OpenClipboardAs(window)) return FALSE;
    sim::internal::NoteOpen(TheClipboard());
    return TRUE;
}

BOOL WINAPI CloseClipboard(void) {
    if (Faulted(Fault::CloseClipboard)) return FALSE;
    return sim::internal::CloseAndAnnounce() ? TRUE : FALSE;
}

BOOL WINAPI EmptyClipboard(void) {
    if (Faulted(Fault::EmptyClipboard)) return FALSE;
    return sim::internal::EmptyOpenClipboard() ? TRUE : FALSE;
}

HANDLE WINAPI SetClipboardData(UINT format, HANDLE data) {
    if (Faulted(Fault::SetClipboardData)) return nullptr;
    if (!sim::internal::PlaceOnOpenClipboard(format, data)) return nullptr;
    return data;
}

HANDLE WINAPI GetClipboardData(UINT format) {
    if (Faulted(Fault::GetClipboardData)) return nullptr;
    Clipboard& clipboard = TheClipboard();
    if (!clipboard.open) return nullptr;
    const auto* placed = sim::internal::FindPlaced(clipboard, format);
    HANDLE data = placed ? placed->data : sim::internal::DerivedHandle(clipboard, format);
    if (data) sim::internal::NoteRead(clipboard, format, !placed);
    return data;
}

UINT WINAPI EnumClipboardFormats(UINT format) {
    if (Faulted(Fault::EnumClipboardFormats)) return 0;
    const Clipboard& clipboard = TheClipboard();
    if (!clipboard.open) return 0;
    std::vector<UINT> order = sim::internal::EnumerationOrder(clipboard);
    if (format == 0) return order.empty() ? 0 : order.front();
    auto at = std::find(order.begin(), order.end(), format);
    if (at == order.end() || ++at == order.end()) return 0;
    return *at;
}

int WINAPI CountClipboardFormats(void) {
    return static_cast<int>(sim::internal::EnumerationOrder(TheClipboard()).size());
}

BOOL WINAPI IsClipboardFormatAvailable(UINT format) {
    return sim::internal::OffersFormat(TheClipboard(), format) ? TRUE : FALSE;
}

int WINAPI GetPriorityClipboardFormat(UINT* list, int count) {
    const Clipboard& clipboard = TheClipboard();
    if (sim::internal::EnumerationOrder(clipboard).empty()) return 0;
    for (int n = 0; n < count; ++n) {
        if (sim::internal::OffersFormat(clipboard, list[n])) return static_cast<int>(list[n]);
    }
    return -1;
}

int WINAPI GetClipboardFormatNameA(UINT format, LPSTR name, int size) {
    if (Faulted(Fault::GetClipboardFormatName)) return 0;
    const auto& names = TheClipboard().registered_names;
    auto found = names.find(format);
    if (found == names.end() || !name || size <= 0) return 0;
    size_t copied = std::min(found->second.size(), static_cast<size_t>(size - 1));
    std::memcpy(name, found->second.data(), copied);
    name[copied] = '\0';
    return static_cast<int>(copied);
}

UINT WINAPI RegisterClipboardFormatA(LPCSTR name) {
    if (!name || !*name) return 0;
    Clipboard& clipboard = TheClipboard();
    for (const auto& entry : clipboard.registered_names) {
        if (strcasecmp(entry.second.c_str(), name) == 0) return entry.first;
    }
    UINT format = clipboard.next_registered++;
    clipboard.registered_names[format] = name;
    return format;
}

DWORD WINAPI GetClipboardSequenceNumber(void) {
    return TheClipboard().sequence;
}

// Any module name gives the one module, which has every entry point the
// simulated desktop offers by name.
HMODULE WINAPI GetModuleHandleA(LPCSTR) {
    return reinterpret_cast<HMODULE>(sim::internal::kModuleHandle);
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
    if (module != GetModuleHandleA(nullptr) || !name) return nullptr;
    if (std::strcmp(name, "GetClipboardSequenceNumber") != 0) return nullptr;
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(GetClipboardSequenceNumber));
}

HWND WINAPI GetClipboardOwner(void) {
    return TheClipboard().owner;
}

namespace sim {

namespace {

// Opens as `owner`, empties, places what `make_formats` gives and closes,
// so the change is announced as another program's would be.
template <typename MakeFormats>
bool PlaceAs(HWND owner, MakeFormats make_formats) {
    if (!internal::OpenClipboardAs(owner)) return false;
    internal::EmptyOpenClipboard();
    for (const auto& format : make_formats()) {
        internal::PlaceOnOpenClipboard(format.first, format.second);
    }
    internal::CloseAndAnnounce();
    return true;
}

using FormatList = std::vector<std::pair<UINT, HANDLE>>;

}  // namespace

bool PlaceClipboard(HWND owner, const std::vector<ClipData>& formats) {
    return PlaceAs(owner, [&formats] {
        FormatList blocks;
        for (const ClipData& data : formats) {
            blocks.emplace_back(data.format, internal::BlockFromBytes(data.bytes));
        }
        return blocks;
    });
}

bool PlaceClipboardBitmap(HWND owner, HBITMAP bitmap) {
    return PlaceAs(owner, [bitmap] { return FormatList{{CF_BITMAP, bitmap}}; });
}

bool PlaceClipboardData(HWND owner, const std::vector<std::pair<UINT, HANDLE>>& formats) {
    return PlaceAs(owner, [&formats] { return formats; });
}

bool PlaceClipboardEmptyHandle(HWND owner, UINT format) {
    return PlaceAs(owner, [format] { return FormatList{{format, nullptr}}; });
}

std::vector<UINT> ClipboardFormats() {
    return internal::EnumerationOrder(TheClipboard());
}

bool ClipboardHas(UINT format) {
    return internal::OffersFormat(TheClipboard(), format);
}

std::string ClipboardBlock(UINT format) {
    const Clipboard& clipboard = TheClipboard();
    if (const auto* placed = internal::FindPlaced(clipboard, format)) {
        return internal::BlockBytes(placed->data);
    }
    auto cached = clipboard.derived.find(format);
    if (cached != clipboard.derived.end()) return internal::BlockBytes(cached->second.data);
    for (const internal::Derivation& derivation : internal::DerivableFormats(clipboard)) {
        if (derivation.format != format) continue;
        const auto* source = internal::FindPlaced(clipboard, derivation.source);
        if (!source->data) return std::string();
        return internal::ConvertedBytes(format, derivation.source, source->data);
    }
    return std::string();
}

size_t ClipboardBlockSize(UINT format) {
    const Clipboard& clipboard = TheClipboard();
    if (const auto* placed = internal::FindPlaced(clipboard, format)) {
        return internal::DataSize(placed->data);
    }
    auto cached = clipboard.derived.find(format);
    if (cached != clipboard.derived.end()) return internal::DataSize(cached->second.data);
    return ClipboardBlock(format).size();
}

bool ConvertedSincePlaced(UINT format) {
    return TheClipboard().derived.count(format) != 0;
}

HWND ClipboardOpenedBy() {
    return TheClipboard().open ? TheClipboard().opened_by : nullptr;
}

bool ClipboardIsOpen() {
    return TheClipboard().open;
}

HWND ClipboardOwnerWindow() {
    return TheClipboard().owner;
}

int ClipboardChangeCount() {
    return TheClipboard().change_count;
}

}  // namespace sim
