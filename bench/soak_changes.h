// Long runs of clipboard changes against a viewer in another process, and
// that process's private memory: shared by the soak case of the end-to-end
// suite and the soak benchmark. Header-only, like driver_util.h.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <string>

#include "tests/e2e/driver_util.h"

namespace soak {

// The kinds of change a long-running session meets; the mix takes the
// first kKinds in turn. A device-independent bitmap is measured beside them.
enum Kind {
    kOemText,
    kBitmap,
    kRussian,
    kRegistered,
    kUnicode,
    kPlain,
    kPrivate,
    kEmpty,
    kKinds,
    kDib = kKinds,
    kAllKinds
};

const char* const kKindNames[kAllKinds] = {"OEM text",  "bitmap 64x48", "Russian OEM text",
                                           "OEM + 120", "Unicode text", "plain text",
                                           "private",   "empty",        "DIB 64x48"};

const int kBitmapWidth = 64;
const int kBitmapHeight = 48;
const LCID kRussianLocale = 0x0419;
const int kRegisteredFormats = 120;
const char kIgnoreMark[] = "Clipboard Viewer Ignore";
// "privet " in code page 866, then the change's number.
const char kRussianText[] = "\xaf\xe0\xa8\xa2\xa5\xe2 ";
const char kLineBreak[] = "\r\n";

// Only ends a wait for a viewer that no longer answers.
const DWORD kAnswerTimeoutMs = 30000;
const DWORD kOwnerPollMs = 1;

inline bool IsFixed(Kind kind) {
    return kind == kOemText || kind == kRussian || kind == kRegistered;
}

// The registered formats that some kinds place, registered once.
struct Formats {
    UINT registered[kRegisteredFormats];
    UINT ignore_mark;
};

inline void RegisterFormats(Formats* formats) {
    for (int at = 0; at < kRegisteredFormats; ++at) {
        formats->registered[at] =
            RegisterClipboardFormatA(("Varnelo soak " + std::to_string(at)).c_str());
    }
    formats->ignore_mark = RegisterClipboardFormatA(kIgnoreMark);
}

// The text a change of a text kind places; OEM kinds end in CR LF.
inline std::string ChangeText(Kind kind, int number) {
    const std::string counted = "soak " + std::to_string(number);
    if (kind == kRussian) return kRussianText + std::to_string(number) + kLineBreak;
    if (IsFixed(kind)) return counted + kLineBreak;
    return counted;
}

inline std::string WithNul(const std::string& text) {
    return std::string(text.c_str(), text.size() + 1);
}

inline std::string DwordBytes(DWORD value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

inline bool PlaceOemWithRegistered(HWND owner, const std::string& text, const Formats& formats) {
    std::vector<e2e::ClipboardItem> items = {{CF_OEMTEXT, WithNul(text)}};
    for (UINT format : formats.registered) items.push_back({format, DwordBytes(format)});
    return e2e::PlaceClipboardItems(owner, items);
}

// Makes the change numbered `number` of the given kind.
inline bool PlaceChange(HWND owner, Kind kind, int number, const Formats& formats) {
    const std::string text = ChangeText(kind, number);
    switch (kind) {
        case kOemText:
            return e2e::PlaceClipboardText(owner, CF_OEMTEXT, text);
        case kBitmap:
            return e2e::PlaceClipboardBitmap(owner,
                                             e2e::CreatePatternBitmap(kBitmapWidth, kBitmapHeight));
        case kRussian:
            return e2e::PlaceClipboardItems(
                owner, {{CF_OEMTEXT, WithNul(text)}, {CF_LOCALE, DwordBytes(kRussianLocale)}});
        case kRegistered:
            return PlaceOemWithRegistered(owner, text, formats);
        case kUnicode:
            return e2e::PlaceUnicodeText(owner, std::wstring(text.begin(), text.end()));
        case kPlain:
            return e2e::PlaceClipboardText(owner, CF_TEXT, text);
        case kDib:
            return e2e::PlaceClipboardItems(
                owner, {{CF_DIB, e2e::PatternDib(kBitmapWidth, kBitmapHeight)}});
        case kPrivate:
            return e2e::PlaceClipboardItems(
                owner, {{CF_TEXT, WithNul(text)}, {formats.ignore_mark, DwordBytes(1)}});
        default:
            return e2e::EmptyTheClipboard(owner);
    }
}

// Waits until the viewer has handled everything sent to it before; the
// driver answers messages meanwhile, as a clipboard owner must.
inline bool WaitUntilAnswered(HWND viewer) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(viewer, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerTimeoutMs, &result) != 0;
}

// Once the viewer has answered, it has handled the announcement of the
// change; a fixed kind is handled once the viewer owns the clipboard, which
// takes a retry when another program held the clipboard at that moment.
inline bool ChangeHandled(HWND viewer, Kind kind) {
    if (!WaitUntilAnswered(viewer)) return false;
    const DWORD start = GetTickCount();
    while (IsFixed(kind) && GetClipboardOwner() != viewer) {
        if (GetTickCount() - start >= kAnswerTimeoutMs) return false;
        e2e::PumpFor(kOwnerPollMs);
    }
    return true;
}

// Private memory of the process (PagefileUsage), in bytes; 0 if unknown.
inline SIZE_T PrivateBytes(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(process, &counters, sizeof counters) ? counters.PagefileUsage : 0;
}

}  // namespace soak
