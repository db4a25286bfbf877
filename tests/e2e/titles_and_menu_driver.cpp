// Window titles and the Format menu of the real Varnelo.exe: the title for
// each kind of clipboard contents, the menu's entries and check marks as
// Varnelo's own thread sees them, and choosing entries by WM_COMMAND.
#include <string>
#include <vector>

#include "tests/e2e/driver_util.h"
#include "tests/e2e/menu_reader.h"

namespace {

const char kRegisteredName[] = "Varnelo Driver Format";
const char kNonTextTitle[] = "[Non-text Format]";
const char kBitmapTitle[] = "[Bitmap]";
const int kBitmapSide = 64;
const UINT kUnusedCommand = 40006;
const UINT kNothingDisplayed = 0xFFFFFFFF;
const int kNameSize = 100;

UINT RegisteredFormat() {
    return RegisterClipboardFormatA(kRegisteredName);
}

bool PlaceRegisteredOnly(const e2e::Driver& driver) {
    return e2e::PlaceClipboardItems(driver.owner,
                                    {{RegisteredFormat(), std::string("registered bytes", 17)}});
}

bool PlaceBitmap(const e2e::Driver& driver) {
    return e2e::PlaceClipboardBitmap(driver.owner,
                                     e2e::CreatePatternBitmap(kBitmapSide, kBitmapSide));
}

bool PlaceOemAndWait(const e2e::Driver& driver, const e2e::Varnelo& varnelo,
                     const std::string& text, const std::string& title) {
    e2e::Log("placing \"%s\" as OEM text", e2e::Abbreviated(text).c_str());
    return e2e::PlaceClipboardText(driver.owner, CF_OEMTEXT, text) &&
           e2e::WaitForTitle(varnelo.window, title);
}

// The name a menu entry must show for the formats these cases put on the
// clipboard or that the system derives from them.
std::string EntryName(UINT format) {
    char registered[kNameSize];
    if (GetClipboardFormatNameA(format, registered, sizeof registered) > 0) return registered;
    switch (format) {
        case CF_TEXT:
            return "[TEXT]";
        case CF_BITMAP:
            return "[Bitmap]";
        case CF_OEMTEXT:
            return "[OEMTEXT]";
        case CF_DIB:
            return "[DIB]";
        default:
            return std::to_string(format);
    }
}

std::string EntryTexts(const std::vector<e2e::MenuItem>& listed) {
    std::string texts;
    for (const e2e::MenuItem& item : listed) texts += "\"" + item.text + "\" ";
    return texts;
}

std::string FirstEntryText(const std::vector<e2e::MenuItem>& listed) {
    return listed.empty() ? std::string() : listed[0].text;
}

// The listed entries name the clipboard's formats in its own order, with
// consecutive commands from 40013, and only the displayed one is checked.
bool ExpectEntriesForClipboard(const e2e::Driver& driver, const std::vector<e2e::MenuItem>& listed,
                               UINT displayed) {
    std::vector<UINT> formats = e2e::ClipboardFormats(driver.owner);
    std::string expected;
    for (UINT format : formats) expected += "\"" + EntryName(format) + "\" ";
    bool holds = e2e::ExpectEqual("the listed entries", EntryTexts(listed), expected);
    for (size_t n = 0; holds && n < listed.size(); ++n) {
        holds = listed[n].id == IDM_FORMAT_FIRST + n &&
                ((listed[n].state & MF_CHECKED) != 0) == (formats[n] == displayed);
    }
    return e2e::Expect(holds, "the entries carry 40013 on, and only the displayed one is checked");
}

bool ChooseEntry(const e2e::Varnelo& varnelo, const std::vector<e2e::MenuItem>& listed,
                 const std::string& text) {
    UINT command = e2e::ListedCommand(listed, text);
    e2e::Log("choosing \"%s\" (command %u)", text.c_str(), command);
    return e2e::Expect(command != 0, "the entry is listed") && e2e::SendCommand(varnelo, command);
}

bool ExpectDefaultChecked(const e2e::Varnelo& varnelo, bool checked) {
    return e2e::ExpectChecked(varnelo, IDM_DEFAULT, checked, "\"&Default\"");
}

bool TitlesFollowTheClipboard(const e2e::Driver& driver) {
    std::string long_line;
    for (size_t byte = 0; byte < 2 * e2e::kTitleLineBytes + 20; ++byte) {
        long_line += static_cast<char>('A' + byte % 26);
    }
    const std::string exact_line = long_line.substr(0, e2e::kTitleLineBytes);
    e2e::RunningVarnelo varnelo;
    return e2e::StartWithEmptyClipboard(driver, "", &varnelo) &&
           PlaceOemAndWait(driver, varnelo, "Hello\r\nWorld", "= Hello") &&
           PlaceOemAndWait(driver, varnelo, long_line, "= " + exact_line + "...") &&
           PlaceOemAndWait(driver, varnelo, exact_line, "= " + exact_line) &&
           PlaceOemAndWait(driver, varnelo, "\tindented", "= ...") && PlaceBitmap(driver) &&
           e2e::WaitForTitle(varnelo.window, kBitmapTitle) && PlaceRegisteredOnly(driver) &&
           e2e::WaitForTitle(varnelo.window, kNonTextTitle) &&
           e2e::EmptyTheClipboard(driver.owner) &&
           e2e::WaitForTitle(varnelo.window, e2e::kEmptyTitle) && e2e::ExitsWithZero(varnelo);
}

// Opening the Format pop-up lists the formats, again without duplicates;
// opening another pop-up leaves the list as it was.
bool FormatMenuListsTheClipboardFormats(const e2e::Driver& driver) {
    std::vector<e2e::MenuItem> first, again, after_file, rebuilt;
    e2e::RunningVarnelo varnelo;
    if (!e2e::StartWithEmptyClipboard(driver, "-normal", &varnelo) ||
        !PlaceOemAndWait(driver, varnelo, "menu text", "= menu text") ||
        !e2e::OpenFormatMenu(varnelo, &first) ||
        !ExpectEntriesForClipboard(driver, first, CF_TEXT) ||
        !ExpectDefaultChecked(varnelo, true) || !e2e::OpenFormatMenu(varnelo, &again) ||
        !e2e::ExpectEqual("the entries opened again", EntryTexts(again), EntryTexts(first))) {
        return false;
    }
    e2e::MenuSnapshot snapshot;
    return PlaceBitmap(driver) && e2e::WaitForTitle(varnelo.window, kBitmapTitle) &&
           e2e::OpenPopup(varnelo, e2e::kFilePopup) && e2e::ReadMenu(varnelo.window, &snapshot) &&
           e2e::ExpectEqual("the entries after opening File",
                            EntryTexts(e2e::ListedEntries(snapshot)), EntryTexts(first)) &&
           e2e::OpenFormatMenu(varnelo, &rebuilt) &&
           ExpectEntriesForClipboard(driver, rebuilt, CF_BITMAP) && e2e::ExitsWithZero(varnelo);
}

// Unicode text has no name of its own: its entry reads "13", choosing it
// titles the window "[13]", and so does a later change that still shows it.
bool UnicodeTextIsListedAs13(const e2e::Driver& driver) {
    std::vector<e2e::MenuItem> listed;
    e2e::RunningVarnelo varnelo;
    return e2e::StartWithEmptyClipboard(driver, "-normal", &varnelo) &&
           e2e::PlaceUnicodeText(driver.owner, L"unicode text") &&
           e2e::WaitForTitle(varnelo.window, "= unicode text") &&
           e2e::OpenFormatMenu(varnelo, &listed) &&
           e2e::ExpectEqual("the first entry", FirstEntryText(listed), "13") &&
           ChooseEntry(varnelo, listed, "13") && e2e::WaitForTitle(varnelo.window, "[13]") &&
           ExpectDefaultChecked(varnelo, false) &&
           e2e::ExpectChecked(varnelo, e2e::ListedCommand(listed, "13"), true, "\"13\"") &&
           PlaceBitmap(driver) && e2e::WaitForTitle(varnelo.window, kBitmapTitle) &&
           e2e::PlaceUnicodeText(driver.owner, L"more unicode") &&
           e2e::WaitForTitle(varnelo.window, "[13]") && e2e::SendCommand(varnelo, IDM_DEFAULT) &&
           e2e::WaitForTitle(varnelo.window, "= more unicode") &&
           ExpectDefaultChecked(varnelo, true) &&
           e2e::ExpectChecked(varnelo, e2e::ListedCommand(listed, "13"), false, "\"13\"") &&
           e2e::ExitsWithZero(varnelo);
}

// A registered format is listed and titled under its own name; when text
// arrives without it, Default comes back and the text is treated as usual.
bool TextPushesAChosenFormatOut(const e2e::Driver& driver) {
    std::vector<e2e::MenuItem> listed;
    e2e::RunningVarnelo varnelo;
    return e2e::StartWithEmptyClipboard(driver, "-normal", &varnelo) &&
           PlaceRegisteredOnly(driver) && e2e::WaitForTitle(varnelo.window, kNonTextTitle) &&
           e2e::OpenFormatMenu(varnelo, &listed) &&
           ExpectEntriesForClipboard(driver, listed, kNothingDisplayed) &&
           ChooseEntry(varnelo, listed, kRegisteredName) &&
           e2e::WaitForTitle(varnelo.window, kRegisteredName) &&
           ExpectDefaultChecked(varnelo, false) &&
           PlaceOemAndWait(driver, varnelo, "pushed out\r\n", "= pushed out") &&
           e2e::WaitForClipboardText(driver.owner, CF_OEMTEXT, "pushed out") &&
           ExpectDefaultChecked(varnelo, true) &&
           e2e::ExpectChecked(varnelo, e2e::ListedCommand(listed, kRegisteredName), false,
                              "the registered format's entry") &&
           e2e::ExitsWithZero(varnelo);
}

// Choosing "[TEXT]" is not Default: "&Default" stays unchecked, and later
// text is titled as usual. Commands outside the list change nothing.
bool TextEntryChosenWithoutDefault(const e2e::Driver& driver) {
    std::vector<e2e::MenuItem> listed;
    e2e::RunningVarnelo varnelo;
    if (!e2e::StartWithEmptyClipboard(driver, "-normal", &varnelo) ||
        !PlaceOemAndWait(driver, varnelo, "chosen text", "= chosen text") ||
        !e2e::OpenFormatMenu(varnelo, &listed) || !ChooseEntry(varnelo, listed, "[TEXT]") ||
        !e2e::WaitForTitle(varnelo.window, "[TEXT]") || !ExpectDefaultChecked(varnelo, false) ||
        !e2e::ExpectChecked(varnelo, e2e::ListedCommand(listed, "[TEXT]"), true, "\"[TEXT]\"") ||
        !PlaceOemAndWait(driver, varnelo, "next text", "= next text") ||
        !ExpectDefaultChecked(varnelo, false)) {
        return false;
    }
    e2e::MenuSnapshot before, after;
    const UINT past_the_list = static_cast<UINT>(IDM_FORMAT_FIRST + listed.size());
    return e2e::ReadMenu(varnelo.window, &before) && e2e::SendCommand(varnelo, kUnusedCommand) &&
           e2e::SendCommand(varnelo, static_cast<WORD>(past_the_list)) &&
           e2e::ReadMenu(varnelo.window, &after) &&
           e2e::ExpectEqual("the menu after commands 40006 and past the list",
                            e2e::Described(after), e2e::Described(before)) &&
           e2e::ExpectEqual("the title", e2e::WindowTitle(varnelo.window), "= next text") &&
           e2e::ExitsWithZero(varnelo);
}

const e2e::TestCase kCases[] = {
    {"titles_follow_the_clipboard", TitlesFollowTheClipboard},
    {"format_menu_lists_the_clipboard_formats", FormatMenuListsTheClipboardFormats},
    {"unicode_text_is_listed_as_13", UnicodeTextIsListedAs13},
    {"text_pushes_a_chosen_format_out", TextPushesAChosenFormatOut},
    {"text_entry_chosen_without_default", TextEntryChosenWithoutDefault},
};

}  // namespace

int main(int argc, char** argv) {
    return e2e::RunDriver(argc, argv, kCases);
}
