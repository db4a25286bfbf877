// The real Varnelo.exe beside a neighbour that stops answering, first as a
// viewer further down the chain, then as the owner of text it renders on
// request. Varnelo's own loop keeps running, and its texts are fixed.
// A neighbour that is only busy loses neither changes nor fixes.
#include <string>

#include "tests/e2e/driver_util.h"

namespace {

const int kChanges = 2000;
const DWORD kOwnerHangMs = 3000;
const DWORD kFreshHangBoundMs = 6000;  // for fixes and titles while a neighbour hangs
const int kBusyChanges = 3;
const UINT kStallMessage = WM_APP + 1;
const UINT kPlaceDelayedText = WM_APP + 2;
const UINT kPlaceTextMessage = WM_APP + 3;  // lParam: the std::string to place
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
    volatile LONG stalled = 0;
} g_neighbour;

LRESULT CALLBACK NeighbourProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DRAWCLIPBOARD:
            InterlockedIncrement(&g_neighbour.draws);
            return 0;
        case kStallMessage:  // as Stall() describes: wParam is `ms`, lParam `slow`
            g_neighbour.stalled = 1;
            while (WaitForSingleObject(g_neighbour.resume, static_cast<DWORD>(wParam)) ==
                       WAIT_TIMEOUT &&
                   lParam) {
                e2e::PumpMessages();
            }
            g_neighbour.stalled = 0;
            return 0;
        case kPlaceTextMessage:
            e2e::PlaceClipboardText(window, CF_OEMTEXT, *reinterpret_cast<std::string*>(lParam));
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

// Once, before the first Varnelo joins the chain, so that it stays Varnelo's next viewer.
bool StartNeighbour() {
    if (g_neighbour.thread) return true;
    g_neighbour.thread = CreateThread(nullptr, 0, RunNeighbour, nullptr, 0, nullptr);
    return e2e::Expect(
        g_neighbour.thread &&
            WaitForSingleObject(g_neighbour.ready, e2e::kStartTimeoutMs) == WAIT_OBJECT_0 &&
            g_neighbour.window,
        "the neighbour joins the chain");
}

// The neighbour takes no messages for `ms` or until `resume` is set; if `slow`,
// it then takes what came and stalls again, as a program busy between looks.
bool Stall(DWORD ms = INFINITE, bool slow = false) {
    ResetEvent(g_neighbour.resume);
    PostMessageA(g_neighbour.window, kStallMessage, ms, slow);
    return e2e::WaitUntil([] { return g_neighbour.stalled != 0; }, e2e::kChangeTimeoutMs);
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
    return e2e::WaitForTitle(varnelo.window, "= " + text, kFreshHangBoundMs) &&
           e2e::WaitForClipboardText(driver.owner, CF_OEMTEXT, text);
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

// Changes placed 300 ms apart while the next viewer is busy, not hung, all
// reach it once it takes its messages again; Varnelo's title does not wait.
bool BusyViewerHearsEveryChange(const e2e::Driver& driver, const e2e::Varnelo& varnelo,
                                DWORD busy_ms) {
    const LONG before = g_neighbour.draws;
    bool titled = Stall(busy_ms);
    for (int number = 1; titled && number <= kBusyChanges; ++number) {
        const std::string text = "busy " + std::to_string(busy_ms) + ", " + std::to_string(number);
        titled = e2e::PlaceClipboardText(driver.owner, CF_OEMTEXT, text) &&
                 e2e::WaitForTitle(varnelo.window, "= " + text, kFreshHangBoundMs);
        e2e::PumpFor(300);
    }
    if (!titled) return false;
    e2e::WaitUntil([&] { return g_neighbour.draws - before >= kBusyChanges; },
                   e2e::kChangeTimeoutMs);
    e2e::PumpFor(e2e::kSettleAfterChangeMs);
    return e2e::ExpectEqual("changes the busy viewer hears",
                            static_cast<unsigned long>(g_neighbour.draws - before), kBusyChanges);
}

// Another program that opens the clipboard at each change the neighbour
// makes, before Varnelo hears of it: a viewer ahead of Varnelo in the
// chain, on the driver's thread, that holds it while the driver waits.
HWND g_holder_next = nullptr;
bool g_holding = false;

LRESULT CALLBACK HolderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_DRAWCLIPBOARD) return DefWindowProcA(window, message, wParam, lParam);
    if (reinterpret_cast<HWND>(wParam) == g_neighbour.window && !g_holding) {
        g_holding = OpenClipboard(window) != FALSE;
    }
    SendMessageA(g_holder_next, message, wParam, lParam);
    return 0;
}

// The owner takes its messages every 150 ms, and at each of its 10 changes
// the holder has the clipboard for 3 s: each text is fixed all the same.
bool FixesSurviveASlowOwner(const e2e::Driver& driver) {
    HWND holder = e2e::CreateMessageWindow("VarneloDriverHolder", HolderProc);
    g_holder_next = SetClipboardViewer(holder);
    bool fixed = Stall(150, true);
    for (int run = 1; fixed && run <= 10; ++run) {
        const std::string text = "slow owner, run " + std::to_string(run);
        std::string placed = text + "\r\n";
        PostMessageA(g_neighbour.window, kPlaceTextMessage, 0, reinterpret_cast<LPARAM>(&placed));
        fixed = e2e::Expect(e2e::WaitUntil([] { return g_holding; }, e2e::kChangeTimeoutMs),
                            "another program holds the clipboard from the change on");
        if (fixed) e2e::PumpFor(3000);
        CloseClipboard();
        g_holding = false;
        fixed = fixed && e2e::WaitForClipboardText(driver.owner, CF_OEMTEXT, text);
    }
    SetEvent(g_neighbour.resume);
    ChangeClipboardChain(holder, g_holder_next);
    DestroyWindow(holder);
    return fixed;
}

bool BusyNeighboursCostNothing(const e2e::Driver& driver) {
    e2e::RunningVarnelo varnelo;
    return StartNeighbour() && e2e::StartWithEmptyClipboard(driver, "-normal", &varnelo) &&
           BusyViewerHearsEveryChange(driver, varnelo, 1500) &&
           BusyViewerHearsEveryChange(driver, varnelo, 4000) && FixesSurviveASlowOwner(driver) &&
           e2e::ExitsWithZero(varnelo);
}

const e2e::TestCase kCases[] = {
    {"never_stalls_on_a_hung_neighbour", NeverStallsOnAHungNeighbour},
    {"busy_neighbours_cost_nothing", BusyNeighboursCostNothing},
};

}  // namespace

int main(int argc, char** argv) {
    return e2e::RunDriver(argc, argv, kCases);
}
