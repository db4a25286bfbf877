// Smoke test of the real Varnelo.exe: it starts, shows the empty clipboard
// in its title, strips the trailing CR LF from OEM text, and exits with 0.
//
// usage: smoke_driver PATH\TO\Varnelo.exe
#include <windows.h>

#include <string>

#include "clip/command_ids.h"
#include "tests/e2e/driver_util.h"

namespace {

const char kEmptyTitle[] = "[Empty ClipBoard]";
const char kPlacedText[] = "dir\r\n";
const char kStrippedText[] = "dir";
const char kStrippedTitle[] = "= dir";

const int kPassed = 0;
const int kFailed = 1;
const int kUsageError = 2;

bool WaitForTitle(const e2e::Varnelo& varnelo, const std::string& expected) {
    if (e2e::WaitUntil([&] { return e2e::WindowTitle(varnelo.window) == expected; },
                       e2e::kChangeTimeoutMs)) {
        e2e::Log("ok: title reads \"%s\"", expected.c_str());
        return true;
    }
    e2e::Log("FAIL: title reads \"%s\", expected \"%s\"",
             e2e::Escaped(e2e::WindowTitle(varnelo.window)).c_str(), expected.c_str());
    return false;
}

bool StartWithEmptyClipboard(const std::string& exe_path, HWND owner, e2e::Varnelo* varnelo) {
    if (FindWindowA(e2e::kVarneloClass, nullptr)) {
        e2e::Log("FAIL: a Varnelo window exists already; the new copy would only hand over");
        return false;
    }
    if (!e2e::EmptyTheClipboard(owner)) {
        e2e::Log("FAIL: cannot empty the clipboard (error %lu)", GetLastError());
        return false;
    }
    if (!e2e::StartVarnelo(exe_path, "", varnelo)) return false;
    if (!e2e::WaitForVarneloWindow(varnelo)) {
        e2e::Log("FAIL: no top-level window of class \"%s\" appeared%s", e2e::kVarneloClass,
                 e2e::HasExited(*varnelo) ? " (the process has ended)" : "");
        return false;
    }
    e2e::Log("ok: Varnelo window found");
    return WaitForTitle(*varnelo, kEmptyTitle);
}

// Puts OEM text ending in CR LF on the clipboard and waits for Varnelo to
// put it back without the line break.
bool StripsTrailingLineBreak(const e2e::Varnelo& varnelo, HWND owner) {
    if (!e2e::PlaceClipboardText(owner, CF_OEMTEXT, kPlacedText)) {
        e2e::Log("FAIL: cannot place OEM text on the clipboard (error %lu)", GetLastError());
        return false;
    }
    const DWORD placed_sequence = GetClipboardSequenceNumber();
    e2e::Log("ok: placed \"%s\" as CF_OEMTEXT", e2e::Escaped(kPlacedText).c_str());

    // The clipboard is looked at only once it has changed again, and not at
    // the moment of the change, so that Varnelo's own reading goes first.
    std::string text;
    const bool stripped = e2e::WaitUntil(
        [&] {
            if (GetClipboardSequenceNumber() == placed_sequence) return false;
            e2e::PumpFor(e2e::kSettleAfterChangeMs);
            return e2e::ReadClipboardText(owner, CF_OEMTEXT, &text) && text == kStrippedText;
        },
        e2e::kChangeTimeoutMs);
    if (!stripped) {
        e2e::Log("FAIL: CF_OEMTEXT reads \"%s\", expected \"%s\"", e2e::Escaped(text).c_str(),
                 kStrippedText);
        return false;
    }
    e2e::Log("ok: CF_OEMTEXT reads \"%s\"", kStrippedText);
    return WaitForTitle(varnelo, kStrippedTitle);
}

bool ExitsWithZero(const e2e::Varnelo& varnelo) {
    if (!e2e::SendCommand(varnelo, IDM_EXIT)) {
        e2e::Log("FAIL: the Exit command was not answered");
        return false;
    }
    DWORD exit_code = 0;
    if (!e2e::WaitForExit(varnelo, &exit_code)) {
        e2e::Log("FAIL: Varnelo still runs after the Exit command");
        return false;
    }
    if (exit_code != 0) {
        e2e::Log("FAIL: exit code %lu, expected 0", exit_code);
        return false;
    }
    e2e::Log("ok: exited with code 0");
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        e2e::Log("usage: smoke_driver PATH\\TO\\Varnelo.exe");
        return kUsageError;
    }
    HWND owner = e2e::CreateClipboardOwner();
    if (!owner) {
        e2e::Log("FAIL: cannot create the clipboard owner window (error %lu)", GetLastError());
        return kFailed;
    }
    e2e::Varnelo varnelo;
    const bool passed = StartWithEmptyClipboard(argv[1], owner, &varnelo) &&
                        StripsTrailingLineBreak(varnelo, owner) && ExitsWithZero(varnelo);
    e2e::StopVarnelo(&varnelo);
    e2e::EmptyTheClipboard(owner);
    DestroyWindow(owner);
    e2e::Log(passed ? "PASSED" : "FAILED");
    return passed ? kPassed : kFailed;
}
