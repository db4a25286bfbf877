// -all in the real Varnelo.exe: text of every kind placed first loses its
// trailing line breaks, the rest of the clipboard comes back byte for byte
// and in order, or is left alone when it cannot. (Without -all, Unicode text
// is left alone: x_side_driver.)
// usage: all_text_driver PATH\TO\Varnelo.exe WORK_DIR [CASE]
#include <string>
#include <vector>

#include "tests/e2e/driver_util.h"

namespace {

using e2e::DwordBytes;
using e2e::Utf16;
using e2e::WithNul;
using Items = std::vector<e2e::ClipboardItem>;

// "Kalimera" in code page 1253 (Greek, 0x0408), and in Unicode.
const std::string kGreek = "\xca\xe1\xeb\xe7\xec\xdd\xf1\xe1";
const wchar_t kGreekUnicode[] = L"\x039a\x03b1\x03bb\x03b7\x03bc\x03ad\x03c1\x03b1";

// Places the items on an empty clipboard and waits until Varnelo has
// titled them; a rewrite is done before it closes the clipboard.
bool Place(const e2e::Driver& driver, const e2e::Varnelo& varnelo, const Items& items) {
    auto titled = [&] { return e2e::WindowTitle(varnelo.window) != e2e::kEmptyTitle; };
    bool seen = e2e::EmptyTheClipboard(driver.owner) &&
                e2e::WaitForTitle(varnelo.window, e2e::kEmptyTitle) &&
                e2e::PlaceClipboardItems(driver.owner, items) &&
                e2e::Expect(e2e::WaitUntil(titled, e2e::kChangeTimeoutMs), "Varnelo titles it");
    e2e::PumpFor(e2e::kSettleAfterChangeMs);
    return seen;
}

// The clipboard's formats in order, and the whole blocks of those given.
bool ExpectClipboard(const e2e::Driver& driver, const std::vector<UINT>& formats,
                     const Items& blocks) {
    bool holds = e2e::Expect(e2e::ClipboardFormats(driver.owner) == formats, "the formats");
    for (const e2e::ClipboardItem& item : blocks) {
        std::string bytes;
        e2e::ReadClipboardBlock(driver.owner, item.format, &bytes);
        holds &= e2e::ExpectEqual(std::to_string(item.format).c_str(), bytes, item.bytes);
    }
    return holds;
}

struct Fix {
    Items placed;
    std::vector<UINT> formats;  // the clipboard's formats once fixed
    Items left;                 // blocks then
    std::wstring title = L"";   // empty: the title of the platform's Unicode text then
};

bool ExpectFixed(const e2e::Driver& driver, const e2e::Varnelo& varnelo, const Fix& fix) {
    std::string unicode;
    return Place(driver, varnelo, fix.placed) &&
           e2e::Expect(GetClipboardOwner() == varnelo.window, "Varnelo has rewritten it") &&
           ExpectClipboard(driver, fix.formats, fix.left) &&
           e2e::ReadClipboardBlock(driver.owner, CF_UNICODETEXT, &unicode) &&
           e2e::ExpectEqual(
               "the title", e2e::WindowTitleW(varnelo.window),
               fix.title.empty() ? e2e::WideTextTitle(e2e::UnicodeText(unicode)) : fix.title);
}

bool ExpectLeftAlone(const e2e::Driver& driver, const e2e::Varnelo& varnelo, const Items& placed) {
    return Place(driver, varnelo, placed) &&
           e2e::Expect(GetClipboardOwner() == driver.owner, "the clipboard keeps its owner") &&
           ExpectClipboard(driver, e2e::ClipboardFormats(driver.owner), placed);
}

bool RunFixes(const e2e::Driver& driver, const std::vector<Fix>& fixes) {
    e2e::RunningVarnelo varnelo;
    if (!e2e::StartWithEmptyClipboard(driver, "-all", &varnelo)) return false;
    for (const Fix& fix : fixes) {
        if (!ExpectFixed(driver, varnelo, fix)) return false;
    }
    return e2e::ExitsWithZero(varnelo);
}

// The marks of history and cloud sync follow the locale, as without -all;
// a text format placed besides keeps its own characters. Fixed OEM text
// ending in a lead byte is titled as fixed: the byte once took the CR along.
bool TextOfEveryKindLosesItsTrailingLineBreaks(const e2e::Driver& driver) {
    const UINT html = RegisterClipboardFormatA("HTML Format");
    const UINT own = RegisterClipboardFormatA("Varnelo Test Format");
    const UINT mark = RegisterClipboardFormatA("CanIncludeInClipboardHistory");
    const std::string page = WithNul("Version:0.9\r\n<html><body>text</body></html>\r\n");
    const std::string own_bytes("\x01\x00\x02\r\n", 5);
    return RunFixes(driver,
                    {{{{CF_UNICODETEXT, Utf16(L"calc.exe\n")}},
                      {CF_UNICODETEXT, CF_LOCALE, CF_TEXT, CF_OEMTEXT},
                      {{CF_UNICODETEXT, Utf16(L"calc.exe")}}},
                     {{{CF_OEMTEXT, WithNul("ab\x81\n\r\r\n")}, {CF_LOCALE, DwordBytes(0x0411)}},
                      {CF_OEMTEXT, CF_LOCALE, CF_TEXT, CF_UNICODETEXT},
                      {{CF_OEMTEXT, WithNul("ab\x81")}, {CF_LOCALE, DwordBytes(0x0411)}},
                      L"= ab\x30fb"},
                     {{{CF_TEXT, WithNul(kGreek + "\r\n")}, {CF_LOCALE, DwordBytes(0x0408)}},
                      {CF_TEXT, CF_LOCALE, CF_OEMTEXT, CF_UNICODETEXT},
                      {{CF_TEXT, WithNul(kGreek)},
                       {CF_LOCALE, DwordBytes(0x0408)},
                       {CF_UNICODETEXT, Utf16(kGreekUnicode)}}},
                     {{{CF_UNICODETEXT, Utf16(L"text\r\n")},
                       {html, page},
                       {own, own_bytes},
                       {mark, DwordBytes(0)}},
                      {CF_UNICODETEXT, html, own, CF_LOCALE, mark, CF_TEXT, CF_OEMTEXT},
                      {{CF_UNICODETEXT, Utf16(L"text")},
                       {html, page},
                       {own, own_bytes},
                       {mark, DwordBytes(0)}}},
                     {{{CF_TEXT, WithNul("a?\r\n")}, {CF_UNICODETEXT, Utf16(L"a\x0436\n")}},
                      {CF_TEXT, CF_UNICODETEXT, CF_LOCALE, CF_OEMTEXT},
                      {{CF_TEXT, WithNul("a?")}, {CF_UNICODETEXT, Utf16(L"a\x0436")}},
                      L"= a?"}});
}

// A bitmap (placed as a DIB) cannot be put back byte for byte.
bool BitmapPrivateOrBreaksOnlyAreLeftAlone(const e2e::Driver& driver) {
    const UINT ignore = RegisterClipboardFormatA("Clipboard Viewer Ignore");
    e2e::RunningVarnelo varnelo;
    return e2e::StartWithEmptyClipboard(driver, "-all", &varnelo) &&
           ExpectLeftAlone(
               driver, varnelo,
               {{CF_UNICODETEXT, Utf16(L"pic\r\n")}, {CF_DIB, e2e::PatternDib(8, 8)}}) &&
           ExpectLeftAlone(driver, varnelo,
                           {{CF_UNICODETEXT, Utf16(L"secret\r\n")}, {ignore, "1"}}) &&
           ExpectLeftAlone(driver, varnelo, {{CF_UNICODETEXT, Utf16(L"\r\n\n")}}) &&
           e2e::ExitsWithZero(varnelo);
}

const e2e::TestCase kCases[] = {
    {"text_of_every_kind_loses_its_trailing_line_breaks",
     TextOfEveryKindLosesItsTrailingLineBreaks},
    {"bitmap_private_or_breaks_only_are_left_alone", BitmapPrivateOrBreaksOnlyAreLeftAlone},
};

}  // namespace

int main(int argc, char** argv) {
    return e2e::RunDriver(argc, argv, kCases);
}
