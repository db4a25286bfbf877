// Benchmark of the real Varnelo.exe. For OEM text of several sizes ending in
// CR LF, and Unicode text fixed with -all, alone and beside "HTML Format", it
// times the way from the placing program's CloseClipboard until Varnelo's
// fixed text has been read in full by another process, next to the
// platform's own cost of writing the same data and reading the text back
// there; rounds alternate between the two. The rows of 1 KB and 1 MB also
// time the titled floor, the least program that fixes and titles the text,
// in the same rounds. It also reports Varnelo's peak memory over the size
// of the clipboard's data, and the time of one paint of a large text
// against a small one; then the same with hidden characters shown (-show)
// or removed (-clean). Nothing here asserts on time: it prints what it
// measured.
//
// usage: clip_bench PATH\TO\Varnelo.exe PATH\TO\clip_reader.exe PATH\TO\titled_floor.exe
//                   [ROUNDS [office|hidden|tray|floor|sizes]]
// ("office": the rows of a spreadsheet's cell beside pictures only;
// "hidden": the rows of -show and -clean only; "tray": the row of -tray
// only; "floor": the rows judged against the titled floor only; "sizes":
// the rows of OEM text alone)
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "bench/bench_channel.h"
#include "bench/soak_changes.h"
#include "clip/command_ids.h"
#include "tests/e2e/driver_util.h"

namespace {

const size_t kKilobyte = 1024;
const size_t kMegabyte = 1024 * kKilobyte;

struct TextCase {
    const char* name;
    size_t bytes;              // the whole text with its trailing pairs, NUL not counted
    size_t trailing_pairs;     // CR LF pairs at its end
    LCID locale;               // placed behind the text; 0: none, the platform gives its own
    UINT format = CF_OEMTEXT;  // Unicode text is fixed only with -all
    const char* options = "";  // Varnelo's
    size_t html_bytes = 0;     // "HTML Format" placed behind the text
    bool floored = false;      // the titled floor is timed too
    size_t hidden_every = 0;   // Unicode text: a hidden character every this many units
};

const LCID kNoLocale = 0;
const LCID kRussian = 0x0419;

const TextCase kTextCases[] = {
    {"1 KB", kKilobyte, 1, kNoLocale, CF_OEMTEXT, "", 0, true},
    {"1 MB", kMegabyte, 1, kNoLocale, CF_OEMTEXT, "", 0, true},
    {"16 MB", 16 * kMegabyte, 1, kNoLocale},
    {"64 MB", 64 * kMegabyte, 1, kNoLocale},
    {"256 MB", 256 * kMegabyte, 1, kNoLocale},
    {"1 MB, 100000 CR LF", kMegabyte, 100000, kNoLocale},
    {"64 MB, Russian", 64 * kMegabyte, 1, kRussian},
    {"64 MB, Unicode", 64 * kMegabyte, 1, kNoLocale, CF_UNICODETEXT},
    {"64 MB, Unicode, -all", 64 * kMegabyte, 1, kNoLocale, CF_UNICODETEXT, "-all"},
    {"64 MB + HTML, -all", 64 * kMegabyte, 1, kNoLocale, CF_UNICODETEXT, "-all", kMegabyte},
};
const TextCase kSmallText = {"1 KB", kKilobyte, 1, kNoLocale, CF_OEMTEXT, "", 0, true};
const TextCase kLargePaint = {"64 MB", 64 * kMegabyte, 1, kNoLocale};

const int kDefaultRounds = 5;
// The rows judged against the titled floor take this many times the rounds:
// their fixes take milliseconds, short against the noise of a shared machine.
const int kFlooredRoundsFactor = 6;
const int kPaintsPerRound = 3;

// Only ends a wait that would otherwise hang; the row then reads "failed".
const DWORD kLargeTextTimeoutMs = 300000;

// Lines of the generated text: printable bytes, some of them above 0x7F.
const size_t kLineBytes = 78;
const size_t kLineBreakBytes = 2;
const int kFirstPrintable = 0x21;
const int kPrintableCount = 94;
const size_t kPrintableStride = 7;  // neighbouring bytes differ
const int kFirstHighByte = 0x80;
const int kHighByteCount = 127;
const size_t kHighByteEvery = 8;
const wchar_t kFirstCyrillic = 0x0430;
const size_t kLetters = 26;

// Hidden characters of the kinds the remover takes away, in turn, and a
// no-break space, which it makes a space.
const wchar_t kHiddenCharacters[] = {0x200B, 0x00A0, 0x00AD, 0xFEFF, 0x200E, 0x2060, 0x0007};
const size_t kHiddenCount = sizeof kHiddenCharacters / sizeof kHiddenCharacters[0];
const wchar_t kNoBreakSpace = 0x00A0;

const char kPaintOptions[] = "-normal -viewonly";
const char kShowPaintOptions[] = "-normal -viewonly -show";
const UINT kRedrawFlags = RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW;

// --- Timing ------------------------------------------------------------

LONGLONG Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double Milliseconds(LONGLONG ticks) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Waits for `condition` or `event` while answering messages at once, so that
// a notification or a reply is seen the moment it arrives.
template <typename Condition>
bool PumpUntil(HANDLE event, Condition condition, DWORD timeout) {
    const DWORD start = GetTickCount();
    for (;;) {
        e2e::PumpMessages();
        if (condition()) return true;
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeout) return false;
        MsgWaitForMultipleObjects(event ? 1 : 0, &event, FALSE, timeout - elapsed, QS_ALLINPUT);
    }
}

// --- The bench's own window: clipboard owner and viewer ------------------

// Joined to the viewer chain before Varnelo starts, so that Varnelo passes
// every change on to it; a change made by Varnelo is its rewrite.
struct BenchViewer {
    HWND window = nullptr;
    HWND next_viewer = nullptr;
    HWND awaited_owner = nullptr;
    bool changed_by_awaited_owner = false;
    LONGLONG changed_at = 0;
    int announcements = 0;
};
BenchViewer g_bench;

