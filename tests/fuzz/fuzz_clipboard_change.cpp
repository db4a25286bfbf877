// The clipboard change handler, painting and the Format menu over anything
// another program may place on the clipboard of the simulated desktop.
//
// The input is a script. A line that starts with "@" is a command. The block
// of a format command is every byte after its line up to the next "\n@", so
// it may hold any bytes, NULs included, and needs no terminator.
//   @<number>               a block of that format (any 32-bit value, "-1" too)
//   @name <name>            a block of the format registered under <name>
//   @bitmap <w> <h> <bits>  a bitmap as CF_BITMAP (its block, if any, is unused)
//   @null <number>          the format placed without data
// Format commands in a row are one placement, announced when it is closed.
//   @create <options>       start the program here with that command line;
//                           without it, the program starts before the script
//   @hold, @release         the other program opens, closes the clipboard
//   @paint, @menu           repaint the window; open the Format menu
//   @choose <n>             pick the n-th listed format
//   @command <id>           send any menu command
//   @fail <fault> <times> <after>
//                           calls of one platform operation fail (times 0: all),
//                           once `after` calls have passed, counted from the
//                           next command on (for a placement: from its close,
//                           so that the viewer meets the failures)
//   @nest <depth>           announcements nested deeper are dropped
//   @size <w> <h>           the size of the client area
// After the script the faults are cleared, the clipboard is released, and
// the window is painted and its Format menu opened once more.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/viewer_window.h"
#include "clip/clipboard_change.h"
#include "clip/clipboard_text.h"
#include "clip/private_content.h"
#include "sim/sim_desktop.h"

namespace {

constexpr int kFaultCount = static_cast<int>(sim::Fault::AppendMenu) + 1;
constexpr long long kLargestBitmapSide = 256;  // keeps derived bitmap blocks small
constexpr long long kLargestBitsPerPixel = 32;
constexpr long long kLargestFaultRun = 64;

struct Command {
    std::string name;   // the word after "@"
    std::string rest;   // the rest of the command line, after one blank
    std::string block;  // the bytes after the command line
};

struct PendingFault {
    sim::Fault fault;
    int times;  // 0: every call
    int after;
};

struct Run {
    std::vector<Command> commands;
    std::vector<PendingFault> pending_faults;
    size_t next = 0;
    bool finished = false;
    HWND other = nullptr;
    HWND viewer = nullptr;  // kept after it is destroyed, for its titles
    // No faults, holds, nesting limit or listed format chosen: every change
    // is handled in full, and text is titled as text.
    bool plain = true;
    // The last placement held a locale of its own: plain text placed behind it
    // looks like the platform's conversion of the OEM text, which is then
    // titled in its stead.
    bool locale_placed = false;
    // A failed CloseClipboard leaves the clipboard open, whoever called it.
    bool close_may_fail = false;
};

Run g_run;

void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "fuzz_clipboard_change: %s\n", what);
    std::abort();
}

std::vector<Command> ParseScript(const std::string& script) {
    std::vector<Command> commands;
    size_t at = script.rfind('@', 0) == 0 ? 0 : script.find("\n@");
    if (at != 0 && at != std::string::npos) ++at;
    while (at != std::string::npos && at < script.size()) {
        size_t line_end = std::min(script.find('\n', at), script.size());
        size_t next = script.find("\n@", line_end);
        size_t block_end = next == std::string::npos ? script.size() : next;
        std::string line = script.substr(at + 1, line_end - at - 1);
        size_t blank = line.find(' ');
        Command command;
        command.name = line.substr(0, blank);
        command.rest = blank == std::string::npos ? "" : line.substr(blank + 1);
        if (line_end < block_end)
            command.block = script.substr(line_end + 1, block_end - line_end - 1);
        commands.push_back(command);
        at = next == std::string::npos ? next : next + 1;
    }
    return commands;
}

// Whole numbers in a command line; out-of-range ones saturate.
std::vector<long long> Numbers(const std::string& text) {
    std::vector<long long> numbers;
    const char* at = text.c_str();
    for (;;) {
        char* end = nullptr;
        long long value = std::strtoll(at, &end, 10);
        if (end == at) return numbers;
        numbers.push_back(value);
        at = end;
    }
}

