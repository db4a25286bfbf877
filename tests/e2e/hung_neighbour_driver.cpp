// The real Varnelo.exe beside a neighbour that stops answering, first as a
// viewer further down the chain, then as the owner of text it renders on
// request. Varnelo's own loop keeps running, and its texts are fixed.
#include <string>

#include "tests/e2e/driver_util.h"

namespace {

const int kChanges = 2000;
const DWORD kOwnerHangMs = 3000;
const UINT kStallMessage = WM_APP + 1;
const UINT kPlaceDelayedText = WM_APP + 2;
const char kDelayedText[] = "rendered late\r\n";

// A viewer on a thread of its own that joined the chain before Varnelo, so
// it is the last viewer and passes nothing on. It stops taking messages
// when told to, until `resume` is set.
struct Neighbour {
    HANDLE thread = nullptr;
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE resume = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    HWND window = nullptr;
    volatile LONG draws = 0;
} g_neighbour;

LRESULT CALLBACK NeighbourProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DRAWCLIPBOARD:
            InterlockedIncrement(&g_neighbour.draws);
            return 0;
        case kStallMessage:
            WaitForSingleObject(g_neighbour.resume, INFINITE);
            return 0;
        case kPlaceDelayedText:  // the text's handle is to come
            if (OpenClipboard(window)) {
                EmptyClipboard();
                SetClipboardData(CF_OEMTEXT, nullptr);
                CloseClipboard();
            }
            return 0;
        case WM_RENDERFORMAT:
            SetClipboardData(CF_OEMTEXT,
                             e2e::NewBlock(std::string(kDelayedText, sizeof kDelayedText)));
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

DWORD WINAPI RunNeighbour(void*) {
    g_neighbour.window = e2e::CreateMessageWindow("VarneloDriverNeighbour", NeighbourProc);
    if (g_neighbour.window) SetClipboardViewer(g_neighbour.window);
    SetEvent(g_neighbour.ready);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    ChangeClipboardChain(g_neighbour.window, nullptr);
    return 0;
}

bool StartNeighbour() {
    g_neighbour.thread = CreateThread(nullptr, 0, RunNeighbour, nullptr, 0, nullptr);
    return e2e::Expect(
        g_neighbour.thread &&
            WaitForSingleObject(g_neighbour.ready, e2e::kStartTimeoutMs) == WAIT_OBJECT_0 &&
            g_neighbour.window,
        "the neighbour joins the chain");
}

void Stall() {
    ResetEvent(g_neighbour.resume);
    PostMessageA(g_neighbour.window, kStallMessage, 0, 0);
}

// Varnelo's loop takes a posted command: Min makes the open window iconic,
// Restore shows it again.
bool LoopTakesPostedCommand(const e2e::Varnelo& varnelo, WORD command, BOOL iconic) {
    return e2e::Expect(e2e::PostCommand(varnelo, command) &&
                           e2e::WaitUntil([&] { return IsIconic(varnelo.window) == iconic; },
                                          e2e::kChangeTimeoutMs),
                       "Varnelo's loop takes a posted command");
}

bool FixedAndTitled(const e2e::Driver& driver, const e2e::Varnelo& varnelo,
                    const std::string& text) {
    return e2e::WaitForClipboardText(driver.owner, CF_OEMTEXT, text) &&
           e2e::WaitForTitle(varnelo.window, "= " + text);
}

bool NeighbourToldOfAChange(LONG before) {
    return e2e::Expect(
        e2e::WaitUntil([&] { return g_neighbour.draws > before; }, e2e::kChangeTimeoutMs),
        "the neighbour is told of a change");
}

// 2,000 changes while the next viewer hangs; Varnelo's loop and fixes go on.
bool OutlivesAHungViewer(const e2e::Driver& driver, const e2e::Varnelo& varnelo) {
    Stall();
    std::string last;
    for (int number = 1; number <= kChanges; ++number) {
        last = "pile " + std::to_string(number);
        if (!e2e::PlaceClipboardText(driver.owner, CF_OEMTEXT, last + "\r\n")) return false;
        e2e::PumpMessages();
    }
    if (!LoopTakesPostedCommand(varnelo, IDM_MIN, TRUE) || !FixedAndTitled(driver, varnelo, last)) {
        return false;
    }
    SetEvent(g_neighbour.resume);
    const LONG before = g_neighbour.draws;
    return e2e::PlaceClipboardText(driver.owner, CF_OEMTEXT, "awake\r\n") &&
           FixedAndTitled(driver, varnelo, "awake") && NeighbourToldOfAChange(before);
}

// The owner of text to be rendered on request hangs for a while: Varnelo's
// loop runs meanwhile, and the text is fixed once the owner answers.
bool OutlivesAHungOwner(const e2e::Driver& driver, const e2e::Varnelo& varnelo) {
    PostMessageA(g_neighbour.window, kPlaceDelayedText, 0, 0);
    Stall();
    e2e::PumpFor(kOwnerHangMs / 3);
    if (!LoopTakesPostedCommand(varnelo, IDM_RESTORE, FALSE)) return false;
    e2e::PumpFor(kOwnerHangMs);
    SetEvent(g_neighbour.resume);
    return FixedAndTitled(driver, varnelo, "rendered late");
}

bool NeverStallsOnAHungNeighbour(const e2e::Driver& driver) {
    e2e::RunningVarnelo varnelo;
    const bool outlived =
        StartNeighbour() && e2e::StartWithEmptyClipboard(driver, "-normal", &varnelo) &&
        OutlivesAHungViewer(driver, varnelo) && OutlivesAHungOwner(driver, varnelo);
    // A neighbour left hanging would hang the driver's own clipboard calls.
    SetEvent(g_neighbour.resume);
    if (!outlived || !e2e::ExitsWithZero(varnelo)) return false;
    // Varnelo left the chain whole: the system tells the neighbour itself.
    const LONG before = g_neighbour.draws;
    return e2e::PlaceClipboardText(driver.owner, CF_OEMTEXT, "after the end") &&
           NeighbourToldOfAChange(before);
}

const e2e::TestCase kCases[] = {
    {"never_stalls_on_a_hung_neighbour", NeverStallsOnAHungNeighbour},
};

}  // namespace

int main(int argc, char** argv) {
    return e2e::RunDriver(argc, argv, kCases);
}
