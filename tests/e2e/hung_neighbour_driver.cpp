// The real Varnelo.exe beside neighbours that stop answering: a viewer
// further down the chain, and a clipboard owner that renders its text on
// request. Varnelo's own loop must keep running, and its texts be fixed.
#include <string>

#include "tests/e2e/driver_util.h"

namespace {

const int kChanges = 2000;
const DWORD kOwnerHangMs = 3000;
const UINT kStallMessage = WM_APP + 1;
const UINT kPlaceDelayedText = WM_APP + 2;
const char kDelayedText[] = "rendered late\r\n";

// A window on a thread of its own: a viewer that joined the chain before
// Varnelo, or the owner of delayed OEM text. It stops taking messages when
// told to, until `resume` is set.
struct Neighbour {
    HANDLE thread = nullptr;
    DWORD thread_id = 0;
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE resume = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    bool viewer = false;
    HWND window = nullptr;
    HWND next = nullptr;
    volatile LONG draws = 0;

    ~Neighbour() {
        SetEvent(resume);
        if (thread) {
            PostThreadMessageA(thread_id, WM_QUIT, 0, 0);
            WaitForSingleObject(thread, e2e::kExitTimeoutMs);
            CloseHandle(thread);
        }
        CloseHandle(ready);
        CloseHandle(resume);
    }
};

Neighbour* g_neighbour = nullptr;

void PlaceDelayedText(HWND window) {
    if (!OpenClipboard(window)) return;
    EmptyClipboard();
    SetClipboardData(CF_OEMTEXT, nullptr);
    CloseClipboard();
}

LRESULT CALLBACK NeighbourProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Neighbour* self = g_neighbour;
    switch (message) {
        case WM_DRAWCLIPBOARD:
            InterlockedIncrement(&self->draws);
            if (self->next) SendMessageA(self->next, message, wParam, lParam);
            return 0;
        case WM_CHANGECBCHAIN:
            if (reinterpret_cast<HWND>(wParam) == self->next) {
                self->next = reinterpret_cast<HWND>(lParam);
            } else if (self->next) {
                SendMessageA(self->next, message, wParam, lParam);
            }
            return 0;
        case kStallMessage:
            WaitForSingleObject(self->resume, INFINITE);
            return 0;
        case kPlaceDelayedText:
            PlaceDelayedText(window);
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
    Neighbour* self = g_neighbour;
    self->window = e2e::CreateMessageWindow("VarneloDriverNeighbour", NeighbourProc);
    if (self->viewer && self->window) self->next = SetClipboardViewer(self->window);
    SetEvent(self->ready);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    if (self->viewer) ChangeClipboardChain(self->window, self->next);
    DestroyWindow(self->window);
    return 0;
}

bool StartNeighbour(Neighbour* neighbour, bool viewer) {
    g_neighbour = neighbour;
    neighbour->viewer = viewer;
    neighbour->thread = CreateThread(nullptr, 0, RunNeighbour, nullptr, 0, &neighbour->thread_id);
    return e2e::Expect(
        neighbour->thread &&
            WaitForSingleObject(neighbour->ready, e2e::kStartTimeoutMs) == WAIT_OBJECT_0 &&
            neighbour->window,
        "the neighbour's window is made");
}

void Stall(Neighbour* neighbour) {
    ResetEvent(neighbour->resume);
    PostMessageA(neighbour->window, kStallMessage, 0, 0);
}

// Varnelo's loop takes a posted command: Min makes the open window iconic.
bool LoopTakesPostedCommand(const e2e::Varnelo& varnelo) {
    return e2e::Expect(e2e::PostCommand(varnelo, IDM_MIN) &&
                           e2e::WaitUntil([&] { return IsIconic(varnelo.window) != FALSE; },
                                          e2e::kChangeTimeoutMs),
                       "Varnelo's loop takes a posted Min command");
}

bool PlaceChanges(const e2e::Driver& driver, std::string* last) {
    for (int number = 1; number <= kChanges; ++number) {
        *last = "pile " + std::to_string(number);
        if (!e2e::PlaceClipboardText(driver.owner, CF_OEMTEXT, *last + "\r\n")) return false;
        e2e::PumpMessages();
    }
    return true;
}

bool FixedAndTitled(const e2e::Driver& driver, const e2e::Varnelo& varnelo,
                    const std::string& text) {
    return e2e::WaitForClipboardText(driver.owner, CF_OEMTEXT, text) &&
           e2e::WaitForTitle(varnelo.window, "= " + text);
}

// After Varnelo has left, the system tells the viewer of a change itself.
bool ChainIsWhole(const e2e::Driver& driver, const Neighbour& viewer) {
    const LONG before = viewer.draws;
    return e2e::PlaceClipboardText(driver.owner, CF_OEMTEXT, "after the end") &&
           e2e::Expect(e2e::WaitUntil([&] { return viewer.draws > before; }, e2e::kChangeTimeoutMs),
                       "the viewer is told of a change after Varnelo left");
}

bool AHungViewerNeverStallsTheLoop(const e2e::Driver& driver) {
    Neighbour viewer;
    e2e::RunningVarnelo varnelo;
    std::string last;
    if (!StartNeighbour(&viewer, true) ||
        !e2e::StartWithEmptyClipboard(driver, "-normal", &varnelo)) {
        return false;
    }
    Stall(&viewer);
    if (!PlaceChanges(driver, &last) || !LoopTakesPostedCommand(varnelo) ||
        !FixedAndTitled(driver, varnelo, last)) {
        return false;
    }
    SetEvent(viewer.resume);
    const LONG before = viewer.draws;
    return e2e::PlaceClipboardText(driver.owner, CF_OEMTEXT, "awake\r\n") &&
           FixedAndTitled(driver, varnelo, "awake") &&
           e2e::Expect(e2e::WaitUntil([&] { return viewer.draws > before; }, e2e::kChangeTimeoutMs),
                       "the viewer receives changes once it answers") &&
           e2e::ExitsWithZero(varnelo) && ChainIsWhole(driver, viewer);
}

bool AHungOwnerIsReadOnceItAnswers(const e2e::Driver& driver) {
    Neighbour owner;
    e2e::RunningVarnelo varnelo;
    if (!StartNeighbour(&owner, false) ||
        !e2e::StartWithEmptyClipboard(driver, "-normal", &varnelo)) {
        return false;
    }
    // The owner places its text with the handle to come, then hangs.
    ResetEvent(owner.resume);
    PostMessageA(owner.window, kPlaceDelayedText, 0, 0);
    PostMessageA(owner.window, kStallMessage, 0, 0);
    e2e::PumpFor(kOwnerHangMs / 3);
    if (!LoopTakesPostedCommand(varnelo)) return false;
    e2e::PumpFor(kOwnerHangMs);
    SetEvent(owner.resume);
    return FixedAndTitled(driver, varnelo, "rendered late") && e2e::ExitsWithZero(varnelo);
}

const e2e::TestCase kCases[] = {
    {"a_hung_viewer_never_stalls_the_loop", AHungViewerNeverStallsTheLoop},
    {"a_hung_owner_is_read_once_it_answers", AHungOwnerIsReadOnceItAnswers},
};

}  // namespace

int main(int argc, char** argv) {
    return e2e::RunDriver(argc, argv, kCases);
}
