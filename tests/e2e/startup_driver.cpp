// Start-up of the real Varnelo.exe: the show mode each option gives, the
// check marks it starts with, the hand-over to a running copy, and the help
// and About boxes with their exact texts.
#include <string>

#include "tests/e2e/driver_util.h"
#include "tests/expected_texts.h"
#include "tests/e2e/menu_reader.h"

namespace {

const char kDialogClass[] = "#32770";
const int kBoxTextSize = 4096;

using expected::kAboutCaption;
using expected::kAboutText;
using expected::kHelpCaption;
using expected::kHelpText;

// --- Show states ---------------------------------------------------------

struct ShowState {
    bool visible;
    bool iconic;
    bool zoomed;
};

const ShowState kMinimised = {true, true, false};
const ShowState kNormal = {true, false, false};
const ShowState kMaximised = {true, false, true};
const ShowState kHidden = {false, false, false};

ShowState ShowStateOf(HWND window) {
    return {IsWindowVisible(window) != FALSE, IsIconic(window) != FALSE, IsZoomed(window) != FALSE};
}

std::string Described(const ShowState& state) {
    if (!state.visible) return "hidden";
    if (state.iconic) return "minimised";
    return state.zoomed ? "maximised" : "normal";
}

bool WaitForShowState(const e2e::Varnelo& varnelo, const ShowState& expected) {
    e2e::WaitUntil(
        [&] {
            ShowState state = ShowStateOf(varnelo.window);
            return state.visible == expected.visible && state.iconic == expected.iconic &&
                   state.zoomed == expected.zoomed;
        },
        e2e::kChangeTimeoutMs);
    return e2e::ExpectEqual("the window", Described(ShowStateOf(varnelo.window)),
                            Described(expected));
}

// --- Message boxes -------------------------------------------------------

struct BoxSearch {
    DWORD process_id;
    const char* caption;
    HWND found;
};

BOOL CALLBACK MatchBox(HWND window, LPARAM search_address) {
    BoxSearch* search = reinterpret_cast<BoxSearch*>(search_address);
    char class_name[64] = "";
    DWORD process_id = 0;
    GetClassNameA(window, class_name, sizeof class_name);
    GetWindowThreadProcessId(window, &process_id);
    if (process_id != search->process_id || std::strcmp(class_name, kDialogClass) != 0 ||
        e2e::WindowTitle(window) != search->caption) {
        return TRUE;
    }
    search->found = window;
    return FALSE;
}

HWND WaitForBox(const e2e::Varnelo& varnelo, const char* caption) {
    BoxSearch search = {varnelo.process.dwProcessId, caption, nullptr};
    e2e::WaitUntil(
        [&] {
            EnumWindows(MatchBox, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        e2e::kChangeTimeoutMs);
    std::string what = std::string("a box captioned \"") + caption + "\" appears";
    e2e::Expect(search.found != nullptr, what.c_str());
    return search.found;
}

// The box's message is the longest text among its static controls.
BOOL CALLBACK KeepLongestStaticText(HWND child, LPARAM longest_address) {
    std::string* longest = reinterpret_cast<std::string*>(longest_address);
    char class_name[64] = "";
    GetClassNameA(child, class_name, sizeof class_name);
    if (lstrcmpiA(class_name, "Static") != 0) return TRUE;
    static char text[kBoxTextSize];
    DWORD_PTR length = 0;
    text[0] = '\0';
    SendMessageTimeoutA(child, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, e2e::kChangeTimeoutMs, &length);
    if (std::strlen(text) > longest->size()) *longest = text;
    return TRUE;
}

std::string BoxText(HWND box) {
    std::string longest;
    EnumChildWindows(box, KeepLongestStaticText, reinterpret_cast<LPARAM>(&longest));
    return longest;
}

bool CloseBox(HWND box) {
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return e2e::Expect(e2e::WaitUntil([box] { return !IsWindow(box); }, e2e::kChangeTimeoutMs),
                       "the box is closed with OK");
}

// Finds the box, checks its text and owner, and closes it.
bool ExpectBox(const e2e::Varnelo& varnelo, const char* caption, const char* text, HWND owner) {
    HWND box = WaitForBox(varnelo, caption);
    return box && e2e::ExpectEqual("the box's text", BoxText(box), text) &&
           e2e::Expect(GetWindow(box, GW_OWNER) == owner, "the box belongs to the right window") &&
           CloseBox(box);
}

// --- Cases ---------------------------------------------------------------

struct StartRow {
    const char* options;
    ShowState state;
    bool fix;
};

bool StartsAsTheOptionsSay(const e2e::Driver& driver, const StartRow& row) {
    e2e::Log("options \"%s\"", row.options);
    e2e::RunningVarnelo varnelo;
    // The menu is read by Varnelo's own thread once its message loop runs,
    // that is, after the window has been shown.
    return e2e::StartWithEmptyClipboard(driver, row.options, &varnelo) &&
           e2e::ExpectChecked(varnelo, IDM_FIX, row.fix, "\"&Fix\"") &&
           e2e::ExpectChecked(varnelo, IDM_DEFAULT, true, "\"&Default\"") &&
           WaitForShowState(varnelo, row.state) && e2e::ExitsWithZero(varnelo);
}

bool ShowModesFollowTheOptions(const e2e::Driver& driver) {
    const StartRow rows[] = {
        {"", kMinimised, true},
        {"-hide", kHidden, true},
        {"-normal", kNormal, true},
        {"-Max", kMaximised, true},
        {"-viewonly -Max", kMaximised, false},
        {"-hide -min", kHidden, true},
        {"/N", kNormal, true},
        {"-x", kMinimised, true},
        {"foo -hide", kMinimised, true},
        {"--hide", kMinimised, true},
        {"-h/v", kHidden, true},
    };
    bool all_held = true;
    for (const StartRow& row : rows) all_held = StartsAsTheOptionsSay(driver, row) && all_held;
    return all_held;
}

// A second copy, whatever its options, brings the first back and ends.
bool SecondStartHandsOver(const e2e::Driver& driver, const e2e::Varnelo& first,
                          const char* options) {
    e2e::Log("second start with \"%s\"", options);
    e2e::RunningVarnelo second;
    return e2e::StartVarnelo(driver.exe_path, options, &second) &&
           e2e::ExpectExitCodeZero(second) && WaitForShowState(first, kNormal);
}

bool SecondStartRestoresTheFirst(const e2e::Driver& driver) {
    e2e::RunningVarnelo first;
    return e2e::StartWithEmptyClipboard(driver, "-hide", &first) &&
           WaitForShowState(first, kHidden) && SecondStartHandsOver(driver, first, "-?") &&
           e2e::SendCommand(first, IDM_MIN) && WaitForShowState(first, kMinimised) &&
           SecondStartHandsOver(driver, first, "-hide") && e2e::SendCommand(first, IDM_HIDE) &&
           WaitForShowState(first, kHidden) && SecondStartHandsOver(driver, first, "") &&
           e2e::ExitsWithZero(first);
}

bool HelpOptionShowsTheHelpBoxAndEnds(const e2e::Driver& driver) {
    e2e::RunningVarnelo varnelo;
    if (!e2e::Expect(FindWindowA(e2e::kVarneloClass, nullptr) == nullptr, "no other copy runs") ||
        !e2e::StartVarnelo(driver.exe_path, "-?", &varnelo)) {
        return false;
    }
    HWND box = WaitForBox(varnelo, kHelpCaption);
    return box && e2e::ExpectEqual("the box's text", BoxText(box), kHelpText) &&
           e2e::Expect(GetWindow(box, GW_OWNER) == nullptr, "the box has no owner") &&
           e2e::Expect(e2e::FindVarneloWindow(varnelo.process.dwProcessId) == nullptr,
                       "no Varnelo window exists") &&
           CloseBox(box) && e2e::ExpectExitCodeZero(varnelo);
}

bool F1HelpAndAboutShowTheirBoxes(const e2e::Driver& driver) {
    e2e::RunningVarnelo varnelo;
    return e2e::StartWithEmptyClipboard(driver, "-normal", &varnelo) &&
           e2e::Expect(PostMessageA(varnelo.window, WM_KEYDOWN, VK_F1, 0) != FALSE,
                       "F1 is pressed") &&
           ExpectBox(varnelo, kHelpCaption, kHelpText, varnelo.window) &&
           e2e::PostCommand(varnelo, IDM_HELP) &&
           ExpectBox(varnelo, kHelpCaption, kHelpText, varnelo.window) &&
           e2e::PostCommand(varnelo, IDM_ABOUT) &&
           ExpectBox(varnelo, kAboutCaption, kAboutText, varnelo.window) &&
           e2e::ExitsWithZero(varnelo);
}

const e2e::TestCase kCases[] = {
    {"show_modes_follow_the_options", ShowModesFollowTheOptions},
    {"second_start_restores_the_first", SecondStartRestoresTheFirst},
    {"help_option_shows_the_help_box_and_ends", HelpOptionShowsTheHelpBoxAndEnds},
    {"f1_help_and_about_show_their_boxes", F1HelpAndAboutShowTheirBoxes},
};

}  // namespace

int main(int argc, char** argv) {
    return e2e::RunDriver(argc, argv, kCases);
}