LRESULT CALLBACK BenchViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DRAWCLIPBOARD:
            ++g_bench.announcements;
            if (g_bench.awaited_owner && !g_bench.changed_by_awaited_owner &&
                GetClipboardOwner() == g_bench.awaited_owner) {
                g_bench.changed_by_awaited_owner = true;
                g_bench.changed_at = Now();
            }
            if (g_bench.next_viewer) SendMessageA(g_bench.next_viewer, message, wParam, lParam);
            return 0;
        case WM_CHANGECBCHAIN:
            if (reinterpret_cast<HWND>(wParam) == g_bench.next_viewer) {
                g_bench.next_viewer = reinterpret_cast<HWND>(lParam);
            } else if (g_bench.next_viewer) {
                SendMessageA(g_bench.next_viewer, message, wParam, lParam);
            }
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

bool JoinViewerChain() {
    g_bench.window = e2e::CreateMessageWindow("VarneloBenchViewer", BenchViewerProc);
    if (!g_bench.window) return false;
    g_bench.next_viewer = SetClipboardViewer(g_bench.window);
    return true;
}

void LeaveViewerChain() {
    ChangeClipboardChain(g_bench.window, g_bench.next_viewer);
    DestroyWindow(g_bench.window);
}

// --- The reader process ----------------------------------------------------

struct Reader {
    HANDLE mapping = nullptr;
    HANDLE read_now = nullptr;
    HANDLE done = nullptr;
    HANDLE quit = nullptr;
    bench::ReadResult* result = nullptr;
    PROCESS_INFORMATION process = {};
};

bool CreateChannel(Reader* reader) {
    reader->mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                         sizeof(bench::ReadResult), bench::kResultMappingName);
    reader->read_now = CreateEventA(nullptr, FALSE, FALSE, bench::kReadEventName);
    reader->done = CreateEventA(nullptr, TRUE, FALSE, bench::kDoneEventName);
    reader->quit = CreateEventA(nullptr, TRUE, FALSE, bench::kQuitEventName);
    if (!reader->mapping || !reader->read_now || !reader->done || !reader->quit) return false;
    reader->result = static_cast<bench::ReadResult*>(
        MapViewOfFile(reader->mapping, FILE_MAP_WRITE, 0, 0, sizeof(bench::ReadResult)));
    return reader->result != nullptr;
}

bool StartReader(const std::string& reader_path, Reader* reader) {
    if (!CreateChannel(reader)) return false;
    std::string command_line = "\"" + reader_path + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    return CreateProcessA(reader_path.c_str(), &command_line[0], nullptr, nullptr, FALSE, 0,
                          nullptr, nullptr, &startup, &reader->process) != FALSE;
}

void StopReader(Reader* reader) {
    if (reader->process.hProcess) {
        SetEvent(reader->quit);
        WaitForSingleObject(reader->process.hProcess, e2e::kExitTimeoutMs);
        CloseHandle(reader->process.hThread);
        CloseHandle(reader->process.hProcess);
    }
    if (reader->result) UnmapViewOfFile(reader->result);
    for (HANDLE handle : {reader->mapping, reader->read_now, reader->done, reader->quit}) {
        if (handle) CloseHandle(handle);
    }
}

// Has the reader read the clipboard's OEM text in full; false on time-out.
bool ReadInReader(const Reader& reader, bench::ReadResult* result, LONGLONG* asked) {
    ResetEvent(reader.done);
    *asked = Now();
    SetEvent(reader.read_now);
    auto done = [&reader] { return WaitForSingleObject(reader.done, 0) == WAIT_OBJECT_0; };
    if (!PumpUntil(reader.done, done, kLargeTextTimeoutMs)) return false;
    *result = *reader.result;
    return result->found != FALSE;
}

// --- Texts and the clipboard -----------------------------------------------

char TextByte(size_t at) {
    if (at % kHighByteEvery == 0) return static_cast<char>(kFirstHighByte + at % kHighByteCount);
    return static_cast<char>(kFirstPrintable + at * kPrintableStride % kPrintableCount);
}

wchar_t UnicodeLetter(size_t at) {
    return static_cast<wchar_t>((at % 2 ? kFirstCyrillic : L'a') + at % kLetters);
}

// A letter, or a hidden character where the case asks for one.
wchar_t UnicodeCharacter(const TextCase& text_case, size_t at) {
    const size_t every = text_case.hidden_every;
    if (every == 0 || at % every != every - 1) return UnicodeLetter(at);
    return kHiddenCharacters[at / every % kHiddenCount];
}

