// Trailing line-break removal in the real Varnelo.exe: which texts lose
// their trailing CR LF pairs, which are left as they were, and how -viewonly
// and the Fix command switch it.
#include <string>

#include "tests/e2e/driver_util.h"
#include "tests/e2e/menu_reader.h"

namespace {

struct Placement {
    UINT format;
    std::string text;
    std::string title;
    std::string result;  // the clipboard's text once Varnelo has seen it
};

const std::string kManyPairs = [] {
    std::string text = "many";
    for (int pair = 0; pair < 200; ++pair) text += "\r\n";
    return text;
}();

bool PlaceAndWaitForTitle(const e2e::Driver& driver, const e2e::Varnelo& varnelo,
                          const Placement& placement) {
    e2e::Log("placing \"%s\" as format %u", e2e::Escaped(placement.text).c_str(), placement.format);
    return e2e::PlaceClipboardText(driver.owner, placement.format, placement.text) &&
           e2e::WaitForTitle(varnelo.window, placement.title);
}

// The rewritten block holds the text left and its NUL, and nothing behind.
bool ExpectExactBlock(const e2e::Driver& driver, const std::string& text) {
    std::string block;
    return e2e::Expect(e2e::ReadClipboardBlock(driver.owner, CF_OEMTEXT, &block),
                       "OEM text is on the clipboard") &&
           e2e::ExpectEqual("the whole OEM block", block, text + '\0');
}

// The title is set once the fixed text is on the clipboard, so the first
// look after it finds the fixed block.
bool ExpectFixed(const e2e::Driver& driver, const e2e::Varnelo& varnelo,
                 const Placement& placement) {
    return PlaceAndWaitForTitle(driver, varnelo, placement) &&
           ExpectExactBlock(driver, placement.result);
}

// The title is set once Varnelo has closed the clipboard, and a removal
// would happen before it closes it; so one look after the title is enough.
bool ExpectLeftAlone(const e2e::Driver& driver, const e2e::Varnelo& varnelo,
                     const Placement& placement) {
    std::string text;
    if (!PlaceAndWaitForTitle(driver, varnelo, placement)) return false;
    e2e::PumpFor(e2e::kSettleAfterChangeMs);
    return e2e::ReadClipboardText(driver.owner, placement.format, &text) &&
           e2e::ExpectEqual("the clipboard's text", text, placement.text) &&
           e2e::ExpectEqual("the first format", e2e::FirstClipboardFormat(driver.owner),
                            placement.format);
}

bool RemovesTrailingPairsFromOemText(const e2e::Driver& driver) {
    const Placement placements[] = {
        {CF_OEMTEXT, "dir\r\n", "= dir", "dir"},
        {CF_OEMTEXT, "a\r\n\r\n", "= a", "a"},
        {CF_OEMTEXT, kManyPairs, "= many", "many"},
        {CF_OEMTEXT, "\r\n", "= ", ""},
    };
    e2e::RunningVarnelo varnelo;
    if (!e2e::StartWithEmptyClipboard(driver, "", &varnelo)) return false;
    for (const Placement& placement : placements) {
        if (!ExpectFixed(driver, varnelo, placement)) return false;
    }
    return e2e::ExitsWithZero(varnelo);
}

bool LeavesOtherTextAlone(const e2e::Driver& driver) {
    const Placement placements[] = {
        {CF_OEMTEXT, "x", "= x", "x"},
        {CF_OEMTEXT, "lf only\n", "= lf only...", "lf only\n"},
        {CF_OEMTEXT, "cr only\r", "= cr only", "cr only\r"},
        {CF_TEXT, "text first\r\n", "= text first", "text first\r\n"},
    };
    e2e::RunningVarnelo varnelo;
    if (!e2e::StartWithEmptyClipboard(driver, "", &varnelo)) return false;
    for (const Placement& placement : placements) {
        if (!ExpectLeftAlone(driver, varnelo, placement)) return false;
    }
    return e2e::ExitsWithZero(varnelo);
}

bool ViewOnlySetsTheTitleButKeepsTheText(const e2e::Driver& driver) {
    e2e::RunningVarnelo varnelo;
    return e2e::StartWithEmptyClipboard(driver, "-viewonly", &varnelo) &&
           e2e::ExpectChecked(varnelo, IDM_FIX, false, "\"&Fix\"") &&
           ExpectLeftAlone(driver, varnelo, {CF_OEMTEXT, "view\r\n", "= view", "view\r\n"}) &&
           e2e::ExitsWithZero(varnelo);
}

// Fix off leaves new text alone; Fix on again treats the text already there.
bool FixOffAndOnTreatsTextAlreadyThere(const e2e::Driver& driver) {
    e2e::RunningVarnelo varnelo;
    return e2e::StartWithEmptyClipboard(driver, "", &varnelo) &&
           e2e::ExpectChecked(varnelo, IDM_FIX, true, "\"&Fix\"") &&
           e2e::SendCommand(varnelo, IDM_FIX) &&
           e2e::ExpectChecked(varnelo, IDM_FIX, false, "\"&Fix\"") &&
           ExpectLeftAlone(driver, varnelo, {CF_OEMTEXT, "later\r\n", "= later", "later\r\n"}) &&
           e2e::SendCommand(varnelo, IDM_FIX) &&
           e2e::ExpectChecked(varnelo, IDM_FIX, true, "\"&Fix\"") &&
           e2e::WaitForClipboardText(driver.owner, CF_OEMTEXT, "later") &&
           e2e::ExitsWithZero(varnelo);
}

const e2e::TestCase kCases[] = {
    {"removes_trailing_pairs_from_oem_text", RemovesTrailingPairsFromOemText},
    {"leaves_other_text_alone", LeavesOtherTextAlone},
    {"viewonly_sets_the_title_but_keeps_the_text", ViewOnlySetsTheTitleButKeepsTheText},
    {"fix_off_and_on_treats_text_already_there", FixOffAndOnTreatsTextAlreadyThere},
};

}  // namespace

int main(int argc, char** argv) {
    return e2e::RunDriver(argc, argv, kCases);
}
