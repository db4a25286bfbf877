// Content marked private in the real Varnelo.exe: a password placed with a
// mark for viewers never reaches the title and is left on the clipboard as
// placed; OEM text kept out of history and cloud sync is fixed and keeps
// both marks; unmarked text is titled and fixed as ever.
#include <string>
#include <vector>

#include "tests/e2e/driver_util.h"

namespace {

const char kPassword[] = "hunter2-secret";
const char kViewerIgnore[] = "Clipboard Viewer Ignore";
const char kExcludeFromMonitors[] = "ExcludeClipboardContentFromMonitorProcessing";
const char kHistoryMark[] = "CanIncludeInClipboardHistory";
const char kCloudMark[] = "CanUploadToCloudClipboard";
const std::string kDwordZero(sizeof(DWORD), '\0');

using e2e::WithNul;

UINT Registered(const char* name) {
    return RegisterClipboardFormatA(name);
}

// Waits for `expected` while keeping every title shown on the way; none
// may hold the password.
bool ExpectTitledWithoutPassword(const e2e::Varnelo& varnelo, const std::string& expected) {
    std::string seen;
    e2e::WaitUntil(
        [&] {
            const std::string title = e2e::WindowTitle(varnelo.window);
            if (seen.find("|" + title + "|") == std::string::npos) seen += "|" + title + "|";
            return title == expected;
        },
        e2e::kChangeTimeoutMs);
    e2e::PumpFor(e2e::kSettleAfterChangeMs);
    seen += e2e::WindowTitle(varnelo.window);
    e2e::Log("titles seen: %s", seen.c_str());
    return e2e::ExpectEqual("the title", e2e::WindowTitle(varnelo.window), expected) &&
           e2e::Expect(seen.find(kPassword) == std::string::npos, "no title shows the password");
}

bool PasswordNeverInTheTitle(const e2e::Driver& driver) {
    const std::string line = std::string(kPassword) + "\r\n";
    const e2e::ClipboardItem placements[][2] = {
        {{CF_TEXT, WithNul(kPassword)}, {Registered(kViewerIgnore), "1"}},
        {{CF_OEMTEXT, WithNul(line)}, {Registered(kExcludeFromMonitors), "1"}},
    };
    e2e::RunningVarnelo varnelo;
    if (!e2e::StartWithEmptyClipboard(driver, "-normal", &varnelo)) return false;
    for (const auto& placed : placements) {
        std::string left;
        if (!e2e::EmptyTheClipboard(driver.owner) ||
            !e2e::WaitForTitle(varnelo.window, e2e::kEmptyTitle) ||
            !e2e::PlaceClipboardItems(driver.owner, {placed[0], placed[1]}) ||
            !ExpectTitledWithoutPassword(varnelo, "[TEXT]") ||
            !e2e::Expect(GetClipboardOwner() == driver.owner, "the clipboard keeps its owner") ||
            !e2e::ReadClipboardText(driver.owner, placed[0].format, &left) ||
            !e2e::ExpectEqual("the password left", left, placed[0].bytes.c_str())) {
            return false;
        }
    }
    return e2e::ExitsWithZero(varnelo);
}

bool ExpectMarkReadsZero(const e2e::Driver& driver, const char* mark) {
    std::string value;
    return e2e::Expect(e2e::ReadClipboardBlock(driver.owner, Registered(mark), &value), mark) &&
           e2e::ExpectEqual("its value", value.substr(0, sizeof(DWORD)), kDwordZero);
}

// Unmarked text is fixed as ever and gains no mark; marked text keeps both.
bool UnmarkedFixedAsEverMarkedKeepsItsMarks(const e2e::Driver& driver) {
    e2e::RunningVarnelo varnelo;
    return e2e::StartWithEmptyClipboard(driver, "", &varnelo) &&
           e2e::PlaceClipboardText(driver.owner, CF_OEMTEXT, "plain\r\n") &&
           e2e::WaitForTitle(varnelo.window, "= plain") &&
           e2e::WaitForClipboardText(driver.owner, CF_OEMTEXT, "plain") &&
           e2e::Expect(e2e::ClipboardFormats(driver.owner) ==
                           std::vector<UINT>{CF_OEMTEXT, CF_LOCALE, CF_TEXT, CF_UNICODETEXT},
                       "the formats are 7, 16, 1, 13") &&
           e2e::PlaceClipboardItems(driver.owner, {{CF_OEMTEXT, WithNul("marked\r\n")},
                                                   {Registered(kHistoryMark), kDwordZero},
                                                   {Registered(kCloudMark), kDwordZero}}) &&
           e2e::WaitForTitle(varnelo.window, "= marked") &&
           e2e::WaitForClipboardText(driver.owner, CF_OEMTEXT, "marked") &&
           e2e::ExpectEqual("the first format", e2e::FirstClipboardFormat(driver.owner),
                            CF_OEMTEXT) &&
           ExpectMarkReadsZero(driver, kHistoryMark) && ExpectMarkReadsZero(driver, kCloudMark) &&
           e2e::ExitsWithZero(varnelo);
}

const e2e::TestCase kCases[] = {
    {"password_never_in_the_title", PasswordNeverInTheTitle},
    {"unmarked_fixed_as_ever_marked_keeps_its_marks", UnmarkedFixedAsEverMarkedKeepsItsMarks},
};

}  // namespace

int main(int argc, char** argv) {
    return e2e::RunDriver(argc, argv, kCases);
}