// Unicode text: UTF-16 lines of Latin and Cyrillic letters, hidden
// characters among them if asked, with CR LF breaks, and the trailing pairs.
std::string MakeUnicodeText(const TextCase& text_case) {
    const size_t units = text_case.bytes / sizeof(wchar_t);
    const size_t body = units - kLineBreakBytes * text_case.trailing_pairs;
    std::wstring text(units, L'\n');
    const size_t line_period = kLineBytes + kLineBreakBytes;
    for (size_t at = 0; at < body; ++at) {
        const size_t column = at % line_period;
        text[at] = column < kLineBytes    ? UnicodeCharacter(text_case, at)
                   : column == kLineBytes ? L'\r'
                                          : L'\n';
    }
    if (body > 0) text[body - 1] = UnicodeLetter(0);
    for (size_t at = body; at < units; at += kLineBreakBytes) text[at] = L'\r';
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

// Lines of printable bytes with CR LF breaks, then the trailing pairs; the
// byte before them is printable, so exactly those pairs are removed.
std::string MakeText(const TextCase& text_case) {
    if (text_case.format == CF_UNICODETEXT) return MakeUnicodeText(text_case);
    const size_t body = text_case.bytes - kLineBreakBytes * text_case.trailing_pairs;
    std::string text(text_case.bytes, '\n');
    const size_t line_period = kLineBytes + kLineBreakBytes;
    for (size_t at = 0; at < body; ++at) {
        const size_t column = at % line_period;
        text[at] = column < kLineBytes ? TextByte(at) : column == kLineBytes ? '\r' : '\n';
    }
    if (body > 0) text[body - 1] = TextByte(0);
    for (size_t at = body; at < text.size(); at += kLineBreakBytes) text[at] = '\r';
    return text;
}

bool IsCleaned(const TextCase& text_case) {
    return std::strstr(text_case.options, "-clean") != nullptr;
}

// Unicode text is fixed only with -all or -clean.
bool IsFixed(const TextCase& text_case) {
    return text_case.format != CF_UNICODETEXT || IsCleaned(text_case) ||
           std::strstr(text_case.options, "-all") != nullptr;
}

// The units of hidden characters that cleaning takes away.
size_t RemovedUnits(const TextCase& text_case, const std::string& text) {
    if (!IsCleaned(text_case) || text_case.hidden_every == 0) return 0;
    const wchar_t* units = reinterpret_cast<const wchar_t*>(text.data());
    const wchar_t* const end = units + text.size() / sizeof(wchar_t);
    const wchar_t* const first_hidden = kHiddenCharacters;
    const wchar_t* const last_hidden = kHiddenCharacters + kHiddenCount;
    return std::count_if(units, end, [&](wchar_t unit) {
        return unit != kNoBreakSpace && std::find(first_hidden, last_hidden, unit) != last_hidden;
    });
}

// The length read back, in units: the text fixed, or Unicode text whole.
size_t FixedLength(const TextCase& text_case, const std::string& text) {
    const size_t unit = text_case.format == CF_UNICODETEXT ? sizeof(wchar_t) : 1;
    const size_t pairs = IsFixed(text_case) ? text_case.trailing_pairs : 0;
    return (text_case.bytes - kLineBreakBytes * unit * pairs) / unit -
           RemovedUnits(text_case, text);
}

// All the clipboard's data: the text, and "HTML Format" if any.
size_t DataBytes(const TextCase& text_case) {
    return text_case.bytes + text_case.html_bytes;
}

// A fragment of HTML of the size asked, ending in its NUL.
std::string MakeHtml(size_t bytes) {
    const std::string head = "Version:0.9\r\nStartHTML:0\r\n<html><body>";
    std::string html = head;
    html.resize(bytes, 'x');
    if (bytes) html[bytes - 1] = '\0';
    return bytes ? html : std::string();
}

size_t PlacedLength(const TextCase& text_case, const std::string& text) {
    return text_case.format == CF_UNICODETEXT ? text.size() / sizeof(wchar_t) : text.size();
}

// The text and its terminator in a movable block, without another copy of the text.
HGLOBAL CopyToBlock(const std::string& text, UINT format) {
    const size_t terminator = format == CF_UNICODETEXT ? sizeof(wchar_t) : 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + terminator);
    char* bytes = block ? static_cast<char*>(GlobalLock(block)) : nullptr;
    if (!bytes) {
        if (block) GlobalFree(block);
        return nullptr;
    }
    std::memcpy(bytes, text.data(), text.size());
    std::memset(bytes + text.size(), 0, terminator);
    GlobalUnlock(block);
    return block;
}

// Times of one placing of the text as CF_OEMTEXT, with its locale if any.
struct Placing {
    LONGLONG before_write;
    LONGLONG before_close;
    LONGLONG after_close;
};

bool PlaceLocale(LCID locale) {
    HGLOBAL block =
        locale ? e2e::NewBlock(std::string(reinterpret_cast<const char*>(&locale), sizeof locale))
               : nullptr;
    if (block && !SetClipboardData(CF_LOCALE, block)) GlobalFree(block);
    return !locale || block;
}

bool PlaceHtml(size_t bytes) {
    static const UINT format = RegisterClipboardFormatA("HTML Format");
    HGLOBAL block = bytes ? e2e::NewBlock(MakeHtml(bytes)) : nullptr;
    if (block && !SetClipboardData(format, block)) GlobalFree(block);
    return !bytes || block;
}

bool PlaceText(const std::string& text, const TextCase& text_case, Placing* placing) {
    HGLOBAL block = CopyToBlock(text, text_case.format);
    if (!block) return false;
    if (!e2e::OpenClipboardPatiently(g_bench.window)) {
        GlobalFree(block);
        return false;
    }
    EmptyClipboard();
    placing->before_write = Now();
    bool placed = SetClipboardData(text_case.format, block) != nullptr;
    if (!placed) GlobalFree(block);
    placed = placed && PlaceLocale(text_case.locale) && PlaceHtml(text_case.html_bytes);
    placing->before_close = Now();
    CloseClipboard();
    placing->after_close = Now();
    return placed;
}

// When the reader was asked to read, and when it had read the text in full.
struct Reading {
    LONGLONG asked;
    LONGLONG finished;
};

bool ReadBackMatches(const Reader& reader, UINT format, size_t expected_length, Reading* reading) {
    bench::ReadResult result;
    reader.result->format = format;
    if (!ReadInReader(reader, &result, &reading->asked)) return false;
    reading->finished = result.finished;
    return result.length == expected_length;
}

// --- Varnelo -----------------------------------------------------------

// Answers once Varnelo has handled everything sent to it before.
bool WaitUntilIdle(const e2e::Varnelo& varnelo) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(varnelo.window, WM_NULL, 0, 0, SMTO_NORMAL, kLargeTextTimeoutMs,
                               &result) != 0;
}

bool StartVarneloOn(const std::string& exe_path, const char* options, e2e::Varnelo* varnelo) {
    if (!e2e::StartVarnelo(exe_path, options, varnelo) || !e2e::WaitForVarneloWindow(varnelo)) {
        return false;
    }
    return WaitUntilIdle(*varnelo);
}

