// -all in the real Varnelo.exe: text of every kind placed first loses its
// trailing line breaks, the rest of the clipboard comes back byte for byte
// and in order, pictures copied exactly, or is left alone when it cannot.
// (Without -all, Unicode text is left alone: x_side_driver.) -clean takes
// the hidden characters out in the same rewrite, and "Undo fix" puts
// back what any fix took.
// usage: all_text_driver PATH\TO\Varnelo.exe WORK_DIR [CASE]
#include <algorithm>
#include <string>
#include <vector>

#include "tests/e2e/driver_util.h"
#include "tests/e2e/linux_clipboard.h"
#include "tests/e2e/menu_reader.h"

namespace {

using e2e::DwordBytes;
using e2e::Utf16;
using e2e::WithNul;
using Items = std::vector<e2e::ClipboardItem>;

// "Kalimera" in code page 1253 (Greek, 0x0408), and in Unicode.
const std::string kGreek = "\xca\xe1\xeb\xe7\xec\xdd\xf1\xe1";
const wchar_t kGreekUnicode[] = L"\x039a\x03b1\x03bb\x03b7\x03bc\x03ad\x03c1\x03b1";

// Lets `place` copy onto an empty clipboard and waits until Varnelo has
// titled the copy; a rewrite is done before it closes the clipboard.
bool Place(const e2e::Driver& driver, const e2e::Varnelo& varnelo,
           const std::function<bool()>& place) {
    auto titled = [&] { return e2e::WindowTitle(varnelo.window) != e2e::kEmptyTitle; };
    bool seen = e2e::EmptyTheClipboard(driver.owner) &&
                e2e::WaitForTitle(varnelo.window, e2e::kEmptyTitle) && place() &&
                e2e::Expect(e2e::WaitUntil(titled, e2e::kChangeTimeoutMs), "Varnelo titles it");
    e2e::PumpFor(e2e::kSettleAfterChangeMs);
    return seen;
}

bool Place(const e2e::Driver& driver, const e2e::Varnelo& varnelo, const Items& items) {
    return Place(driver, varnelo, [&] { return e2e::PlaceClipboardItems(driver.owner, items); });
}

// The clipboard's formats in order, and the whole blocks of those given.
bool ExpectClipboard(const e2e::Driver& driver, const std::vector<UINT>& formats,
                     const Items& blocks) {
    bool holds = e2e::Expect(e2e::ClipboardFormats(driver.owner) == formats, "the formats");
    for (const e2e::ClipboardItem& item : blocks) {
        std::string bytes;
        e2e::ReadClipboardBlock(driver.owner, item.format, &bytes);
        holds &= e2e::ExpectEqual(std::to_string(item.format).c_str(), bytes, item.bytes);
    }
    return holds;
}

struct Fix {
    Items placed;
    std::vector<UINT> formats;  // the clipboard's formats once fixed
    Items left;                 // blocks then
    std::wstring title = L"";   // empty: the title of the platform's Unicode text then
};

bool ExpectFixed(const e2e::Driver& driver, const e2e::Varnelo& varnelo, const Fix& fix) {
    std::string unicode;
    return Place(driver, varnelo, fix.placed) &&
           e2e::Expect(GetClipboardOwner() == varnelo.window, "Varnelo has rewritten it") &&
           ExpectClipboard(driver, fix.formats, fix.left) &&
           e2e::ReadClipboardBlock(driver.owner, CF_UNICODETEXT, &unicode) &&
           e2e::ExpectEqual(
               "the title", e2e::WindowTitleW(varnelo.window),
               fix.title.empty() ? e2e::WideTextTitle(e2e::UnicodeText(unicode)) : fix.title);
}

bool ExpectLeftAlone(const e2e::Driver& driver, const e2e::Varnelo& varnelo, const Items& placed) {
    return Place(driver, varnelo, placed) &&
           e2e::Expect(GetClipboardOwner() == driver.owner, "the clipboard keeps its owner") &&
           ExpectClipboard(driver, e2e::ClipboardFormats(driver.owner), placed);
}

bool RunFixes(const e2e::Driver& driver, const std::vector<Fix>& fixes) {
    e2e::RunningVarnelo varnelo;
    if (!e2e::StartWithEmptyClipboard(driver, "-all", &varnelo)) return false;
    for (const Fix& fix : fixes) {
        if (!ExpectFixed(driver, varnelo, fix)) return false;
    }
    return e2e::ExitsWithZero(varnelo);
}

// The marks of history and cloud sync follow the locale, as without -all;
// a text format placed besides keeps its own characters. Fixed OEM text
// ending in a lead byte is titled as fixed: the byte once took the CR along.
bool TextOfEveryKindLosesItsTrailingLineBreaks(const e2e::Driver& driver) {
    const UINT html = RegisterClipboardFormatA("HTML Format");
    const UINT own = RegisterClipboardFormatA("Varnelo Test Format");
    const UINT mark = RegisterClipboardFormatA("CanIncludeInClipboardHistory");
    const std::string page = WithNul("Version:0.9\r\n<html><body>text</body></html>\r\n");
    const std::string own_bytes("\x01\x00\x02\r\n", 5);
    return RunFixes(driver,
                    {{{{CF_UNICODETEXT, Utf16(L"calc.exe\n")}},
                      {CF_UNICODETEXT, CF_LOCALE, CF_TEXT, CF_OEMTEXT},
                      {{CF_UNICODETEXT, Utf16(L"calc.exe")}}},
                     {{{CF_OEMTEXT, WithNul("ab\x81\n\r\r\n")}, {CF_LOCALE, DwordBytes(0x0411)}},
                      {CF_OEMTEXT, CF_LOCALE, CF_TEXT, CF_UNICODETEXT},
                      {{CF_OEMTEXT, WithNul("ab\x81")}, {CF_LOCALE, DwordBytes(0x0411)}},
                      L"= ab\x30fb"},
                     {{{CF_TEXT, WithNul(kGreek + "\r\n")}, {CF_LOCALE, DwordBytes(0x0408)}},
                      {CF_TEXT, CF_LOCALE, CF_OEMTEXT, CF_UNICODETEXT},
                      {{CF_TEXT, WithNul(kGreek)},
                       {CF_LOCALE, DwordBytes(0x0408)},
                       {CF_UNICODETEXT, Utf16(kGreekUnicode)}}},
                     {{{CF_UNICODETEXT, Utf16(L"text\r\n")},
                       {html, page},
                       {own, own_bytes},
                       {mark, DwordBytes(0)}},
                      {CF_UNICODETEXT, html, own, CF_LOCALE, mark, CF_TEXT, CF_OEMTEXT},
                      {{CF_UNICODETEXT, Utf16(L"text")},
                       {html, page},
                       {own, own_bytes},
                       {mark, DwordBytes(0)}}},
                     {{{CF_TEXT, WithNul("a?\r\n")}, {CF_UNICODETEXT, Utf16(L"a\x0436\n")}},
                      {CF_TEXT, CF_UNICODETEXT, CF_LOCALE, CF_OEMTEXT},
                      {{CF_TEXT, WithNul("a?")}, {CF_UNICODETEXT, Utf16(L"a\x0436")}},
                      L"= a?"}});
}

// A bitmap (placed as a DIB) stays beside text of more than one line.
bool BitmapPrivateOrBreaksOnlyAreLeftAlone(const e2e::Driver& driver) {
    const UINT ignore = RegisterClipboardFormatA("Clipboard Viewer Ignore");
    e2e::RunningVarnelo varnelo;
    return e2e::StartWithEmptyClipboard(driver, "-all", &varnelo) &&
           ExpectLeftAlone(
               driver, varnelo,
               {{CF_UNICODETEXT, Utf16(L"pic\r\nline 2\r\n")}, {CF_DIB, e2e::PatternDib(8, 8)}}) &&
           ExpectLeftAlone(driver, varnelo,
                           {{CF_UNICODETEXT, Utf16(L"secret\r\n")}, {ignore, "1"}}) &&
           ExpectLeftAlone(driver, varnelo, {{CF_UNICODETEXT, Utf16(L"\r\n\n")}}) &&
           e2e::ExitsWithZero(varnelo);
}

// More formats than Varnelo lists at once are asked about one by one: a
// private mark placed last still keeps the text unread, and without it
// every format comes back in order.
bool ManyFormatsAreEachLookedAt(const e2e::Driver& driver) {
    const int kRegistered = 140;
    Items placed = {{CF_UNICODETEXT, Utf16(L"many\r\n")}};
    std::vector<UINT> order = {CF_UNICODETEXT};
    for (int n = 0; n < kRegistered; ++n) {
        const std::string name = "VarneloMany" + std::to_string(n);
        order.push_back(RegisterClipboardFormatA(name.c_str()));
        placed.push_back({order.back(), name});
    }
    Items marked = placed;
    marked.push_back({RegisterClipboardFormatA("Clipboard Viewer Ignore"), "1"});
    Items left = placed;
    left[0] = {CF_UNICODETEXT, Utf16(L"many")};
    order.insert(order.end(), {CF_LOCALE, CF_TEXT, CF_OEMTEXT});
    e2e::RunningVarnelo varnelo;
    return e2e::StartWithEmptyClipboard(driver, "-all", &varnelo) &&
           ExpectLeftAlone(driver, varnelo, marked) &&
           ExpectFixed(driver, varnelo, {placed, order, left}) && e2e::ExitsWithZero(varnelo);
}

// --- One cell copied from a spreadsheet ---------------------------------
// Its pictures are rendered on request; the platform adds the locale, OEM text and DIBs.

const UINT kDelayedPictures[] = {CF_ENHMETAFILE, CF_METAFILEPICT, CF_BITMAP};
const int kPictureSide = 32;

// What must come back equal of a picture: a bitmap's pixels as 32-bit rows
// from the top, whatever its depth; a metafile's bits, mapping mode and extents.
std::string PictureBits(UINT format, HANDLE picture) {
    std::string bits;
    if (format == CF_BITMAP) {
        BITMAPINFO info = {};
        info.bmiHeader = {
            sizeof info.bmiHeader, kPictureSide, -kPictureSide, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bits.resize(kPictureSide * kPictureSide * 4);
        HDC screen = GetDC(nullptr);
        GetDIBits(screen, static_cast<HBITMAP>(picture), 0, kPictureSide, &bits[0], &info,
                  DIB_RGB_COLORS);
        ReleaseDC(nullptr, screen);
    } else if (format == CF_ENHMETAFILE) {
        HENHMETAFILE metafile = static_cast<HENHMETAFILE>(picture);
        bits.resize(GetEnhMetaFileBits(metafile, 0, nullptr));
        GetEnhMetaFileBits(metafile, bits.size(), reinterpret_cast<BYTE*>(&bits[0]));
    } else if (const METAFILEPICT* header = static_cast<METAFILEPICT*>(GlobalLock(picture))) {
        bits.resize(GetMetaFileBitsEx(header->hMF, 0, nullptr));
        GetMetaFileBitsEx(header->hMF, bits.size(), &bits[0]);
        bits.append(reinterpret_cast<const char*>(header), 3 * sizeof(LONG));  // mm, xExt, yExt
        GlobalUnlock(picture);
    }
    return bits;
}

// How many pictures the spreadsheet has rendered, and what of each must come back.
int g_renders = 0;
std::string g_rendered[CF_ENHMETAFILE + 1];

// The bitmap has 16 bits a pixel, a depth other than the screen's: a copy
// made through the screen's depth could lose it.
HANDLE RenderPicture(UINT format) {
    HANDLE picture;
    if (format == CF_BITMAP) {
        std::vector<WORD> rows(kPictureSide * kPictureSide);
        for (size_t at = 0; at < rows.size(); ++at) rows[at] = static_cast<WORD>(at * 2053);
        picture = CreateBitmap(kPictureSide, kPictureSide, 1, 16, rows.data());
    } else if (format == CF_ENHMETAFILE) {
        HDC dc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
        Rectangle(dc, 1, 2, kPictureSide, kPictureSide);
        picture = CloseEnhMetaFile(dc);
    } else {
        HDC dc = CreateMetaFileA(nullptr);
        Ellipse(dc, 3, 4, kPictureSide, kPictureSide);
        METAFILEPICT header = {MM_ANISOTROPIC, 2540, 1270, CloseMetaFile(dc)};  // 0.01 mm
        picture = e2e::NewBlock(std::string(reinterpret_cast<const char*>(&header), sizeof header));
    }
    ++g_renders;
    g_rendered[format] = PictureBits(format, picture);
    return picture;
}

LRESULT CALLBACK SpreadsheetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_RENDERFORMAT) return DefWindowProcA(window, message, wParam, lParam);
    SetClipboardData(static_cast<UINT>(wParam), RenderPicture(static_cast<UINT>(wParam)));
    return 0;
}

