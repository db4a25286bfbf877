// End-to-end test of the real Varnelo.exe: OEM text placed with the locale
// of another language keeps its meaning when its trailing line break is
// removed. Afterwards the clipboard still holds that locale behind the OEM
// text, Unicode readers get the text's own characters, and the title is the
// one that the platform's plain text of the text gives.
//
// usage: locale_driver PATH\TO\Varnelo.exe WORK_DIR [CASE]
#include <string>
#include <vector>

#include "tests/e2e/driver_util.h"

namespace {

struct LocaleText {
    const char* what;
    LCID locale;
    UINT oem_page;
    std::wstring text;
};

// "x" and 50 characters of two bytes each: the title stops inside one.
const std::wstring kLongJapanese = L"x" + std::wstring(50, L'\u65e5');

const LocaleText kTexts[] = {
    {"Russian in code page 866", 0x0419, 866,
     L"\u043f\u0440\u0438\u0432\u0435\u0442 \u043c\u0438\u0440"},
    {"Greek in code page 737", 0x0408, 737, L"\u03b3\u03b5\u03b9\u03b1 \u03c3\u03bf\u03c5"},
    {"Japanese in code page 932, longer than the title", 0x0411, 932, kLongJapanese},
};

std::string Encoded(UINT page, const std::wstring& text) {
    int size = WideCharToMultiByte(page, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                   nullptr, nullptr);
    std::string bytes(size, '\0');
    WideCharToMultiByte(page, 0, text.data(), static_cast<int>(text.size()), &bytes[0], size,
                        nullptr, nullptr);
    return bytes;
}

std::string LocaleBytes(LCID locale) {
    return std::string(reinterpret_cast<const char*>(&locale), sizeof locale);
}

std::string WithNul(const std::string& text) {
    return text + '\0';
}

// The hexadecimal UTF-16 code units of a text, for a readable report.
std::string CodePoints(const std::wstring& text) {
    std::string points;
    for (wchar_t unit : text) {
        char point[8];
        wsprintfA(point, " %04X", static_cast<unsigned>(unit));
        points += point;
    }
    return points;
}

bool ReadUnicodeText(HWND owner, std::wstring* text) {
    std::string block;
    if (!e2e::ReadClipboardBlock(owner, CF_UNICODETEXT, &block)) return false;
    const wchar_t* units = reinterpret_cast<const wchar_t*>(block.data());
    *text = std::wstring(units, wcsnlen(units, block.size() / sizeof(wchar_t)));
    return true;
}

bool ExpectKeptItsMeaning(const e2e::Driver& driver, const e2e::Varnelo& varnelo,
                          const LocaleText& placed) {
    std::vector<UINT> formats = e2e::ClipboardFormats(driver.owner);
    std::string locale;
    std::wstring unicode;
    std::string plain;
    if (!e2e::Expect(formats.size() >= 2 && formats[0] == CF_OEMTEXT && formats[1] == CF_LOCALE,
                     "OEM text first, its locale second") ||
        !e2e::Expect(e2e::ReadClipboardBlock(driver.owner, CF_LOCALE, &locale),
                     "a locale is on the clipboard") ||
        !e2e::ExpectEqual("the locale", locale, LocaleBytes(placed.locale)) ||
        !e2e::Expect(ReadUnicodeText(driver.owner, &unicode), "Unicode text is on the clipboard") ||
        !e2e::ExpectEqual("the Unicode text's code points", CodePoints(unicode),
                          CodePoints(placed.text)) ||
        !e2e::Expect(e2e::ReadClipboardText(driver.owner, CF_TEXT, &plain),
                     "plain text is on the clipboard")) {
        return false;
    }
    return e2e::WaitForTitle(varnelo.window, e2e::TextTitle(plain));
}

bool FixedTextKeepsItsLocale(const e2e::Driver& driver) {
    e2e::RunningVarnelo varnelo;
    if (!e2e::StartWithEmptyClipboard(driver, "", &varnelo)) return false;
    for (const LocaleText& placed : kTexts) {
        e2e::Log("placing %s", placed.what);
        const std::string oem = Encoded(placed.oem_page, placed.text);
        if (!e2e::PlaceClipboardItems(driver.owner, {{CF_OEMTEXT, WithNul(oem + "\r\n")},
                                                     {CF_LOCALE, LocaleBytes(placed.locale)}}) ||
            !e2e::WaitForClipboardText(driver.owner, CF_OEMTEXT, oem) ||
            !ExpectKeptItsMeaning(driver, varnelo, placed)) {
            return false;
        }
    }
    return e2e::ExitsWithZero(varnelo);
}

const e2e::TestCase kCases[] = {
    {"fixed_text_keeps_its_locale", FixedTextKeepsItsLocale},
};

}  // namespace

int main(int argc, char** argv) {
    return e2e::RunDriver(argc, argv, kCases);
}