void ExitVarnelo(e2e::Varnelo* varnelo) {
    DWORD exit_code = 0;
    if (e2e::SendCommand(*varnelo, IDM_EXIT)) e2e::WaitForExit(*varnelo, &exit_code);
    e2e::StopVarnelo(varnelo);
}

// Like e2e::WaitForTitle, without a line in the table for every round.
bool WaitForTitle(const e2e::Varnelo& varnelo, const std::string& title) {
    return e2e::WaitUntil([&] { return e2e::WindowTitle(varnelo.window) == title; },
                          kLargeTextTimeoutMs);
}

// Working set of the process now, or its peak so far.
SIZE_T WorkingSet(DWORD process_id, bool peak) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, process_id);
    if (!process) return 0;
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    const BOOL got = GetProcessMemoryInfo(process, &counters, sizeof counters);
    CloseHandle(process);
    if (!got) return 0;
    return peak ? counters.PeakWorkingSetSize : counters.WorkingSetSize;
}

// --- Rounds ------------------------------------------------------------

// One program's fix of a text: Varnelo's or the titled floor's.
struct Fix {
    double ms = 0;       // from CloseClipboard until the reader has read the fixed text
    double fix_ms = 0;   // from CloseClipboard until the rewrite is announced
    double read_ms = 0;  // from asking the reader until it has read all
    double memory_over_text = 0;
};

// One baseline, one titled floor (on its rows) and one Varnelo run of a
// text, and their parts.
struct Round {
    double baseline_ms = 0;
    double baseline_write_ms = 0;  // SetClipboardData and CloseClipboard here
    double baseline_read_ms = 0;   // from asking the reader until it has read all
    double floor_ms = 0;
    double floor_fix_ms = 0;
    double varnelo_ms = 0;
    double fix_ms = 0;
    double varnelo_read_ms = 0;
    double memory_over_text = 0;
};

// The platform's own cost: the text written here and read in full by the
// reader, with no Varnelo in the chain.
bool TimeBaseline(const Reader& reader, const TextCase& text_case, const std::string& text,
                  Round* round) {
    if (!e2e::EmptyTheClipboard(g_bench.window)) return false;
    Placing placing;
    Reading reading;
    if (!PlaceText(text, text_case, &placing) ||
        !ReadBackMatches(reader, text_case.format, PlacedLength(text_case, text), &reading)) {
        return false;
    }
    round->baseline_ms = Milliseconds(reading.finished - placing.before_write);
    round->baseline_write_ms = Milliseconds(placing.after_close - placing.before_write);
    round->baseline_read_ms = Milliseconds(reading.finished - reading.asked);
    return true;
}

// From the CloseClipboard that announces the text until the reader has read
// the program's fixed text in full; and its peak memory beyond its idle
// working set, over the size of the clipboard's data.
bool TimeFix(const std::string& exe_path, const Reader& reader, const TextCase& text_case,
             const std::string& text, Fix* fix) {
    const size_t fixed_length = FixedLength(text_case, text);
    e2e::Varnelo varnelo;
    bool timed = e2e::EmptyTheClipboard(g_bench.window) &&
                 StartVarneloOn(exe_path, text_case.options, &varnelo) &&
                 WaitForTitle(varnelo, e2e::kEmptyTitle) && WaitUntilIdle(varnelo);
    const SIZE_T idle = timed ? WorkingSet(varnelo.process.dwProcessId, false) : 0;
    // Text not fixed stays this window's: Varnelo passes it on once titled.
    g_bench.awaited_owner = IsFixed(text_case) ? varnelo.window : g_bench.window;
    g_bench.changed_by_awaited_owner = false;
    Placing placing;
    Reading reading;
    timed = timed && PlaceText(text, text_case, &placing) &&
            PumpUntil(
                nullptr, [] { return g_bench.changed_by_awaited_owner; }, kLargeTextTimeoutMs) &&
            ReadBackMatches(reader, text_case.format, fixed_length, &reading) &&
            WaitUntilIdle(varnelo);
    if (timed) {
        const SIZE_T peak = WorkingSet(varnelo.process.dwProcessId, true);
        fix->ms = Milliseconds(reading.finished - placing.before_close);
        fix->fix_ms = Milliseconds(g_bench.changed_at - placing.before_close);
        fix->read_ms = Milliseconds(reading.finished - reading.asked);
        fix->memory_over_text = (static_cast<double>(peak) - static_cast<double>(idle)) /
                                static_cast<double>(DataBytes(text_case));
    }
    g_bench.awaited_owner = nullptr;
    ExitVarnelo(&varnelo);
    return timed;
}

struct Row {
    std::vector<Round> rounds;
    int failed = 0;
};

// The paths of the programs measured.
struct Programs {
    std::string varnelo;
    std::string floor;
};

// The floor's round first, so that each program follows the other in turn.
bool TimeFixes(const Programs& programs, const Reader& reader, const TextCase& text_case,
               const std::string& text, Round* round) {
    Fix floor, varnelo;
    if (text_case.floored && !TimeFix(programs.floor, reader, text_case, text, &floor)) {
        return false;
    }
    if (!TimeFix(programs.varnelo, reader, text_case, text, &varnelo)) return false;
    round->floor_ms = floor.ms;
    round->floor_fix_ms = floor.fix_ms;
    round->varnelo_ms = varnelo.ms;
    round->fix_ms = varnelo.fix_ms;
    round->varnelo_read_ms = varnelo.read_ms;
    round->memory_over_text = varnelo.memory_over_text;
    return true;
}

Row MeasureCase(const Programs& programs, const Reader& reader, const TextCase& text_case,
                int rounds) {
    const std::string text = MakeText(text_case);
    Row row;
    const int row_rounds = text_case.floored ? rounds * kFlooredRoundsFactor : rounds;
    for (int at = 0; at < row_rounds; ++at) {
        Round round;
        if (TimeBaseline(reader, text_case, text, &round) &&
            TimeFixes(programs, reader, text_case, text, &round)) {
            row.rounds.push_back(round);
        } else {
            ++row.failed;
        }
    }
    e2e::EmptyTheClipboard(g_bench.window);
    return row;
}