// The spreadsheet's blocks for `text`: its own formats and the text in the
// two forms it places, in its order.
Items SheetBlocks(const std::wstring& text) {
    const std::string plain(text.begin(), text.end());
    auto registered = RegisterClipboardFormatA;
    return {{registered("Sheet Cells"), std::string("\x09\x08\x10\x00\x00\x06", 6)},
            {registered("HTML Format"),
             WithNul("Version:0.9\r\n<table><td>" + plain + "</td></table>")},
            {CF_UNICODETEXT, Utf16(text)},
            {CF_TEXT, WithNul(plain)},
            {registered("Csv"), WithNul(plain)},
            {registered("Rich Text Format"), WithNul("{\\rtf1 " + plain + "\\par}")},
            {registered("Link"), WithNul(std::string("Sheet\0Book1\0R1C1", 16))}};
}

// The formats as the spreadsheet lists them, the platform's behind the locale.
std::vector<UINT> SheetListing(bool owner_display) {
    std::vector<UINT> formats(std::begin(kDelayedPictures), std::end(kDelayedPictures));
    for (const e2e::ClipboardItem& item : SheetBlocks(L"")) formats.push_back(item.format);
    if (owner_display) formats.push_back(CF_OWNERDISPLAY);
    formats.insert(formats.end(), {CF_LOCALE, CF_OEMTEXT, CF_DIB, CF_DIBV5});
    return formats;
}

