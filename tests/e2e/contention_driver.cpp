// The real Varnelo.exe among other clipboard programs: a reader that opens
// the clipboard at every change, as clipboard histories do, and a reader
// that keeps it open for seconds. Varnelo must fix every text and keep
// answering its messages meanwhile.
#include <string>

#include "tests/e2e/driver_util.h"

namespace {

const int kTexts = 20;
// How long the competing reader keeps the clipboard open after each change.
const DWORD kReaderHoldMs = 40;
const DWORD kReaderRetryMs = 2;
// The holding reader keeps the clipboard this many steps of this length,
// checking at each step that Varnelo still answers.
const int kHoldSteps = 5;
const DWORD kHoldStepMs = 400;
// A window that waits for the clipboard does not answer within this bound.
const DWORD kAnswerTimeoutMs = 5000;
const char kInitialTitle[] = "Varnelo for Win/95";
const UINT kReleaseMessage = WM_APP + 1;

// --- The competing reader --------------------------------------------------

// A thread with a clipboard-format listener that reads the OEM text at each
// change and keeps the clipboard open a little while.
struct CompetingReader {
    HANDLE thread = nullptr;
    DWORD thread_id = 0;
    HANDLE ready = nullptr;
    CRITICAL_SECTION lock;
    std::string last_text;  // guarded by lock
    int unfixed_reads = 0;  // reads of text that still ended in CR LF; guarded by lock
};

CompetingReader* g_reader = nullptr;

void ReadAndHold(HWND window) {
    const DWORD start = GetTickCount();
    while (!OpenClipboard(window)) {
        if (GetTickCount() - start > e2e::kChangeTimeoutMs) return;
        Sleep(kReaderRetryMs);
    }
    std::string text;
    HANDLE block = GetClipboardData(CF_OEMTEXT);
    const char* bytes = block ? static_cast<const char*>(GlobalLock(block)) : nullptr;
    if (bytes) {
        text.assign(bytes, strnlen(bytes, GlobalSize(block)));
        GlobalUnlock(block);
    }
    Sleep(kReaderHoldMs);
    CloseClipboard();
    EnterCriticalSection(&g_reader->lock);
    g_reader->last_text = text;
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) {
        ++g_reader->unfixed_reads;
    }
    LeaveCriticalSection(&g_reader->lock);
}

LRESULT CALLBACK ReaderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_CLIPBOARDUPDATE) return DefWindowProcA(window, message, wParam, lParam);
    ReadAndHold(window);
    return 0;
}

DWORD WINAPI RunReader(void*) {
    HWND window = e2e::CreateMessageWindow("VarneloDriverCompetingReader", ReaderProc);
    const bool listening = window && AddClipboardFormatListener(window);
    SetEvent(g_reader->ready);
    if (!listening) return 1;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    RemoveClipboardFormatListener(window);
    DestroyWindow(window);
    return 0;
}

bool StartReader(CompetingReader* reader) {
    g_reader = reader;
    InitializeCriticalSection(&reader->lock);
    reader->ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    reader->thread = CreateThread(nullptr, 0, RunReader, nullptr, 0, &reader->thread_id);
    return e2e::Expect(
        reader->thread && WaitForSingleObject(reader->ready, e2e::kStartTimeoutMs) == WAIT_OBJECT_0,
        "the competing reader listens");
}

void StopReader(CompetingReader* reader) {
    if (reader->thread) {
        PostThreadMessageA(reader->thread_id, WM_QUIT, 0, 0);
        WaitForSingleObject(reader->thread, e2e::kExitTimeoutMs);
        CloseHandle(reader->thread);
    }
    if (reader->ready) CloseHandle(reader->ready);
    DeleteCriticalSection(&reader->lock);
    g_reader = nullptr;
}

std::string ReaderLastText(CompetingReader* reader) {
    EnterCriticalSection(&reader->lock);
    std::string text = reader->last_text;
    LeaveCriticalSection(&reader->lock);
    return text;
}

// The reader reads at every change, Varnelo's rewrite among them, so it is
// the reader that sees the fixed text arrive. Counting stops at the first
// text that is not fixed.
int PlaceTextsAndCountFixed(const e2e::Driver& driver, CompetingReader* reader) {
    for (int n = 1; n <= kTexts; ++n) {
        const std::string text = "text " + std::to_string(n);
        if (!e2e::PlaceClipboardText(driver.owner, CF_OEMTEXT, text + "\r\n")) return n - 1;
        if (!e2e::WaitUntil([&] { return ReaderLastText(reader) == text; },
                            e2e::kChangeTimeoutMs)) {
            e2e::Log("FAIL: \"%s\\r\\n\" was not fixed; the reader last read \"%s\"", text.c_str(),
                     e2e::Escaped(ReaderLastText(reader)).c_str());
            return n - 1;
        }
    }
    return kTexts;
}

bool FixesEveryTextDespiteACompetingReader(const e2e::Driver& driver) {
    e2e::RunningVarnelo varnelo;
    CompetingReader reader;
    if (!e2e::StartWithEmptyClipboard(driver, "", &varnelo)) return false;
    if (!StartReader(&reader)) {
        StopReader(&reader);
        return false;
    }
    const int fixed = PlaceTextsAndCountFixed(driver, &reader);
    StopReader(&reader);
    e2e::Log("the reader read text before Varnelo had fixed it at %d of %d changes",
             reader.unfixed_reads, fixed);
    return e2e::ExpectEqual("the number of texts fixed", fixed, kTexts) &&
           e2e::ExitsWithZero(varnelo);
}