// The median over a row's rounds of one of their figures.
double MedianOf(const Row& row, double Round::*figure) {
    std::vector<double> values;
    for (const Round& round : row.rounds) values.push_back(round.*figure);
    return Median(values);
}

// Varnelo's time over another of the round's, round by round.
std::vector<double> Ratios(const Row& row, double Round::*other) {
    std::vector<double> ratios;
    for (const Round& round : row.rounds) ratios.push_back(round.varnelo_ms / (round.*other));
    return ratios;
}

// "median [lowest - highest]" of the ratios.
std::string RatioText(const std::vector<double>& ratios) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f [%.2f - %.2f]", Median(ratios),
                  *std::min_element(ratios.begin(), ratios.end()),
                  *std::max_element(ratios.begin(), ratios.end()));
    return text;
}

void PrintTableHead(int rounds) {
    std::printf(
        "Median of %d alternating rounds (baseline, titled floor on its rows,\n"
        "Varnelo, ...), %d on the titled floor's rows. Each ratio is Varnelo's\n"
        "over the platform's baseline or over the titled floor: the median of the\n"
        "per-round ratios, the lowest and highest in brackets. Peak is Varnelo's\n"
        "peak working set less its idle one, over the clipboard's data.\n\n",
        rounds, rounds * kFlooredRoundsFactor);
    std::printf("%-20s %12s %10s %12s %22s %22s %10s %10s %12s\n", "text", "baseline ms",
                "floor ms", "Varnelo ms", "/ baseline [min - max]", "/ floor [min - max]",
                "ms per MB", "peak MB", "peak / data");
}

void PrintRow(const TextCase& text_case, const Row& row) {
    if (row.rounds.empty()) {
        std::printf("%-20s failed in all %d rounds\n", text_case.name, row.failed);
        return;
    }
    const double megabytes = static_cast<double>(DataBytes(text_case)) / kMegabyte;
    const double memory = MedianOf(row, &Round::memory_over_text);
    char floor_ms[16] = "-";
    std::string floor_ratio = "-";
    if (text_case.floored) {
        std::snprintf(floor_ms, sizeof floor_ms, "%.2f", MedianOf(row, &Round::floor_ms));
        floor_ratio = RatioText(Ratios(row, &Round::floor_ms));
    }
    std::printf("%-20s %12.2f %10s %12.2f %22s %22s %10.2f %10.2f %12.2f", text_case.name,
                MedianOf(row, &Round::baseline_ms), floor_ms, MedianOf(row, &Round::varnelo_ms),
                RatioText(Ratios(row, &Round::baseline_ms)).c_str(), floor_ratio.c_str(),
                MedianOf(row, &Round::varnelo_ms) / megabytes, memory * megabytes, memory);
    if (row.failed) std::printf("  (%d rounds failed)", row.failed);
    std::printf("\n");
    std::fflush(stdout);
}

// Where the time goes: the parts of each side, medians in milliseconds.
void PrintParts(const std::vector<Row>& rows) {
    std::printf(
        "\nParts, median ms: the baseline's write (SetClipboardData, CloseClipboard) and\n"
        "read; the titled floor's fix and Varnelo's (CloseClipboard until the rewrite\n"
        "is announced), and Varnelo's fixed text read.\n");
    std::printf("%-20s %12s %12s %12s %12s %12s\n", "text", "base write", "base read", "floor fix",
                "fix", "fixed read");
    for (size_t at = 0; at < rows.size(); ++at) {
        if (rows[at].rounds.empty()) continue;
        char floor_fix[16] = "-";
        if (kTextCases[at].floored) {
            std::snprintf(floor_fix, sizeof floor_fix, "%.2f",
                          MedianOf(rows[at], &Round::floor_fix_ms));
        }
        std::printf("%-20s %12.2f %12.2f %12s %12.2f %12.2f\n", kTextCases[at].name,
                    MedianOf(rows[at], &Round::baseline_write_ms),
                    MedianOf(rows[at], &Round::baseline_read_ms), floor_fix,
                    MedianOf(rows[at], &Round::fix_ms),
                    MedianOf(rows[at], &Round::varnelo_read_ms));
    }
}

// --- Painting ----------------------------------------------------------

// One repaint of the whole client area, from the invalidation until Varnelo
// has answered the next message after it.
bool TimePaint(const e2e::Varnelo& varnelo, double* ms) {
    const LONGLONG start = Now();
    RedrawWindow(varnelo.window, nullptr, nullptr, kRedrawFlags);
    if (!WaitUntilIdle(varnelo)) return false;
    *ms = Milliseconds(Now() - start);
    return true;
}

// Puts the text on the clipboard, waits until Varnelo has handled the
// change and passed it on, and times a few paints of it unchanged.
bool TimePaintsOf(const e2e::Varnelo& varnelo, const TextCase& text_case,
                  std::vector<double>* paints) {
    const std::string text = MakeText(text_case);
    const int announced = g_bench.announcements;
    Placing placing;
    if (!PlaceText(text, text_case, &placing) ||
        !PumpUntil(
            nullptr, [announced] { return g_bench.announcements > announced; },
            kLargeTextTimeoutMs) ||
        !WaitUntilIdle(varnelo)) {
        return false;
    }
    for (int at = 0; at < kPaintsPerRound; ++at) {
        double ms = 0;
        if (!TimePaint(varnelo, &ms)) return false;
        paints->push_back(ms);
    }
    return true;
}

