// The real Varnelo.exe and Linux programs on the same X display: text that
// Varnelo has fixed pastes in a Linux program as exactly the text, and text
// copied in a Linux program reaches Varnelo and is left as it was, or fixed
// with -all. xclip stands for the Linux program.
//
// A Unix program started from a Windows process runs on its own, so each
// run writes its result into a file and renames it when done.
#include <string>

#include "tests/e2e/driver_util.h"

namespace {

const char kLinuxText[] = "copied in linux";

int g_runs = 0;

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A fresh file name for the next run's result, under the driver's folder;
// a file of that name from an earlier run of the driver is removed.
std::string NextResultPath(const e2e::Driver& driver) {
    std::string path = driver.work_dir + "/run" + std::to_string(++g_runs);
    DeleteFileA(path.c_str());
    return path;
}

bool ReadWholeFile(const std::string& path, std::string* bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bytes->clear();
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        bytes->append(buffer, read);
    }
    CloseHandle(file);
    return true;
}

// Runs `script` with /bin/sh; it is done once `done_path` exists.
bool RunShell(const std::string& script, const std::string& done_path) {
    PROCESS_INFORMATION process = {};
    if (!e2e::StartProcess(nullptr, "/bin/sh -c \"" + script + "\"", &process)) return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return e2e::WaitUntil([&] { return FileExists(done_path); }, e2e::kChangeTimeoutMs);
}

// What a Linux program gets when it pastes the clipboard.
bool PasteInLinux(const e2e::Driver& driver, std::string* pasted) {
    const std::string result = NextResultPath(driver);
    const std::string script = "timeout 10 xclip -o -selection clipboard > '" + result +
                               ".part' 2>/dev/null; mv '" + result + ".part' '" + result + "'";
    return RunShell(script, result) && ReadWholeFile(result, pasted);
}

// Wine hands the X side the new contents a moment after the change, so
// the paste is tried again until it gives the text or the time is up.
bool ExpectPastedInLinux(const e2e::Driver& driver, const std::string& expected) {
    std::string pasted;
    e2e::WaitUntil([&] { return PasteInLinux(driver, &pasted) && pasted == expected; },
                   e2e::kChangeTimeoutMs);
    return e2e::ExpectEqual("the text pasted in Linux", pasted, expected);
}

bool ExpectFixedTextPastes(const e2e::Driver& driver, const e2e::Varnelo& varnelo,
                           const std::string& text, const std::string& fixed) {
    e2e::Log("placing \"%s\" as OEM text", e2e::Abbreviated(text).c_str());
    return e2e::PlaceClipboardText(driver.owner, CF_OEMTEXT, text) &&
           e2e::WaitForTitle(varnelo.window, "= " + fixed) &&
           e2e::WaitForClipboardText(driver.owner, CF_OEMTEXT, fixed) &&
           ExpectPastedInLinux(driver, fixed);
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
    const std::string done = NextResultPath(driver);
    const std::string script = "printf '" + text + "\\n' | timeout 60 xclip -i -selection " +
                               "clipboard 2>/dev/null; touch '" + done + "'";
    return e2e::Expect(RunShell(script, done), "xclip has taken the selection");
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
           ExpectPastedInLinux(driver, kLinuxText) && e2e::ExitsWithZero(varnelo);
}

const e2e::TestCase kCases[] = {
    {"fixed_text_pastes_exactly_in_linux", FixedTextPastesExactlyInLinux},
    {"linux_text_arrives_and_is_left_alone", LinuxTextArrivesAndIsLeftAlone},
    {"linux_text_is_fixed_with_all", LinuxTextIsFixedWithAll},
};

}  // namespace

int main(int argc, char** argv) {
    // The folder for the pasted files; it may be there from an earlier run.
    if (argc >= 3) CreateDirectoryA(argv[2], nullptr);
    return e2e::RunDriver(argc, argv, kCases);
}
