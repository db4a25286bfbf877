// What the real Varnelo.exe shows in its window, read from the screen: one
// screenshot per display state and per script, each checked on its pixels
// and kept as a .bmp file in the driver's folder.
#include <functional>
#include <string>
#include <vector>

#include "tests/e2e/driver_util.h"
#include "tests/e2e/menu_reader.h"

namespace {

const char kRegisteredName[] = "Varnelo Driver Screen Format";
const int kSmallBitmapWidth = 96;
const int kSmallBitmapHeight = 64;
// Text is black on white; the bitmap's colours are not dark by this bound.
const int kDarkChannelSum = 3 * 100;
// Rows in which text may start: the first line's glyphs, below the top edge.
const int kTopBand = 24;
// A centred line: its ink lies this close to the middle row, and its left
// and right margins differ by at most this many pixels.
const int kCentreBand = 20;
const int kCentringSlack = 4;
const int kLeftEdge = 8;
const WORD kBitsPerPixel = 32;

struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<DWORD> pixels;  // top row first, 0x00RRGGBB
};

COLORREF PixelAt(const Screenshot& shot, int x, int y) {
    DWORD pixel = shot.pixels[static_cast<size_t>(y) * shot.width + x];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

bool IsDark(const Screenshot& shot, int x, int y, int bound = kDarkChannelSum) {
    COLORREF colour = PixelAt(shot, x, y);
    return GetRValue(colour) + GetGValue(colour) + GetBValue(colour) < bound;
}

// Runs `draw` on a memory context that holds a 32-bit bitmap of the shot's
// size, and keeps its pixels in the shot.
bool DrawIntoShot(int width, int height, const std::function<bool(HDC memory, HDC screen)>& draw,
                  Screenshot* shot) {
    shot->width = width;
    shot->height = height;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = kBitsPerPixel;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool drawn = false;
    if (memory && section) {
        HGDIOBJ previous = SelectObject(memory, section);
        drawn = draw(memory, screen);
        GdiFlush();
        const DWORD* first = static_cast<const DWORD*>(bits);
        if (drawn) shot->pixels.assign(first, first + width * height);
        SelectObject(memory, previous);
    }
    if (section) DeleteObject(section);
    if (memory) DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return drawn;
}

// Copies the window's client area from the screen, as it is shown there.
bool CaptureClientArea(HWND window, Screenshot* shot) {
    RECT client;
    POINT origin = {0, 0};
    if (!GetClientRect(window, &client) || !ClientToScreen(window, &origin) || client.right <= 0 ||
        client.bottom <= 0) {
        return false;
    }
    return DrawIntoShot(
        client.right, client.bottom,
        [&](HDC memory, HDC screen) {
            return BitBlt(memory, 0, 0, client.right, client.bottom, screen, origin.x, origin.y,
                          SRCCOPY) != FALSE;
        },
        shot);
}

// Writes the screenshot as a 32-bit .bmp file, bottom row first.
bool SaveScreenshot(const Screenshot& shot, const std::string& path) {
    const DWORD row_bytes = shot.width * sizeof(DWORD);
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = shot.width;
    info.biHeight = shot.height;
    info.biPlanes = 1;
    info.biBitCount = kBitsPerPixel;
    info.biCompression = BI_RGB;
    BITMAPFILEHEADER header = {};
    header.bfType = 0x4D42;  // "BM"
    header.bfOffBits = sizeof header + sizeof info;
    header.bfSize = header.bfOffBits + row_bytes * shot.height;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool saved = WriteFile(file, &header, sizeof header, &written, nullptr) &&
                 WriteFile(file, &info, sizeof info, &written, nullptr);
    for (int y = shot.height - 1; saved && y >= 0; --y) {
        saved = WriteFile(file, &shot.pixels[static_cast<size_t>(y) * shot.width], row_bytes,
                          &written, nullptr) != FALSE;
    }
    CloseHandle(file);
    return saved;
}

// --- What a screenshot shows ---------------------------------------------

// The extent of the dark pixels, and the runs of rows that hold any: one
// run for each line of text.
struct Ink {
    int left = -1, right = -1, top = -1, bottom = -1;
    int lines = 0;
};

Ink FindInk(const Screenshot& shot, int bound = kDarkChannelSum) {
    Ink ink;
    bool previous_row_inked = false;
    for (int y = 0; y < shot.height; ++y) {
        bool row_inked = false;
        for (int x = 0; x < shot.width; ++x) {
            if (!IsDark(shot, x, y, bound)) continue;
            row_inked = true;
            if (ink.left < 0 || x < ink.left) ink.left = x;
            if (x > ink.right) ink.right = x;
            if (ink.top < 0) ink.top = y;
            ink.bottom = y;
        }
        if (row_inked && !previous_row_inked) ++ink.lines;
        previous_row_inked = row_inked;
    }
    return ink;
}

std::string Described(const Ink& ink) {
    if (ink.lines == 0) return "no ink";
    return std::to_string(ink.lines) + " lines of ink from (" + std::to_string(ink.left) + ", " +
           std::to_string(ink.top) + ") to (" + std::to_string(ink.right) + ", " +
           std::to_string(ink.bottom) + ")";
}

typedef std::function<bool(const Screenshot& shot, std::string* found)> ScreenCheck;

// Text from the top-left corner, on as many lines as it has line breaks.
bool ShowsLinesFromTopLeft(const Screenshot& shot, int lines, std::string* found) {
    Ink ink = FindInk(shot);
    *found = Described(ink);
    return ink.lines == lines && ink.top < kTopBand && ink.left < kLeftEdge &&
           ink.bottom < shot.height / 2;
}

bool ShowsTwoTextLines(const Screenshot& shot, std::string* found) {
    return ShowsLinesFromTopLeft(shot, 2, found);
}

bool ShowsWrappedLines(const Screenshot& shot, std::string* found) {
    Ink ink = FindInk(shot);
    *found = Described(ink);
    return ink.lines >= 2 && ink.top < kTopBand && ink.left < kLeftEdge &&
           ink.bottom < shot.height / 2;
}

bool ShowsCentredLine(const Screenshot& shot, std::string* found) {
    Ink ink = FindInk(shot);
    *found = Described(ink);
    const int middle = shot.height / 2;
    const int left_margin = ink.left;
    const int right_margin = shot.width - 1 - ink.right;
    return ink.lines == 1 && ink.top > middle - kCentreBand && ink.bottom < middle + kCentreBand &&
           left_margin - right_margin <= kCentringSlack &&
           right_margin - left_margin <= kCentringSlack;
}

// The pattern at its own size from the top-left corner: every cell's
// centre inside both the bitmap and the window has the cell's colour.
bool ShowsPattern(const Screenshot& shot, int width, int height, std::string* found) {
    const int half = e2e::kPatternCell / 2;
    for (int y = half; y < height && y < shot.height; y += e2e::kPatternCell) {
        for (int x = half; x < width && x < shot.width; x += e2e::kPatternCell) {
            if (PixelAt(shot, x, y) != e2e::PatternColour(x, y)) {
                *found = "colour " + std::to_string(PixelAt(shot, x, y)) + " at (" +
                         std::to_string(x) + ", " + std::to_string(y) + ")";
                return false;
            }
        }
    }
    *found = "the pattern";
    return true;
}

bool ShowsLargePattern(const Screenshot& shot, std::string* found) {
    return ShowsPattern(shot, shot.width, shot.height, found);
}

// Beside and below a smaller bitmap, whatever shows, it is not the pattern.
bool ShowsSmallPattern(const Screenshot& shot, std::string* found) {
    const int half = e2e::kPatternCell / 2;
    const POINT outside[] = {{kSmallBitmapWidth + half, half}, {half, kSmallBitmapHeight + half}};
    for (const POINT& point : outside) {
        if (PixelAt(shot, point.x, point.y) == e2e::PatternColour(point.x, point.y)) {
            *found = "the pattern beyond the bitmap's edge";
            return false;
        }
    }
    return ShowsPattern(shot, kSmallBitmapWidth, kSmallBitmapHeight, found);
}

// The text as a window of this size shows it when drawn from its top-left
// corner in the system's message font, in the default colours on the
// window colour: what Varnelo draws for a line of text.
bool RenderLine(const std::wstring& text, int width, int height, Screenshot* shot) {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return false;
    HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
    if (!font) return false;
    const bool drawn = DrawIntoShot(
        width, height,
        [&](HDC memory, HDC) {
            HGDIOBJ previous = SelectObject(memory, font);
            RECT area = {0, 0, width, height};
            FillRect(memory, &area, GetSysColorBrush(COLOR_WINDOW));
            DrawTextW(memory, text.c_str(), static_cast<int>(text.size()), &area, 0);
            SelectObject(memory, previous);
            return true;
        },
        shot);
    DeleteObject(font);
    return drawn;
}

// Every pixel as the line drawn here shows it.
bool ShowsLine(const std::wstring& text, const Screenshot& shot, std::string* found) {
    Screenshot expected;
    if (!RenderLine(text, shot.width, shot.height, &expected)) {
        *found = "no line drawn to compare with";
        return false;
    }
    size_t differing = 0;
    for (size_t at = 0; at < shot.pixels.size(); ++at) {
        differing += shot.pixels[at] != expected.pixels[at];
    }
    *found = std::to_string(differing) + " pixels unlike the line drawn here, " +
             Described(FindInk(shot));
    return differing == 0 && FindInk(shot).top < kTopBand;
}

// Waits until the window shows what `check` looks for, then keeps the
// screenshot as NAME.bmp (also when the check fails, to see why).
bool ExpectScreen(const e2e::Driver& driver, const e2e::Varnelo& varnelo, const char* name,
                  ScreenCheck check, const char* what) {
    Screenshot shot;
    std::string found = "no screenshot";
    const bool shown = e2e::WaitUntil(
        [&] { return CaptureClientArea(varnelo.window, &shot) && check(shot, &found); },
        e2e::kChangeTimeoutMs);
    const std::string path = driver.work_dir + "/" + name + ".bmp";
    if (!shot.pixels.empty() && SaveScreenshot(shot, path)) e2e::Log("kept %s", path.c_str());
    if (!shown) e2e::Log("FAIL: the window shows %s, expected %s", found.c_str(), what);
    return e2e::Expect(shown, what);
}

// --- Display states ---------------------------------------------------------

// The title is set while the window is created, before it is shown; so
// the show state is waited for.
bool StartShown(const e2e::Driver& driver, e2e::Varnelo* varnelo, const char* options = "-normal") {
    if (!e2e::StartWithEmptyClipboard(driver, options, varnelo)) return false;
    HWND window = varnelo->window;
    return e2e::Expect(
        e2e::WaitUntil([window] { return IsWindowVisible(window) && !IsIconic(window); },
                       e2e::kChangeTimeoutMs),
        "the window is shown");
}

SIZE ClientSize(const e2e::Varnelo& varnelo) {
    RECT client = {};
    GetClientRect(varnelo.window, &client);
    return {client.right, client.bottom};
}

bool MessageWhenNothingToShow(const e2e::Driver& driver) {
    e2e::RunningVarnelo varnelo;
    return StartShown(driver, &varnelo) &&
           ExpectScreen(driver, varnelo, "message", ShowsCentredLine,
                        "\"No TEXT or BITMAP data in clipboard.\" centred") &&
           e2e::ExitsWithZero(varnelo);
}

// Text is broken only at its own line breaks: a first line far wider than
// the window still takes one line.
bool TextFromTheTopLeftCorner(const e2e::Driver& driver) {
    std::string first_line = "Screens show text";
    while (first_line.size() < 300) first_line += " and more text";
    e2e::RunningVarnelo varnelo;
    return StartShown(driver, &varnelo) &&
           e2e::PlaceClipboardText(driver.owner, CF_OEMTEXT,
                                   first_line + "\r\nfrom the top-left corner") &&
           e2e::WaitForTitle(varnelo.window, "= " + first_line.substr(0, 90) + "...") &&
           ExpectScreen(driver, varnelo, "text", ShowsTwoTextLines,
                        "two lines of text from the top-left corner") &&
           e2e::ExitsWithZero(varnelo);
}

bool BitmapAtItsOwnSize(const e2e::Driver& driver) {
    e2e::RunningVarnelo varnelo;
    if (!StartShown(driver, &varnelo)) return false;
    const SIZE client = ClientSize(varnelo);
    return e2e::PlaceClipboardBitmap(driver.owner,
                                     e2e::CreatePatternBitmap(2 * client.cx, 2 * client.cy)) &&
           e2e::WaitForTitle(varnelo.window, "[Bitmap]") &&
           ExpectScreen(driver, varnelo, "bitmap_large", ShowsLargePattern,
                        "a larger bitmap unscaled, cut at the right and bottom edges") &&
           e2e::EmptyTheClipboard(driver.owner) &&
           e2e::WaitForTitle(varnelo.window, e2e::kEmptyTitle) &&
           e2e::PlaceClipboardBitmap(
               driver.owner, e2e::CreatePatternBitmap(kSmallBitmapWidth, kSmallBitmapHeight)) &&
           e2e::WaitForTitle(varnelo.window, "[Bitmap]") &&
           ExpectScreen(driver, varnelo, "bitmap_small", ShowsSmallPattern,
                        "a smaller bitmap unscaled in the top-left corner") &&
           e2e::ExitsWithZero(varnelo);
}

// A bitmap placed as a DIB shows exactly as one placed as a bitmap.
bool DibAtItsOwnSize(const e2e::Driver& driver) {
    e2e::RunningVarnelo varnelo;
    if (!StartShown(driver, &varnelo)) return false;
    const SIZE client = ClientSize(varnelo);
    return e2e::PlaceClipboardItems(driver.owner,
                                    {{CF_DIB, e2e::PatternDib(2 * client.cx, 2 * client.cy)}}) &&
           e2e::WaitForTitle(varnelo.window, "[Bitmap]") &&
           ExpectScreen(driver, varnelo, "dib_large", ShowsLargePattern,
                        "a larger DIB unscaled, cut at the right and bottom edges") &&
           e2e::EmptyTheClipboard(driver.owner) &&
           e2e::WaitForTitle(varnelo.window, e2e::kEmptyTitle) &&
           e2e::PlaceClipboardItems(
               driver.owner, {{CF_DIB, e2e::PatternDib(kSmallBitmapWidth, kSmallBitmapHeight)}}) &&
           e2e::WaitForTitle(varnelo.window, "[Bitmap]") &&
           ExpectScreen(driver, varnelo, "dib_small", ShowsSmallPattern,
                        "a smaller DIB unscaled in the top-left corner") &&
           e2e::ExitsWithZero(varnelo);
}

// A chosen format's bytes are drawn as text with words wrapped.
bool ChosenFormatAsWrappedText(const e2e::Driver& driver) {
    std::string words = "A chosen format";
    while (words.size() < 400) words += " shows its bytes as words that wrap";
    const UINT format = RegisterClipboardFormatA(kRegisteredName);
    std::vector<e2e::MenuItem> listed;
    e2e::RunningVarnelo varnelo;
    return StartShown(driver, &varnelo) &&
           e2e::PlaceClipboardItems(driver.owner,
                                    {{format, std::string(words.c_str(), words.size() + 1)}}) &&
           e2e::WaitForTitle(varnelo.window, "[Non-text Format]") &&
           e2e::OpenFormatMenu(varnelo, &listed) &&
           e2e::SendCommand(varnelo,
                            static_cast<WORD>(e2e::ListedCommand(listed, kRegisteredName))) &&
           e2e::WaitForTitle(varnelo.window, kRegisteredName) &&
           ExpectScreen(driver, varnelo, "chosen_format", ShowsWrappedLines,
                        "the chosen format's bytes wrapped from the top-left corner") &&
           e2e::ExitsWithZero(varnelo);
}

// Text marked private is not drawn; one centred message stands in for it.
bool PrivateTextAsACentredMessage(const e2e::Driver& driver) {
    const UINT mark = RegisterClipboardFormatA("Clipboard Viewer Ignore");
    e2e::RunningVarnelo varnelo;
    return StartShown(driver, &varnelo) &&
           e2e::PlaceClipboardItems(driver.owner,
                                    {{CF_TEXT, std::string("hunter2-secret", 15)}, {mark, "1"}}) &&
           e2e::WaitForTitle(varnelo.window, "[TEXT]") &&
           ExpectScreen(driver, varnelo, "private", ShowsCentredLine,
                        "\"Private data in clipboard.\" centred") &&
           e2e::ExitsWithZero(varnelo);
}

struct ScriptLine {
    const char* name;
    std::wstring text;
};

// Each script drawn in its own characters, as a line in the message font
// shows them; an emoji is a box there, as everywhere under GDI.
bool EveryScriptDrawnAsItself(const e2e::Driver& driver) {
    const ScriptLine lines[] = {
        {"script_cyrillic", L"\u041f\u0440\u0438\u0432\u0435\u0442 \u043c\u0438\u0440"},
        {"script_greek",
         L"\u0393\u03b5\u03b9\u03b1 \u03c3\u03bf\u03c5 \u03ba\u03cc\u03c3\u03bc\u03b5"},
        {"script_cjk", L"\u6771\u4eac \u3053\u3093\u306b\u3061\u306f \uc548\ub155"},
        {"script_emoji", L"na\u00efve \U0001F600 caf\u00e9"},
    };
    e2e::RunningVarnelo varnelo;
    if (!StartShown(driver, &varnelo)) return false;
    for (const ScriptLine& line : lines) {
        if (!e2e::PlaceUnicodeText(driver.owner, line.text) ||
            !e2e::WaitUntil([&] { return e2e::WindowTitleW(varnelo.window) == L"= " + line.text; },
                            e2e::kChangeTimeoutMs) ||
            !ExpectScreen(
                driver, varnelo, line.name,
                [&](const Screenshot& shot, std::string* found) {
                    return ShowsLine(line.text, shot, found);
                },
                "the line in its own characters")) {
            return false;
        }
    }
    return e2e::ExitsWithZero(varnelo);
}

// `shown` with 200 zero-width spaces, which take no room, after each character it shows
// ("&x", "&&" whole): more units than twice the window's width or DrawText draws at once.
std::wstring ZeroWidthSpaced(const std::wstring& shown) {
    std::wstring line;
    for (size_t at = 0; at < shown.size(); ++at) {
        if (shown[at] == L'&' && at + 1 < shown.size()) line += shown[at++];
        line += shown[at] + std::wstring(200, L'\u200b');
    }
    return line;
}

// However many zero-width characters a line holds, it shows as the line without
// them, "&" prefixes included; so does a repaint, and a change to another line
// of the same size made while the window is minimised, once it is restored.
bool SamePixelsWhenRepaintedAndChanged(const e2e::Driver& driver) {
    e2e::RunningVarnelo varnelo;
    if (!StartShown(driver, &varnelo)) return false;
    for (const std::wstring shown : {L"abcdefghij&&klm&nopqrst", L"ABCDEFGHIJ&&KLM&NOPQRST"}) {
        const bool while_minimised = shown[0] == L'A';
        const std::wstring text = ZeroWidthSpaced(shown);
        const ScreenCheck shows_line = [&](const Screenshot& shot, std::string* found) {
            return ShowsLine(shown, shot, found);
        };
        const std::string name = while_minimised ? "zero_width_changed" : "zero_width";
        if ((while_minimised &&
             !e2e::Expect(e2e::SendCommand(varnelo, IDM_MIN) && IsIconic(varnelo.window),
                          "the window is minimised")) ||
            !e2e::PlaceUnicodeText(driver.owner, text) ||
            !e2e::WaitUntil(
                [&] { return e2e::WindowTitleW(varnelo.window) == e2e::WideTextTitle(text); },
                e2e::kChangeTimeoutMs) ||
            (while_minimised && !e2e::SendCommand(varnelo, IDM_RESTORE)) ||
            !ExpectScreen(driver, varnelo, name.c_str(), shows_line, "the whole line") ||
            !RedrawWindow(varnelo.window, nullptr, nullptr,
                          RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW) ||
            !ExpectScreen(driver, varnelo, (name + "_repainted").c_str(), shows_line,
                          "the same pixels when repainted")) {
            return false;
        }
    }
    return e2e::ExitsWithZero(varnelo);
}

// --- DPI ----------------------------------------------------------------------

const UINT kHighDpi = 144;
const wchar_t kTallText[] = L"Hg Hg";
const char kDesktopKey[] = "Control Panel\\Desktop";

bool ShowsTallTextAt96(const Screenshot& shot, std::string* found) {
    return ShowsLine(kTallText, shot, found);
}

// One line from the top-left corner whose ink (all but white, antialiased edges too) is 1.5
// times as tall as the same line drawn here at 96 DPI, give or take whole-pixel font sizes.
bool ShowsTallTextAt144(const Screenshot& shot, std::string* found) {
    Screenshot at_96;
    if (!RenderLine(kTallText, shot.width, shot.height, &at_96)) return false;
    const Ink ink = FindInk(shot, 3 * 255), ink_at_96 = FindInk(at_96, 3 * 255);
    const double scale = (ink.bottom - ink.top + 1.0) / (ink_at_96.bottom - ink_at_96.top + 1);
    const bool one_line = ShowsLinesFromTopLeft(shot, 1, found);
    *found += ", " + std::to_string(scale) + " times as tall as at 96 DPI";
    return one_line && scale >= 1.3 && scale <= 1.7;
}

// The message carries a pointer to the suggested rectangle, which must lie
// in Varnelo's memory; the window is moved before the message is answered.
bool TakesDpiChange(const e2e::Varnelo& varnelo, const RECT& suggested) {
    HANDLE process = varnelo.process.hProcess;
    void* remote = VirtualAllocEx(process, nullptr, sizeof suggested, MEM_COMMIT | MEM_RESERVE,
                                  PAGE_READWRITE);
    const bool sent =
        remote && WriteProcessMemory(process, remote, &suggested, sizeof suggested, nullptr) &&
        SendMessageTimeoutW(varnelo.window, WM_DPICHANGED, MAKEWPARAM(kHighDpi, kHighDpi),
                            reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG,
                            e2e::kChangeTimeoutMs, nullptr);
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    RECT rect = {};
    return e2e::Expect(sent, "WM_DPICHANGED is answered") &&
           e2e::Expect(GetWindowRect(varnelo.window, &rect) && EqualRect(&rect, &suggested),
                       "the window takes the suggested rectangle");
}

// Sets the DPI that programs read at their start, as Wine does; 0 removes it.
bool SetLogPixels(DWORD dpi) {
    return (dpi ? RegSetKeyValueA(HKEY_CURRENT_USER, kDesktopKey, "LogPixels", REG_DWORD, &dpi,
                                  sizeof dpi)
                : RegDeleteKeyValueA(HKEY_CURRENT_USER, kDesktopKey, "LogPixels")) == ERROR_SUCCESS;
}

// A copy started at 144 DPI; the value before, or none, is put back once it runs.
bool StartsAtHighDpi(const e2e::Driver& driver) {
    DWORD before = 0, size = sizeof before;
    RegGetValueA(HKEY_CURRENT_USER, kDesktopKey, "LogPixels", RRF_RT_REG_DWORD, nullptr, &before,
                 &size);
    e2e::RunningVarnelo varnelo;
    const bool started =
        e2e::Expect(SetLogPixels(kHighDpi), "LogPixels is 144") && StartShown(driver, &varnelo);
    SetLogPixels(before);
    return started && e2e::PlaceUnicodeText(driver.owner, kTallText) &&
           ExpectScreen(driver, varnelo, "dpi_144", ShowsTallTextAt144,
                        "the text 1.5 times as tall as at 96 DPI") &&
           e2e::ExitsWithZero(varnelo);
}

// Text is drawn in the message font of the window's DPI: the one it starts
// at, and the one a WM_DPICHANGED brings, with the rectangle suggested.
bool TextFollowsTheDpi(const e2e::Driver& driver) {
    e2e::RunningVarnelo varnelo;
    return StartShown(driver, &varnelo) && e2e::PlaceUnicodeText(driver.owner, kTallText) &&
           ExpectScreen(driver, varnelo, "dpi_96", ShowsTallTextAt96,
                        "the text as drawn here at 96 DPI") &&
           TakesDpiChange(varnelo, {40, 30, 640, 480}) &&
           ExpectScreen(driver, varnelo, "dpi_changed_to_144", ShowsTallTextAt144,
                        "the text 1.5 times as tall after WM_DPICHANGED") &&
           e2e::ExitsWithZero(varnelo) && StartsAtHighDpi(driver);
}

// --- Hidden characters --------------------------------------------------------

const wchar_t kHiddenText[] =
    L"curl\u00a0-fsSL https://example.com/install.sh | sh\r\n"
    L"rm\u200b -rf build\u200b/\r\n"
    L"# access granted \u202etfel ot thgir\u202c ok\r\n"
    L"bell\u0007 esc\u001b[201~ tab\u0009here\r\n"
    L"\ufeffBOM and soft\u00adhyphen\r\n";
const wchar_t kHiddenStatus[] =
    L"5 lines \u00b7 ends in CR LF \u00b7 2 zero-width \u00b7 1 no-break space \u00b7 "
    L"2 direction controls \u00b7 2 control characters \u00b7 1 BOM \u00b7 1 soft hyphen";
const int kHiddenLines = 5;
const int kOverriddenLine = 2;
const wchar_t kOverriddenRun[] = L"tfel ot thgir";

// The status bar's one text, read across processes; empty without a bar.
std::wstring StatusText(const e2e::Varnelo& varnelo) {
    HWND bar = FindWindowExW(varnelo.window, nullptr, L"msctls_statusbar32", nullptr);
    wchar_t text[512] = L"";
    SendMessageW(bar, WM_GETTEXT, bar ? 512 : 0, reinterpret_cast<LPARAM>(text));
    return text;
}

bool ShowsStatus(const e2e::Varnelo& varnelo, const std::wstring& expected) {
    const bool shown =
        e2e::WaitUntil([&] { return StatusText(varnelo) == expected; }, e2e::kChangeTimeoutMs);
    return e2e::ExpectEqual("the status bar's text", StatusText(varnelo), expected) && shown;
}

int MessageFontHeight() {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
    HDC screen = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(screen, font);
    TEXTMETRICW text = {};
    GetTextMetricsW(screen, &text);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    DeleteObject(font);
    return text.tmHeight;
}

// The rightmost pixel that is not the window's white in rows [top, top + height).
int RightmostInk(const Screenshot& shot, int top, int height) {
    int right = -1;
    for (int y = top; y < top + height && y < shot.height; ++y) {
        for (int x = right + 1; x < shot.width; ++x) {
            if (IsDark(shot, x, y, 3 * 255)) right = x;
        }
    }
    return right;
}

// Whether the run, drawn here alone, shows somewhere in the row exactly.
bool ShowsRunInRow(const Screenshot& shot, const std::wstring& run, int top, int height) {
    Screenshot alone;
    if (!RenderLine(run, shot.width, height, &alone)) return false;
    const Ink ink = FindInk(alone, 3 * 255);
    for (int x = 0; x + ink.right - ink.left < shot.width; ++x) {
        bool same = true;
        for (int y = 0; y < height && same; ++y) {
            for (int dx = 0; dx <= ink.right - ink.left && same; ++dx) {
                same = PixelAt(shot, x + dx, top + y) == PixelAt(alone, ink.left + dx, y);
            }
        }
        if (same) return true;
    }
    return false;
}

// Every line reaches further right with its tokens, and the letters after
// the override show in the order they are stored.
bool ShowsTokens(const Screenshot& off, const Screenshot& on, std::string* found) {
    const int height = MessageFontHeight();
    bool further = true;
    *found = "right ends";
    for (int line = 0; line < kHiddenLines; ++line) {
        const int right_off = RightmostInk(off, line * height, height);
        const int right_on = RightmostInk(on, line * height, height);
        *found += " " + std::to_string(right_off) + "->" + std::to_string(right_on);
        further = further && right_on > right_off;
    }
    const bool in_order = ShowsRunInRow(on, kOverriddenRun, kOverriddenLine * height, height);
    if (!in_order) *found += ", the run after the override not in stored order";
    return further && in_order;
}

// With the view on, each hidden character, tab and line break stands where a
// paste delivers it, and the status bar tells what the paste holds; turned
// off, the window shows what it showed before.
bool HiddenCharactersShown(const e2e::Driver& driver) {
    e2e::RunningVarnelo varnelo;
    Screenshot off;
    if (!StartShown(driver, &varnelo) || !e2e::PlaceUnicodeText(driver.owner, kHiddenText) ||
        !e2e::WaitUntil([&] { return e2e::WindowTitleW(varnelo.window).size() > 2; },
                        e2e::kChangeTimeoutMs) ||
        !ExpectScreen(driver, varnelo, "hidden_off", ShowsWrappedLines, "the five lines") ||
        !CaptureClientArea(varnelo.window, &off)) {
        return false;
    }
    const ScreenCheck shows_tokens = [&](const Screenshot& shot, std::string* found) {
        return ShowsTokens(off, shot, found);
    };
    const ScreenCheck same_as_off = [&](const Screenshot& shot, std::string* found) {
        *found = "pixels unlike those before the view was turned on";
        return shot.width == off.width && shot.pixels == off.pixels;
    };
    return e2e::SendCommand(varnelo, IDM_SHOW_HIDDEN) && ShowsStatus(varnelo, kHiddenStatus) &&
           ExpectScreen(driver, varnelo, "hidden_on", shows_tokens,
                        "tokens after every line, the override's run in stored order") &&
           e2e::SendCommand(varnelo, IDM_SHOW_HIDDEN) && ShowsStatus(varnelo, L"") &&
           ExpectScreen(driver, varnelo, "hidden_off_again", same_as_off,
                        "the pixels from before the view was on") &&
           e2e::ExitsWithZero(varnelo);
}

// -show starts with the view on; text without a break says so, a bitmap
// tells its size. The five lines, kept at 144 DPI to look at, show the same
// when their Unicode text is chosen.
bool HiddenViewFromTheStart(const e2e::Driver& driver) {
    DWORD before = 0, size = sizeof before;
    RegGetValueA(HKEY_CURRENT_USER, kDesktopKey, "LogPixels", RRF_RT_REG_DWORD, nullptr, &before,
                 &size);
    e2e::RunningVarnelo varnelo;
    const bool started = e2e::Expect(SetLogPixels(kHighDpi), "LogPixels is 144") &&
                         StartShown(driver, &varnelo, "-normal -show");
    SetLogPixels(before);
    const ScreenCheck any = [](const Screenshot&, std::string* found) {
        *found = "a screenshot";
        return true;
    };
    Screenshot shown;
    std::vector<e2e::MenuItem> listed;
    const ScreenCheck same_as_shown = [&](const Screenshot& shot, std::string* found) {
        *found = "pixels unlike those of the default display";
        return shot.width == shown.width && shot.pixels == shown.pixels;
    };
    return started && ShowsStatus(varnelo, L"No TEXT or BITMAP data in clipboard.") &&
           e2e::PlaceUnicodeText(driver.owner, L"pic") &&
           ShowsStatus(varnelo, L"1 line \u00b7 ends in no line break") &&
           e2e::PlaceUnicodeText(driver.owner, kHiddenText) &&
           ShowsStatus(varnelo, kHiddenStatus) &&
           ExpectScreen(driver, varnelo, "hidden_on_144", any, "a screenshot") &&
           CaptureClientArea(varnelo.window, &shown) && e2e::OpenFormatMenu(varnelo, &listed) &&
           e2e::SendCommand(varnelo, static_cast<WORD>(e2e::ListedCommand(listed, "13"))) &&
           e2e::WaitForTitle(varnelo.window, "[13]") && ShowsStatus(varnelo, kHiddenStatus) &&
           ExpectScreen(driver, varnelo, "hidden_chosen_144", same_as_shown,
                        "the chosen Unicode text in the same rows as the default display") &&
           e2e::PlaceClipboardBitmap(
               driver.owner, e2e::CreatePatternBitmap(kSmallBitmapWidth, kSmallBitmapHeight)) &&
           ShowsStatus(varnelo, L"bitmap 96 x 64") && e2e::ExitsWithZero(varnelo);
}

const e2e::TestCase kCases[] = {
    {"message_when_nothing_to_show", MessageWhenNothingToShow},
    {"text_from_the_top_left_corner", TextFromTheTopLeftCorner},
    {"bitmap_at_its_own_size", BitmapAtItsOwnSize},
    {"dib_at_its_own_size", DibAtItsOwnSize},
    {"chosen_format_as_wrapped_text", ChosenFormatAsWrappedText},
    {"private_text_as_a_centred_message", PrivateTextAsACentredMessage},
    {"every_script_drawn_as_itself", EveryScriptDrawnAsItself},
    {"same_pixels_when_repainted_and_changed", SamePixelsWhenRepaintedAndChanged},
    {"text_follows_the_dpi", TextFollowsTheDpi},
    {"hidden_characters_shown", HiddenCharactersShown},
    {"hidden_view_from_the_start", HiddenViewFromTheStart},
};

}  // namespace

int main(int argc, char** argv) {
    // The folder for the screenshots; it may be there from an earlier run.
    if (argc >= 3) CreateDirectoryA(argv[2], nullptr);
    return e2e::RunDriver(argc, argv, kCases);
}