// The two texts side by side: a repaint of unchanged text reads nothing,
// so its cost does not grow with the text.
void PrintPaints(const std::vector<double>& small, const std::vector<double>& large) {
    std::printf("%-20s %12s %12s %12s %12s\n", "repaint", "1 KB ms", "64 MB ms", "64 MB / 1 KB",
                "paints");
    const double ratio = Median(small) > 0 ? Median(large) / Median(small) : 0;
    std::printf("%-20s %12.2f %12.2f %12.2f %12zu\n", "unchanged text", Median(small),
                Median(large), ratio, small.size() + large.size());
}

void MeasurePaints(const std::string& exe_path, int rounds, const char* options) {
    e2e::Varnelo varnelo;
    std::vector<double> small, large;
    bool measured =
        e2e::EmptyTheClipboard(g_bench.window) && StartVarneloOn(exe_path, options, &varnelo);
    for (int at = 0; measured && at < rounds; ++at) {
        measured =
            TimePaintsOf(varnelo, kSmallText, &small) && TimePaintsOf(varnelo, kLargePaint, &large);
    }
    ExitVarnelo(&varnelo);
    e2e::EmptyTheClipboard(g_bench.window);
    std::printf("\nOne paint of the unchanged text (Varnelo %s), median:\n", options);
    if (!measured) std::printf("paint measurement failed\n");
    PrintPaints(small, large);
}

// --- One cell copied from a spreadsheet --------------------------------------
// Pictures (an enhanced metafile, a METAFILEPICT and a bitmap of the size
// asked), the spreadsheet's own blocks and one line of Unicode text, fixed
// with -all. The pictures are rendered before the clock starts.

struct OfficeCase {
    const char* name;
    int bitmap_side;  // pixels of a square 32-bit bitmap
};
const OfficeCase kOfficeCases[] = {{"1 cell, 32 px", 32}, {"1 cell, 4 MB bitmap", 1024}};
const wchar_t kCell[] = L"cell 1\r\n";
const size_t kCellFixedLength = 6;
const int kOfficeBitsPerPixel = 32;
const LONG kOfficeExtent = 2540;
const int kMemoryWarmUpFixes = 50;
const int kMemoryFixes = 200;

bool SetBlock(UINT format, const std::string& bytes) {
    HGLOBAL block = e2e::NewBlock(bytes);
    if (block && SetClipboardData(format, block)) return true;
    if (block) GlobalFree(block);
    return false;
}

bool PlaceOfficePictures(int bitmap_side) {
    HDC dc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    Rectangle(dc, 0, 0, bitmap_side, bitmap_side);
    HENHMETAFILE enhanced = CloseEnhMetaFile(dc);
    dc = CreateMetaFileA(nullptr);
    Ellipse(dc, 0, 0, bitmap_side, bitmap_side);
    METAFILEPICT picture = {MM_ANISOTROPIC, kOfficeExtent, kOfficeExtent, CloseMetaFile(dc)};
    HBITMAP bitmap = CreateBitmap(bitmap_side, bitmap_side, 1, kOfficeBitsPerPixel, nullptr);
    bool placed = SetClipboardData(CF_ENHMETAFILE, enhanced) &&
                  SetBlock(CF_METAFILEPICT,
                           std::string(reinterpret_cast<const char*>(&picture), sizeof picture)) &&
                  SetClipboardData(CF_BITMAP, bitmap);
    return placed;
}

bool PlaceOffice(const OfficeCase& office, Placing* placing) {
    static const UINT html = RegisterClipboardFormatA("HTML Format");
    static const UINT rtf = RegisterClipboardFormatA("Rich Text Format");
    static const UINT csv = RegisterClipboardFormatA("Csv");
    if (!e2e::OpenClipboardPatiently(g_bench.window)) return false;
    EmptyClipboard();
    placing->before_write = Now();
    bool placed = PlaceOfficePictures(office.bitmap_side) &&
                  SetBlock(html, "Version:0.9\r\n<td>cell 1</td>\r\n") &&
                  SetBlock(CF_UNICODETEXT, e2e::Utf16(kCell)) &&
                  SetBlock(CF_TEXT, e2e::WithNul("cell 1\r\n")) &&
                  SetBlock(csv, e2e::WithNul("cell 1\r\n")) &&
                  SetBlock(rtf, e2e::WithNul("{\\rtf1 cell 1\\par}"));
    placing->before_close = Now();
    CloseClipboard();
    placing->after_close = Now();
    return placed;
}

// The platform's own cost: the formats written here and the text read by
// the reader, with no Varnelo in the chain.
bool TimeOfficeBaseline(const Reader& reader, const OfficeCase& office, Round* round) {
    Placing placing;
    Reading reading;
    if (!e2e::EmptyTheClipboard(g_bench.window) || !PlaceOffice(office, &placing) ||
        !ReadBackMatches(reader, CF_UNICODETEXT, std::wcslen(kCell), &reading)) {
        return false;
    }
    round->baseline_ms = Milliseconds(reading.finished - placing.before_write);
    return true;
}

// Places the cell and waits until Varnelo has put it back fixed.
bool PlaceAndAwaitFix(const e2e::Varnelo& varnelo, const OfficeCase& office, Placing* placing) {
    g_bench.awaited_owner = varnelo.window;
    g_bench.changed_by_awaited_owner = false;
    bool fixed =
        PlaceOffice(office, placing) &&
        PumpUntil(
            nullptr, [] { return g_bench.changed_by_awaited_owner; }, kLargeTextTimeoutMs) &&
        WaitUntilIdle(varnelo);
    g_bench.awaited_owner = nullptr;
    return fixed;
}

// From the owner's CloseClipboard until the reader has read the fixed text.
bool TimeOfficeFix(const std::string& exe_path, const Reader& reader, const OfficeCase& office,
                   Round* round) {
    e2e::Varnelo varnelo;
    Placing placing;
    Reading reading;
    bool timed = e2e::EmptyTheClipboard(g_bench.window) &&
                 StartVarneloOn(exe_path, "-all", &varnelo) &&
                 WaitForTitle(varnelo, e2e::kEmptyTitle) && WaitUntilIdle(varnelo) &&
                 PlaceAndAwaitFix(varnelo, office, &placing) &&
                 ReadBackMatches(reader, CF_UNICODETEXT, kCellFixedLength, &reading);
    if (timed) {
        round->varnelo_ms = Milliseconds(reading.finished - placing.before_close);
        round->fix_ms = Milliseconds(g_bench.changed_at - placing.before_close);
    }
    ExitVarnelo(&varnelo);
    return timed;
}

