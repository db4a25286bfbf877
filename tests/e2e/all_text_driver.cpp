// The option -all in the real Varnelo.exe: text of every kind placed first
// loses its trailing line breaks, the rest of the clipboard comes back byte
// for byte and in order, and a clipboard that cannot be put back exactly is
// left alone. Also the title after the fix of a double-byte text.
//
// usage: all_text_driver PATH\TO\Varnelo.exe WORK_DIR [CASE]
#include <string>
#include <vector>

#include "tests/e2e/driver_util.h"

namespace {

using Items = std::vector<e2e::ClipboardItem>;

std::string WithNul(const std::string& text) {
    return text + '\0';
}

std::string Utf16(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.c_str()),
                       (text.size() + 1) * sizeof(wchar_t));
}

std::string Dword(DWORD value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

// "Kalimera" in code page 1253, and in Unicode.
const char kGreek[] = "\xca\xe1\xeb\xe7\xec\xdd\xf1\xe1";
const wchar_t kGreekUnicode[] = L"\x039a\x03b1\x03bb\x03b7\x03bc\x03ad\x03c1\x03b1";
const LCID kGreekLocale = 0x0408;
const LCID kJapaneseLocale = 0x0411;

// Places the items once the title shows the empty clipboard, and waits
// until Varnelo has titled them; a rewrite is done before it closes the
// clipboard.
bool Place(const e2e::Driver& driver, const e2e::Varnelo& varnelo, const Items& items) {
    return e2e::EmptyTheClipboard(driver.owner) &&
           e2e::WaitForTitle(varnelo.window, e2e::kEmptyTitle) &&
           e2e::PlaceClipboardItems(driver.owner, items) &&
           e2e::Expect(e2e::WaitUntil(
                           [&] { return e2e::WindowTitle(varnelo.window) != e2e::kEmptyTitle; },
                           e2e::kChangeTimeoutMs),
                       "Varnelo has titled the change") &&
           (e2e::PumpFor(e2e::kSettleAfterChangeMs), true);
}

// The clipboard's formats in order, and the whole blocks of those given.
bool ExpectClipboard(const e2e::Driver& driver, const std::vector<UINT>& formats,
                     const Items& blocks) {
    bool holds = e2e::Expect(e2e::ClipboardFormats(driver.owner) == formats,
                             "the formats and their order");
    for (const e2e::ClipboardItem& item : blocks) {
        std::string bytes;
        e2e::ReadClipboardBlock(driver.owner, item.format, &bytes);
        holds = e2e::ExpectEqual(("the block of format " + std::to_string(item.format)).c_str(),
                                 bytes, item.bytes) &&
                holds;
    }
    return holds;
}

// The title is `title`, or the one a fresh look gives: that of the
// platform's Unicode text of what is on the clipboard now.
bool ExpectTitle(const e2e::Driver& driver, const e2e::Varnelo& varnelo, std::wstring title) {
    std::string unicode;
    e2e::ReadClipboardBlock(driver.owner, CF_UNICODETEXT, &unicode);
    if (title.empty()) title = e2e::WideTextTitle(e2e::UnicodeText(unicode));
    return e2e::ExpectEqual("the title", e2e::WindowTitleW(varnelo.window), title);
}

bool ExpectFixed(const e2e::Driver& driver, const e2e::Varnelo& varnelo, const Items& placed,
                 const std::vector<UINT>& formats, const Items& left,
                 const std::wstring& title = L"") {
    return Place(driver, varnelo, placed) &&
           e2e::Expect(GetClipboardOwner() == varnelo.window, "Varnelo has rewritten it") &&
           ExpectClipboard(driver, formats, left) && ExpectTitle(driver, varnelo, title);
}

bool ExpectLeftAlone(const e2e::Driver& driver, const e2e::Varnelo& varnelo, const Items& placed) {
    return Place(driver, varnelo, placed) &&
           e2e::Expect(GetClipboardOwner() == driver.owner, "the clipboard keeps its owner") &&
           ExpectClipboard(driver, e2e::ClipboardFormats(driver.owner), placed);
}

bool UnicodeTextLosesItsTrailingLineBreaks(const e2e::Driver& driver) {
    const std::vector<UINT> text_formats = {CF_UNICODETEXT, CF_LOCALE, CF_TEXT, CF_OEMTEXT};
    e2e::RunningVarnelo varnelo;
    return e2e::StartWithEmptyClipboard(driver, "-all", &varnelo) &&
           ExpectFixed(driver, varnelo, {{CF_UNICODETEXT, Utf16(L"ls -la\r\n")}}, text_formats,
                       {{CF_UNICODETEXT, Utf16(L"ls -la")}, {CF_TEXT, WithNul("ls -la")}}) &&
           ExpectFixed(driver, varnelo, {{CF_UNICODETEXT, Utf16(L"calc.exe\n")}}, text_formats,
                       {{CF_UNICODETEXT, Utf16(L"calc.exe")}}) &&
           ExpectFixed(driver, varnelo, {{CF_UNICODETEXT, Utf16(L"x\r\n\n\r\r")}}, text_formats,
                       {{CF_UNICODETEXT, Utf16(L"x")}}) &&
           ExpectFixed(driver, varnelo, {{CF_OEMTEXT, WithNul("ab\n")}},
                       {CF_OEMTEXT, CF_LOCALE, CF_TEXT, CF_UNICODETEXT},
                       {{CF_OEMTEXT, WithNul("ab")}}) &&
           ExpectLeftAlone(driver, varnelo, {{CF_UNICODETEXT, Utf16(L"\r\n\n")}}) &&
           e2e::ExitsWithZero(varnelo);
}

bool PlainTextKeepsItsLocale(const e2e::Driver& driver) {
    e2e::RunningVarnelo varnelo;
    return e2e::StartWithEmptyClipboard(driver, "-all", &varnelo) &&
           ExpectFixed(driver, varnelo,
                       {{CF_TEXT, WithNul(std::string(kGreek) + "\r\n")},
                        {CF_LOCALE, Dword(kGreekLocale)}},
                       {CF_TEXT, CF_LOCALE, CF_OEMTEXT, CF_UNICODETEXT},
                       {{CF_TEXT, WithNul(kGreek)},
                        {CF_LOCALE, Dword(kGreekLocale)},
                        {CF_UNICODETEXT, Utf16(kGreekUnicode)}}) &&
           e2e::ExitsWithZero(varnelo);
}

// The marks of history and cloud sync follow the locale, as without -all;
// text formats placed besides keep their own characters.
bool OtherFormatsComeBackByteForByte(const e2e::Driver& driver) {
    const UINT html = RegisterClipboardFormatA("HTML Format");
    const UINT own = RegisterClipboardFormatA("Varnelo Test Format");
    const UINT mark = RegisterClipboardFormatA("CanIncludeInClipboardHistory");
    const std::string html_bytes = WithNul("Version:0.9\r\n<html><body>text</body></html>\r\n");
    const std::string own_bytes("\x01\x00\x02\r\n", 5);
    e2e::RunningVarnelo varnelo;
    return e2e::StartWithEmptyClipboard(driver, "-all", &varnelo) &&
           ExpectFixed(driver, varnelo,
                       {{CF_UNICODETEXT, Utf16(L"text\r\n")},
                        {html, html_bytes},
                        {own, own_bytes},
                        {mark, Dword(0)}},
                       {CF_UNICODETEXT, html, own, CF_LOCALE, mark, CF_TEXT, CF_OEMTEXT},
                       {{CF_UNICODETEXT, Utf16(L"text")},
                        {html, html_bytes},
                        {own, own_bytes},
                        {mark, Dword(0)}}) &&
           ExpectFixed(driver, varnelo,
                       {{CF_TEXT, WithNul("a?\r\n")}, {CF_UNICODETEXT, Utf16(L"a\x0436\n")}},
                       {CF_TEXT, CF_UNICODETEXT, CF_LOCALE, CF_OEMTEXT},
                       {{CF_TEXT, WithNul("a?")}, {CF_UNICODETEXT, Utf16(L"a\x0436")}},
                       L"= a?") &&
           e2e::ExitsWithZero(varnelo);
}

bool TextBesideABitmapOrPrivateIsLeftAlone(const e2e::Driver& driver) {
    const UINT ignore = RegisterClipboardFormatA("Clipboard Viewer Ignore");
    e2e::RunningVarnelo varnelo;
    if (!e2e::StartWithEmptyClipboard(driver, "-all", &varnelo)) return false;
    HBITMAP bitmap = e2e::CreatePatternBitmap(8, 8);
    bool placed = e2e::OpenClipboardPatiently(driver.owner) && EmptyClipboard() &&
                  SetClipboardData(CF_UNICODETEXT, e2e::NewBlock(Utf16(L"pic\r\n"))) &&
                  SetClipboardData(CF_BITMAP, bitmap);
    CloseClipboard();
    return e2e::Expect(placed, "text and a bitmap are placed") &&
           e2e::WaitForTitle(varnelo.window, "= pic") && (e2e::PumpFor(500), true) &&
           ExpectClipboard(driver, {CF_UNICODETEXT, CF_BITMAP, CF_LOCALE, CF_TEXT, CF_OEMTEXT,
                                    CF_DIB, CF_DIBV5},
                           {{CF_UNICODETEXT, Utf16(L"pic\r\n")}}) &&
           ExpectLeftAlone(driver, varnelo,
                           {{CF_UNICODETEXT, Utf16(L"secret\r\n")}, {ignore, "1"}}) &&
           e2e::ExitsWithZero(varnelo);
}

bool WithoutAllUnicodeTextIsLeftAlone(const e2e::Driver& driver) {
    e2e::RunningVarnelo varnelo;
    return e2e::StartWithEmptyClipboard(driver, "", &varnelo) &&
           ExpectLeftAlone(driver, varnelo, {{CF_UNICODETEXT, Utf16(L"ls -la\r\n")}}) &&
           e2e::ExitsWithZero(varnelo);
}

// A lead byte before the CR LF once took the CR along into the title.
bool DoubleByteTextIsTitledAsFixed(const e2e::Driver& driver) {
    e2e::RunningVarnelo varnelo;
    return e2e::StartWithEmptyClipboard(driver, "", &varnelo) &&
           ExpectFixed(driver, varnelo,
                       {{CF_OEMTEXT, WithNul("ab\x81\r\n")}, {CF_LOCALE, Dword(kJapaneseLocale)}},
                       {CF_OEMTEXT, CF_LOCALE, CF_TEXT, CF_UNICODETEXT},
                       {{CF_OEMTEXT, WithNul("ab\x81")}}, L"= ab\x30fb") &&
           e2e::ExitsWithZero(varnelo);
}

const e2e::TestCase kCases[] = {
    {"unicode_text_loses_its_trailing_line_breaks", UnicodeTextLosesItsTrailingLineBreaks},
    {"plain_text_keeps_its_locale", PlainTextKeepsItsLocale},
    {"other_formats_come_back_byte_for_byte", OtherFormatsComeBackByteForByte},
    {"text_beside_a_bitmap_or_private_is_left_alone", TextBesideABitmapOrPrivateIsLeftAlone},
    {"without_all_unicode_text_is_left_alone", WithoutAllUnicodeTextIsLeftAlone},
    {"double_byte_text_is_titled_as_fixed", DoubleByteTextIsTitledAsFixed},
};

}  // namespace

int main(int argc, char** argv) {
    return e2e::RunDriver(argc, argv, kCases);
}
