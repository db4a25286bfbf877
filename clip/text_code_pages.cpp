#include "clip/text_code_pages.h"

#include <algorithm>
#include <cstring>

#include "clip/clipboard_change.h"

namespace {

// Text is converted in pieces of whole characters, each small enough for
// buffers on the stack; a character takes at most two bytes in either page.
constexpr size_t kPieceBytes = 512;
constexpr size_t kMaxBytesPerCharacter = 2;
constexpr size_t kPlainPieceBytes = kPieceBytes * kMaxBytesPerCharacter;

// The locale placed with the text, or the user's when there is none.
LCID ClipboardLocale() {
    DWORD locale;
    return ReadClipboardDword(CF_LOCALE, &locale) ? locale : LOCALE_USER_DEFAULT;
}

// A locale the platform does not know converts through the process's pages.
UINT LocaleCodePage(LCID locale, LCTYPE type, UINT fallback) {
    DWORD page = 0;
    if (!GetLocaleInfoA(locale, type | LOCALE_RETURN_NUMBER, reinterpret_cast<LPSTR>(&page),
                        sizeof page)) {
        return fallback;
    }
    return page;
}

void MarkLeadBytes(TextCodePages* pages) {
    std::fill(pages->lead_byte, pages->lead_byte + kByteValues, false);
    CPINFO info;
    if (!GetCPInfo(pages->oem, &info)) return;
    // Ranges come in pairs, first and last byte, ended by a pair of zeros.
    for (int at = 0; at + 1 < MAX_LEADBYTES && info.LeadByte[at] != 0; at += 2) {
        for (int byte = info.LeadByte[at]; byte <= info.LeadByte[at + 1]; ++byte) {
            pages->lead_byte[byte] = true;
        }
    }
}

// The end of the last whole character that fits a piece starting at `start`.
size_t PieceEnd(const TextCodePages& pages, const char* bytes, size_t start, size_t size) {
    size_t end = start;
    while (end < size && end - start < kPieceBytes - 1) {
        end = NextOemCharacter(pages, bytes, end, size);
    }
    return end;
}

}  // namespace

void ReadClipboardCodePages(TextCodePages* pages) {
    LCID locale = ClipboardLocale();
    pages->oem = LocaleCodePage(locale, LOCALE_IDEFAULTCODEPAGE, CP_OEMCP);
    pages->ansi = LocaleCodePage(locale, LOCALE_IDEFAULTANSICODEPAGE, CP_ACP);
    MarkLeadBytes(pages);
}

size_t NextOemCharacter(const TextCodePages& pages, const char* bytes, size_t at, size_t size) {
    size_t next = at + 1;
    if (pages.lead_byte[static_cast<unsigned char>(bytes[at])] && next < size &&
        bytes[next] != '\0') {
        ++next;
    }
    return next;
}

size_t ConvertOemText(const TextCodePages& pages, const char* bytes, size_t size, char* plain,
                      size_t capacity) {
    size_t written = 0;
    for (size_t start = 0; start < size && written < capacity;) {
        size_t end = PieceEnd(pages, bytes, start, size);
        WCHAR wide[kPieceBytes];
        int characters = MultiByteToWideChar(pages.oem, 0, bytes + start,
                                             static_cast<int>(end - start), wide, kPieceBytes);
        char piece[kPlainPieceBytes];
        int piece_bytes = WideCharToMultiByte(pages.ansi, 0, wide, characters, piece,
                                              kPlainPieceBytes, nullptr, nullptr);
        if (piece_bytes <= 0) break;
        size_t kept = std::min(static_cast<size_t>(piece_bytes), capacity - written);
        std::memcpy(plain + written, piece, kept);
        written += kept;
        start = end;
    }
    return written;
}