// Fixes of the one-cell clipboard in a minimised Varnelo: the growth of its
// private memory over all of them, and over the last ones after a warm-up.
void MeasureOfficeMemory(const std::string& exe_path) {
    e2e::Varnelo varnelo;
    Placing placing;
    bool measured =
        e2e::EmptyTheClipboard(g_bench.window) && StartVarneloOn(exe_path, "-all -min", &varnelo);
    const SIZE_T started = measured ? soak::PrivateBytes(varnelo.process.hProcess) : 0;
    SIZE_T warm = 0;
    for (int fix = 0; measured && fix < kMemoryFixes; ++fix) {
        if (fix == kMemoryWarmUpFixes) warm = soak::PrivateBytes(varnelo.process.hProcess);
        measured = PlaceAndAwaitFix(varnelo, kOfficeCases[0], &placing);
    }
    const SIZE_T after = measured ? soak::PrivateBytes(varnelo.process.hProcess) : 0;
    ExitVarnelo(&varnelo);
    if (!measured) {
        std::printf("office memory measurement failed\n");
        return;
    }
    const int counted = kMemoryFixes - kMemoryWarmUpFixes;
    const double growth = static_cast<double>(after) - static_cast<double>(warm);
    std::printf(
        "%d fixes of one cell (-all -min): private memory grew %.0f KB in all, %.2f KB per"
        " fix over the last %d\n",
        kMemoryFixes, (static_cast<double>(after) - static_cast<double>(started)) / kKilobyte,
        growth / kKilobyte / counted, counted);
}

void MeasureOffice(const std::string& exe_path, const Reader& reader, int rounds) {
    std::printf(
        "\nOne cell of a spreadsheet beside pictures, fixed with -all; median of %d"
        " alternating rounds:\n%-22s %12s %12s %12s\n",
        rounds, "clipboard", "baseline ms", "Varnelo ms", "fix ms");
    for (const OfficeCase& office : kOfficeCases) {
        Row row;
        for (int at = 0; at < rounds; ++at) {
            Round round;
            if (TimeOfficeBaseline(reader, office, &round) &&
                TimeOfficeFix(exe_path, reader, office, &round)) {
                row.rounds.push_back(round);
            } else {
                ++row.failed;
            }
        }
        std::printf("%-22s %12.2f %12.2f %12.2f  (%d rounds failed)\n", office.name,
                    MedianOf(row, &Round::baseline_ms), MedianOf(row, &Round::varnelo_ms),
                    MedianOf(row, &Round::fix_ms), row.failed);
    }
    MeasureOfficeMemory(exe_path);
    std::fflush(stdout);
}

// --- Hidden characters ------------------------------------------------------
// Varnelo with the view of hidden characters or their removal, against the
// same Varnelo without it or against the platform's own write and read of
// the same text, timed alternately in the same rounds.

struct HiddenCase {
    const char* name;
    TextCase text;
    const TextCase* reference;  // Varnelo's run compared with; null: the platform's
    int rounds_factor;
    double time_limit;    // the ratio asked for
    double memory_limit;  // the peak over the data asked for; 0: none asked
};

const TextCase kUnicodeText = {"64 MB, Unicode", 64 * kMegabyte, 1, kNoLocale, CF_UNICODETEXT};
const size_t kHiddenEvery = 64;
const HiddenCase kHiddenCases[] = {
    {"64 MB, Unicode, -show / without",
     {"64 MB, Unicode, -show", 64 * kMegabyte, 1, kNoLocale, CF_UNICODETEXT, "-show"},
     &kUnicodeText,
     1,
     1.2,
     0},
    {"64 MB, Unicode, a hidden character every 64, -clean / baseline",
     {"64 MB, hidden, -clean", 64 * kMegabyte, 0, kNoLocale, CF_UNICODETEXT, "-clean", 0, false,
      kHiddenEvery},
     nullptr,
     1,
     1.6,
     2.2},
    {"1 KB, -clean / 1 KB trailing-break fix",
     {"1 KB, -clean", kKilobyte, 0, kNoLocale, CF_UNICODETEXT, "-clean", 0, false, kHiddenEvery},
     &kSmallText,
     kFlooredRoundsFactor,
     1.15,
     0},
};

// The icon in the notification area: its tooltip follows the title at
// every change.
const HiddenCase kTrayCase = {
    "1 KB, -tray / without",
    {"1 KB, -tray", kKilobyte, 1, kNoLocale, CF_OEMTEXT, "-tray", 0, true},
    &kSmallText,
    kFlooredRoundsFactor,
    1.05,
    0};

// The reference first: the platform's write and read, or Varnelo's run of
// the reference text; its time stands as the round's baseline.
bool TimeHiddenRound(const Programs& programs, const Reader& reader, const HiddenCase& hidden,
                     const std::string& text, const std::string& reference_text, Round* round) {
    Fix reference, varnelo;
    if (hidden.reference) {
        if (!TimeFix(programs.varnelo, reader, *hidden.reference, reference_text, &reference)) {
            return false;
        }
        round->baseline_ms = reference.ms;
    } else if (!TimeBaseline(reader, hidden.text, text, round)) {
        return false;
    }
    if (!TimeFix(programs.varnelo, reader, hidden.text, text, &varnelo)) return false;
    round->varnelo_ms = varnelo.ms;
    round->memory_over_text = varnelo.memory_over_text;
    return true;
}

