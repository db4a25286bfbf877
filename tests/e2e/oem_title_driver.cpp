// End-to-end test of the real Varnelo.exe: text is titled in its own
// characters, those of the platform's Unicode text of the format placed
// first, OEM text with bytes above 0x7F and text in the locales of other
// languages too, whose text keeps its meaning when fixed; OEM text with
// plain text of its own is judged by the plain text.
//
// usage: oem_title_driver PATH\TO\Varnelo.exe WORK_DIR [CASE]
#include <string>
#include <vector>

#include "tests/e2e/driver_util.h"

namespace {

struct Placement {
    const char* what;
    std::vector<e2e::ClipboardItem> placed;
    UINT checked_format;       // read back once Varnelo has seen the change
    std::string left;          // its text then, up to the NUL
    UINT first_format_left;    // the clipboard's first format then
    std::wstring title = L"";  // empty: the title of the platform's Unicode text then
};

std::string Range(int first, int last) {
    std::string bytes;
    for (int byte = first; byte <= last; ++byte) bytes += static_cast<char>(byte);
    return bytes;
}

using e2e::Utf16;
using e2e::WithNul;

const std::string kHighLine = Range(0x80, 0xD9);  // 90 bytes, a whole title line
const std::string kOtherHighBytes = Range(0xDA, 0xFF) + "\x7f" + "abc";
const std::string kLongLine = std::string(60, '\x82') + std::string(40, 'z');

// Waits until Varnelo has looked at the change: its title has left the
// empty clipboard's, and a removal, made before it closes the clipboard,
// is then done too.
bool WaitUntilSeen(const e2e::Varnelo& varnelo) {
    const bool seen =
        e2e::WaitUntil([&] { return e2e::WindowTitle(varnelo.window) != e2e::kEmptyTitle; },
                       e2e::kChangeTimeoutMs);
    e2e::PumpFor(e2e::kSettleAfterChangeMs);
    return e2e::Expect(seen, "Varnelo has seen the change");
}

// What is left on the clipboard, and the title against the platform's own
// Unicode text of it.
bool ExpectLeftAndTitled(const e2e::Driver& driver, const e2e::Varnelo& varnelo,
                         const Placement& placement) {
    std::string left;
    std::string unicode;
    if ((placement.checked_format &&
         (!e2e::ReadClipboardText(driver.owner, placement.checked_format, &left) ||
          !e2e::ExpectEqual("the text left", left, placement.left))) ||
        !e2e::ExpectEqual("the first format", e2e::FirstClipboardFormat(driver.owner),
                          placement.first_format_left) ||
        !e2e::Expect(e2e::ReadClipboardBlock(driver.owner, CF_UNICODETEXT, &unicode),
                     "Unicode text is on the clipboard")) {
        return false;
    }
    const std::wstring expected =
        placement.title.empty() ? e2e::WideTextTitle(e2e::UnicodeText(unicode)) : placement.title;
    return e2e::ExpectEqual("the title", e2e::WindowTitleW(varnelo.window), expected);
}

bool PlaceAndCheck(const e2e::Driver& driver, const e2e::Varnelo& varnelo,
                   const Placement& placement) {
    e2e::Log("placing %s", placement.what);
    return e2e::EmptyTheClipboard(driver.owner) &&
           e2e::WaitForTitle(varnelo.window, e2e::kEmptyTitle) &&
           e2e::PlaceClipboardItems(driver.owner, placement.placed) && WaitUntilSeen(varnelo) &&
           ExpectLeftAndTitled(driver, varnelo, placement);
}

bool RunPlacements(const e2e::Driver& driver, const Placement* placements, size_t count) {
    e2e::RunningVarnelo varnelo;
    if (!e2e::StartWithEmptyClipboard(driver, "", &varnelo)) return false;
    for (const Placement* placement = placements; placement != placements + count; ++placement) {
        if (!PlaceAndCheck(driver, varnelo, *placement)) return false;
    }
    return e2e::ExitsWithZero(varnelo);
}

bool TitlesOemTextAsItsPlainText(const e2e::Driver& driver) {
    const Placement placements[] = {
        {"OEM bytes 0x80 to 0xD9",
         {{CF_OEMTEXT, WithNul(kHighLine + "\r\n")}},
         CF_OEMTEXT,
         kHighLine,
         CF_OEMTEXT},
        {"OEM bytes 0xDA to 0xFF and 0x7F before a second line",
         {{CF_OEMTEXT, WithNul(kOtherHighBytes + "\r\nsecond\r\n")}},
         CF_OEMTEXT,
         kOtherHighBytes + "\r\nsecond",
         CF_OEMTEXT},
        {"an OEM line longer than the title",
         {{CF_OEMTEXT, WithNul(kLongLine + "\r\n")}},
         CF_OEMTEXT,
         kLongLine,
         CF_OEMTEXT},
    };
    return RunPlacements(driver, placements, sizeof placements / sizeof placements[0]);
}

// The text placed first gives the title; plain text placed with the OEM
// text keeps it as it was when the plain text is a single byte. Unicode
// text first is never rewritten.
bool TitlesAndJudgesPlacedPlainText(const e2e::Driver& driver) {
    const Placement placements[] = {
        {"plain text first",
         {{CF_TEXT, WithNul("plain \xe9\xfc\r\n")}},
         CF_TEXT,
         "plain \xe9\xfc\r\n",
         CF_TEXT},
        {"OEM text with plain text of one byte",
         {{CF_OEMTEXT, WithNul("dir\r\n")}, {CF_TEXT, WithNul("x")}},
         CF_OEMTEXT,
         "dir\r\n",
         CF_OEMTEXT,
         L"= dir"},
        {"Unicode text alone",
         {{CF_UNICODETEXT, Utf16(L"wide \xe9\xfc\r\n")}},
         CF_TEXT,
         "wide \xe9\xfc\r\n",
         CF_UNICODETEXT},
        {"Unicode text first",
         {{CF_UNICODETEXT, Utf16(L"wide \xe9\xfc\r\n")}, {CF_OEMTEXT, WithNul("oem\r\n")}},
         CF_OEMTEXT,
         "oem\r\n",
         CF_UNICODETEXT},
    };
    return RunPlacements(driver, placements, sizeof placements / sizeof placements[0]);
}

// OEM text in the code page of another language's locale, placed with it.
struct LocaleText {
    const char* what;
    LCID locale;
    std::string oem;
    std::wstring text;
};

std::string Repeated(const std::string& bytes, int times) {
    std::string repeated;
    while (times-- > 0) repeated += bytes;
    return repeated;
}

const LocaleText kLocaleTexts[] = {
    {"Russian in code page 866", 0x0419, "\xaf\xe0\xa8\xa2\xa5\xe2 \xac\xa8\xe0",
     L"\u043f\u0440\u0438\u0432\u0435\u0442 \u043c\u0438\u0440"},
    {"Greek in code page 737", 0x0408, "\x9a\x9c\xa0\x98 \xa9\xa6\xac",
     L"\u03b3\u03b5\u03b9\u03b1 \u03c3\u03bf\u03c5"},
    // 101 bytes of two-byte characters, titled whole.
    {"Japanese in code page 932", 0x0411, "x" + Repeated("\x93\xfa", 50),
     L"x" + std::wstring(50, L'\u65e5')},
};

// The fix put the locale back behind the text, so Unicode readers get the
// text's own characters.
bool ExpectMeaningKept(const e2e::Driver& driver, const LocaleText& placed) {
    std::string locale;
    std::string unicode;
    return e2e::ReadClipboardBlock(driver.owner, CF_LOCALE, &locale) &&
           e2e::ExpectEqual("the locale", locale, e2e::DwordBytes(placed.locale)) &&
           e2e::ReadClipboardBlock(driver.owner, CF_UNICODETEXT, &unicode) &&
           e2e::ExpectEqual("the Unicode text", e2e::UnicodeText(unicode), placed.text);
}

bool OtherLocalesKeepTheirMeaning(const e2e::Driver& driver) {
    e2e::RunningVarnelo varnelo;
    if (!e2e::StartWithEmptyClipboard(driver, "", &varnelo)) return false;
    for (const LocaleText& text : kLocaleTexts) {
        const Placement placement = {
            text.what,
            {{CF_OEMTEXT, WithNul(text.oem + "\r\n")}, {CF_LOCALE, e2e::DwordBytes(text.locale)}},
            CF_OEMTEXT,
            text.oem,
            CF_OEMTEXT};
        if (!PlaceAndCheck(driver, varnelo, placement) || !ExpectMeaningKept(driver, text)) {
            return false;
        }
    }
    return e2e::ExitsWithZero(varnelo);
}

const std::wstring kScripts =
    L"\u043f\u0440\u0438\u0432\u0435\u0442 \u043c\u0438\u0440 \u2014 "
    L"\u6771\u4eac \U0001F600 na\u00efve";

// Every script keeps its characters in the title, whichever text format
// brings them.
bool EveryScriptTitledAsItself(const e2e::Driver& driver) {
    auto unicode = [](const char* what, const std::wstring& text, const std::wstring& title) {
        return Placement{what, {{CF_UNICODETEXT, Utf16(text)}}, 0, "", CF_UNICODETEXT, title};
    };
    const std::string greek = "\xe3\xe5\xe9\xe1 \xf3\xef\xf5\r\n";
    const Placement placements[] = {
        unicode("Unicode text in several scripts", kScripts + L"\r\nsecond line", L"= " + kScripts),
        {"Greek plain text with its locale",
         {{CF_TEXT, WithNul(greek)}, {CF_LOCALE, e2e::DwordBytes(0x0408)}},
         CF_TEXT,
         greek,
         CF_TEXT,
         L"= \u03b3\u03b5\u03b9\u03b1 \u03c3\u03bf\u03c5"},
        unicode("a long Cyrillic line", std::wstring(100, L'\u0436'),
                L"= " + std::wstring(90, L'\u0436') + L"..."),
        unicode("a surrogate pair across the 90th unit", std::wstring(89, L'a') + L"\U0001F600b",
                L"= " + std::wstring(89, L'a') + L"..."),
    };
    return RunPlacements(driver, placements, sizeof placements / sizeof placements[0]);
}

const e2e::TestCase kCases[] = {
    {"oem_text_titled_as_its_plain_text", TitlesOemTextAsItsPlainText},
    {"placed_plain_text_titles_and_judges", TitlesAndJudgesPlacedPlainText},
    {"other_locales_keep_their_meaning", OtherLocalesKeepTheirMeaning},
    {"every_script_titled_as_itself", EveryScriptTitledAsItself},
};

}  // namespace

int main(int argc, char** argv) {
    return e2e::RunDriver(argc, argv, kCases);
}