long long NumberAt(const std::vector<long long>& numbers, size_t index) {
    return index < numbers.size() ? numbers[index] : 0;
}

UINT FormatNumber(const std::string& text) {
    return static_cast<UINT>(static_cast<unsigned long long>(NumberAt(Numbers(text), 0)));
}

bool IsFormatCommand(const Command& command) {
    const std::string& name = command.name;
    return name == "name" || name == "bitmap" || name == "null" ||
           (!name.empty() && (name[0] == '-' || (name[0] >= '0' && name[0] <= '9')));
}

HGLOBAL NewBlock(const std::string& bytes) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!block || bytes.empty()) return block;
    void* at = GlobalLock(block);
    if (!at) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(at, bytes.data(), bytes.size());
    GlobalUnlock(block);
    return block;
}

void PlaceBitmap(const std::string& rest) {
    std::vector<long long> numbers = Numbers(rest);
    long long width = NumberAt(numbers, 0) % (kLargestBitmapSide + 1);
    long long height = NumberAt(numbers, 1) % (kLargestBitmapSide + 1);
    long long bits = NumberAt(numbers, 2) % (kLargestBitsPerPixel + 1);
    HBITMAP bitmap = CreateBitmap(static_cast<int>(width), static_cast<int>(height), 1,
                                  static_cast<UINT>(bits), nullptr);
    if (bitmap && !SetClipboardData(CF_BITMAP, bitmap)) DeleteObject(bitmap);
}

void PlaceBlock(UINT format, const std::string& bytes) {
    HGLOBAL block = NewBlock(bytes);
    if (block && !SetClipboardData(format, block)) GlobalFree(block);
}

void PlaceFormat(const Command& command) {
    if (command.name == "bitmap") {
        PlaceBitmap(command.rest);
        return;
    }
    UINT format = command.name == "name"   ? RegisterClipboardFormatA(command.rest.c_str())
                  : command.name == "null" ? FormatNumber(command.rest)
                                           : FormatNumber(command.name);
    if (format == CF_LOCALE) g_run.locale_placed = true;
    if (command.name == "null") {
        SetClipboardData(format, nullptr);
    } else if (format) {
        PlaceBlock(format, command.block);
    }
}

void AddFault(const std::string& rest) {
    std::vector<long long> numbers = Numbers(rest);
    long long index = NumberAt(numbers, 0) % kFaultCount;
    auto fault = static_cast<sim::Fault>(index < 0 ? -index : index);
    int times = static_cast<int>(NumberAt(numbers, 1) % kLargestFaultRun);
    int after = static_cast<int>(NumberAt(numbers, 2) % kLargestFaultRun);
    g_run.pending_faults.push_back({fault, times < 0 ? -times : times, after < 0 ? -after : after});
    g_run.plain = false;
    if (fault == sim::Fault::CloseClipboard) g_run.close_may_fail = true;
}

void ArmPendingFaults() {
    for (const PendingFault& pending : g_run.pending_faults) {
        if (pending.times == 0) {
            sim::FailAlways(pending.fault);
        } else {
            sim::FailNext(pending.fault, pending.times, pending.after);
        }
    }
    g_run.pending_faults.clear();
}

// The format commands from `next` on, as one change made by the other program.
void PlaceFormats() {
    bool opened = OpenClipboard(g_run.other);
    if (opened) EmptyClipboard();
    g_run.locale_placed = false;
    while (g_run.next < g_run.commands.size() && IsFormatCommand(g_run.commands[g_run.next])) {
        if (opened) PlaceFormat(g_run.commands[g_run.next]);
        ++g_run.next;
    }
    ArmPendingFaults();
    if (opened) CloseClipboard();
}

HWND Viewer() {
    HWND window = sim::TopLevelWindow("Varnelo");
    if (window) g_run.viewer = window;
    return window;
}

void Repaint(HWND window) {
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
}