void PrintHiddenRow(const HiddenCase& hidden, const Row& row) {
    if (row.rounds.empty()) {
        std::printf("%-64s failed in all %d rounds\n", hidden.name, row.failed);
        return;
    }
    char memory_limit[16] = "-";
    if (hidden.memory_limit > 0) {
        std::snprintf(memory_limit, sizeof memory_limit, "%.2f", hidden.memory_limit);
    }
    std::printf("%-64s %12.2f %12.2f %22s %8.2f %12.2f %8s", hidden.name,
                MedianOf(row, &Round::baseline_ms), MedianOf(row, &Round::varnelo_ms),
                RatioText(Ratios(row, &Round::baseline_ms)).c_str(), hidden.time_limit,
                MedianOf(row, &Round::memory_over_text), memory_limit);
    if (row.failed) std::printf("  (%d rounds failed)", row.failed);
    std::printf("\n");
    std::fflush(stdout);
}

void MeasureOptionRow(const Programs& programs, const Reader& reader, int rounds,
                      const HiddenCase& hidden) {
    const std::string text = MakeText(hidden.text);
    const std::string reference_text = hidden.reference ? MakeText(*hidden.reference) : "";
    Row row;
    for (int at = 0; at < rounds * hidden.rounds_factor; ++at) {
        Round round;
        if (TimeHiddenRound(programs, reader, hidden, text, reference_text, &round)) {
            row.rounds.push_back(round);
        } else {
            ++row.failed;
        }
    }
    e2e::EmptyTheClipboard(g_bench.window);
    PrintHiddenRow(hidden, row);
}

void PrintOptionHead() {
    std::printf("%-64s %12s %12s %22s %8s %12s %8s\n", "text", "reference ms", "Varnelo ms",
                "/ reference [min - max]", "asked", "peak / data", "asked");
}

void MeasureTray(const Programs& programs, const Reader& reader, int rounds) {
    std::printf(
        "\nThe icon in the notification area: median of %d alternating rounds, from\n"
        "CloseClipboard until the fixed text has been read; the reference is Varnelo\n"
        "without -tray.\n\n",
        rounds * kFlooredRoundsFactor);
    PrintOptionHead();
    MeasureOptionRow(programs, reader, rounds, kTrayCase);
}

void MeasureHidden(const Programs& programs, const Reader& reader, int rounds) {
    std::printf(
        "\nHidden characters: median of %d alternating rounds (%d on the 1 KB row); each\n"
        "time runs from CloseClipboard until the text, titled or fixed, has been read.\n"
        "The reference is Varnelo without the option (on the 1 KB row: its fix of 1 KB\n"
        "of OEM text ending in CR LF), or the platform's write and read of the text.\n"
        "Peak is Varnelo's peak working set less its idle one, over the text's size.\n\n",
        rounds, rounds * kFlooredRoundsFactor);
    PrintOptionHead();
    for (const HiddenCase& hidden : kHiddenCases)
        MeasureOptionRow(programs, reader, rounds, hidden);
    MeasurePaints(programs.varnelo, rounds, kShowPaintOptions);
}

int ParseRounds(int argc, char** argv) {
    const int rounds = argc > 4 ? std::atoi(argv[4]) : kDefaultRounds;
    return rounds > 0 ? rounds : kDefaultRounds;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        e2e::Log(
            "usage: clip_bench PATH\\TO\\Varnelo.exe PATH\\TO\\clip_reader.exe "
            "PATH\\TO\\titled_floor.exe [ROUNDS [office|hidden|tray|floor|sizes]]");
        return e2e::kUsageError;
    }
    const std::string exe_path = argv[1];
    const Programs programs = {exe_path, argv[3]};
    const int rounds = ParseRounds(argc, argv);
    if (FindWindowA(e2e::kVarneloClass, nullptr)) {
        e2e::Log("a Varnelo window exists already; the benchmark needs the clipboard to itself");
        return e2e::kFailed;
    }
    Reader reader;
    if (!JoinViewerChain() || !StartReader(argv[2], &reader)) {
        e2e::Log("cannot set up the viewer window or the reader (error %lu)", GetLastError());
        StopReader(&reader);
        return e2e::kFailed;
    }
    // The first use of the clipboard and of a new process is slow; not counted.
    MeasureCase(programs, reader, kSmallText, 1);
    const char* only = argc > 5 ? argv[5] : "";
    const bool office_only = std::strcmp(only, "office") == 0;
    const bool hidden_only = std::strcmp(only, "hidden") == 0;
    const bool tray_only = std::strcmp(only, "tray") == 0;
    if (office_only) MeasureOffice(exe_path, reader, rounds);
    if (hidden_only) MeasureHidden(programs, reader, rounds);
    if (tray_only) MeasureTray(programs, reader, rounds);
    if (office_only || hidden_only || tray_only) {
        StopReader(&reader);
        LeaveViewerChain();
        return e2e::kPassed;
    }
    // The rows of one kind alone, to measure them often.
    const bool floor_only = std::strcmp(only, "floor") == 0;
    const bool sizes_only = std::strcmp(only, "sizes") == 0;
    PrintTableHead(rounds);
    std::vector<Row> rows;
    for (const TextCase& text_case : kTextCases) {
        const bool skipped = (floor_only && !text_case.floored) ||
                             (sizes_only && text_case.format == CF_UNICODETEXT);
        rows.push_back(skipped ? Row() : MeasureCase(programs, reader, text_case, rounds));
        if (!skipped) PrintRow(text_case, rows.back());
    }
    PrintParts(rows);
    if (floor_only || sizes_only) {
        StopReader(&reader);
        LeaveViewerChain();
        return e2e::kPassed;
    }
    MeasurePaints(exe_path, rounds, kPaintOptions);
    MeasureOffice(exe_path, reader, rounds);
    MeasureHidden(programs, reader, rounds);
    MeasureTray(programs, reader, rounds);
    StopReader(&reader);
    LeaveViewerChain();
    return e2e::kPassed;
}