bool CopyFromSheet(HWND sheet, const std::wstring& text, bool owner_display) {
    g_renders = 0;
    bool placed = e2e::OpenClipboardPatiently(sheet) && EmptyClipboard();
    for (UINT format : kDelayedPictures) SetClipboardData(format, nullptr);
    for (const e2e::ClipboardItem& item : SheetBlocks(text)) {
        placed &= SetClipboardData(item.format, e2e::NewBlock(item.bytes)) != nullptr;
    }
    if (owner_display) SetClipboardData(CF_OWNERDISPLAY, nullptr);
    CloseClipboard();
    return e2e::Expect(placed, "the spreadsheet has placed its copy");
}

// Each picture is rendered once, and comes back as rendered and not blank.
bool ExpectPicturesAsRendered(const e2e::Driver& driver) {
    bool equal = e2e::ExpectEqual("pictures rendered", g_renders, 3);
    if (!e2e::OpenClipboardPatiently(driver.owner)) return false;
    for (UINT format : kDelayedPictures) {
        const std::string bits = PictureBits(format, GetClipboardData(format));
        const std::string what = "picture " + std::to_string(format) + " as rendered, not blank";
        equal &= e2e::Expect(
            bits == g_rendered[format] && bits.find_first_not_of('\0') != std::string::npos,
            what.c_str());
    }
    CloseClipboard();
    return equal;
}

