// The real Varnelo.exe and Linux programs on the same X display: text that
// Varnelo has fixed pastes in a Linux program as exactly the text, and text
// copied in a Linux program reaches Varnelo and is left as it was, or fixed
// with -all. xclip stands for the Linux program.
#include <string>

#include "tests/e2e/driver_util.h"
#include "tests/e2e/linux_clipboard.h"

namespace {

const char kLinuxText[] = "copied in linux";

bool ExpectFixedTextPastes(const e2e::Driver& driver, const e2e::Varnelo& varnelo,
                           const std::string& text, const std::string& fixed) {
    e2e::Log("placing \"%s\" as OEM text", e2e::Abbreviated(text).c_str());
    return e2e::PlaceClipboardText(driver.owner, CF_OEMTEXT, text) &&
           e2e::WaitForTitle(varnelo.window, "= " + fixed) &&
           e2e::WaitForClipboardText(driver.owner, CF_OEMTEXT, fixed) &&
           e2e::ExpectPastedInLinux(driver, fixed);
}

bool FixedTextPastesExactlyInLinux(const e2e::Driver& driver) {
    std::string many_pairs = "text";
    for (int pair = 0; pair < 50; ++pair) many_pairs += "\r\n";
    e2e::RunningVarnelo varnelo;
    return e2e::StartWithEmptyClipboard(driver, "", &varnelo) &&
           ExpectFixedTextPastes(driver, varnelo, "dir\r\n", "dir") &&
           ExpectFixedTextPastes(driver, varnelo, many_pairs, "text") &&
           e2e::ExitsWithZero(varnelo);
}

// xclip keeps the selection until another program takes it; the driver's
// emptying of the clipboard at the end does so, and it ends.
bool CopyInLinux(const e2e::Driver& driver, const std::string& text) {
    const std::string done = e2e::NextResultPath(driver);
    const std::string script = "printf '" + text + "\\n' | timeout 60 xclip -i -selection " +
                               "clipboard 2>/dev/null; touch '" + done + "'";
    return e2e::Expect(e2e::RunShell(script, done), "xclip has taken the selection");
}

bool LinuxTextArrivesAndIsLeftAlone(const e2e::Driver& driver) {
    e2e::RunningVarnelo varnelo;
    std::string text;
    return e2e::StartWithEmptyClipboard(driver, "", &varnelo) && CopyInLinux(driver, kLinuxText) &&
           e2e::WaitForTitle(varnelo.window, std::string("= ") + kLinuxText) &&
           e2e::ExpectEqual("the first format", e2e::FirstClipboardFormat(driver.owner),
                            CF_UNICODETEXT) &&
           e2e::ReadClipboardText(driver.owner, CF_TEXT, &text) &&
           e2e::ExpectEqual("the clipboard's text", text, std::string(kLinuxText) + "\r\n") &&
           e2e::ExitsWithZero(varnelo);
}

// With -all (only its letter counts) the text that xclip copied is fixed,
// for Windows and Linux programs alike.
bool LinuxTextIsFixedWithAll(const e2e::Driver& driver) {
    e2e::RunningVarnelo varnelo;
    return e2e::StartWithEmptyClipboard(driver, "-alltext", &varnelo) &&
           CopyInLinux(driver, kLinuxText) &&
           e2e::WaitForTitle(varnelo.window, std::string("= ") + kLinuxText) &&
           e2e::WaitForClipboardText(driver.owner, CF_TEXT, kLinuxText) &&
           e2e::ExpectPastedInLinux(driver, kLinuxText) && e2e::ExitsWithZero(varnelo);
}

const e2e::TestCase kCases[] = {
    {"fixed_text_pastes_exactly_in_linux", FixedTextPastesExactlyInLinux},
    {"linux_text_arrives_and_is_left_alone", LinuxTextArrivesAndIsLeftAlone},
    {"linux_text_is_fixed_with_all", LinuxTextIsFixedWithAll},
};

}  // namespace

int main(int argc, char** argv) {
    return e2e::RunDriver(argc, argv, kCases);
}