void OpenFormatMenu(HWND window) {
    SendMessageA(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(g_viewer.format_menu),
                 kFormatMenuPosition);
}

// Any number, wrapped to a WPARAM as a caller's would be.
void SendCommand(HWND window, long long id) {
    WPARAM wParam = static_cast<WPARAM>(static_cast<unsigned long long>(id));
    // A listed format chosen, even plain text itself, titles the window by its name.
    if (LOWORD(wParam) >= IDM_FORMAT_FIRST) g_run.plain = false;
    SendMessageA(window, WM_COMMAND, wParam, 0);
}

// Commands that act on the viewer's window; without one they do nothing.
void RunWindowCommand(HWND window, const Command& command) {
    std::vector<long long> numbers = Numbers(command.rest);
    if (command.name == "paint") {
        Repaint(window);
    } else if (command.name == "menu") {
        OpenFormatMenu(window);
    } else if (command.name == "choose") {
        SendCommand(window, IDM_DEFAULT + NumberAt(numbers, 0) % IDM_DEFAULT);
    } else if (command.name == "command") {
        SendCommand(window, NumberAt(numbers, 0));
    } else if (command.name == "size") {
        sim::SetClientSize(window, static_cast<int>(NumberAt(numbers, 0)),
                           static_cast<int>(NumberAt(numbers, 1)));
    }
}

void RunCommand(const Command& command) {
    if (command.name == "fail") {
        AddFault(command.rest);
        return;
    }
    ArmPendingFaults();
    if (command.name == "hold") {
        OpenClipboard(g_run.other);
        g_run.plain = false;
    } else if (command.name == "release") {
        if (sim::ClipboardOpenedBy() == g_run.other) CloseClipboard();
    } else if (command.name == "nest") {
        sim::SetNestingLimit(static_cast<int>(NumberAt(Numbers(command.rest), 0)));
        g_run.plain = false;
    } else if (HWND window = Viewer()) {
        RunWindowCommand(window, command);
    }
}

void RunNextCommands() {
    if (IsFormatCommand(g_run.commands[g_run.next])) {
        PlaceFormats();
    } else {
        RunCommand(g_run.commands[g_run.next++]);
    }
}

void Finish() {
    sim::ClearFaults();
    if (sim::ClipboardOpenedBy() == g_run.other) CloseClipboard();
    if (HWND window = Viewer()) {
        Repaint(window);
        OpenFormatMenu(window);
    }
}

size_t TextLength(const std::string& block) {
    return strnlen(block.data(), block.size());
}

bool EndsInLineBreak(const std::string& text) {
    size_t n = TextLength(text);
    return n >= 2 && text[n - 2] == '\r' && text[n - 1] == '\n';
}

// Marks for history or cloud sync that cannot be copied leave the text unfixed.
bool HoldsHistoryMark() {
    for (const char* name : {"CanIncludeInClipboardHistory", "CanUploadToCloudClipboard"}) {
        if (IsClipboardFormatAvailable(RegisterClipboardFormatA(name))) return true;
    }
    return false;
}

// OEM text first on the clipboard keeps no trailing CR LF once the viewer
// has seen it, unless it is at most one byte long, removal is off, or an
// undo put it back. (With -all or -clean a clipboard that cannot be put
// back exactly is left as it is.)
void CheckTrailingLineBreakGone() {
    if (!g_run.plain || !g_viewer.fix_enabled || g_viewer.fix_all_text || g_viewer.clean_hidden ||
        g_viewer.undo.restored || ClipboardIsPrivate() || HoldsHistoryMark()) {
        return;
    }
    std::vector<UINT> formats = sim::ClipboardFormats();
    if (formats.empty() || formats.front() != CF_OEMTEXT) return;
    if (TextLength(sim::ClipboardBlock(CF_TEXT)) <= 1) return;
    Require(!EndsInLineBreak(sim::ClipboardBlock(CF_OEMTEXT)),
            "OEM text first on the clipboard still ends in CR LF");
}