// Every text format and Linux programs get the cell; the rest is the
// spreadsheet's, in its order.
bool ExpectCellFixed(const e2e::Driver& driver, const e2e::Varnelo& varnelo, HWND sheet) {
    Items left = SheetBlocks(L"cell 1\r\n");
    left[2].bytes = Utf16(L"cell 1");
    left[3].bytes = WithNul("cell 1");  // its plain text loses its line break too
    return Place(driver, varnelo, [&] { return CopyFromSheet(sheet, L"cell 1\r\n", false); }) &&
           e2e::Expect(GetClipboardOwner() == varnelo.window, "Varnelo has rewritten it") &&
           ExpectClipboard(driver, SheetListing(false), left) &&
           e2e::WaitForClipboardText(driver.owner, CF_OEMTEXT, "cell 1") &&
           ExpectPicturesAsRendered(driver) &&
           e2e::ExpectEqual("the title", e2e::WindowTitleW(varnelo.window), L"= cell 1") &&
           e2e::ExpectPastedInLinux(driver, "cell 1");
}

bool ExpectLeftWithTheSheet(const e2e::Driver& driver, const e2e::Varnelo& varnelo, HWND sheet,
                            const std::wstring& text, bool owner_display = false) {
    return Place(driver, varnelo, [&] { return CopyFromSheet(sheet, text, owner_display); }) &&
           e2e::Expect(GetClipboardOwner() == sheet, "the spreadsheet keeps the clipboard") &&
           ExpectClipboard(driver, SheetListing(owner_display), SheetBlocks(text)) &&
           e2e::ExpectEqual("pictures rendered", g_renders, 0);
}

