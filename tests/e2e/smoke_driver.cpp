// Smoke test of the real Varnelo.exe: it starts, shows the empty clipboard
// in its title, strips the trailing CR LF from OEM text, and exits with 0.
//
// usage: smoke_driver PATH\TO\Varnelo.exe
#include <windows.h>

#include <string>

#include "tests/e2e/driver_util.h"

namespace {

const char kEmptyTitle[] = "[Empty ClipBoard]";
const char kPlacedText[] = "dir\r\n";
const char kStrippedText[] = "dir";
const char kStrippedTitle[] = "= dir";

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
    return e2e::WaitForTitle(varnelo->window, kEmptyTitle);
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
    return e2e::WaitForTitle(varnelo.window, kStrippedTitle);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        e2e::Log("usage: smoke_driver PATH\\TO\\Varnelo.exe");
        return e2e::kUsageError;
    }
    HWND owner = e2e::CreateClipboardOwner();
    if (!owner) {
        e2e::Log("FAIL: cannot create the clipboard owner window (error %lu)", GetLastError());
        return e2e::kFailed;
    }
    e2e::Varnelo varnelo;
    const bool passed = StartWithEmptyClipboard(argv[1], owner, &varnelo) &&
                        StripsTrailingLineBreak(varnelo, owner) && e2e::ExitsWithZero(varnelo);
    e2e::StopVarnelo(&varnelo);
    e2e::EmptyTheClipboard(owner);
    DestroyWindow(owner);
    e2e::Log(passed ? "PASSED" : "FAILED");
    return passed ? e2e::kPassed : e2e::kFailed;
}