// The text placed first, in UTF-16 as the platform converts it; plain text
// when the enumeration, which ends at a format 0, lists none. The locale is
// the platform's own, since no case that places one is judged.
std::u16string PlacedText() {
    UINT placed = CF_TEXT;
    for (UINT format : sim::ClipboardFormats()) {
        if (format == 0) break;
        if (format != CF_TEXT && format != CF_OEMTEXT && format != CF_UNICODETEXT) continue;
        placed = format;
        break;
    }
    std::string block = sim::ClipboardBlock(placed);
    std::u16string units(block.size(), u'\0');
    if (placed == CF_UNICODETEXT) {
        units.resize(block.size() / sizeof(WCHAR));
        if (!units.empty()) std::memcpy(&units[0], block.data(), units.size() * sizeof(WCHAR));
        return units;
    }
    int count = MultiByteToWideChar(placed == CF_OEMTEXT ? CP_OEMCP : CP_ACP, 0, block.data(),
                                    static_cast<int>(block.size()), &units[0],
                                    static_cast<int>(units.size()));
    units.resize(static_cast<size_t>(count));
    return units;
}

// While plain text is displayed, the title is built from the text placed
// first, however the viewer came to read it.
void CheckTextTitle() {
    if (!g_run.plain || g_run.locale_placed || g_viewer.title_pending) return;
    if (ClipboardIsPrivate()) {
        Require(sim::WindowTitle(g_run.viewer).compare(0, 2, "= ") != 0,
                "private content is titled from its text");
        return;
    }
    if (GetPriorityClipboardFormat(g_viewer.priority_list, kPriorityCount) != CF_TEXT) return;
    std::u16string text = PlacedText();
    if (text.empty()) return;
    WCHAR title[kTitleSize];
    BuildTextTitle(text.data(), std::min(text.size(), text.find(u'\0')), title);
    Require(sim::WindowTitleW(g_run.viewer) == title,
            "the title is not built from the text placed first on the clipboard");
}

void CheckNothingLeftBehind() {
    Require(sim::OutstandingLocks() == 0, "a lock is not matched by an unlock");
    Require(sim::LiveUnownedBlocks() == 0, "a block is neither freed nor given to the clipboard");
    Require(sim::LiveDeviceContexts() == 0, "a device context is left behind");
    Require(
        !sim::ClipboardIsOpen() || sim::ClipboardOpenedBy() == g_run.other || g_run.close_may_fail,
        "the viewer left the clipboard open");
}

void CheckTitles(HWND window) {
    for (const std::string& title : sim::TitleHistory(window)) {
        Require(title.size() < static_cast<size_t>(kTitleSize), "a title overflows its buffer");
    }
}

// Runs between messages, as the other program would act.
bool RunWhileIdle() {
    Viewer();
    CheckNothingLeftBehind();
    CheckTrailingLineBreakGone();
    CheckTextTitle();
    if (g_run.next < g_run.commands.size()) {
        RunNextCommands();
        return true;
    }
    if (g_run.finished) return false;
    Finish();
    g_run.finished = true;
    return true;
}

// Commands before "@create" run before start-up; its rest is the command line.
std::string RunUntilCreate() {
    while (g_run.next < g_run.commands.size()) {
        const Command& command = g_run.commands[g_run.next];
        if (command.name == "create") {
            ++g_run.next;
            return command.rest;
        }
        RunNextCommands();
    }
    return std::string();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    sim::Reset();
    g_viewer = ViewerState();
    g_run = Run();
    g_run.commands = ParseScript(std::string(reinterpret_cast<const char*>(data), size));
    g_run.other = sim::CreateForeignWindow();
    bool creates = false;
    for (const Command& command : g_run.commands) creates = creates || command.name == "create";
    std::string options = creates ? RunUntilCreate() : std::string();

    sim::SetIdleHook(RunWhileIdle);
    ArmPendingFaults();
    std::vector<char> command_line(options.begin(), options.end());
    command_line.push_back('\0');
    WinMain(nullptr, nullptr, command_line.data(), SW_SHOWNORMAL);

    sim::ClearFaults();
    CheckNothingLeftBehind();
    Viewer();
    if (g_run.viewer) CheckTitles(g_run.viewer);
    return 0;
}
