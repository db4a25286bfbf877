// Code pages and locales of the simulated desktop. The tables come from the
// host's iconv; where Wine's differ (bytes a code page leaves undefined, the
// best-fit forms of characters a page lacks) the simulation keeps it simple:
// an undefined byte becomes a private-use character of its own, and a
// character without a form in the target page becomes its default "?".
// Two-byte characters follow Wine as measured: a lead byte takes the byte
// after it along, whatever it is, unless that is a NUL or lies past the end;
// a pair without a character, and a lead byte alone, become U+30FB.
#include <iconv.h>

#include <array>
#include <cstring>
#include <map>
#include <string>

#include "sim_internal.h"

namespace sim::internal {

namespace {

constexpr UINT kProcessAnsiPage = 1252;
constexpr UINT kProcessOemPage = 437;
constexpr int kByteCount = 256;
constexpr char16_t kPrivateUseBase = 0xF000;
constexpr char16_t kMissingDoubleByte = 0x30FB;
constexpr char kDefaultChar = '?';
constexpr int kUtf16UnitBytes = 2;

struct LocalePages {
    LCID locale;
    UINT oem;
    UINT ansi;
};

constexpr LocalePages kLocales[] = {
    {LOCALE_USER_DEFAULT, kProcessOemPage, kProcessAnsiPage},
    {0x0409, kProcessOemPage, kProcessAnsiPage},
    {0x0407, 850, 1252},
    {0x0408, 737, 1253},
    {0x0419, 866, 1251},
    {0x0411, 932, 932},
};

struct LeadRange {
    UINT page;
    BYTE first;
    BYTE last;
};

constexpr LeadRange kLeadRanges[] = {{932, 0x81, 0x9F}, {932, 0xE0, 0xFC}};
constexpr UINT kKnownPages[] = {437, 737, 850, 866, 932, 1251, 1252, 1253};

struct CodePage {
    std::array<char16_t, kByteCount> single{};
    std::array<bool, kByteCount> lead{};
    std::map<uint16_t, char16_t> pairs;  // lead byte << 8 | trail byte
    std::map<char16_t, std::string> encoded;
};

// One character of the page through iconv, or 0 when it has none.
char16_t DecodeWithIconv(iconv_t converter, const std::string& bytes) {
    char in_bytes[2];
    std::memcpy(in_bytes, bytes.data(), bytes.size());
    unsigned char out_bytes[2 * kUtf16UnitBytes];
    char* in = in_bytes;
    char* out = reinterpret_cast<char*>(out_bytes);
    size_t in_left = bytes.size();
    size_t out_left = sizeof out_bytes;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter, &in, &in_left, &out, &out_left) == static_cast<size_t>(-1) ||
        in_left != 0 || sizeof out_bytes - out_left != kUtf16UnitBytes) {
        return 0;
    }
    return static_cast<char16_t>(out_bytes[0] | out_bytes[1] << 8);
}

void AddEncoding(CodePage* page, char16_t character, const std::string& bytes) {
    page->encoded.emplace(character, bytes);
}

void FillSingleBytes(CodePage* page, iconv_t converter) {
    for (int byte = 0; byte < kByteCount; ++byte) {
        if (page->lead[byte]) continue;
        std::string bytes(1, static_cast<char>(byte));
        char16_t character = byte == 0 ? 0 : DecodeWithIconv(converter, bytes);
        if (byte != 0 && character == 0) character = static_cast<char16_t>(kPrivateUseBase + byte);
        page->single[byte] = character;
        AddEncoding(page, character, bytes);
    }
}

void FillPairs(CodePage* page, iconv_t converter) {
    for (int lead = 0; lead < kByteCount; ++lead) {
        if (!page->lead[lead]) continue;
        page->single[lead] = kMissingDoubleByte;
        for (int trail = 1; trail < kByteCount; ++trail) {
            std::string bytes = {static_cast<char>(lead), static_cast<char>(trail)};
            char16_t character = DecodeWithIconv(converter, bytes);
            if (character == 0) continue;
            page->pairs[static_cast<uint16_t>(lead << 8 | trail)] = character;
            AddEncoding(page, character, bytes);
        }
    }
}

UINT ResolvePage(UINT number) {
    if (number == CP_ACP) return kProcessAnsiPage;
    if (number == CP_OEMCP) return kProcessOemPage;
    return number;
}

bool IsKnownPage(UINT number) {
    for (UINT known : kKnownPages) {
        if (known == number) return true;
    }
    return false;
}

CodePage BuildCodePage(UINT number) {
    CodePage page;
    for (const LeadRange& range : kLeadRanges) {
        if (range.page != number) continue;
        for (int byte = range.first; byte <= range.last; ++byte) page.lead[byte] = true;
    }
    std::string name = "CP" + std::to_string(number);
    iconv_t converter = iconv_open("UTF-16LE", name.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1)) return page;
    FillSingleBytes(&page, converter);
    FillPairs(&page, converter);
    iconv_close(converter);
    return page;
}

// Built on first use and kept: the tables do not change between tests.
const CodePage* FindCodePage(UINT number) {
    static std::map<UINT, CodePage> pages;
    number = ResolvePage(number);
    if (!IsKnownPage(number)) return nullptr;
    auto found = pages.find(number);
    if (found == pages.end()) found = pages.emplace(number, BuildCodePage(number)).first;
    return &found->second;
}