// --- The holding reader ------------------------------------------------------

// A viewer at the head of the chain that, once armed, opens the clipboard
// at the next change, passes the notification on to Varnelo, and keeps the
// clipboard open until it is released.
struct HoldingReader {
    HWND window = nullptr;
    HWND next = nullptr;
    bool armed = false;
    bool holding = false;
    bool passed_on = false;
};

HoldingReader g_holder;

LRESULT CALLBACK HolderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DRAWCLIPBOARD:
            if (g_holder.armed && e2e::OpenClipboardPatiently(window)) {
                g_holder.armed = false;
                g_holder.holding = true;
            }
            if (g_holder.next) SendMessageA(g_holder.next, message, wParam, lParam);
            g_holder.passed_on = true;
            return 0;
        case WM_CHANGECBCHAIN:
            if (reinterpret_cast<HWND>(wParam) == g_holder.next) {
                g_holder.next = reinterpret_cast<HWND>(lParam);
            } else if (g_holder.next) {
                SendMessageA(g_holder.next, message, wParam, lParam);
            }
            return 0;
        case kReleaseMessage:
            if (g_holder.holding) CloseClipboard();
            g_holder.holding = false;
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

bool CreateHolder() {
    g_holder = HoldingReader();
    g_holder.window = e2e::CreateMessageWindow("VarneloDriverHoldingReader", HolderProc);
    return e2e::Expect(g_holder.window != nullptr, "the holding reader's window is created");
}

void ReleaseAndDestroyHolder(bool in_chain) {
    SendMessageA(g_holder.window, kReleaseMessage, 0, 0);
    if (in_chain) ChangeClipboardChain(g_holder.window, g_holder.next);
    DestroyWindow(g_holder.window);
    g_holder = HoldingReader();
}

// Varnelo answers at once, and has not yet seen the held text.
bool ExpectAnswersWhileHeld(const e2e::Varnelo& varnelo, const char* title) {
    for (int step = 0; step < kHoldSteps; ++step) {
        char text[256] = "";
        DWORD_PTR length = 0;
        if (!SendMessageTimeoutA(varnelo.window, WM_GETTEXT, sizeof text,
                                 reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, kAnswerTimeoutMs,
                                 &length)) {
            return e2e::Expect(false, "Varnelo answers while the clipboard is held");
        }
        if (!e2e::ExpectEqual("the title while the clipboard is held", text, title)) return false;
        e2e::PumpFor(kHoldStepMs);
    }
    return e2e::Expect(g_holder.holding, "Varnelo answered at every step while it was held");
}

bool FixesTextOnceAHoldingReaderLetsGo(const e2e::Driver& driver) {
    e2e::RunningVarnelo varnelo;
    if (!e2e::StartWithEmptyClipboard(driver, "", &varnelo) || !CreateHolder()) return false;
    g_holder.next = SetClipboardViewer(g_holder.window);
    // Joining announced the clipboard to the reader already; the next change counts.
    g_holder.passed_on = false;
    g_holder.armed = true;
    const bool held =
        e2e::Expect(g_holder.next == varnelo.window, "the reader joins the chain before Varnelo") &&
        e2e::PlaceClipboardText(driver.owner, CF_OEMTEXT, "held\r\n") &&
        e2e::Expect(e2e::WaitUntil([] { return g_holder.passed_on && g_holder.holding; },
                                   e2e::kChangeTimeoutMs),
                    "the reader holds the clipboard and has told Varnelo of the change") &&
        ExpectAnswersWhileHeld(varnelo, e2e::kEmptyTitle);
    ReleaseAndDestroyHolder(true);
    return held && e2e::WaitForTitle(varnelo.window, "= held") &&
           e2e::WaitForClipboardText(driver.owner, CF_OEMTEXT, "held") &&
           e2e::ExitsWithZero(varnelo);
}

// The first look at the clipboard, during window creation, waits no more
// than any other.
bool StartsWhileAReaderHoldsTheClipboard(const e2e::Driver& driver) {
    e2e::RunningVarnelo varnelo;
    if (!e2e::Expect(FindWindowA(e2e::kVarneloClass, nullptr) == nullptr, "no other copy runs") ||
        !e2e::PlaceClipboardText(driver.owner, CF_OEMTEXT, "start\r\n") || !CreateHolder()) {
        return false;
    }
    g_holder.holding = e2e::OpenClipboardPatiently(g_holder.window);
    const bool held =
        e2e::Expect(g_holder.holding, "the reader holds the clipboard") &&
        e2e::StartVarnelo(driver.exe_path, "", &varnelo) &&
        e2e::Expect(e2e::WaitForVarneloWindow(&varnelo), "Varnelo's window appears") &&
        ExpectAnswersWhileHeld(varnelo, kInitialTitle);
    ReleaseAndDestroyHolder(false);
    return held && e2e::WaitForTitle(varnelo.window, "= start") &&
           e2e::WaitForClipboardText(driver.owner, CF_OEMTEXT, "start") &&
           e2e::ExitsWithZero(varnelo);
}

const e2e::TestCase kCases[] = {
    {"fixes_every_text_despite_a_competing_reader", FixesEveryTextDespiteACompetingReader},
    {"fixes_text_once_a_holding_reader_lets_go", FixesTextOnceAHoldingReaderLetsGo},
    {"starts_while_a_reader_holds_the_clipboard", StartsWhileAReaderHoldsTheClipboard},
};

}  // namespace

int main(int argc, char** argv) {
    return e2e::RunDriver(argc, argv, kCases);
}
