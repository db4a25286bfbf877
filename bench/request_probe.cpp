// Counts what one fix asks of Wine's server, with scripts/count-requests.sh.
// It joins the viewer chain, starts the program (Varnelo or the titled
// floor) with Wine's request trace on, and between two marks sent to the
// program's window (WM_NULL with a mark, answered once the program is
// idle) places 1 KB of OEM text ending in CR LF and waits until the
// program has put its fix back; twice, so that the first fix of a run
// (which may register names or load tables once) and a later one are
// counted apart. The script counts the program's requests between the
// marks' answers.
//
// usage: request_probe PATH\TO\program.exe [OPTIONS]
#include <windows.h>

#include <string>

#include "tests/e2e/driver_util.h"

namespace {

const WPARAM kMarks[] = {0x5EED1, 0x5EED2, 0x5EED3};
const size_t kTextBytes = 1024;
const size_t kLineBytes = 78;
const DWORD kAnswerTimeoutMs = 30000;

HWND g_next_viewer;

LRESULT CALLBACK ProbeViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DRAWCLIPBOARD:
            if (g_next_viewer) SendMessageA(g_next_viewer, message, wParam, lParam);
            return 0;
        case WM_CHANGECBCHAIN:
            if (reinterpret_cast<HWND>(wParam) == g_next_viewer) {
                g_next_viewer = reinterpret_cast<HWND>(lParam);
            } else if (g_next_viewer) {
                SendMessageA(g_next_viewer, message, wParam, lParam);
            }
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

// Lines of printable bytes and CR LF breaks, the last break at the end.
std::string OemText() {
    std::string text(kTextBytes, '\n');
    for (size_t at = 0; at + 2 < kTextBytes; ++at) {
        const size_t column = at % (kLineBytes + 2);
        text[at] = column < kLineBytes    ? static_cast<char>('a' + at % 26)
                   : column == kLineBytes ? '\r'
                                          : '\n';
    }
    text[kTextBytes - 3] = 'z';
    text[kTextBytes - 2] = '\r';
    return text;
}

// Places the text and waits until the program owns its fix.
bool PlaceAndAwaitFix(HWND viewer, const e2e::Varnelo& program) {
    return e2e::PlaceClipboardText(viewer, CF_OEMTEXT, OemText()) &&
           e2e::WaitUntil([&] { return GetClipboardOwner() == program.window; }, kAnswerTimeoutMs);
}

// Answered once the program has handled everything sent to it before.
bool SendMark(HWND window, WPARAM mark) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, mark, 0, SMTO_NORMAL, kAnswerTimeoutMs, &result) !=
           0;
}

bool StartTraced(const std::string& exe_path, const std::string& options, e2e::Varnelo* program) {
    SetEnvironmentVariableA("WINEDEBUG", "+server");
    const bool started = e2e::StartVarnelo(exe_path, options, program);
    SetEnvironmentVariableA("WINEDEBUG", "-all");
    return started && e2e::WaitForVarneloWindow(program) &&
           e2e::WaitForTitle(program->window, e2e::kEmptyTitle);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        e2e::Log("usage: request_probe PATH\\TO\\program.exe [OPTIONS]");
        return e2e::kUsageError;
    }
    std::string options;
    for (int at = 2; at < argc; ++at) options += std::string(at > 2 ? " " : "") + argv[at];
    HWND viewer = e2e::CreateMessageWindow("VarneloRequestProbe", ProbeViewerProc);
    if (!viewer) return e2e::kFailed;
    g_next_viewer = SetClipboardViewer(viewer);
    e2e::Varnelo program;
    bool counted = e2e::EmptyTheClipboard(viewer) && StartTraced(argv[1], options, &program) &&
                   SendMark(program.window, kMarks[0]) && PlaceAndAwaitFix(viewer, program) &&
                   SendMark(program.window, kMarks[1]) && PlaceAndAwaitFix(viewer, program) &&
                   SendMark(program.window, kMarks[2]);
    e2e::SendCommand(program, IDM_EXIT);
    DWORD exit_code = 0;
    e2e::WaitForExit(program, &exit_code);
    e2e::StopVarnelo(&program);
    ChangeClipboardChain(viewer, g_next_viewer);
    DestroyWindow(viewer);
    if (!counted) e2e::Log("request_probe: the fix was not seen");
    return counted ? e2e::kPassed : e2e::kFailed;
}