std::u16string Decode(const CodePage& page, const char* bytes, size_t size) {
    std::u16string wide;
    for (size_t at = 0; at < size; ++at) {
        unsigned char byte = static_cast<unsigned char>(bytes[at]);
        if (page.lead[byte] && at + 1 < size && bytes[at + 1] != '\0') {
            unsigned char trail = static_cast<unsigned char>(bytes[++at]);
            auto pair = page.pairs.find(static_cast<uint16_t>(byte << 8 | trail));
            wide.push_back(pair == page.pairs.end() ? kMissingDoubleByte : pair->second);
        } else {
            wide.push_back(page.single[byte]);
        }
    }
    return wide;
}

std::string Encode(const CodePage& page, const char16_t* wide, size_t count) {
    std::string bytes;
    for (size_t at = 0; at < count; ++at) {
        auto found = page.encoded.find(wide[at]);
        bytes += found == page.encoded.end() ? std::string(1, kDefaultChar) : found->second;
    }
    return bytes;
}

const LocalePages* FindLocale(LCID locale) {
    for (const LocalePages& pages : kLocales) {
        if (pages.locale == locale) return &pages;
    }
    return nullptr;
}

std::string WideBytes(const std::u16string& wide) {
    return std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * kUtf16UnitBytes);
}

std::u16string WideFromBytes(const std::string& bytes) {
    std::u16string wide(bytes.size() / kUtf16UnitBytes, u'\0');
    std::memcpy(&wide[0], bytes.data(), wide.size() * kUtf16UnitBytes);
    return wide;
}

}  // namespace

// Wine's way: the whole block through Unicode, with the OEM page for OEM
// text and the ANSI page for plain text, each the locale's.
std::string ConvertClipboardText(UINT format, UINT source, const std::string& bytes, LCID locale) {
    const LocalePages* pages = FindLocale(locale);
    if (!pages) pages = FindLocale(LOCALE_USER_DEFAULT);
    auto page_of = [pages](UINT text_format) {
        return FindCodePage(text_format == CF_OEMTEXT ? pages->oem : pages->ansi);
    };
    std::u16string wide = source == CF_UNICODETEXT
                              ? WideFromBytes(bytes)
                              : Decode(*page_of(source), bytes.data(), bytes.size());
    if (format == CF_UNICODETEXT) return WideBytes(wide);
    return Encode(*page_of(format), wide.data(), wide.size());
}

std::u16string WideFromAnsi(const std::string& text) {
    return Decode(*FindCodePage(CP_ACP), text.data(), text.size());
}

std::string AnsiFromWide(const std::u16string& text) {
    return Encode(*FindCodePage(CP_ACP), text.data(), text.size());
}

}  // namespace sim::internal

using sim::internal::FindCodePage;

UINT WINAPI GetACP(void) {
    return sim::internal::kProcessAnsiPage;
}

UINT WINAPI GetOEMCP(void) {
    return sim::internal::kProcessOemPage;
}

int WINAPI GetLocaleInfoA(LCID locale, LCTYPE type, LPSTR data, int size) {
    const sim::internal::LocalePages* pages = sim::internal::FindLocale(locale);
    if (!pages || !data || !(type & LOCALE_RETURN_NUMBER) || size < static_cast<int>(sizeof(DWORD)))
        return 0;
    DWORD page = 0;
    switch (type & ~LOCALE_RETURN_NUMBER) {
        case LOCALE_IDEFAULTCODEPAGE:
            page = pages->oem;
            break;
        case LOCALE_IDEFAULTANSICODEPAGE:
            page = pages->ansi;
            break;
        default:
            return 0;
    }
    std::memcpy(data, &page, sizeof page);
    return sizeof page;
}

BOOL WINAPI GetCPInfo(UINT code_page, LPCPINFO info) {
    const sim::internal::CodePage* page = FindCodePage(code_page);
    if (!page || !info) return FALSE;
    *info = {};
    info->MaxCharSize = 1;
    info->DefaultChar[0] = sim::internal::kDefaultChar;
    int range = 0;
    for (const sim::internal::LeadRange& lead : sim::internal::kLeadRanges) {
        if (lead.page != sim::internal::ResolvePage(code_page)) continue;
        info->MaxCharSize = 2;
        info->LeadByte[range++] = lead.first;
        info->LeadByte[range++] = lead.last;
    }
    return TRUE;
}

int WINAPI MultiByteToWideChar(UINT code_page, DWORD, LPCSTR source, int count, LPWSTR wide,
                               int wide_size) {
    const sim::internal::CodePage* page = FindCodePage(code_page);
    if (!page || !source || count < 0) return 0;
    std::u16string converted = sim::internal::Decode(*page, source, static_cast<size_t>(count));
    if (wide_size == 0) return static_cast<int>(converted.size());
    if (!wide || converted.size() > static_cast<size_t>(wide_size)) return 0;
    std::memcpy(wide, converted.data(), converted.size() * sizeof(WCHAR));
    return static_cast<int>(converted.size());
}

int WINAPI WideCharToMultiByte(UINT code_page, DWORD, LPCWSTR wide, int count, LPSTR target,
                               int size, LPCSTR, LPBOOL) {
    const sim::internal::CodePage* page = FindCodePage(code_page);
    if (!page || !wide || count < 0) return 0;
    std::string converted = sim::internal::Encode(*page, wide, static_cast<size_t>(count));
    if (size == 0) return static_cast<int>(converted.size());
    if (!target || converted.size() > static_cast<size_t>(size)) return 0;
    std::memcpy(target, converted.data(), converted.size());
    return static_cast<int>(converted.size());
}