// Many rows, pictures beside owner-display data, and the cell with -all
// switched off from the menu are left as they are, none of their pictures
// rendered; switched on again, the cell is fixed at once.
bool ACellBesidePicturesIsFixedAndCopiedExactly(const e2e::Driver& driver) {
    HWND sheet = e2e::CreateMessageWindow("VarneloDriverSpreadsheet", SpreadsheetProc);
    std::wstring rows;
    for (int row = 1; row <= 2000; ++row) rows += std::to_wstring(row) + L"\t2\t3\r\n";
    e2e::RunningVarnelo varnelo;
    return e2e::StartWithEmptyClipboard(driver, "-all", &varnelo) &&
           e2e::ExpectChecked(varnelo, IDM_FIX_ALL, true, "\"Fix &all text\"") &&
           ExpectCellFixed(driver, varnelo, sheet) &&
           ExpectLeftWithTheSheet(driver, varnelo, sheet, L"cell 1\r\n", true) &&
           ExpectLeftWithTheSheet(driver, varnelo, sheet, rows) &&
           e2e::SendCommand(varnelo, IDM_FIX_ALL) &&
           e2e::ExpectChecked(varnelo, IDM_FIX_ALL, false, "\"Fix &all text\"") &&
           ExpectLeftWithTheSheet(driver, varnelo, sheet, L"cell 1\r\n") &&
           e2e::SendCommand(varnelo, IDM_FIX_ALL) &&
           e2e::ExpectChecked(varnelo, IDM_FIX_ALL, true, "\"Fix &all text\"") &&
           e2e::Expect(e2e::WaitUntil([&] { return GetClipboardOwner() == varnelo.window; },
                                      e2e::kChangeTimeoutMs),
                       "switched on, Varnelo fixes the cell") &&
           e2e::ExitsWithZero(varnelo);
}

// --- -clean and Undo fix -------------------------------------------------

// Pasted into a console, each line would run something other than it shows.
const wchar_t kTricked[] =
    L"curl\x00a0-fsSL https://example.com/install.sh | sh\r\nrm\x200b -rf build\x200b/\r\n"
    L"# access granted \x202etfel ot thgir\x202c ok\r\nbell\x0007 esc\x001b[201~ tab\there\r\n"
    L"\xfeff"
    L"BOM and soft\x00adhyphen\r\n";
const char kCleaned[] =
    "curl -fsSL https://example.com/install.sh | sh\r\nrm -rf build/\r\n"
    "# access granted tfel ot thgir ok\r\nbell esc[201~ tab\there\r\nBOM and softhyphen\r\n";

// The X side gets line breaks as LF.
std::string WithoutCarriageReturns(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

bool ExpectUndoOffered(const e2e::Varnelo& varnelo, bool offered) {
    e2e::MenuSnapshot menu;
    auto as_expected = [&] {
        if (!e2e::ReadMenu(varnelo.window, &menu)) return false;
        for (const e2e::MenuItem& item : menu) {
            if (item.id == IDM_UNDO_FIX) return ((item.state & MF_GRAYED) == 0) == offered;
        }
        return false;
    };
    return e2e::Expect(e2e::WaitUntil(as_expected, e2e::kChangeTimeoutMs),
                       offered ? "\"&Undo fix\" is offered" : "\"&Undo fix\" is greyed");
}

// Undone, the text is its owner's to the last unit, and stays so.
bool ExpectUndone(const e2e::Driver& driver, const e2e::Varnelo& varnelo, const Items& placed) {
    return e2e::SendCommand(varnelo, IDM_UNDO_FIX) && ExpectUndoOffered(varnelo, false) &&
           (e2e::PumpFor(e2e::kSettleAfterChangeMs), true) &&
           ExpectClipboard(driver, e2e::ClipboardFormats(driver.owner), placed);
}

// The other formats come back byte for byte; every reader, Linux programs
// too, gets the cleaned text, the owner's plain text too; the line breaks
// stay without -all. Beside a format that cannot be copied, OEM text is fixed alone.
bool CleanRemovesHiddenCharactersAndUndoPutsThemBack(const e2e::Driver& driver) {
    const UINT html = RegisterClipboardFormatA("HTML Format");
    const std::string page = WithNul("Version:0.9\r\n<b>rm\xe2\x80\x8b -rf</b>\r\n");
    const Items placed = {{CF_UNICODETEXT, Utf16(kTricked)}, {html, page}};
    const Items oem_bell = {{CF_OEMTEXT, WithNul("bell\x07\r\n")}};
    const Items owners = {{CF_UNICODETEXT, Utf16(L"rm\x200b -rf\r\n")},
                          {CF_TEXT, WithNul("rm -rf\r\n")}};
    const std::wstring kept[] = {L"\xd83d\xdc68\x200d\xd83d\xdc69\x200d\xd83d\xdc67",
                                 L"\xd83c\xdff4\xdb40\xdc67\xdb40\xdc62\xdb40\xdc77\xdb40"
                                 L"\xdc6c\xdb40\xdc73\xdb40\xdc7f",
                                 L"\x0645\x06cc\x200c\x062e\x0648\x0627\x0647\x0645"};
    e2e::RunningVarnelo varnelo;
    bool fixed =
        e2e::StartWithEmptyClipboard(driver, "-clean", &varnelo) &&
        ExpectUndoOffered(varnelo, false) &&
        ExpectFixed(
            driver, varnelo,
            {placed,
             {CF_UNICODETEXT, html, CF_LOCALE, CF_TEXT, CF_OEMTEXT},
             {{CF_UNICODETEXT, Utf16(std::wstring(kCleaned, kCleaned + sizeof kCleaned - 1))},
              {html, page}}}) &&
        e2e::WaitForClipboardText(driver.owner, CF_TEXT, kCleaned) &&
        e2e::WaitForClipboardText(driver.owner, CF_OEMTEXT, kCleaned) &&
        e2e::ExpectPastedInLinux(driver, WithoutCarriageReturns(kCleaned)) &&
        ExpectUndoOffered(varnelo, true) && ExpectUndone(driver, varnelo, placed);
    for (const std::wstring& text : kept) {
        fixed = fixed && ExpectLeftAlone(driver, varnelo, {{CF_UNICODETEXT, Utf16(text)}});
    }
    return fixed &&
           ExpectFixed(driver, varnelo,
                       {oem_bell,
                        {CF_OEMTEXT, CF_LOCALE, CF_TEXT, CF_UNICODETEXT},
                        {{CF_OEMTEXT, WithNul("bell")}},
                        L"= bell"}) &&
           ExpectUndone(driver, varnelo, oem_bell) &&
           ExpectFixed(driver, varnelo,
                       {owners,
                        {CF_UNICODETEXT, CF_TEXT, CF_LOCALE, CF_OEMTEXT},
                        {{CF_UNICODETEXT, Utf16(L"rm -rf\r\n")}, owners[1]}}) &&
           ExpectUndone(driver, varnelo, owners) &&
           ExpectFixed(driver, varnelo,
                       {{{CF_OEMTEXT, WithNul("dir\x01\r\n")}, {0x0300, "gdi"}},
                        {CF_OEMTEXT, CF_LOCALE, CF_TEXT, CF_UNICODETEXT},
                        {{CF_OEMTEXT, WithNul("dir")}},
                        L"= dir"}) &&
           e2e::ExitsWithZero(varnelo);
}

// -all drops the cleaned text's trailing line break too; private content,
// Fix off and -clean switched off leave the text alone, and switched on
// again from the menu it is cleaned at once. Another program's copy greys
// "Undo fix".
bool CleanFollowsAllFixAndTheMenu(const e2e::Driver& driver) {
    const UINT ignore = RegisterClipboardFormatA("Clipboard Viewer Ignore");
    const Items tricked = {{CF_UNICODETEXT, Utf16(L"rm\x200b -rf build/\r\n")}};
    e2e::RunningVarnelo varnelo;
    return e2e::StartWithEmptyClipboard(driver, "-clean -all", &varnelo) &&
           ExpectFixed(driver, varnelo,
                       {tricked,
                        {CF_UNICODETEXT, CF_LOCALE, CF_TEXT, CF_OEMTEXT},
                        {{CF_UNICODETEXT, Utf16(L"rm -rf build/")}}}) &&
           ExpectUndoOffered(varnelo, true) &&
           ExpectFixed(driver, varnelo,
                       {{{CF_UNICODETEXT, Utf16(L"a\ab\r\n")}, {CF_TEXT, WithNul("a\ab\r\n")}},
                        {CF_UNICODETEXT, CF_TEXT, CF_LOCALE, CF_OEMTEXT},
                        {{CF_UNICODETEXT, Utf16(L"ab")}, {CF_TEXT, WithNul("ab")}}}) &&
           ExpectLeftAlone(driver, varnelo, {tricked[0], {ignore, "1"}}) &&
           ExpectUndoOffered(varnelo, false) && e2e::SendCommand(varnelo, IDM_FIX) &&
           ExpectLeftAlone(driver, varnelo, tricked) && e2e::SendCommand(varnelo, IDM_FIX) &&
           e2e::SendCommand(varnelo, IDM_FIX_ALL) && e2e::SendCommand(varnelo, IDM_CLEAN) &&
           e2e::ExpectChecked(varnelo, IDM_CLEAN, false, "\"Remove &hidden characters\"") &&
           ExpectLeftAlone(driver, varnelo, tricked) && e2e::SendCommand(varnelo, IDM_CLEAN) &&
           e2e::WaitForClipboardText(driver.owner, CF_TEXT, "rm -rf build/\r\n") &&
           e2e::ExitsWithZero(varnelo);
}

// Text fixed as Varnelo starts offers its undo.
bool AFixAtStartOffersItsUndo(const e2e::Driver& driver) {
    const Items placed = {{CF_OEMTEXT, WithNul("dir\r\n")}};
    e2e::RunningVarnelo varnelo;
    return e2e::PlaceClipboardItems(driver.owner, placed) &&
           e2e::StartVarnelo(driver.exe_path, "", &varnelo) &&
           e2e::WaitForVarneloWindow(&varnelo) &&
           e2e::WaitForClipboardText(driver.owner, CF_OEMTEXT, "dir") &&
           ExpectUndoOffered(varnelo, true) && ExpectUndone(driver, varnelo, placed) &&
           e2e::ExitsWithZero(varnelo);
}

// --- An editor's copy of whole lines or of a block -----------------------

// VS Code's editor data in web custom data: a pickle of one type and value.
std::string EditorData(const std::wstring& empty_selection) {
    std::string payload = DwordBytes(1);
    for (const std::wstring& text : {std::wstring(L"vscode-editor-data"),
                                     L"{\"isFromEmptySelection\":" + empty_selection + L"}"}) {
        payload += DwordBytes(text.size()) + Utf16(text).substr(0, text.size() * 2);
        payload.append(payload.size() % 4, '\0');
    }
    return DwordBytes(payload.size()) + payload;
}

// A mark of no bytes is placed without data, never rendered, as by Scintilla.
struct EditorCopy {
    Items marks;
    std::wstring ending;  // the status bar's words after "ends in "
    const wchar_t* text = L"line\r\n";
    const wchar_t* fixed = nullptr;  // the text once Varnelo has fixed it; null: left as it is
};

// In one change. Every mark stays, in order and byte for byte.
bool ExpectEditorCopy(const e2e::Driver& driver, const e2e::Varnelo& varnelo,
                      const EditorCopy& copy) {
    Items placed = {{CF_UNICODETEXT, Utf16(copy.text)}};
    placed.insert(placed.end(), copy.marks.begin(), copy.marks.end());
    std::vector<UINT> formats;
    bool kept = Place(driver, varnelo, [&] {
        bool put = e2e::OpenClipboardPatiently(driver.owner) && EmptyClipboard();
        for (const e2e::ClipboardItem& item : placed) {
            HGLOBAL block = item.bytes.empty() ? nullptr : e2e::NewBlock(item.bytes);
            put &= SetClipboardData(item.format, block) == block;
            formats.push_back(item.format);
        }
        return CloseClipboard() && put;
    });
    formats.insert(formats.end(), {CF_LOCALE, CF_TEXT, CF_OEMTEXT});
    if (copy.fixed) placed[0].bytes = Utf16(copy.fixed);
    auto tells_ending = [&] {
        wchar_t text[512] = L"";
        SendDlgItemMessageW(varnelo.window, 1, WM_GETTEXT, 512, LPARAM(text));
        return L"1 line \u00b7 ends in " + copy.ending == text;
    };
    return kept &&
           e2e::Expect(GetClipboardOwner() == (copy.fixed ? varnelo.window : driver.owner),
                       "the clipboard's owner") &&
           ExpectClipboard(driver, formats, placed) &&
           e2e::Expect(e2e::WaitUntil(tells_ending, 5000), "the status bar tells the copy");
}

// Beside any editor's marks the text keeps its CR LF, and loses only its
// hidden characters, none beside Vim's record of its lengths.
bool EditorsCopiesOfLinesAndBlocksKeepTheirLineBreaks(const e2e::Driver& driver) {
    auto format = RegisterClipboardFormatA;
    const UINT line = format("MSDEVLineSelect"), vim = format("VimClipboard2");
    const UINT tag = format("VisualStudioEditorOperationsLineCutCopyClipboardTag");
    const UINT web = format("Chromium Web Custom MIME Data Format");
    const std::string lengths = DwordBytes(6) + DwordBytes(6) + DwordBytes(0);
    const std::wstring lines = L"CR LF \u00b7 line copy", block = L"CR LF \u00b7 block copy";
    const wchar_t* hidden = L"li\x200bne\r\n";
    const EditorCopy copies[] = {
        {{{line, ""}, {tag, ""}}, lines},
        {{{tag, "\x01"}}, lines},
        {{{line, "\x01"}}, lines},
        {{{format("MSDEVColumnSelect"), "\x02"}}, block},
        {{{format("AvalonEditRectangularSelection"), "\x02"}}, block},
        {{{format("Borland IDE Block Type"), "\x02"}}, block},
        {{{vim, DwordBytes(1) + lengths}}, lines},
        {{{vim, DwordBytes(2) + lengths}}, block},
        {{{web, EditorData(L"true")}}, lines},
        {{{web, EditorData(L"false")}}, L"no line break", L"line\r\n", L"line"},
        {{}, L"no line break", L"line\r\n", L"line"},
        {{{line, ""}}, lines, hidden, L"line\r\n"},
        {{{vim, DwordBytes(1) + lengths}}, lines + L" \u00b7 1 zero-width", hidden},
    };
    e2e::RunningVarnelo varnelo;
    bool kept = e2e::StartWithEmptyClipboard(driver, "-all -clean -show", &varnelo);
    for (const EditorCopy& copy : copies) kept = kept && ExpectEditorCopy(driver, varnelo, copy);
    return kept && e2e::ExitsWithZero(varnelo);
}

const e2e::TestCase kCases[] = {
    {"clean_removes_hidden_characters_and_undo_puts_them_back",
     CleanRemovesHiddenCharactersAndUndoPutsThemBack},
    {"clean_follows_all_fix_and_the_menu", CleanFollowsAllFixAndTheMenu},
    {"a_fix_at_start_offers_its_undo", AFixAtStartOffersItsUndo},
    {"text_of_every_kind_loses_its_trailing_line_breaks",
     TextOfEveryKindLosesItsTrailingLineBreaks},
    {"bitmap_private_or_breaks_only_are_left_alone", BitmapPrivateOrBreaksOnlyAreLeftAlone},
    {"many_formats_are_each_looked_at", ManyFormatsAreEachLookedAt},
    {"a_cell_beside_pictures_is_fixed_and_copied_exactly",
     ACellBesidePicturesIsFixedAndCopiedExactly},
    {"editors_copies_of_lines_and_blocks_keep_their_line_breaks",
     EditorsCopiesOfLinesAndBlocksKeepTheirLineBreaks},
};

}  // namespace

int main(int argc, char** argv) {
    return e2e::RunDriver(argc, argv, kCases);
}
